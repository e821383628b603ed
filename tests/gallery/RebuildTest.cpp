// A build into a folder an earlier build wrote must give exactly what a full
// build into an empty folder gives, while converting only what changed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "TestSupport.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "settings/Presets.h"
#include "util/Text.h"

using namespace pv;
namespace fs = std::filesystem;

namespace {

struct Photo {
  std::string file;  // below the scratch folder's src/
  std::string album = "/";
  std::string caption;
  int rotation = 0;
};

// Everything a user sets for one build.
struct Scenario {
  int preset = 1001;
  std::vector<Photo> photos;
  int sizes[3][2] = {{160, 120}, {480, 360}, {0, 0}};
  int quality = 80;
  int format = kJpeg;
  bool hidpi = false;
  std::string watermark;
  int watermarkPosition = 8;
  std::string ownPage;  // the user's web page of the own-page presets
  bool albumCovers = false;
  bool indexPage = false;
};

// The credit's link texts are picked at random for every build.
std::string withoutCreditLinks(std::string page) {
  const std::string open = "<div class=\"PicoVandCredit\">";
  for (size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
    const size_t end = page.find("</div>", at);
    if (end == std::string::npos) break;
    page.replace(at + open.size(), end - at - open.size(), "credit");
  }
  return page;
}

// Every folder and file below root but the build's record, pages with their
// credit links left out.
std::map<std::string, std::string> treeOf(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string path = fs::relative(e.path(), root).string();
    if (path == kManifestName) continue;
    std::string content = "(folder)";
    if (!e.is_directory()) readWholeFile(e.path().string(), content);
    tree[path] = endsWith(path, ".htm") ? withoutCreditLinks(content) : content;
  }
  return tree;
}

// The paths in which two trees differ.
std::vector<std::string> differences(const std::map<std::string, std::string>& a,
                                     const std::map<std::string, std::string>& b) {
  std::vector<std::string> out;
  for (const auto& [path, content] : a)
    if (!b.count(path) || b.at(path) != content) out.push_back(path);
  for (const auto& [path, content] : b)
    if (!a.count(path)) out.push_back(path + " (only in the full build)");
  return out;
}

// picovand-cli beside this test, started with the scratch folder as home
// and its output into log.
pid_t startCli(const pvtest::ScratchDir& dir, const std::vector<std::string>& args) {
  const std::string cli = executableFolder() + "picovand-cli";
  std::vector<std::string> words{cli};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::string home = "HOME=" + dir.path() + "home", data = "XDG_DATA_HOME=", docs = "XDG_DOCUMENTS_DIR=";
  char* envp[] = {home.data(), data.data(), docs.data(), nullptr};
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  const std::string log = dir.path() + "cli.log";
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, cli.c_str(), &files, nullptr, argv.data(), envp) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

