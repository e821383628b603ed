// picovand-cli as a user runs it: the program beside this test binary, over
// the installed data tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "project/ProjectFile.h"
#include "settings/Presets.h"
#include "util/Text.h"

using namespace pv;

namespace {

struct CliRun {
  int status = -1;
  std::string output;  // stdout, then stderr
  std::string out;     // stdout alone
  std::string err;     // stderr alone
};

std::string shellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct CliFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  std::string cli = executableFolder() + "picovand-cli";

  void SetUp() override {
    if (!fileExists(cli)) GTEST_SKIP() << "picovand-cli is not built beside the tests";
    if (!fileExists(executableFolder() + "resources/CONFIG/1001.config"))
      GTEST_SKIP() << "the installed data tree has no web album preset";
    makeDirectory(dir.path() + "projects");
  }
  CliRun cliRun(const std::vector<std::string>& args) {
    // Home and data folders of the scratch directory, so no user's files are touched.
    std::string cmd = "HOME=" + shellQuoted(dir.path() + "home") + " XDG_DATA_HOME= XDG_DOCUMENTS_DIR= XDG_CONFIG_HOME= XDG_CACHE_HOME= " + shellQuoted(cli);
    for (const std::string& a : args) cmd += " " + shellQuoted(a);
    CliRun r;
    const std::string errFile = dir.path() + "stderr.txt";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((cmd + " 2>" + shellQuoted(errFile) + " </dev/null").c_str(), "r"),
                                               pclose);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe.get())) > 0) r.out.append(buf, n);
    int raw = pclose(pipe.release());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    readWholeFile(errFile, r.err);
    std::filesystem::remove(errFile);
    r.output = r.out + r.err;
    return r;
  }
  std::vector<std::string> build(const std::string& name, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"build", "--preset", "1001", "--output", dir.path() + "projects/" + name};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  bool contains(const CliRun& r, const std::string& text) { return r.output.find(text) != std::string::npos; }
};

}  // namespace

TEST_F(CliFixture, BuildsAWebAlbumAndReportsIt) {
  PV_REQUIRE_PHOTOS();
  CliRun r = cliRun(build("Urlaub:2011", {pvtest::photo("exif_nikon_d300_progressive.jpeg"),
                                       pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), "--quality", "90"}));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string out = dir.path() + "projects/Urlaub2011/";  // the name as the capture cleans it
  EXPECT_TRUE(contains(r, "building into " + out)) << r.output;
  EXPECT_TRUE(contains(r, "Ausgabeordner: ./Urlaub2011\n"));
  EXPECT_TRUE(contains(r, "Anzahl der Dateien: "));
  EXPECT_TRUE(contains(r, "Gesamtgröße der Daten: "));
  EXPECT_TRUE(contains(r, "Upload-Zeit: 128kbit>"));
  EXPECT_TRUE(contains(r, "Startseite: " + out + "pcv00000.htm\n"));
  EXPECT_TRUE(fileExists(out + "pcv00000.htm"));
  EXPECT_TRUE(fileExists(out + "images/pcva00001.jpg"));

  // A folder of files that are not a gallery of ours is refused unless asked for.
  const std::string foreign = dir.path() + "projects/Fremd/";
  makeDirectories(foreign);
  writeWholeFile(foreign + "pcv00000.htm", "mine");
  r = cliRun(build("Fremd", {pvtest::photo("exif_kodak_dc210_comment.jpg")}));
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r, "--overwrite"));
  std::string kept;
  readWholeFile(foreign + "pcv00000.htm", kept);
  EXPECT_EQ(kept, "mine");
  r = cliRun(build("Fremd", {pvtest::photo("exif_kodak_dc210_comment.jpg"), "--overwrite"}));
  EXPECT_EQ(r.status, 0) << r.output;

  // Our own gallery is built again in place: the first image changed, the
  // second is gone with its files, a file of the user's stays.
  writeWholeFile(out + "images/notes.txt", "mine");
  r = cliRun(build("Urlaub2011", {pvtest::photo("exif_kodak_dc210_comment.jpg"), "--quality", "90"}));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r, "1 images converted, 0 unchanged and reused")) << r.output;
  EXPECT_FALSE(fileExists(out + "images/pcva00001.jpg"));
  EXPECT_TRUE(fileExists(out + "images/notes.txt"));
  r = cliRun(build("Urlaub2011", {pvtest::photo("exif_kodak_dc210_comment.jpg"), "--quality", "90"}));
  EXPECT_TRUE(contains(r, "0 images converted, 1 unchanged and reused")) << r.output;
  r = cliRun(build("Urlaub2011", {pvtest::photo("exif_kodak_dc210_comment.jpg"), "--quality", "90", "--full"}));
  EXPECT_TRUE(contains(r, "1 images converted, 0 unchanged and reused")) << r.output;
}

