#include <gtest/gtest.h>

#include "TestSupport.h"
#include "pages/AlbumWalk.h"

using namespace pv;

namespace {

struct WalkFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
  std::vector<AlbumPage> pages;

  void images(int n, const std::string& album) {
    for (int i = 0; i < n; ++i) {
      auto item = std::make_unique<CollectionItem>();
      item->albumPath = album;
      state.items.list.push_back(std::move(item));
    }
  }
  int walk(int columns, int rows) {
    state.settings.columns = columns;
    state.settings.rowsPerPage = rows;
    pages.clear();
    return albumPageWalk(state, "/out/", "/", 0, -1, [&](AppState&, const AlbumPage& p) { pages.push_back(p); });
  }
};

std::string describe(const AlbumPage& p) {
  return p.albumPath + " s" + std::to_string(p.start) + " m" + std::to_string(p.maximum) + " " +
         std::to_string(p.first) + "-" + std::to_string(p.last) + " @" + std::to_string(p.current) + " ^" +
         std::to_string(p.parent);
}

}  // namespace

TEST_F(WalkFixture, PaginatesAnAlbum) {
  EXPECT_EQ(walk(3, 2), 1);  // an empty project still has its start page
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(describe(pages[0]), "/ s0 m6 0-0 @0 ^-1");

  images(13, "/");
  EXPECT_EQ(walk(3, 2), 3);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(describe(pages[1]), "/ s6 m6 0-2 @1 ^-1");
  EXPECT_EQ(describe(pages[2]), "/ s12 m6 0-2 @2 ^-1");

  EXPECT_EQ(walk(3, 0), 1);  // rows 0: everything on one page
  EXPECT_EQ(describe(pages[0]), "/ s0 m0 0-0 @0 ^-1");
  EXPECT_EQ(walk(0, 2), -1);
  EXPECT_TRUE(pages.empty());
}

TEST_F(WalkFixture, SubAlbumsAreNumberedBeforeTheirParentsPagesAreWritten) {
  images(2, "/");
  CollectionItem& sub = state.items.addAlbum("/", "Sub");
  images(8, "/Sub");
  CollectionItem& deep = state.items.addAlbum("/Sub", "Deep");
  images(1, "/Sub/Deep");
  EXPECT_EQ(walk(3, 2), 4);
  EXPECT_EQ(sub.firstPageNumber, 1);
  EXPECT_EQ(deep.firstPageNumber, 3);
  std::vector<std::string> written;
  for (auto& p : pages) written.push_back(describe(p));
  // Deepest pages are written first; /Sub has 9 entries (8 images and Deep) on two pages.
  EXPECT_EQ(written, (std::vector<std::string>{"/Sub/Deep s0 m6 3-3 @3 ^1", "/Sub s0 m6 1-2 @1 ^0",
                                                "/Sub s9 m6 1-2 @2 ^0", "/ s0 m6 0-0 @0 ^-1"}));
}