int finishCli(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct RebuildFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  Scenario scene;

  void SetUp() override {
    if (!directoryExists(pvtest::photosFolder())) GTEST_SKIP() << "shared test photos not found";
    makeDirectories(dir.path() + "projects");
    makeDirectories(dir.path() + "full");
    makeDirectories(dir.path() + "src");
    const char* photos[] = {"exif_canon_g9_imagedescription.jpg", "portrait_nikon_d70s.jpg",
                            "orientation6_canon_sx60.jpg", "exif_kodak_dc210_comment.jpg", "bmpsuite_rgb24.bmp"};
    int n = 0;
    for (const char* p : photos) {
      const std::string name = format("p%d.%s", n, p + std::string(p).rfind('.') + 1);
      fs::copy_file(pvtest::photo(p), dir.file("src/") + name, fs::copy_options::overwrite_existing);
      scene.photos.push_back({name, n == 3 ? "/Reise" : "/", format("Bild %d", n), 0});
      ++n;
    }
  }
  // Builds into projects/Galerie, or with full into full/Galerie (the same
  // name: the pages show it).
  BuildResult build(const Scenario& sc, bool full = false) {
    AppState state(pvtest::scratchEnvironment(dir));
    ImagePageValues image;
    ProjectPageValues project;
    CreatePageValues create;
    loadPreset(state, 0, image, project);
    selectProjectType(state, sc.preset, image, project);
    for (int i = 0; i < 3; ++i) image.sizes[i].width = sc.sizes[i][0], image.sizes[i].height = sc.sizes[i][1];
    image.quality = sc.quality;
    image.format = sc.format;
    image.hidpi = sc.hidpi;
    image.watermarkFile = sc.watermark;
    image.watermarkPosition = sc.watermarkPosition;
    project.ownWebPage = sc.ownPage;
    project.albumCovers = sc.albumCovers;
    project.indexPage = sc.indexPage;
    state.iptcCaption = "<IMAGE>";
    std::set<std::string> albums;
    for (const Photo& p : sc.photos) {
      if (p.album != "/" && albums.insert(p.album).second) state.items.addAlbum("/", p.album.substr(1));
      CollectionItem* item = state.items.addImage(dir.file("src/" + p.file), p.file, p.album, {});
      EXPECT_NE(item, nullptr) << p.file;
      if (!item) continue;
      item->caption = p.caption;
      item->rotation = p.rotation;
    }
    create.projectFolder = dir.path() + (full ? "full/" : "projects/");
    typeProjectName(create, "Galerie");
    CreateCommand cmd = prepareBuild(state, image, project, create);
    EXPECT_EQ(cmd.status, CreateStatus::Ready);
    return buildProject(state, cmd.outputFolder);
  }

  std::string gallery() { return dir.path() + "projects/Galerie/"; }

  // Rebuilds "Galerie" with the scenario and compares it with a full build of
  // the same scenario into a fresh folder; converted < 0: any number.
  void expectSameAsFullBuild(const std::string& change, int converted) {
    SCOPED_TRACE(change);
    const BuildResult again = build(scene);
    if (converted >= 0) {
      EXPECT_EQ(again.imagesConverted, converted);
      EXPECT_EQ(again.imagesReused, int(scene.photos.size()) - converted);
    }
    fs::remove_all(dir.path() + "full/Galerie");
    const BuildResult full = build(scene, true);
    EXPECT_EQ(full.imagesReused, 0);
    EXPECT_EQ(differences(treeOf(gallery()), treeOf(dir.path() + "full/Galerie")), std::vector<std::string>{});
    // The record names exactly the files of the gallery.
    std::optional<BuildManifest> record =
        readManifest(gallery(), recordSecret(dir.path() + "home/.local/share/Corvane/Pico Vand/", false));
    ASSERT_TRUE(record.has_value());
    std::vector<std::string> files, named;
    for (const auto& [path, content] : treeOf(gallery()))
      if (content != "(folder)" || !fs::is_directory(gallery() + path)) files.push_back(path);
    for (const auto& [path, entry] : record->files) named.push_back(path);
    EXPECT_EQ(named, files);
  }
};

}  // namespace

