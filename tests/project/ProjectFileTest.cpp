// Project files: what is saved comes back, a moved project still finds its
// photos, bad or newer files change nothing, a failing save keeps the old
// file, the recovery copy survives a killed process, and images whose file
// is gone stay in the project without breaking the build.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "project/ProjectFile.h"
#include "settings/Presets.h"
#include "util/Text.h"

using namespace pv;
namespace fs = std::filesystem;

namespace {

// A window's worth of state: the AppState and the pages beside it.
struct Session {
  AppState state;
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  explicit Session(const Environment& env) : state(env) { loadPreset(state, 0, image, project); }
  ProjectPages pages() { return {image, project, create}; }
};

bool samePixels(FIBITMAP* a, FIBITMAP* b) {
  if (!a || !b || FreeImage_GetWidth(a) != FreeImage_GetWidth(b) || FreeImage_GetHeight(a) != FreeImage_GetHeight(b) ||
      FreeImage_GetBPP(a) != FreeImage_GetBPP(b))
    return false;
  for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y)
    if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), FreeImage_GetLine(a)) != 0)
      return false;
  return true;
}

struct ProjectFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  Environment env = pvtest::scratchEnvironment(dir);
  Session saved{env};
  std::string folder;  // the project folder, with the photos below it

  void SetUp() override {
    PV_REQUIRE_PHOTOS();
    folder = dir.path() + "Reise/";
    makeDirectories(folder + "Fotos/Tag 2/");
    for (const char* name : {"exif_kodak_dc210_comment.jpg", "portrait_nikon_d70s.jpg", "bmpsuite_rgb24.bmp"})
      ASSERT_TRUE(copyFileReplacing(pvtest::photo(name), folder + "Fotos/" + name));
    // The same name in a sub-folder, with another picture.
    ASSERT_TRUE(
        copyFileReplacing(pvtest::photo("exif_casio_exm2.jpg"), folder + "Fotos/Tag 2/exif_kodak_dc210_comment.jpg"));
    makeDirectory(dir.path() + "out");
  }

  // Every page and record filled with values no default has.
  void fillProject() {
    Session& s = saved;
    selectProjectType(s.state, 1001, s.image, s.project);
    chooseSize(s.image, kSizeB, 1);
    s.image.sizes[kSizeB].width = 777;
    s.image.sizes[kSizeB].height = 555;
    s.image.sizes[kSizeC].prefix = "gross";
    s.image.quality = 91;
    s.image.resizeFilter = 3;
    s.image.watermarkFile = pvtest::photo("watermark_rgba.png");  // outside the project folder: stays absolute
    s.image.watermarkPosition = 8;
    s.image.transparency = 99;
    s.image.offsetX = 12;
    s.project.columns = 3;
    s.project.rowsPerPage = 4;
    s.project.style[kBackgroundRow].value = "#102030";
    tickCaptionSource(s.project, CaptionSource::Exif, true);
    s.project.displayTime = 7000;
    s.project.albumCovers = true;
    s.project.indexPage = true;
    s.create.projectFolder = dir.path() + "out/";
    s.create.projectName = "Reise ans Meer";
    s.state.iptcTitle = "Titel";
    s.state.iptcAuthor = "Jörg Müller";
    s.state.jpegComment = "<IMAGE>";
    s.state.settings.controlSet = 104;

    ItemCollection& items = s.state.items;
    const std::string f = folder + "Fotos/";
    items.addAlbum("/", "Küste");
    items.addAlbum("/Küste", "Tag 2");
    ASSERT_NE(items.addImage(f + "portrait_nikon_d70s.jpg", "portrait_nikon_d70s.jpg", "/", {}), nullptr);
    ASSERT_NE(items.addImage(f + "exif_kodak_dc210_comment.jpg", "exif_kodak_dc210_comment.jpg", "/Küste", {}), nullptr);
    ASSERT_NE(items.addImage(f + "Tag 2/exif_kodak_dc210_comment.jpg", "exif_kodak_dc210_comment.jpg", "/Küste/Tag 2", {}),
              nullptr);
    ASSERT_NE(items.addImage(f + "bmpsuite_rgb24.bmp", "bmpsuite_rgb24.bmp", "/", {}), nullptr);
    CollectionItem& first = *items.list[2];
    items.setCaption(first, "Ein \"Bild\" mit\nZeilen & <Zeichen>");
    items.rotateLeft(first);
    items.toggleFlipHorizontal(first);
    items.setCaption(*items.list[3], "alt\xE4 \xFF");  // Windows-1252 bytes of old software, not UTF-8
    items.rotateRight(*items.list[4]);
    items.toggleFlipVertical(*items.list[4]);
    items.setAlbumCover(*items.list[3], true);  // the cover of /Küste
  }

  // Marks the last pixel of every cached thumbnail: an opened image that
  // shows the mark was not decoded again.
  static void markCachedThumbnails(const std::string& cache) {
    ASSERT_EQ(listDirectory(cache).size(), 4u);
    for (const DirEntry& e : listDirectory(cache)) {
      std::string bytes;
      readWholeFile(cache + e.name, bytes);
      std::memset(bytes.data() + bytes.size() - 4, 0x7B, 4);
      writeWholeFile(cache + e.name, bytes);
    }
  }
  static bool showsMark(const CollectionItem& item) {
    const BYTE* last = FreeImage_GetScanLine(item.thumbnail.get(), kThumbnailHeight - 1) + (kThumbnailWidth - 1) * 4;
    return last[0] == 0x7B;
  }

  std::string save(const std::string& path) {
    ProjectResult r = saveProject(path, saved.state, saved.pages());
    EXPECT_TRUE(r.ok) << r.message;
    return path;
  }
};

}  // namespace