TEST_F(CliFixture, BadInputIsRefusedBeforeAnythingIsWritten) {
  const std::string photo = pvtest::photo("exif_nikon_d300_progressive.jpeg");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"build", "--preset", "1999", "--output", dir.path() + "projects/x"}, "no preset 1999"},
      {{"build", "--preset", "1000", "--output", dir.path() + "projects/x"}, "family"},
      {{"build", "--output", dir.path() + "projects/x"}, "--preset N is required"},
      {build("x", {"--quality", "101"}), "--quality: 101 is out of range"},
      {build("x", {"--columns", "abc"}), "Spaltenanzahl"},
      {build("x", {"--size-a", "100x100"}), "Bild A (--size-a) is fixed by preset 1001"},
      {build("x", {"--size-b", "100"}), "--size-b"},
      {build("x", {"--filter", "lanczos"}), "none of box, bicubic, bilinear, bspline"},
      {build("x", {"--prefix-a", "../a"}), "--prefix-a"},
      {build("x", {"--captions", "iptc,filename"}), "filename cannot be combined"},
      {build("x", {"--text-color", "red"}), "#RRGGBB"},
      {build("x", {dir.path() + "missing.jpg"}), "missing.jpg': No such file or directory"},
      {build("x", {"--import", dir.path() + "nowhere"}), "nowhere': No such file or directory"},
      {build("x", {"--import", dir.write("datei.txt", "x")}), "datei.txt': is not a folder"},
      {build("x", {"--albums"}), "--albums belongs after --import"},
      {build("x", {"--bogus"}), "unknown option --bogus"},
      {{"build", "--preset", "1001", "--output", dir.path() + "nowhere/x"}, "does not exist"},
      {{"build", "--preset", "1001", "--output", dir.path() + "projects/.."}, "into or above the project folder"},
      {{"build", "--preset", "1001", "--output", dir.path() + "projects/" + std::string(51, 'n')}, "50 characters"},
      {{"build", "--preset", "2001", "--output", dir.path() + "projects/x"}, "--page FILE"},
      {{"build", "--preset", "2001", "--output", dir.path() + "projects/x", "--page",
        dir.write("lower.htm", "##picovand##")},
       "muss den Platzhalter ##PICOVAND## enthalten"},
  };
  for (const Case& c : cases) {
    CliRun r = cliRun(c.args);
    EXPECT_EQ(r.status, 2) << c.message << "\n" << r.output;
    EXPECT_TRUE(contains(r, c.message)) << c.message << "\n" << r.output;
  }
  EXPECT_FALSE(directoryExists(dir.path() + "projects/x"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() + "projects"));

  // --force sets what the preset locks.
  PV_REQUIRE_PHOTOS();
  CliRun r = cliRun(build("forced", {photo, "--size-a", "100x100", "--force"}));
  EXPECT_EQ(r.status, 0) << r.output;
}

TEST_F(CliFixture, AnOutputFolderInsideTheImportedFolderIsLeftOut) {
  PV_REQUIRE_PHOTOS();
  // The gallery lives inside the folder of photos it is built from: once
  // every rebuild took the previous gallery's pictures in as new photos.
  const std::string photos = dir.path() + "fotos/";
  makeDirectories(photos);
  std::filesystem::copy_file(pvtest::photo("portrait_nikon_d70s.jpg"), photos + "a.jpg");
  std::filesystem::copy_file(pvtest::photo("exif_kodak_dc210_comment.jpg"), photos + "b.jpg");
  const std::vector<std::string> args = {"build", "--preset", "1001", "--output", photos + "Galerie",
                                         "--import", photos, "--recursive", "--albums"};
  for (int run = 0; run < 3; ++run) {
    CliRun r = cliRun(args);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(contains(r, "2 images added")) << r.output;
    EXPECT_EQ(contains(r, "left out " + photos + "Galerie: it is the output folder"), run > 0) << r.output;
  }
  EXPECT_FALSE(fileExists(photos + "Galerie/images/pcva00002.jpg"));
}