TEST_F(RebuildFixture, EachKindOfChangeGivesWhatAFullBuildGives) {
  const int n = int(scene.photos.size());
  build(scene);
  expectSameAsFullBuild("nothing changed", 0);

  fs::copy_file(pvtest::photo("exif_casio_exm2.jpg"), dir.file("src/p1.jpg"), fs::copy_options::overwrite_existing);
  expectSameAsFullBuild("a source replaced", 1);

  scene.photos[2].caption = "Neue Bildunterschrift";
  expectSameAsFullBuild("a caption", 1);
  // Bytes that are not UTF-8 (a caption of old software, a folder named on
  // another system) are remembered as they are.
  scene.photos[2].caption = "Gr\xFC\xDF" "e";
  scene.photos[3].album = "/Reise \xE4";
  expectSameAsFullBuild("a caption and an album in Windows-1252", 2);
  expectSameAsFullBuild("nothing changed after them", 0);
  scene.photos[3].album = "/Reise";
  expectSameAsFullBuild("the album's name", 1);

  scene.photos[0].rotation = 90;
  expectSameAsFullBuild("a rotation", 1);

  scene.indexPage = true;
  expectSameAsFullBuild("the start page also as index.html", 0);
  scene.albumCovers = true;  // stays on for the presets below
  expectSameAsFullBuild("albums with covers", 0);
  scene.indexPage = false;
  expectSameAsFullBuild("no index.html any more", 0);
  EXPECT_FALSE(fileExists(gallery() + kIndexPageName));

  std::swap(scene.photos[0], scene.photos[1]);
  expectSameAsFullBuild("two images swapped", 2);

  scene.sizes[2][0] = 64, scene.sizes[2][1] = 64;
  expectSameAsFullBuild("size C switched on", n);  // one decode serves all sizes: each image is made again

  scene.sizes[1][0] = 400;
  expectSameAsFullBuild("the box of size B", n);

  scene.quality = 60;
  expectSameAsFullBuild("the quality", n);

  scene.watermark = pvtest::photo("watermark_rgba.png");
  expectSameAsFullBuild("a watermark", n);
  scene.watermarkPosition = 0;
  expectSameAsFullBuild("the watermark moved", n);

  scene.photos.pop_back();
  expectSameAsFullBuild("an image removed", 0);

  scene.sizes[2][0] = scene.sizes[2][1] = 0;
  expectSameAsFullBuild("size C switched off", n - 1);

  scene.photos[3].album = "/";  // the album is left empty, and so is gone with its folder
  expectSameAsFullBuild("an image out of its album", 1);

  scene.preset = 7001;
  expectSameAsFullBuild("the preset changed", -1);
  EXPECT_FALSE(directoryExists(gallery() + "images/_pcv_1001"));

  // The own-page gallery's stylesheet is part of the record, and its link holds.
  scene.preset = 2001;
  scene.ownPage = dir.write("seite.htm", "<!DOCTYPE html>\n<body>\n##PICOVAND##\n</body>\n");
  expectSameAsFullBuild("an own web page", -1);
  EXPECT_TRUE(fileExists(gallery() + "images/_pcv_2001/gallery.css"));
  EXPECT_EQ(pvtest::brokenLinks(gallery()), std::vector<std::string>{});
}

