#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "model/FolderImport.h"

using namespace pv;

namespace {

struct ImportFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  ItemCollection items;
  std::atomic<bool> abort{false};

  void image(const std::string& rel) {
    std::filesystem::create_directories(std::filesystem::path(dir.file(rel)).parent_path());
    ASSERT_TRUE(pvtest::writeTestImage(dir.file(rel), 8, 6, formatFromFileName(rel)));
  }
  void folder(const std::string& rel) { std::filesystem::create_directories(dir.file(rel)); }
  int import(const std::string& rel, bool sub, bool albums, int type = 0, const std::string& into = "/") {
    ImportRequest r;
    r.sources = {{dir.file(rel), sub, albums}};
    r.albumPath = into;
    r.endings = endingsOfType(type);
    return importPaths(items, r, abort).added;
  }
  std::vector<std::string> records() const {
    std::vector<std::string> r;
    for (auto& i : items.list) r.push_back((i->isAlbum ? "A " : "") + i->albumPath + "|" + i->name);
    return r;
  }
};

}  // namespace

TEST_F(ImportFixture, EndingsOfTheChosenType) {
  image("f/a.jpg");
  image("f/b.JPEG");
  image("f/c.tiff");
  image("f/.hidden.jpg");
  dir.write("f/d.txt", "text");
  EXPECT_EQ(import("f", false, false), 3);  // by name; the hidden file is skipped
  EXPECT_EQ(records(), (std::vector<std::string>{"/|a.jpg", "/|b.JPEG", "/|c.tiff"}));

  items.clear();
  image("t/a.TIF");
  image("t/b.tiff");
  image("t/c.png");
  EXPECT_EQ(import("t", false, false, 5), 2);
  EXPECT_EQ(endingsOfType(11).size(), 0u);
  EXPECT_EQ(import("t", false, false, 7), 0);
  EXPECT_EQ(import("no/such/folder", true, true), 0);
}

TEST_F(ImportFixture, SubFoldersBecomeAlbumsAndEmptyOnesGo) {
  image("Reise/Rom/1.jpg");
  image("Reise/Rom/2.jpg");
  folder("Reise/Leer");
  folder("Reise/A/B");
  image("Reise/Sommer.2011/s.jpg");
  image("Reise/.cache/x.jpg");
  EXPECT_EQ(import("Reise", true, true), 3);
  EXPECT_EQ(records(), (std::vector<std::string>{"A /|Rom", "/Rom|1.jpg", "/Rom|2.jpg", "A /|Sommer", "/Sommer|s.jpg"}));

  // Importing the same folder again doubles images and albums.
  import("Reise", true, true);
  EXPECT_EQ(items.size(), 10u);
  EXPECT_EQ(items.albumPaths(), (std::vector<std::string>{"/", "/Rom", "/Sommer", "/Rom", "/Sommer"}));
}

TEST_F(ImportFixture, WithoutAlbumsEverythingLandsInTheCurrentAlbum) {
  image("Reise/top.jpg");
  image("Reise/Rom/1.jpg");
  image("Reise/Rom/Forum/2.jpg");
  items.addAlbum("/", "Ziel");
  EXPECT_EQ(import("Reise", true, false, 0, "/Ziel"), 3);
  EXPECT_EQ(records(), (std::vector<std::string>{"A /|Ziel", "/Ziel|1.jpg", "/Ziel|2.jpg", "/Ziel|top.jpg"}));
  items.clear();
  EXPECT_EQ(import("Reise", false, false), 1);
}

TEST_F(ImportFixture, FolderNamesAsAlbumNames) {
  EXPECT_EQ(albumNameForFolder("Sommer.2011"), "Sommer");
  EXPECT_EQ(albumNameForFolder(".config"), ".config");  // nothing before the dot: the whole name
  EXPECT_EQ(albumNameForFolder("a:b.c"), "ab");
  EXPECT_EQ(albumNameForFolder("..x"), "");  // only dots would be left

  image("Reise/x?y/1.jpg");
  image("Reise/\?\?\?/2.jpg");
  import("Reise", true, true);
  // A name with nothing usable left adds its images to the parent album.
  EXPECT_EQ(records(), (std::vector<std::string>{"/|2.jpg", "A /|xy", "/xy|1.jpg"}));
}