TEST_F(CliFixture, HelpNamesEveryOptionWithItsPageLabel) {
  CliRun r = cliRun({"--help"});
  ASSERT_EQ(r.status, 0);
  for (const char* pair : {"--quality Q|Bildqualität", "--columns N|Spaltenanzahl", "--rows N|Zeilenanzahl",
                           "--size-b WxH|off|original|Bild B", "--no-javascript|Kein Javascript benutzen",
                           "--page FILE|Webseite", "--watermark FILE|Wasserzeichen: Bilddatei",
                           "--filter box|bicubic|bilinear|bspline|Algorithmus",
                           "--background-color #RRGGBB|standard|Hintergrundfarbe"}) {
    std::string p = pair;
    size_t bar = p.rfind('|');
    std::string option = p.substr(0, bar), label = p.substr(bar + 1);
    size_t at = r.output.find("  " + option + " ");
    ASSERT_NE(at, std::string::npos) << option;
    std::string line = r.output.substr(at, r.output.find('\n', at) - at);
    EXPECT_NE(line.find(label), std::string::npos) << line;
  }
  r = cliRun({"presets"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r, "Webalbum ohne Diashow\n"));
  EXPECT_TRUE(contains(r, " 1001  "));
}

TEST_F(CliFixture, BuildsEveryProjectType) {
  PV_REQUIRE_PHOTOS();
  const std::string page = dir.write("mine.htm", "<html><body>##PICOVAND##</body></html>");
  const std::vector<std::string> photos = {pvtest::photo("exif_nikon_d300_progressive.jpeg"),
                                           pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg")};
  struct Case {
    int preset;
    std::vector<std::string> pages;
  };
  const Case cases[] = {
      {4001, {"pcv00000.htm", "pcv00001.htm"}},
      {5001, {"pcv00000.htm"}},
      {6001, {"pcv00000.htm", "pcv00001.htm"}},
      {7001, {"pcv-sld-00000.htm", "pcv-sld-00001.htm", "pcv00000.htm"}},
      {2001, {"pcv00000.htm"}},
      {2002, {"pcv00000.htm", "pcv00001.htm"}},
      {2003, {"pcv00000.htm"}},
      {3001, {}},
  };
  for (const Case& c : cases) {
    const std::string name = format("p%d", c.preset);
    std::vector<std::string> args = {"build", "--preset", std::to_string(c.preset), "--output", dir.path() + "projects/" + name};
    if (isOwnTemplate(c.preset)) args.insert(args.end(), {"--page", page});
    args.insert(args.end(), photos.begin(), photos.end());
    CliRun r = cliRun(args);
    ASSERT_EQ(r.status, 0) << c.preset << "\n" << r.output;
    std::vector<std::string> written;
    for (const DirEntry& e : listDirectory(dir.path() + "projects/" + name + "/"))
      if (endsWith(e.name, ".htm")) written.push_back(e.name);
    EXPECT_EQ(written, c.pages) << c.preset;
    EXPECT_EQ(contains(r, "Startseite: "), c.preset != 3001) << r.output;
  }
  // The own pages start with control set 101, as the dialog does.
  EXPECT_TRUE(directoryExists(dir.path() + "projects/p2001/images/_ctrl_0101/"));
  std::string own;
  readWholeFile(dir.path() + "projects/p2002/pcv00000.htm", own);
  EXPECT_NE(own.find("src=\"images/_ctrl_0101/for.gif\""), std::string::npos);
}

TEST_F(CliFixture, OwnPageAndControlSetChoices) {
  const std::string page = dir.write("mine.htm", "<body>##PICOVAND##</body>");
  auto own = [&](int preset, std::vector<std::string> more) {
    std::vector<std::string> args = {"build", "--preset", std::to_string(preset), "--output", dir.path() + "projects/x"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {own(2002, {"--page", ""}), "--page: Bitte wählen Sie eine Datei als Vorlage aus."},
      {own(2002, {"--page", dir.file("missing.htm")}),
       "--page: Die ausgewählte Datei kann nicht geöffnet werden. ('" + dir.file("missing.htm") +
           "': No such file or directory)"},
      // A device is read to no end, a path too long for the system is not "missing".
      {own(2002, {"--page", "/dev/zero"}), "('/dev/zero': is not a regular file)"},
      {own(2002, {"--page", dir.path() + std::string(5000, 'x') + ".htm"}), "File name too long"},
      {{"build", "--project", "/dev/zero", "--output", dir.path() + "projects/x"}, "(is not a regular file)"},
      {{"build", "--preset", "1001", "--output", dir.path() + "projects/x", dir.path() + std::string(5000, 'y')},
       "File name too long"},
      {own(2003, {"--page", dir.write("lower.htm", "##picovand##")}), "muss den Platzhalter ##PICOVAND## enthalten"},
      {own(2001, {"--page", page, "--control-set", "7"}), "no control set 7 is installed"},
      {own(2001, {"--page", page, "--control-set", "x"}), "--control-set: 'x' is not a whole number"},
      {own(4001, {"--control-set", "101"}), "Steuerelemente (--control-set) is fixed by preset 4001"},
  };
  for (const auto& [args, message] : refused) {
    CliRun r = cliRun(args);
    EXPECT_EQ(r.status, 2) << message << "\n" << r.output;
    EXPECT_TRUE(contains(r, message)) << message << "\n" << r.output;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() + "projects"));

  CliRun r = cliRun({"control-sets"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r, " 101  ")) << r.output;
  EXPECT_TRUE(contains(r, "(default)")) << r.output;

  PV_REQUIRE_PHOTOS();
  // The set may come before or after the page.
  r = cliRun(own(2002, {"--control-set", "104", "--page", page, pvtest::photo("exif_nikon_d300_progressive.jpeg")}));
  ASSERT_EQ(r.status, 0) << r.output;
  std::string written;
  readWholeFile(dir.path() + "projects/x/pcv00000.htm", written);
  EXPECT_NE(written.find("src=\"images/_ctrl_0104/last.gif\""), std::string::npos);
  EXPECT_TRUE(fileExists(dir.path() + "projects/x/images/_ctrl_0104/last.gif"));
}

TEST_F(CliFixture, UnreadableFilesAreNamedAndTheBuildGoesOn) {
  PV_REQUIRE_PHOTOS();
  const std::string good = pvtest::photo("exif_kodak_dc210_comment.jpg");
  const std::string bad = dir.write("in/kaputt.jpg", std::string(600, '\x42'));
  CliRun r = cliRun(build("mixed", {good, bad, pvtest::photo("bmpsuite_rgb24.bmp")}));
  ASSERT_EQ(r.status, 3) << r.output;  // built, but not with everything given
  EXPECT_TRUE(contains(r, "warning: " + bad + " cannot be read")) << r.output;
  EXPECT_TRUE(contains(r, "1 of 3 images could not be read: " + bad + "\n")) << r.output;
  const std::string images = dir.path() + "projects/mixed/images/";
  EXPECT_TRUE(fileExists(images + "pcva00000.jpg"));
  EXPECT_FALSE(fileExists(images + "pcva00001.jpg"));  // the unreadable one, as the window would have it
  EXPECT_TRUE(fileExists(images + "pcva00002.jpg"));

  // A folder's unreadable files are skipped and counted the same way.
  std::string photo;
  ASSERT_TRUE(readWholeFile(good, photo));
  dir.write("in/gut.jpg", photo);
  // Every other file the folder holds is named with its reason.
  dir.write("in/a.mp4", "video");
  dir.write("in/b.MOV", "video");
  dir.write("in/notizen.txt", "text");
  dir.write("in/.versteckt.jpg", photo);
  dir.write("in/halb.jpg", photo.substr(0, photo.size() / 2));  // cut short: taken, and named
  r = cliRun(build("folder", {"--import", dir.path() + "in"}));
  ASSERT_EQ(r.status, 3) << r.output;
  EXPECT_TRUE(contains(r, "1 of 3 images could not be read: " + bad + "\n")) << r.output;
  const std::string in = dir.path() + "in/";
  EXPECT_TRUE(contains(r, "1 image is damaged and only partly readable: " + in + "halb.jpg\n")) << r.output;
  EXPECT_TRUE(contains(r, "2 videos were not taken: " + in + "a.mp4, " + in + "b.MOV\n")) << r.output;
  EXPECT_TRUE(contains(r, "1 file is no picture and was not taken: " + in + "notizen.txt\n")) << r.output;
  EXPECT_TRUE(contains(r, "1 hidden file was not taken: " + in + ".versteckt.jpg\n")) << r.output;

  // Nothing readable at all is a failure, and nothing is written.
  makeDirectory(dir.path() + "empty");
  r = cliRun(build("none", {bad, "--import", dir.path() + "empty"}));
  EXPECT_NE(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r, "none of the given images can be read")) << r.output;
  EXPECT_FALSE(directoryExists(dir.path() + "projects/none"));
}