TEST_F(ProjectFixture, SavedProjectOpensWithEveryValueAndRecordInOrder) {
  fillProject();
  const std::string path = save(folder + "Reise.pvproj");

  Session opened{env};
  opened.image.quality = 42;  // values of whatever was open before are replaced
  opened.state.items.addAlbum("/", "Vorher");
  ProjectResult r = openProject(path, opened.state, opened.pages());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.missingSources, 0);

  // Every stored field, record and the order, through the same writer.
  EXPECT_EQ(projectText(opened.state, opened.pages(), folder), projectText(saved.state, saved.pages(), folder));
  // The values the preset decides came from the preset again.
  EXPECT_EQ(opened.state.settings.presetNumber, 1001);
  EXPECT_EQ(opened.image.sizes[kSizeB].fieldsEnabled, saved.image.sizes[kSizeB].fieldsEnabled);
  EXPECT_EQ(opened.image.formatEnabled, saved.image.formatEnabled);
  EXPECT_EQ(opened.project.tableSizeEnabled, saved.project.tableSizeEnabled);
  EXPECT_EQ(opened.image.hintText, saved.image.hintText);
  EXPECT_EQ(opened.state.settings.controlSet, 104);
  ASSERT_EQ(opened.state.items.size(), saved.state.items.size());
  for (size_t i = 0; i < saved.state.items.size(); ++i) {
    const CollectionItem& a = *saved.state.items.list[i];
    const CollectionItem& b = *opened.state.items.list[i];
    EXPECT_EQ(b.sourcePath, a.sourcePath) << i;
    EXPECT_EQ(b.caption, a.caption) << i;
    EXPECT_EQ(b.rotation, a.rotation) << i;
    if (!a.isAlbum) {
      EXPECT_TRUE(samePixels(a.thumbnail.get(), b.thumbnail.get())) << "thumbnail " << i;
    }
  }
  EXPECT_EQ(opened.state.items.list[3]->caption, "alt\xE4 \xFF");
  // The cover mark and the two switches come back on their own record and field.
  EXPECT_TRUE(opened.project.albumCovers);
  EXPECT_TRUE(opened.project.indexPage);
  for (size_t i = 0; i < opened.state.items.size(); ++i)
    EXPECT_EQ(opened.state.items.list[i]->albumCover, i == 3) << i;

  // An independent reader sees valid JSON with paths relative to the file
  // where they lie below it, and the watermark from elsewhere absolute.
  const std::string py = pvtest::run(
      "python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
      "print(d[\"format\"], len(d[\"items\"]), d[\"items\"][4][\"sourcePath\"], d[\"imagePage\"][\"watermarkFile\"])' '" +
      path + "'");
  EXPECT_EQ(py, "1 6 Fotos/Tag 2/exif_kodak_dc210_comment.jpg " + pvtest::photo("watermark_rgba.png") + "\n");
}

