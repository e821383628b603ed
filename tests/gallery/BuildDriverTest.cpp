#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "pages/OwnPage.h"
#include "util/Text.h"

using namespace pv;

namespace {

struct BuildFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;

  void SetUp() override {
    ProjectSettings& s = state.settings;
    s.draftsFolder = dir.path() + "DRAFTS/";
    s.presetNumber = 1001;
    image.sizes[kSizeA].width = 160;
    image.sizes[kSizeA].height = 120;
    image.sizes[kSizeB].width = 320;
    image.sizes[kSizeB].height = 240;
    project.columns = 2;
    project.rowsPerPage = 2;
    makeDirectory(dir.path() + "projects");
    create.projectFolder = dir.path() + "projects/";
    typeProjectName(create, "Urlaub:2011");
    dir.write("DRAFTS/1001/webalb.html",
              "<html><body>CORVANE_PICOVAND_FOLDER PCV_000 PCV_001 PCV_002 PCV_003 "
              "<a href=\"CORVANE_PICOVAND_NAVNEXT\">next</a></body></html>");
    dir.write("DRAFTS/1001/pcv_image_folder/pcv.css", "body{color:CORVANE_PICOVAND_FONTCOLOR}");
  }
  void addPhotos(std::initializer_list<const char*> names, const std::string& album = "/") {
    for (const char* n : names) ASSERT_NE(state.items.addImage(pvtest::photo(n), n, album, {}), nullptr);
  }
  CreateCommand prepare() { return prepareBuild(state, image, project, create); }
};

std::string fileText(const std::string& path) {
  std::string text;
  readWholeFile(path, text);
  return text;
}

}  // namespace

TEST_F(BuildFixture, CreateCommandCapturesAndChecks) {
  state.settings.presetNumber = 0;
  state.items.addAlbum("/", "A");
  CreateCommand cmd = prepare();
  EXPECT_EQ(cmd.status, CreateStatus::Refused);
  EXPECT_EQ(cmd.title, "Kein Projekt gewählt");
  EXPECT_EQ(cmd.message, "Bitte wählen Sie zuerst ein Projekt im Bereich 'Projektauswahl' aus.");
  // The values were taken over all the same; nothing else was touched.
  EXPECT_EQ(state.settings.projectName, "Urlaub_2011");
  EXPECT_EQ(state.settings.fileTag, "pcv");
  EXPECT_EQ(create.outputFolder, dir.path() + "projects/Urlaub_2011/");

  state.settings.presetNumber = 2001;  // an own web page is needed first
  typeProjectName(create, "Neu");
  EXPECT_EQ(prepare().status, CreateStatus::NeedsOwnPage);
  EXPECT_EQ(state.settings.projectName, "Urlaub_2011");
  project.ownWebPage = "  /some/page.htm ";
  EXPECT_EQ(prepare().status, CreateStatus::Ready);

  state.settings.presetNumber = 1001;
  for (const char* bad : {"", ".", "..", "?.."}) {
    typeProjectName(create, bad);
    create.projectName = bad;  // as entered, before the clean-up
    cmd = prepare();
    EXPECT_EQ(cmd.status, CreateStatus::Refused) << bad;
    EXPECT_EQ(cmd.title, kBadProjectNameTitle);
  }

  typeProjectName(create, "Reise");
  state.abortRequested = true;
  cmd = prepare();
  ASSERT_EQ(cmd.status, CreateStatus::Ready);
  EXPECT_EQ(cmd.outputFolder, dir.path() + "projects/Reise/");
  EXPECT_FALSE(state.abortRequested);
}