namespace {

// Width and height of a picture as exiftool reads them.
std::pair<int, int> pictureSizeOf(const std::string& file) {
  return {std::atoi(pvtest::exiftoolTag(file, "ImageWidth").c_str()),
          std::atoi(pvtest::exiftoolTag(file, "ImageHeight").c_str())};
}

// The written file of size prefix for image number n (counted from 0).
std::string writtenImage(const std::string& out, const std::string& prefix, int n) {
  for (const auto& e : std::filesystem::directory_iterator(out + "images"))
    if (startsWith(e.path().filename().string(), prefix + format("%05d", n))) return e.path().string();
  return {};
}

// Every tag exiftool reads, one "[group] name: value" a line, sorted (a
// rewritten directory may list its tags in another order), without the
// file's own facts (name, dates, size), the values exiftool derives from
// others, and the offsets that move when metadata is rewritten.
std::vector<std::string> tagsBesideFile(const std::string& file, const std::string& also = "") {
  std::string out = pvtest::run("exiftool -m -a -G1 -s -n -x File:all -x System:all -x ExifTool:all -x Composite:all " +
                                also + " '" + file + "' 2>/dev/null");
  std::vector<std::string> kept;
  size_t from = 0;
  while (from < out.size()) {
    size_t end = out.find('\n', from);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(from, end - from);
    if (line.find("Offset") == std::string::npos && line.find("PreviewImageStart") == std::string::npos)
      kept.push_back(line);
    from = end + 1;
  }
  std::sort(kept.begin(), kept.end());
  return kept;
}

}  // namespace