TEST_F(ProjectFixture, ProjectMovedWithItsPhotosOpensFromTheThumbnailCache) {
  fillProject();
  save(folder + "Reise.pvproj");
  ASSERT_TRUE(directoryExists(folder + "Reise.pvthumbs/"));
  const std::string moved = dir.path() + "anderswo/Reise/";
  makeDirectories(dir.path() + "anderswo/");
  fs::rename(folder, moved);

  markCachedThumbnails(moved + "Reise.pvthumbs/");
  Session opened{env};
  ProjectResult r = openProject(moved + "Reise.pvproj", opened.state, opened.pages());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.missingSources, 0);
  EXPECT_EQ(opened.state.items.list[4]->sourcePath, moved + "Fotos/Tag 2/exif_kodak_dc210_comment.jpg");
  EXPECT_EQ(opened.image.watermarkFile, pvtest::photo("watermark_rgba.png"));
  EXPECT_TRUE(showsMark(*opened.state.items.list[5]));

  // A changed source is not shown from a stale entry.
  fs::last_write_time(moved + "Fotos/bmpsuite_rgb24.bmp",
                      fs::last_write_time(moved + "Fotos/bmpsuite_rgb24.bmp") + std::chrono::hours(1));
  Session again{env};
  ASSERT_TRUE(openProject(moved + "Reise.pvproj", again.state, again.pages()).ok);
  EXPECT_TRUE(samePixels(again.state.items.list[5]->thumbnail.get(), saved.state.items.list[5]->thumbnail.get()));
  EXPECT_FALSE(samePixels(again.state.items.list[4]->thumbnail.get(), saved.state.items.list[4]->thumbnail.get()));
}

TEST_F(ProjectFixture, NewerDamagedOrHostileFilesChangeNothing) {
  fillProject();
  const std::string good = save(folder + "Reise.pvproj");
  std::string text;
  readWholeFile(good, text);
  auto variant = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    EXPECT_EQ(replaceAll(t, from, to), 1) << from;
    return t;
  };
  struct Case {
    std::string content;
    std::string message;
  };
  const std::vector<Case> cases = {
      {variant("\"format\": 1", "\"format\": 2"), "neueren Version"},
      {text.substr(0, text.size() / 2), "beschädigt"},
      {"", "beschädigt"},
      {"[1, 2]", "beschädigt"},
      {variant("\"format\": 1", "\"format\": \"1\""), "beschädigt"},
      {variant("\"quality\": 91", "\"quality\": \"hoch\""), "beschädigt"},
      {variant("\"rotation\": 90", "\"rotation\": 45"), "beschädigt"},
      {variant("\"name\": \"Küste\"", "\"name\": \"..\""), "beschädigt"},
      {variant("\"albumPath\": \"/Küste/Tag 2\"", "\"albumPath\": \"/../../etc\""), "beschädigt"},
      {variant("\"albumPath\": \"/Küste/Tag 2\"", "\"albumPath\": \"/Küste/a:b\""), "beschädigt"},
      {variant("\"quality\": 91", "\"quality\": 5000000000"), "beschädigt"},
  };
  Session current{env};
  ASSERT_TRUE(openProject(good, current.state, current.pages()).ok);
  const std::string before = projectText(current.state, current.pages(), folder);
  for (const Case& c : cases) {
    const std::string bad = dir.write("bad.pvproj", c.content);
    ProjectResult r = openProject(bad, current.state, current.pages());
    EXPECT_FALSE(r.ok) << c.content.substr(0, 80);
    EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
    EXPECT_EQ(projectText(current.state, current.pages(), folder), before) << c.message;
  }
  EXPECT_FALSE(openProject(dir.path() + "fehlt.pvproj", current.state, current.pages()).ok);

  // Numbers a window field would not take are brought into its range.
  dir.write("weit.pvproj", variant("\"transparency\": 99", "\"transparency\": 100000"));
  ASSERT_TRUE(openProject(dir.path() + "weit.pvproj", current.state, current.pages()).ok);
  EXPECT_EQ(current.image.transparency, 255);
}

TEST_F(ProjectFixture, AFailingSaveKeepsTheOldFile) {
  fillProject();
  const std::string path = save(folder + "Reise.pvproj");
  std::string old;
  readWholeFile(path, old);
  // Much more than the limit below: the new file cannot be written whole.
  for (int i = 0; i < 300; ++i) saved.state.items.addAlbum("/", "Album " + std::to_string(i));

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead of ending the process
    rlimit limit{rlim_t(old.size() + 1000), rlim_t(old.size() + 1000)};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(saveProject(path, saved.state, saved.pages()).ok ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save was reported as success";
  std::string now;
  readWholeFile(path, now);
  EXPECT_EQ(now, old);
  for (const DirEntry& e : listDirectory(folder)) EXPECT_EQ(e.name.find(".tmp"), std::string::npos) << e.name;

  // A folder that does not exist, and a name a folder already has: both fail
  // with the window's message, and the folder is left as it was.
  ProjectResult r = saveProject(dir.path() + "kein/Ordner.pvproj", saved.state, saved.pages());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("konnte nicht"), std::string::npos);
  makeDirectory(folder + "Ordner.pvproj");
  EXPECT_FALSE(saveProject(folder + "Ordner.pvproj", saved.state, saved.pages()).ok);
  EXPECT_TRUE(directoryExists(folder + "Ordner.pvproj"));
  for (const DirEntry& e : listDirectory(folder)) EXPECT_EQ(e.name.find(".tmp"), std::string::npos) << e.name;
}