// The files below the gallery's image folder whose name holds text.
std::vector<std::string> picturesNamed(const std::string& gallery, const std::string& text) {
  std::vector<std::string> found;
  for (const auto& e : fs::recursive_directory_iterator(gallery + "images"))
    if (e.path().filename().string().find(text) != std::string::npos) found.push_back(e.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

TEST_F(RebuildFixture, HighResolutionPicturesAndFormatsGiveWhatAFullBuildGives) {
  const int n = int(scene.photos.size());
  build(scene);
  scene.hidpi = true;
  expectSameAsFullBuild("high-resolution pictures on", n);
  // Sizes 160 x 120 and 480 x 360: the two large photos give both, the
  // 640 x 480 one only the small size's, the small bitmap none.
  EXPECT_EQ(picturesNamed(gallery(), "-2x"),
            (std::vector<std::string>{"pcva00000-2x.jpg", "pcva00001-2x.jpg", "pcva00002-2x.jpg", "pcva00003-2x.jpg",
                                      "pcvb00000-2x.jpg", "pcvb00001-2x.jpg", "pcvb00002-2x.jpg"}));
  // What the sources were too small for is remembered, not made again.
  expectSameAsFullBuild("nothing changed", 0);

  scene.watermark = pvtest::photo("watermark_rgba.png");
  expectSameAsFullBuild("a watermark", n);
  scene.format = kWebp;
  expectSameAsFullBuild("WebP", n);
  EXPECT_EQ(picturesNamed(gallery(), ".jpg"), std::vector<std::string>{});
  scene.quality = 50;
  expectSameAsFullBuild("the quality of WebP", n);
  scene.format = kAvif;
  expectSameAsFullBuild("AVIF", n);
  expectSameAsFullBuild("nothing changed in AVIF", 0);

  // A source replaced by a smaller one loses its high-resolution pictures.
  fs::copy_file(pvtest::photo("exif_nikon_d300_progressive.jpeg"), dir.file("src/p1.jpg"),
                fs::copy_options::overwrite_existing);
  expectSameAsFullBuild("a source too small now", 1);
  EXPECT_FALSE(fileExists(gallery() + "images/pcvb00001-2x.avif"));

  scene.hidpi = false;
  expectSameAsFullBuild("high-resolution pictures off", n);
  EXPECT_EQ(picturesNamed(gallery(), "-2x"), std::vector<std::string>{});
}

// Every page of every kind of project offers each picture with its
// high-resolution one, and each candidate is a file of the width it states
// as ImageMagick reads it.
TEST_F(RebuildFixture, EveryKindOfPageOffersThePicturesAtTheirTrueWidths) {
  scene.hidpi = true;
  scene.sizes[2][0] = 64, scene.sizes[2][1] = 48;
  scene.ownPage = dir.write("seite.htm", "<!DOCTYPE html>\n<body>\n##PICOVAND##\n</body>\n");
  const std::regex tag("<img ([^>]*)>"), attribute("(\\w+)=\"([^\"]*)\"");
  const std::regex script("new PicoVand_img\\('([^']*)', '([^']*)', '([^']*)'\\)");
  const std::regex candidates("^(\\S+) (\\d+)w, (\\S+) (\\d+)w$");
  for (int preset : {1001, 7001, 4001, 5001, 6001, 2001, 2002, 2003}) {
    SCOPED_TRACE(preset);
    scene.preset = preset;
    fs::remove_all(gallery());
    build(scene);
    std::map<std::string, int> stated;  // picture -> width its page states
    auto check = [&](const std::string& src, const std::string& srcset, const std::string& sizes, int width) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(srcset, m, candidates)) << srcset;
      EXPECT_EQ(m[1].str(), src);
      const int single = std::stoi(m[2].str()), twin = std::stoi(m[4].str());
      EXPECT_TRUE(width == 0 || width == single) << srcset;
      EXPECT_EQ(sizes, format("(max-width: %dpx) 100vw, %dpx", single, single));
      EXPECT_TRUE(endsWith(m[3].str(), "-2x.jpg")) << srcset;
      EXPECT_GE(2 * twin, 3 * single) << srcset;
      stated[m[1].str()] = single;
      stated[m[3].str()] = twin;
    };
    for (const DirEntry& e : listDirectory(gallery())) {
      std::string page;
      if (!endsWith(e.name, ".htm") || !readWholeFile(gallery() + e.name, page)) continue;
      for (std::sregex_iterator it(page.begin(), page.end(), tag), end; it != end; ++it) {
        std::map<std::string, std::string> a;
        const std::string attributes = (*it)[1].str();
        for (std::sregex_iterator at(attributes.begin(), attributes.end(), attribute); at != end; ++at)
          a[(*at)[1].str()] = (*at)[2].str();
        if (a.count("srcset")) check(a["src"], a["srcset"], a["sizes"], a.count("width") ? std::stoi(a["width"]) : 0);
      }
      for (std::sregex_iterator it(page.begin(), page.end(), script), end; it != end; ++it)
        if (!(*it)[2].str().empty()) check((*it)[1].str(), (*it)[2].str(), (*it)[3].str(), 0);
    }
    EXPECT_GE(stated.size(), 6u);
    std::string files, expected;
    for (const auto& [picture, width] : stated) {
      files += " '" + gallery() + picture + "'";
      expected += format("%d\n", width);
    }
    EXPECT_EQ(pvtest::run("identify -format '%w\\n'" + files), expected);
  }
}

// index.html is written as a copy of the start page, and never over one that
// no build of ours wrote or that was changed since.
TEST_F(RebuildFixture, TheStartPageAsIndexHtmlNeverReplacesSomebodyElses) {
  scene.indexPage = true;
  const std::string index = gallery() + kIndexPageName;
  auto content = [](const std::string& path) {
    std::string text;
    return readWholeFile(path, text) ? text : "(none)";
  };
  EXPECT_FALSE(build(scene).foreignIndexKept);
  EXPECT_EQ(content(index), content(gallery() + "pcv00000.htm"));
  EXPECT_NE(content(index).find("href=\"pcv00001.htm\""), std::string::npos);  // the album's page, beside it
  EXPECT_EQ(pvtest::brokenLinks(gallery()), std::vector<std::string>{});

  writeWholeFile(index, "meine Seite");
  EXPECT_TRUE(build(scene).foreignIndexKept);
  EXPECT_EQ(content(index), "meine Seite");
  fs::remove(index);
  EXPECT_FALSE(build(scene).foreignIndexKept);
  EXPECT_EQ(content(index), content(gallery() + "pcv00000.htm"));

  // Somebody else's folder with its own start page, and a link in its place.
  fs::remove_all(gallery());
  makeDirectories(gallery());
  dir.write("projects/Galerie/index.html", "fremd");
  EXPECT_TRUE(build(scene).foreignIndexKept);
  EXPECT_EQ(content(index), "fremd");
  EXPECT_TRUE(fileExists(gallery() + "pcv00000.htm"));
  fs::remove(index);
  const std::string outside = dir.write("anderswo.html", "draussen");
  fs::create_symlink(outside, index);
  EXPECT_TRUE(build(scene).foreignIndexKept);
  EXPECT_TRUE(fs::is_symlink(index));
  EXPECT_EQ(content(outside), "draussen");
}