// "Kleine Bilder nicht vergrößern": off, a small picture grows to its box as
// the fitting has always done; on, it keeps its own size while larger ones
// are still fitted. Sizes as exiftool reads them from the written files.
TEST_F(CliFixture, NoEnlargeKeepsSmallPicturesTheirSize) {
  PV_REQUIRE_PHOTOS();
  const std::vector<std::string> photos = {pvtest::photo("bmpsuite_rgb24.bmp"),
                                           pvtest::photo("exif_canon_powershot_sd300.jpg"),
                                           pvtest::photo("large_9mp_nokia_8_3.jpg")};
  std::vector<std::string> args = photos;
  args.insert(args.end(), {"--size-b", "1600x1200"});
  CliRun r = cliRun(build("Normal", args));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string normal = dir.path() + "projects/Normal/";
  EXPECT_EQ(pictureSizeOf(writtenImage(normal, "pcvb", 0)), std::make_pair(1600, 806));

  args.push_back("--no-enlarge");
  r = cliRun(build("Klein", args));
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string small = dir.path() + "projects/Klein/";
  EXPECT_EQ(pictureSizeOf(writtenImage(small, "pcvb", 0)), std::make_pair(127, 64));
  EXPECT_EQ(pictureSizeOf(writtenImage(small, "pcva", 0)), std::make_pair(127, 64));
  // Exactly the box: unchanged either way.
  EXPECT_EQ(pictureSizeOf(writtenImage(small, "pcvb", 1)), std::make_pair(1600, 1200));
  // Larger than the box: still fitted into it.
  EXPECT_EQ(pictureSizeOf(writtenImage(small, "pcvb", 2)), std::make_pair(1600, 686));
  EXPECT_EQ(pictureSizeOf(writtenImage(small, "pcva", 2)), std::make_pair(360, 154));
}

// "Standortdaten entfernen" takes the GPS data out of the unchanged copies
// and nothing else: every other tag exiftool reads is the same, and so are
// the pixels (ImageMagick's signature). Without the option the copy is the
// original byte for byte; converted sizes never carry GPS data.
TEST_F(CliFixture, StripGpsRemovesOnlyTheLocationOfOriginalCopies) {
  PV_REQUIRE_PHOTOS();
  const std::vector<std::string> photos = {pvtest::photo("portrait_nikon_d70s.jpg"),
                                           pvtest::photo("large_9mp_nokia_8_3.jpg"),
                                           pvtest::photo("exif_kodak_dc210_comment.jpg")};
  ASSERT_NE(pvtest::exiftoolTag(photos[0], "GPSLatitude"), "") << "the test photo lost its GPS data";

  std::vector<std::string> args = photos;
  args.insert(args.end(), {"--size-b", "original"});
  CliRun r = cliRun(build("Mit", args));
  ASSERT_EQ(r.status, 0) << r.output;
  args.push_back("--strip-gps");
  r = cliRun(build("Ohne", args));
  ASSERT_EQ(r.status, 0) << r.output;

  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(photos[i]);
    const std::string kept = writtenImage(dir.path() + "projects/Mit/", "pcvb", i);
    const std::string stripped = writtenImage(dir.path() + "projects/Ohne/", "pcvb", i);
    ASSERT_FALSE(stripped.empty());
    std::string a, b;
    readWholeFile(photos[i], a);
    readWholeFile(kept, b);
    EXPECT_TRUE(a == b) << "without the option the copy is the original";

    EXPECT_EQ(pvtest::run("exiftool -m -s -gps:all -xmp-exif:gps* '" + stripped + "' 2>/dev/null"), "");
    EXPECT_EQ(tagsBesideFile(stripped), tagsBesideFile(photos[i], "-x GPS:all -x XMP-exif:GPS*"));
    EXPECT_EQ(pvtest::run("identify -format '%#' '" + stripped + "'"),
              pvtest::run("identify -format '%#' '" + photos[i] + "'"));
    EXPECT_EQ(pvtest::run("exiftool -m -s -gps:all '" + writtenImage(dir.path() + "projects/Ohne/", "pcva", i) +
                          "' 2>/dev/null"),
              "");
  }
}