TEST_F(BuildFixture, BuildsConvertsCountsAndPreviews) {
  PV_REQUIRE_PHOTOS();
  addPhotos({"exif_nikon_d300_progressive.jpeg", "iptc_caption_nikon_d1x_reagan.jpg"});
  state.items.addAlbum("/", "Sub");
  addPhotos({"exif_kodak_dc210_comment.jpg"}, "/Sub");
  CreateCommand cmd = prepare();
  ASSERT_EQ(cmd.status, CreateStatus::Ready);

  std::vector<std::tuple<BuildStep, int, int>> seen;
  BuildResult r = buildProject(state, cmd.outputFolder, [&](BuildStep s, int done, int total, int reused) {
    seen.emplace_back(s, done, total);
    EXPECT_EQ(reused, 0);
  });
  EXPECT_TRUE(r.ran && r.folderCreated && r.pagesWritten && !r.cancelled);
  EXPECT_EQ(r.previewPage, cmd.outputFolder + "pcv00000.htm");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(std::get<0>(seen.front()), BuildStep::Watermarks);
  EXPECT_EQ(std::get<0>(seen.back()), BuildStep::Statistics);
  int last = 0;
  for (auto& [step, done, total] : seen) {
    EXPECT_EQ(total, 3);  // three images, each in two sizes
    EXPECT_GE(done, last);
    last = done;
  }
  EXPECT_EQ(last, 3);

  EXPECT_TRUE(fileExists(cmd.outputFolder + "images/Sub/pcvb00002.jpg"));
  EXPECT_TRUE(fileExists(cmd.outputFolder + "pcv00001.htm"));  // the sub-album's page
  EXPECT_TRUE(fileExists(cmd.outputFolder + "images/_pcv_1001/pcv.css"));

  // The statistics match an independent count of the output.
  int files = 0, folders = 0;
  std::int64_t bytes = 0;
  for (auto& e : std::filesystem::recursive_directory_iterator(cmd.outputFolder)) {
    if (e.path().filename() == kManifestName) continue;  // the build's record, not part of the gallery
    if (e.is_directory()) {
      ++folders;
    } else {
      ++files;
      bytes += std::int64_t(e.file_size());
    }
  }
  EXPECT_EQ(r.output.files, files);
  EXPECT_EQ(r.output.folders, folders);
  EXPECT_EQ(r.output.bytes, bytes);
  // The credit is on one page of the build.
  int credited = 0;
  for (auto& e : std::filesystem::directory_iterator(cmd.outputFolder))
    if (e.path().extension() == ".htm") credited += fileText(e.path().string()).find("PicoVandCredit") != std::string::npos;
  EXPECT_EQ(credited, 1);
}

// The build returns what it made and leaves the project as it was: a second
// build of the same project writes the same pages, credit and all, and a
// photo whose file went away is named in the result, not marked in the records.
TEST_F(BuildFixture, BuildLeavesTheProjectAsItWas) {
  PV_REQUIRE_PHOTOS();
  const std::string gone = dir.path() + "gone.jpg";
  std::filesystem::copy_file(pvtest::photo("exif_nikon_d300_progressive.jpeg"), gone);
  ASSERT_NE(state.items.addImage(gone, "gone.jpg", "/", {}), nullptr);
  addPhotos({"iptc_caption_nikon_d1x_reagan.jpg", "exif_kodak_dc210_comment.jpg"});
  std::filesystem::remove(gone);
  const auto describe = [this] {
    std::string all;
    for (auto& i : state.items.list) all += describeItem(*i) + (i->sourceMissing ? " missing" : "") + "\n";
    return all;
  };
  const std::string before = describe();
  CreateCommand cmd = prepare();
  ASSERT_EQ(cmd.status, CreateStatus::Ready);
  const BuildResult first = buildProject(state, cmd.outputFolder);
  EXPECT_EQ(first.missingSources, std::vector<std::string>{gone});
  EXPECT_EQ(describe(), before);
  EXPECT_EQ(first.imagesConverted, 2);
  const std::string page = fileText(cmd.outputFolder + "pcv00000.htm");
  EXPECT_NE(page.find("PicoVandCredit"), std::string::npos);
  EXPECT_NE(page.find("images/pcva00001.jpg"), std::string::npos);  // numbered without the missing photo
  EXPECT_EQ(page.find("images/pcva00002.jpg"), std::string::npos);

  cmd = prepare();
  const BuildResult second = buildProject(state, cmd.outputFolder);
  EXPECT_EQ(second.imagesReused, 2);
  EXPECT_EQ(second.missingSources, first.missingSources);
  EXPECT_EQ(second.output.files, first.output.files);
  EXPECT_EQ(describe(), before);
  const std::string again = fileText(cmd.outputFolder + "pcv00000.htm");
  EXPECT_NE(again.find("PicoVandCredit"), std::string::npos);
}