TEST_F(RebuildFixture, FilesNotOfTheBuildAreNeverTouched) {
  build(scene);
  const std::string mine = dir.write("projects/Galerie/images/notizen.txt", "meine Notizen");
  // A file the build wrote and the user changed since is theirs now.
  const std::string changed = gallery() + "images/pcvb00004.jpg";
  writeWholeFile(changed, "mein Bild");
  scene.photos.pop_back();
  build(scene);
  std::string content;
  EXPECT_TRUE(readWholeFile(mine, content) && content == "meine Notizen");
  EXPECT_TRUE(readWholeFile(changed, content) && content == "mein Bild");
  EXPECT_FALSE(fileExists(gallery() + "images/pcva00004.jpg"));
}

TEST_F(RebuildFixture, AnOutputChangedInPlaceIsMadeAgainWhateverItsTimes) {
  build(scene);
  // Other bytes of the same size, the modification time set back: only the
  // file's status-change time tells.
  const std::string out = gallery() + "images/pcvb00002.jpg";
  struct stat before {};
  ASSERT_EQ(::lstat(out.c_str(), &before), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const int fd = ::open(out.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "\x42\x42\x42\x42", 4, before.st_size / 2), 4);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::futimens(fd, times), 0);
  ::close(fd);
  expectSameAsFullBuild("an output changed in place", 1);
}

TEST(BuildRecordStamp, AStampSparesTheHashOnlyWhenOlderThanTheRecord) {
  pvtest::ScratchDir dir;
  dir.write("a.jpg", "picture bytes");
  std::optional<ManifestFile> file = describeOutput(dir.path(), "a.jpg");
  ASSERT_TRUE(file && file->stamp.inode != 0);
  const std::string rightHash = file->sha256;
  BuildManifest record;
  // A wrong hash shows whether the bytes were read.
  file->sha256 = std::string(64, '0');
  record.writtenNs = std::max(file->stamp.changedNs, file->stamp.modifiedNs) + 1;
  EXPECT_TRUE(stillAsRecorded(dir.path(), record, *file));
  record.writtenNs -= 1;  // written within the file's clock tick
  EXPECT_FALSE(stillAsRecorded(dir.path(), record, *file));
  file->sha256 = rightHash;
  EXPECT_TRUE(stillAsRecorded(dir.path(), record, *file));
  // Replaced by a file of the same bytes: another inode, hashed and found
  // equal, and the entry kept takes the new stamp, as does one of a record
  // written before there were stamps.
  dir.write("b.jpg", "picture bytes");
  fs::rename(dir.file("b.jpg"), dir.file("a.jpg"));
  record.writtenNs += 1000000000;
  EXPECT_NE(fileStampOf(dir.file("a.jpg")), file->stamp);
  for (const FileStamp recorded : {file->stamp, FileStamp{}}) {
    file->stamp = recorded;
    const std::optional<ManifestFile> kept = stillAsRecorded(dir.path(), record, *file);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->stamp, fileStampOf(dir.file("a.jpg")));
  }
  file->sha256 = std::string(64, '0');
  EXPECT_FALSE(stillAsRecorded(dir.path(), record, *file));
  // A link in the file's place holds nothing of ours, whatever it leads to.
  file->sha256 = rightHash;
  fs::rename(dir.file("a.jpg"), dir.file("elsewhere.jpg"));
  fs::create_symlink(dir.file("elsewhere.jpg"), dir.file("a.jpg"));
  EXPECT_FALSE(stillAsRecorded(dir.path(), record, *file));
}