namespace {
// The gallery's files and their bytes; the maker credit, whose wording is
// picked at random per build, is left out.
std::map<std::string, std::string> galleryFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    // The build's record names the credit's bytes too: not part of the gallery.
    if (!e.is_regular_file() || e.path().filename() == kManifestName) continue;
    std::string bytes;
    readWholeFile(e.path().string(), bytes);
    if (size_t credit = bytes.find("<div class=\"PicoVandCredit\">"); credit != std::string::npos)
      bytes.erase(credit, bytes.find("</div>", credit) - credit);
    files[e.path().string().substr(folder.size())] = bytes;
  }
  return files;
}
}  // namespace

TEST_F(CliFixture, SavedProjectBuildsTheSameGalleryInTheWindowsWayAndFromTheCommandLine) {
  PV_REQUIRE_PHOTOS();
  makeDirectory(dir.path() + "zweiter");
  makeDirectory(dir.path() + "dritter");
  const std::string project = dir.file("Skript.pvproj");
  CliRun r = cliRun(build("Galerie", {pvtest::photo("exif_nikon_d300_progressive.jpeg"),
                                     pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"),
                                     pvtest::photo("orientation6_canon_sx60.jpg"), pvtest::photo("bmpsuite_rgb24.bmp"),
                                     "--filter", "bspline", "--quality", "88",
                                     "--iptc-author", "Jörg", "--save-project", project}));
  ASSERT_EQ(r.status, 0) << r.output;
  ASSERT_TRUE(contains(r, "project saved as " + project)) << r.output;

  // Opened as the window opens it, then built as "Projekt erstellen" builds.
  AppState state{pvtest::scratchEnvironment(dir, executableFolder())};
  ImagePageValues image;
  ProjectPageValues values;
  CreatePageValues create;
  ProjectResult opened = openProject(project, state, {image, values, create});
  ASSERT_TRUE(opened.ok) << opened.message;
  EXPECT_EQ(create.projectName, "Galerie");
  create.projectFolder = dir.path() + "zweiter/";
  CreateCommand cmd = prepareBuild(state, image, values, create);
  ASSERT_EQ(cmd.status, CreateStatus::Ready) << cmd.message;
  ASSERT_TRUE(buildProject(state, cmd.outputFolder).pagesWritten);
  const auto first = galleryFiles(dir.path() + "projects/Galerie/");
  EXPECT_GT(first.size(), 10u);
  EXPECT_EQ(galleryFiles(cmd.outputFolder), first);

  // From the command line again: the project's values, the options over them.
  r = cliRun({"build", "--project", project, "--output", dir.path() + "dritter/Galerie", "--quality", "40",
              "--save-project", dir.file("Anders.pvproj")});
  ASSERT_EQ(r.status, 0) << r.output;
  const auto third = galleryFiles(dir.path() + "dritter/Galerie/");
  ASSERT_EQ(third.size(), first.size());
  EXPECT_EQ(third.at("pcv00000.htm"), first.at("pcv00000.htm"));
  EXPECT_LT(third.at("images/pcvb00001.jpg").size(), first.at("images/pcvb00001.jpg").size());
  EXPECT_EQ(pvtest::exiftoolTag(dir.path() + "dritter/Galerie/images/pcvb00001.jpg", "By-line"), "Jörg");
  const std::string py = pvtest::run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                                     "print(d[\"imagePage\"][\"quality\"], d[\"imagePage\"][\"resizeFilter\"])' '" +
                                     dir.file("Anders.pvproj") + "'");
  EXPECT_EQ(py, "40 3\n");

  // An existing project file is kept unless asked for, and a broken one is refused.
  r = cliRun({"build", "--preset", "1001", "--save-project", project});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r, "--overwrite")) << r.output;
  r = cliRun({"build", "--project", dir.write("kaputt.pvproj", "{\"format\": 99}")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r, "neueren Version")) << r.output;
}

namespace {
// Values of the one JSON object on stdout as python3's json module reads
// them (it refuses anything after the object): expr over d, one a line.
std::string jsonFields(const pvtest::ScratchDir& dir, const std::string& stdoutText, const std::string& expr) {
  const std::string file = dir.write("summary.json", stdoutText);
  return pvtest::run("python3 -c " +
                     shellQuoted("import json, os, sys\nd = json.load(open(sys.argv[1]))\nfor v in [" + expr +
                                 "]: print(v)") +
                     " " + shellQuoted(file) + " 2>&1");
}
}  // namespace