TEST_F(BuildFixture, CancelSkipsTheImagesButWritesThePages) {
  PV_REQUIRE_PHOTOS();
  addPhotos({"exif_nikon_d300_progressive.jpeg", "iptc_caption_nikon_d1x_reagan.jpg", "exif_kodak_dc210_comment.jpg"});
  CreateCommand cmd = prepare();
  ASSERT_EQ(cmd.status, CreateStatus::Ready);
  BuildResult r = buildProject(state, cmd.outputFolder, [&](BuildStep s, int, int, int) {
    if (s == BuildStep::Convert) state.abortRequested = true;  // the cancel button, as the conversion starts
  });
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.previewPage, state.settings.programFolder + "resources/DE/0.html");
  EXPECT_FALSE(state.abortRequested);
  for (const char* name : {"pcva00000.jpg", "pcva00002.jpg", "pcvb00000.jpg"})
    EXPECT_FALSE(fileExists(cmd.outputFolder + "images/" + name)) << name;
  EXPECT_TRUE(fileExists(cmd.outputFolder + "pcv00000.htm"));
  // The pages show none of the images the cancel left without pictures, and say so.
  EXPECT_EQ(r.notReached.size(), 3u);
  EXPECT_TRUE(r.withoutOutput.empty());
  EXPECT_EQ(fileText(cmd.outputFolder + "pcv00000.htm").find("images/pcv"), std::string::npos);
}

// A file that is no picture gets no output and no place on the pages (no
// link to a file that was never written); a JPEG cut short is built from what
// can be read and named as damaged.
TEST_F(BuildFixture, BrokenPicturesAreLeftOutAndNamed) {
  PV_REQUIRE_PHOTOS();
  const std::string notAPicture = dir.write("kaputt.jpg", "this is no JPEG at all, only text");
  addPhotos({"exif_nikon_d300_progressive.jpeg"});
  ASSERT_NE(state.items.addImage(notAPicture, "kaputt.jpg", "/", {}), nullptr);
  addPhotos({"broken_truncated.jpg", "iptc_caption_nikon_d1x_reagan.jpg"});
  EXPECT_EQ(buildableImages(state.items).size(), 3u);

  CreateCommand cmd = prepare();
  ASSERT_EQ(cmd.status, CreateStatus::Ready);
  BuildResult r = buildProject(state, cmd.outputFolder);
  EXPECT_EQ(r.withoutOutput, std::vector<std::string>{notAPicture});
  EXPECT_EQ(r.damaged, std::vector<std::string>{pvtest::photo("broken_truncated.jpg")});
  EXPECT_FALSE(fileExists(cmd.outputFolder + "images/pcva00001.jpg"));
  EXPECT_TRUE(fileExists(cmd.outputFolder + "images/pcva00002.jpg"));
  // Every picture a page names exists; the broken one is named nowhere.
  int pictures = 0;
  for (auto& e : std::filesystem::directory_iterator(cmd.outputFolder)) {
    if (e.path().extension() != ".htm") continue;
    const std::string html = fileText(e.path().string());
    EXPECT_EQ(html.find("pcva00001"), std::string::npos) << e.path();
    EXPECT_EQ(html.find("pcvb00001"), std::string::npos) << e.path();
    for (size_t at = html.find("images/pcv"); at != std::string::npos; at = html.find("images/pcv", at + 1)) {
      const std::string path = html.substr(at, html.find_first_of("\"' )", at) - at);
      EXPECT_TRUE(fileExists(cmd.outputFolder + path)) << path;
      ++pictures;
    }
  }
  EXPECT_GT(pictures, 0);
  // The collection is whole again after the build.
  EXPECT_EQ(state.items.list.size(), 4u);
  EXPECT_EQ(state.items.list[1]->sourcePath, notAPicture);
}

TEST_F(BuildFixture, BuildsThatWriteNothingOrNoPages) {
  PV_REQUIRE_PHOTOS();
  addPhotos({"exif_nikon_d300_progressive.jpeg"});

  image.sizes[kSizeA].width = image.sizes[kSizeA].height = 0;  // size A off: nothing at all
  CreateCommand cmd = prepare();
  BuildResult r = buildProject(state, cmd.outputFolder);
  EXPECT_FALSE(r.ran);
  EXPECT_FALSE(directoryExists(cmd.outputFolder));

  image.sizes[kSizeA].width = 160;
  image.sizes[kSizeA].height = 120;
  create.projectFolder = dir.path() + "missing/";  // the project folder is gone
  cmd = prepare();
  r = buildProject(state, cmd.outputFolder);
  EXPECT_TRUE(r.ran);
  EXPECT_FALSE(r.folderCreated);
  EXPECT_FALSE(directoryExists(dir.path() + "missing"));
  EXPECT_EQ(r.output.files, 0);

  state.settings.presetNumber = 3001;  // batch conversion: images and no pages
  create.projectFolder = dir.path() + "projects/";
  cmd = prepare();
  r = buildProject(state, cmd.outputFolder);
  EXPECT_TRUE(r.pagesWritten);
  EXPECT_EQ(r.previewPage, "");
  EXPECT_TRUE(fileExists(cmd.outputFolder + "images/pcvb00000.jpg"));
  EXPECT_FALSE(fileExists(cmd.outputFolder + "pcv00000.htm"));
}