TEST_F(ProjectFixture, RecoveryCopySurvivesAKilledProcess) {
  fillProject();
  save(folder + "Reise.pvproj");
  markCachedThumbnails(folder + "Reise.pvthumbs/");
  EXPECT_FALSE(hasRecovery(saved.state));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Write copy after copy until killed, so the kill may come mid-write.
    for (int i = 0;; ++i) {
      saved.state.items.setCaption(*saved.state.items.list[2], "Fassung " + std::to_string(i));
      writeRecovery(saved.state, saved.pages(), folder + "Reise.pvproj");
    }
  }
  while (!hasRecovery(saved.state)) usleep(1000);
  usleep(50000);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);

  Session restarted{env};
  ASSERT_TRUE(hasRecovery(restarted.state));
  ProjectResult r = openRecovery(restarted.state, restarted.pages());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.projectFile, folder + "Reise.pvproj");
  EXPECT_EQ(restarted.state.items.size(), saved.state.items.size());
  EXPECT_TRUE(startsWith(restarted.state.items.list[2]->caption, "Fassung "));
  EXPECT_EQ(restarted.create.projectName, "Reise ans Meer");
  EXPECT_TRUE(showsMark(*restarted.state.items.list[5]));  // from the project's thumbnail cache
  removeRecovery(restarted.state);
  EXPECT_FALSE(hasRecovery(restarted.state));
}

TEST_F(ProjectFixture, MissingSourcesStayMarkedAreLeftOutOfTheBuildAndCanBeFoundAgain) {
  fillProject();
  const std::string path = save(folder + "Reise.pvproj");
  fs::rename(folder + "Fotos", dir.path() + "Neu");

  Session opened{env};
  ProjectResult r = openProject(path, opened.state, opened.pages());
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.missingSources, 4);
  ASSERT_EQ(opened.state.items.size(), 6u);
  EXPECT_TRUE(opened.state.items.list[2]->sourceMissing);
  EXPECT_FALSE(opened.state.items.list[0]->sourceMissing);  // an album
  // The cached thumbnail still shows the picture.
  EXPECT_TRUE(samePixels(opened.state.items.list[2]->thumbnail.get(), saved.state.items.list[2]->thumbnail.get()));

  // Only the portrait is back: the build makes it alone and says what it left out.
  makeDirectories(folder + "Fotos/");
  ASSERT_TRUE(copyFileReplacing(dir.path() + "Neu/portrait_nikon_d70s.jpg", folder + "Fotos/portrait_nikon_d70s.jpg"));
  CreateCommand cmd = prepareBuild(opened.state, opened.image, opened.project, opened.create);
  ASSERT_EQ(cmd.status, CreateStatus::Ready) << cmd.message;
  BuildResult built = buildProject(opened.state, cmd.outputFolder);
  ASSERT_TRUE(built.folderCreated);
  EXPECT_EQ(built.missingSources.size(), 3u);
  EXPECT_EQ(opened.state.items.size(), 6u);  // all still there, in order
  EXPECT_EQ(opened.state.items.list[4]->sourcePath, folder + "Fotos/Tag 2/exif_kodak_dc210_comment.jpg");
  EXPECT_TRUE(opened.state.items.list[2]->sourceMissing);  // the build changes no record
  markMissingSources(opened.state.items, built);            // the window takes its findings
  EXPECT_FALSE(opened.state.items.list[2]->sourceMissing);
  EXPECT_TRUE(opened.state.items.list[3]->sourceMissing);
  size_t written = 0;
  for (const DirEntry& e : listDirectory(cmd.outputFolder + "images/"))
    written += startsWith(e.name, "pcvb") ? 1 : 0;
  EXPECT_EQ(written, 1u);

  // Pointing at the new folder finds the rest, the two equal names each in its place.
  EXPECT_EQ(relocateMissingSources(opened.state, dir.path() + "Neu"), 3);
  EXPECT_EQ(opened.state.items.list[3]->sourcePath, dir.path() + "Neu/exif_kodak_dc210_comment.jpg");
  EXPECT_EQ(opened.state.items.list[4]->sourcePath, dir.path() + "Neu/Tag 2/exif_kodak_dc210_comment.jpg");
  for (const auto& item : opened.state.items.list) EXPECT_FALSE(item->sourceMissing) << item->name;
}