// --json: one object on stdout with what went in and what did not, and why;
// a picture left out gives exit status 3, an invalid call 2, both with the
// object still there.
TEST_F(CliFixture, ScriptsReadTheResultAsJson) {
  PV_REQUIRE_PHOTOS();
  const std::string good = pvtest::photo("exif_kodak_dc210_comment.jpg");
  std::string photo;
  ASSERT_TRUE(readWholeFile(good, photo));
  const std::string in = dir.path() + "in/";
  dir.write("in/gut.jpg", photo);
  const std::string bad = dir.write("in/kaputt.jpg", std::string(600, '\x42'));
  dir.write("in/film.mp4", "video");
  CliRun r = cliRun(build("Json", {good, "--import", in, "--json"}));
  EXPECT_EQ(r.status, 3) << r.output;
  const std::string out = dir.path() + "projects/Json/";
  EXPECT_EQ(jsonFields(dir, r.out,
                       "d['command'], d['result'], d['exitStatus'], d['error'], d['images']['converted'], "
                       "d['images']['reused'], d['images']['leftOut'], d['leftOut'], d['notTaken'], d['damaged'], "
                       "d['outputFolder'], d['startPage'], d['projectSaved']"),
            "build\npartial\n3\nNone\n2\n0\n1\n[{'path': '" + bad + "', 'reason': 'unreadable'}]\n[{'path': '" + in +
                "film.mp4', 'reason': 'video'}]\n[]\n" + out + "\n" + out + "pcv00000.htm\nNone\n");
  // The counts are those of the folder as the system lists it, the build's record aside.
  EXPECT_EQ(jsonFields(dir, r.out,
                       "[(len(f), sum(map(os.path.getsize, f))) for f in [[os.path.join(top, n) for top, _, names in "
                       "os.walk(d['outputFolder']) for n in names if n != '.picovand-build.json']]][0] == "
                       "(d['files'], d['bytes'])"),
            "True\n");
  EXPECT_TRUE(contains(r, "picovand-cli: 1 picture given is not in the gallery (exit status 3)")) << r.err;
  EXPECT_EQ(r.err.find("Startseite"), std::string::npos) << "the result lines belong to stdout";

  // Everything given went in: 0, and the unchanged image is reused.
  r = cliRun({"--json", "build", "--preset", "1001", "--output", out, good});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(jsonFields(dir, r.out, "d['result'], d['exitStatus'], d['images'], d['leftOut']"),
            "success\n0\n{'converted': 0, 'leftOut': 0, 'reused': 1}\n[]\n");

  // An invalid call before and after the command, and a failed one.
  r = cliRun({"--json", "build", "--preset", "1001", "--output", dir.path() + "projects/x", "--quality", "101"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(jsonFields(dir, r.out, "d['command'], d['result'], d['error'], d['outputFolder'], d['leftOut']"),
            "build\ninvalid\n--quality: 101 is out of range: give a whole number from 25 to 100\nNone\n[]\n");
  r = cliRun({"upload", dir.path() + "nirgends", "--to", "ftp://127.0.0.1/x", "--json"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(jsonFields(dir, r.out, "d['command'], d['result'], d['error'], d['sent']"),
            "upload\ninvalid\n'" + dir.path() + "nirgends' is not a folder (No such file or directory)\n0\n");
  r = cliRun({"build", "--preset", "1001", "--save-project", dir.path() + "nirgends/x.pvproj", good, "--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(jsonFields(dir, r.out, "d['result'], d['error'].endswith('(No such file or directory)')"), "failed\nTrue\n");

  r = cliRun({"presets", "--json"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(jsonFields(dir, r.out, "[p['name'] for p in d['presets'] if p['number'] == 1001][0] != ''"), "True\n");
}

TEST_F(CliFixture, QuietSaysNothingWhenAllWentInAndVerboseSaysMore) {
  PV_REQUIRE_PHOTOS();
  const std::string good = pvtest::photo("exif_kodak_dc210_comment.jpg");
  CliRun r = cliRun(build("Still", {good, "-q"}));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "");
  EXPECT_TRUE(fileExists(dir.path() + "projects/Still/pcv00000.htm"));

  // What was left out is still said: it is why the status is not 0.
  const std::string bad = dir.write("kaputt.jpg", std::string(600, '\x42'));
  r = cliRun({"--quiet", "build", "--preset", "1001", "--output", dir.path() + "projects/Halb", good, bad});
  EXPECT_EQ(r.status, 3) << r.output;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "1 of 2 images could not be read: " + bad +
                       "\npicovand-cli: 1 picture given is not in the gallery (exit status 3)\n");

  r = cliRun(build("Laut", {good, "-v", "--quality", "70"}));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r, "no config.ini at " + dir.path() + "home/.config/Corvane/Pico Vand/config.ini\n")) << r.err;
  EXPECT_TRUE(contains(r, "preset 1001 \"")) << r.err;
  EXPECT_TRUE(contains(r, "--quality 70: Bildqualität\n")) << r.err;
  EXPECT_TRUE(contains(r, " s  0/1 images: converting the images\n")) << r.err;
}

TEST_F(CliFixture, MisspeltNamesGetTheNearestOne) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {build("x", {"--qualty", "90"}), "unknown option --qualty: did you mean --quality? (see"},
      {build("x", {"--qual=90"}), "unknown option --qual: did you mean --quality? (see"},
      {build("x", {"--no-confg"}), "did you mean --no-config?"},
      {build("x", {"--bogus"}), "unknown option --bogus (see"},
      {{"biuld"}, "unknown command 'biuld': did you mean build?"},
      {{"preset"}, "unknown command 'preset': did you mean presets?"},
      {{"--verison"}, "unknown option --verison: did you mean --version?"},
      {{"zzz"}, "unknown command 'zzz' (picovand-cli --help"},
      {{"upload", dir.path(), "--dryrun"}, "unknown option '--dryrun' of upload: did you mean --dry-run?"},
  };
  for (const auto& [args, message] : cases) {
    CliRun r = cliRun(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_TRUE(contains(r, message)) << message << "\n" << r.output;
  }
}

TEST_F(CliFixture, HelpListsTheScriptingOptionsExitStatusesAndConfigIni) {
  CliRun r = cliRun({"--help"});
  ASSERT_EQ(r.status, 0);
  for (const char* text : {"\n  --version\n", "\n  --json\n", "\n  -q, --quiet\n", "\n  -v, --verbose\n",
                           "\n  --no-config\n", "~/.config/Corvane/Pico Vand/config.ini", "\nExit status:\n",
                           "\n  3    partial: ", "\n  130  cancelled: "})
    EXPECT_TRUE(contains(r, text)) << text;
  r = cliRun({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("PicoVand ", 0), 0u) << r.out;
}

// The window's config.ini puts its IPTC author and copyright into every
// JPEG, as exiftool reads them; --no-config leaves them out, an option wins.
TEST_F(CliFixture, ConfigIniDefaultsAreReadUnlessLeftOut) {
  PV_REQUIRE_PHOTOS();
  dir.write("home/.config/Corvane/Pico Vand/config.ini", "[IPTC]\nAUTHOR=Anna Autorin\nCOPYRIGHT=(c) Anna\n");
  const std::string good = pvtest::photo("exif_kodak_dc210_comment.jpg");
  struct Case {
    std::string name;
    std::vector<std::string> more;
    std::string author, copyright;
  };
  const Case cases[] = {
      {"Mit", {}, "Anna Autorin", "(c) Anna"},
      {"Ohne", {"--no-config"}, "", ""},
      {"Bert", {"--iptc-author", "Bert"}, "Bert", "(c) Anna"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> more = c.more;
    more.push_back(good);
    CliRun r = cliRun(build(c.name, more));
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string jpeg = dir.path() + "projects/" + c.name + "/images/pcvb00000.jpg";
    EXPECT_EQ(pvtest::exiftoolTag(jpeg, "By-line"), c.author) << c.name;
    EXPECT_EQ(pvtest::exiftoolTag(jpeg, "CopyrightNotice"), c.copyright) << c.name;
  }
}

// On a terminal of 60 columns every redrawn progress line stays within 59
// (a line that wraps is no longer redrawn in place but scrolls).
TEST_F(CliFixture, ProgressFitsTheTerminal) {
  PV_REQUIRE_PHOTOS();
  if (pvtest::run("command -v script").empty()) GTEST_SKIP() << "script (util-linux) is missing";
  std::string inner = "stty cols 60 rows 24; exec " + shellQuoted(cli);
  for (const std::string& a : build("Schmal", {pvtest::photo("exif_kodak_dc210_comment.jpg"),
                                               pvtest::photo("portrait_nikon_d70s.jpg"),
                                               pvtest::photo("bmpsuite_rgb24.bmp")}))
    inner += " " + shellQuoted(a);
  const std::string screen = pvtest::run("HOME=" + shellQuoted(dir.path() + "home") +
                                         " XDG_DATA_HOME= XDG_CONFIG_HOME= XDG_CACHE_HOME= script -qec " +
                                         shellQuoted(inner) + " /dev/null");
  ASSERT_NE(screen.find("Startseite: "), std::string::npos) << screen;
  int bars = 0;
  size_t from = 0;
  while (from < screen.size()) {
    const size_t end = std::min(screen.find_first_of("\r\n", from), screen.size());
    const std::string line = screen.substr(from, end - from);
    if (line.find(" images ") != std::string::npos) {
      EXPECT_LE(line.size(), 59u) << line;
      bars += line[0] == '[';
    }
    from = end + 1;
  }
  EXPECT_GT(bars, 0) << "no bar drawn:\n" << screen;
}