TEST_F(RebuildFixture, ARecordThatCannotBeTrustedMeansAFullBuild) {
  const int n = int(scene.photos.size());
  const std::string record = gallery() + kManifestName;
  build(scene);
  std::string text;
  ASSERT_TRUE(readWholeFile(record, text));

  // Cut short, not JSON at all, another program version, another layout.
  const std::string damaged[] = {text.substr(0, text.size() / 2), "\x89PNG garbage",
                                 std::string(text).replace(text.rfind("\"program\": \"") + 12, 1, "0."),
                                 std::string(text).replace(text.find("\"format\": 2"), 11, "\"format\": 9")};
  for (const std::string& bad : damaged) {
    writeWholeFile(record, bad);
    const BuildResult r = build(scene);
    EXPECT_EQ(r.imagesConverted, n);
    EXPECT_EQ(r.imagesReused, 0);
  }

  // An output changed behind the record's back is made again.
  writeWholeFile(gallery() + "images/pcva00000.jpg", "kaputt");
  EXPECT_EQ(build(scene).imagesConverted, 1);

  // A record that names files outside the folder is not believed, and
  // nothing outside is removed.
  const std::string outside = dir.write("projects/opfer.txt", "bleibt");
  ASSERT_TRUE(readWholeFile(record, text));
  nlohmann::json doc = nlohmann::json::parse(text);
  doc["files"].push_back({{"path", "../opfer.txt"}, {"size", 6}, {"sha256", sha256OfFile(outside)}});
  writeWholeFile(record, doc.dump());
  EXPECT_EQ(build(scene).imagesConverted, n);
  EXPECT_TRUE(fileExists(outside));
  expectSameAsFullBuild("after the damaged records", 0);
}

TEST_F(RebuildFixture, ABuildKilledHalfWayLeavesTheOldGalleryAndIsRepaired) {
  if (!fileExists(executableFolder() + "picovand-cli")) GTEST_SKIP() << "picovand-cli is not built beside the tests";
  // Enough large photos that the conversion takes a while.
  makeDirectories(dir.file("fotos"));
  for (int i = 0; i < 12; ++i)
    fs::copy_file(pvtest::photo("large_9mp_nokia_8_3.jpg"), dir.file(format("fotos/f%02d.jpg", i)));
  auto args = [&](const std::string& folder, const char* quality) {
    return std::vector<std::string>{"build", "--preset", "1001", "--output", dir.path() + folder,
                                    "--import", dir.file("fotos"), "--quality", quality};
  };
  ASSERT_EQ(finishCli(startCli(dir, args("projects/Galerie", "80"))), 0);
  const std::string images = gallery() + "images/";
  ASSERT_TRUE(fileExists(images + "pcvb00011.jpg"));

  // Every image is made again at another quality; the build is killed once
  // a few of them are written.
  const auto started = fs::file_time_type::clock::now();
  const pid_t pid = startCli(dir, args("projects/Galerie", "60"));
  ASSERT_GT(pid, 0);
  int written = 0;
  for (int wait = 0; wait < 6000 && written < 3; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    written = 0;
    for (const DirEntry& e : listDirectory(images))
      if (endsWith(e.name, ".jpg") && fs::last_write_time(images + e.name) > started) ++written;
  }
  ASSERT_EQ(kill(pid, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the build ended before it could be killed";
  EXPECT_GE(written, 3);

  // The old gallery still works: every page, every picture it links to.
  EXPECT_TRUE(fileExists(gallery() + "pcv00000.htm"));
  EXPECT_EQ(pvtest::brokenLinks(gallery()), std::vector<std::string>{});

  // The next build repairs it: the same as a full build into an empty folder.
  ASSERT_EQ(finishCli(startCli(dir, args("projects/Galerie", "60"))), 0);
  ASSERT_EQ(finishCli(startCli(dir, args("full/Galerie", "60"))), 0);
  EXPECT_EQ(differences(treeOf(gallery()), treeOf(dir.path() + "full/Galerie/")), std::vector<std::string>{});
  EXPECT_EQ(pvtest::brokenLinks(gallery()), std::vector<std::string>{});
  for (const DirEntry& e : listDirectory(images)) EXPECT_EQ(e.name.find(".tmp"), std::string::npos) << e.name;
}