TEST_F(ImportFixture, CancelStopsButCleansUp) {
  image("Reise/A/1.jpg");
  image("Reise/B/2.jpg");
  ImportRequest r;
  r.sources = {{dir.file("Reise"), true, true}};
  int calls = 0;
  importPaths(items, r, abort, [&](int, const std::string&) {
    ++calls;
    abort = true;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(records(), (std::vector<std::string>{"A /|A", "/A|1.jpg"}));
}

TEST_F(ImportFixture, LinksBackIntoTheTreeAreWalkedOnce) {
  image("r/a.bmp");
  image("r/s/b.bmp");
  std::filesystem::create_directory_symlink(dir.file("r"), dir.file("r/s/oben"));
  std::filesystem::create_directory_symlink(dir.file("r/s"), dir.file("r/t"));
  ImportRequest r;
  r.sources = {{dir.file("r"), true, true}};
  const ImportPlan plan = planImport(r, abort);
  EXPECT_EQ(plan.files.size(), 2u);
  EXPECT_EQ(plan.repeatedFolders, (std::vector<std::string>{dir.file("r/s/oben"), dir.file("r/t")}));
  EXPECT_EQ(carryOutImport(items, plan, r, abort).added, 2);
  EXPECT_EQ(records(), (std::vector<std::string>{"/|a.bmp", "A /|s", "/s|b.bmp"}));
}

namespace {
std::vector<std::string> reasonsText(const ImportResult& r) {
  static const char* const names[] = {"unreadable", "missing", "not picture", "video", "type not read",
                                      "type not chosen", "hidden"};
  std::vector<std::string> out;
  const auto by = pathsByReason(r);
  for (size_t i = 0; i < by.size(); ++i)
    for (const std::string& p : by[i]) out.push_back(std::string(names[i]) + " " + fileNameOf(p));
  return out;
}
}  // namespace

// Every file a folder holds is either taken or named with its reason; a
// picture the user named is kept even when it cannot be read, one found in
// a folder is left out.
TEST_F(ImportFixture, EveryFileNotTakenIsNamedWithItsReason) {
  image("f/gut.jpg");
  dir.write("f/kaputt.jpg", std::string(600, 'B'));
  dir.write("f/liesmich.txt", "text");
  dir.write("f/Urlaub.MP4", "video");
  dir.write("f/clip.mov", "video");
  dir.write("f/scan.jxl", "jpeg xl");
  image("f/anders.png");
  image("f/.versteckt.jpg");
  folder("f/.thumbnails");
  image("f/unter/tief.jpg");  // no sub-folders asked for: not looked at

  ImportRequest r;
  r.sources = {{dir.file("f"), false, false}, {dir.file("f/kaputt.jpg")}, {dir.file("fehlt.jpg")},
               {dir.file("f/liesmich.txt")}};
  r.endings = endingsOfType(1);  // JPEG only
  const ImportResult result = importPaths(items, r, abort);
  EXPECT_EQ(records(), (std::vector<std::string>{"/|gut.jpg", "/|kaputt.jpg"}));
  EXPECT_EQ(result.added, 2);
  EXPECT_EQ(result.keptUnreadable, std::vector<std::string>{dir.file("f/kaputt.jpg")});
  EXPECT_EQ(items.list[1]->width, 0);
  EXPECT_EQ(reasonsText(result),
            (std::vector<std::string>{"unreadable kaputt.jpg", "unreadable kaputt.jpg", "missing fehlt.jpg",
                                      "not picture liesmich.txt", "not picture liesmich.txt", "video Urlaub.MP4",
                                      "video clip.mov", "type not read scan.jxl", "type not chosen anders.png",
                                      "hidden .versteckt.jpg"}));
  // Named files of no image type are flagged, so picovand-cli can refuse them.
  const ImportPlan plan = planImport(r, abort);
  EXPECT_EQ(std::count_if(plan.notTaken.begin(), plan.notTaken.end(), [](const NotTaken& n) { return n.named; }), 2);

  // With sub-folders, a hidden folder is named once and not walked.
  items.clear();
  r.sources = {{dir.file("f"), true, false}};
  r.endings = endingsOfType(0);
  const ImportResult deep = importPaths(items, r, abort);
  EXPECT_EQ(records(), (std::vector<std::string>{"/|anders.png", "/|gut.jpg", "/|tief.jpg"}));
  const auto by = pathsByReason(deep);
  EXPECT_EQ(by[size_t(SkipReason::Hidden)],
            (std::vector<std::string>{dir.file("f/.thumbnails"), dir.file("f/.versteckt.jpg")}));
  EXPECT_EQ(by[size_t(SkipReason::Unreadable)], std::vector<std::string>{dir.file("f/kaputt.jpg")});
  EXPECT_TRUE(deep.keptUnreadable.empty());
}

// Real photos cut short are named damaged when added, from their bytes
// alone; whole ones are not, also with data behind their end (padding, the
// further pictures of a multi-picture file). ImageMagick and our own
// decoder judge every file alike.
TEST_F(ImportFixture, JpegsCutShortAreNamedDamagedWhenAdded) {
  PV_REQUIRE_PHOTOS();
  std::map<std::string, bool> cut;  // file name: cut short
  for (const std::string source : {"exif_canon_powershot_sd300.jpg", "exif_nikon_d300_progressive.jpeg"}) {
    std::string whole;
    ASSERT_TRUE(readWholeFile(pvtest::photo(source), whole));
    const std::string stem = source.substr(0, source.find('.'));
    const std::pair<std::string, std::string> variants[] = {
        {"whole", whole},
        {"second", whole + whole},                               // another picture behind the first
        {"half", whole.substr(0, whole.size() / 2)},             // inside the scan data
        {"end", whole.substr(0, whole.size() - 2)},              // only the end marker missing
        {"marker", whole.substr(0, whole.size() - 1)}};          // cut inside the end marker
    for (const auto& [variant, bytes] : variants) {
      dir.write("f/" + stem + "_" + variant + ".jpg", bytes);
      cut[stem + "_" + variant + ".jpg"] = variant != "whole" && variant != "second";
    }
  }
  for (const std::string name : {"broken_truncated.jpg", "comment_iptc_description_all_different.jpg"}) {
    std::filesystem::copy_file(pvtest::photo(name), dir.file("f/" + name));
    cut[name] = name == "broken_truncated.jpg";  // the other has zeros behind its end
  }

  ImportRequest r;
  r.sources = {{dir.file("f"), false, false}};
  const ImportResult result = importPaths(items, r, abort);
  ASSERT_EQ(result.added, int(cut.size()));
  std::vector<std::string> named;
  for (const std::string& path : result.damaged) named.push_back(fileNameOf(path));
  std::vector<std::string> expected;
  for (const auto& [name, short_] : cut)
    if (short_) expected.push_back(name);
  EXPECT_EQ(named, expected);
  for (const auto& item : items.list) {
    const std::string& path = item->sourcePath;
    EXPECT_EQ(item->damaged, cut[item->name]) << item->name;
    EXPECT_GT(item->width, 0) << item->name;
    const bool warned = pvtest::run("convert '" + path + "' null: 2>&1").find("Premature end") != std::string::npos;
    EXPECT_EQ(warned, cut[item->name]) << item->name << " (ImageMagick)";
    EXPECT_EQ(loadUpright(path, FIF_JPEG).damaged, cut[item->name]) << item->name << " (decoded)";
  }
}