TEST(BuildStatistics, InfoLinesAndCounting) {
  ProjectSettings s;
  s.projectName = "Reise";
  OutputCount count{37, 3, 10485760};
  OutputInfo info = outputInfo(s, count);
  EXPECT_EQ(info.size, "Gesamtgröße der Daten: 10240 KB");
  EXPECT_EQ(info.uploadTime, "Upload-Zeit: 128kbit>10min - 256kbit>5min - 1mbit>1min");
  EXPECT_EQ(info.folder, "Ausgabeordner: ./Reise");
  EXPECT_EQ(info.fileCount, "Anzahl der Dateien: 37");
  count.bytes = 1023;
  EXPECT_EQ(outputInfo(s, count).uploadTime, "Upload-Zeit: 128kbit>0min - 256kbit>0min - 1mbit>0min");
  count.bytes = 983040;
  EXPECT_EQ(outputInfo(s, count).uploadTime, "Upload-Zeit: 128kbit>1min - 256kbit>0min - 1mbit>0min");
  count.bytes = std::int64_t(5) << 30;  // beyond 32 bits
  EXPECT_EQ(outputInfo(s, count).size, "Gesamtgröße der Daten: 5242880 KB");

  pvtest::ScratchDir dir;
  dir.write("out/a.htm", std::string(1000, 'x'));
  dir.write("out/images/b.jpg", std::string(24, 'x'));
  makeDirectories(dir.path() + "out/images/empty");
  count = countOutput(dir.path() + "out/");
  EXPECT_EQ(count.files, 2);
  EXPECT_EQ(count.folders, 2);
  EXPECT_EQ(count.bytes, 1024);
  count = countOutput(dir.path() + "none/");
  EXPECT_EQ(count.files, 0);
  EXPECT_EQ(count.bytes, 0);
}

TEST_F(BuildFixture, PreviewListRows) {
  PV_REQUIRE_PHOTOS();
  addPhotos({"exif_nokia_n70_iptc_keywords.jpg"});
  state.items.addAlbum("/", "Sub");
  addPhotos({"portrait_nikon_d70s.jpg", "exif_kodak_dc210_comment.jpg"}, "/Sub");
  std::vector<PreviewRow> rows = previewListRows(state, image);
  ASSERT_EQ(rows.size(), 6u);  // three images in sizes A and B
  EXPECT_EQ(rows[2].inputFile, "portrait_nikon_d70s.jpg");
  EXPECT_EQ(rows[2].inputFormat, "JPEG Image Format (1488*2240)");
  EXPECT_EQ(rows[2].outputFile, "pcva00001");
  EXPECT_EQ(rows[3].outputFile, "pcvb00001");
  EXPECT_EQ(rows[2].outputFormat, "JPEG Image Format (79*120)");
  EXPECT_EQ(rows[3].folder, "/Sub");

  image.sizes[kSizeB].prefix = "";
  image.sizes[kSizeB].width = image.sizes[kSizeB].height = 9999;
  image.format = 1;
  rows = previewListRows(state, image);
  EXPECT_EQ(rows[1].outputFile, "PCVB00000");  // the list's own upper-case defaults
  EXPECT_EQ(rows[1].outputFormat, "Portable Network Graphics");
  EXPECT_EQ(state.settings.prefixB, "PCVB");
}

TEST(OwnPage, ChecksPathFileAndPlaceholder) {
  pvtest::ScratchDir dir;
  EXPECT_EQ(checkOwnPage("   ").message, "Bitte wählen Sie eine Datei als Vorlage aus.");
  EXPECT_EQ(checkOwnPage(dir.file("missing.htm")).message, "Die ausgewählte Datei kann nicht geöffnet werden.");
  EXPECT_EQ(checkOwnPage(dir.path()).message, "Die ausgewählte Datei kann nicht geöffnet werden.");
  std::string lower = dir.write("lower.htm", "<body>##picovand##</body>");
  OwnPageCheck c = checkOwnPage(lower);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.message,
            "Die Webseite (*.htm) muss den Platzhalter ##PICOVAND## enthalten (Großschreibung und Rauten beachten).");
  std::string good = dir.write("good.htm", "<body>##PICOVAND##</body>");
  c = checkOwnPage("  " + good + " ");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.path, good);
  EXPECT_EQ(c.message, "");
}
