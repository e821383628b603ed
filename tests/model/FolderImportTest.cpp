#include <gtest/gtest.h>

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
    ASSERT_TRUE(pvtest::writeTestImage(dir.file(rel), 8, 6, FIF_BMP));
  }
  void folder(const std::string& rel) { std::filesystem::create_directories(dir.file(rel)); }
  int import(const std::string& rel, bool sub, bool albums, int type = 0, const std::string& into = "/") {
    FolderImportRequest r;
    r.folder = dir.file(rel);
    r.albumPath = into;
    r.includeSubfolders = sub;
    r.albumsFromSubfolders = albums;
    r.endings = endingsOfType(type);
    return importFolderTree(items, r, abort);
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
  EXPECT_EQ(endingsOfType(7).size(), 0u);
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
  FolderImportRequest r;
  r.folder = dir.file("Reise");
  r.includeSubfolders = r.albumsFromSubfolders = true;
  r.endings = endingsOfType(0);
  int calls = 0;
  importFolderTree(items, r, abort, [&](int, const std::string&) {
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
  FolderImportRequest r;
  r.folder = dir.file("r");
  r.includeSubfolders = true;
  r.albumsFromSubfolders = true;
  r.endings = endingsOfType(0);
  const FolderImportPlan plan = planFolderImport(r, abort);
  EXPECT_EQ(plan.files.size(), 2u);
  EXPECT_EQ(plan.skippedFolders, (std::vector<std::string>{dir.file("r/s/oben"), dir.file("r/t")}));
  EXPECT_EQ(carryOutFolderImport(items, plan, r.sources, abort), 2);
  EXPECT_EQ(records(), (std::vector<std::string>{"/|a.bmp", "A /|s", "/s|b.bmp"}));
}
