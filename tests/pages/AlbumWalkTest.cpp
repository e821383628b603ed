#include <gtest/gtest.h>

#include "TestSupport.h"
#include "pages/AlbumWalk.h"
#include "util/Text.h"

using namespace pv;

namespace {

struct WalkFixture : ::testing::Test {
  std::vector<std::unique_ptr<CollectionItem>> records;
  std::vector<PageEntry> entries;
  AlbumWalk result;

  void images(int n, const std::string& album) {
    for (int i = 0; i < n; ++i) {
      auto item = std::make_unique<CollectionItem>();
      item->albumPath = album;
      records.push_back(std::move(item));
    }
  }
  void album(const std::string& parent, const std::string& name) {
    auto item = std::make_unique<CollectionItem>();
    item->isAlbum = true;
    item->albumPath = parent;
    item->name = name;
    records.push_back(std::move(item));
  }
  const std::vector<AlbumPage>& walk(int columns, int rows) {
    entries.clear();
    for (const auto& r : records) entries.push_back({r.get(), {}});
    result = walkAlbums(entries, columns, rows);
    return result.pages;
  }
  // "album [entries] first-last @current ^parent"
  std::vector<std::string> described() const {
    std::vector<std::string> out;
    for (const AlbumPage& p : result.pages) {
      std::string shown;
      for (size_t i : p.entries) shown += (shown.empty() ? "" : ",") + std::to_string(i);
      out.push_back(format("%s [%s] %d-%d @%d ^%d", p.albumPath.c_str(), shown.c_str(), p.first, p.last, p.current,
                           p.parent));
    }
    return out;
  }
};

}  // namespace

TEST_F(WalkFixture, PaginatesAnAlbum) {
  walk(3, 2);  // an empty project still has its start page
  EXPECT_EQ(described(), std::vector<std::string>{"/ [] 0-0 @0 ^-1"});

  images(13, "/");
  walk(3, 2);
  EXPECT_EQ(described(), (std::vector<std::string>{"/ [0,1,2,3,4,5] 0-2 @0 ^-1", "/ [6,7,8,9,10,11] 0-2 @1 ^-1",
                                                   "/ [12] 0-2 @2 ^-1"}));

  walk(3, 0);  // rows 0: everything on one page
  ASSERT_EQ(result.pages.size(), 1u);
  EXPECT_EQ(result.pages[0].entries.size(), 13u);
  EXPECT_TRUE(walk(0, 2).empty());
}

TEST_F(WalkFixture, SubAlbumsAreNumberedBeforeTheirParentsPagesAreWritten) {
  images(2, "/");
  album("/", "Sub");
  images(8, "/Sub");
  album("/Sub", "Deep");
  images(1, "/Sub/Deep");
  walk(3, 2);
  EXPECT_EQ(result.firstPage[2], 1);   // Sub
  EXPECT_EQ(result.firstPage[11], 3);  // Deep
  EXPECT_EQ(result.firstPage[0], -1);  // an image
  // Deepest pages are written first; /Sub has 9 entries (8 images and Deep) on two pages.
  EXPECT_EQ(described(), (std::vector<std::string>{"/Sub/Deep [12] 3-3 @3 ^1", "/Sub [3,4,5,6,7,8] 1-2 @1 ^0",
                                                   "/Sub [9,10,11] 1-2 @2 ^0", "/ [0,1,2] 0-0 @0 ^-1"}));
}

// Albums and images in any list order: each page shows its album's entries
// in list order, sub-albums are numbered in the order they are listed, and an
// album nobody reaches from the top gets no page.
TEST_F(WalkFixture, EntriesInterleavedInTheList) {
  images(1, "/B");
  album("/", "B");
  images(1, "/");
  album("/", "A");
  images(2, "/A");
  images(1, "/B");
  images(1, "/Nowhere");
  walk(1, 1);
  EXPECT_EQ(result.firstPage[1], 3);  // B, listed first, follows the three pages of the top album
  EXPECT_EQ(result.firstPage[3], 5);  // A, after B's two pages
  EXPECT_EQ(described(), (std::vector<std::string>{"/B [0] 3-4 @3 ^0", "/B [6] 3-4 @4 ^0", "/A [4] 5-6 @5 ^0",
                                                   "/A [5] 5-6 @6 ^0", "/ [1] 0-2 @0 ^-1", "/ [2] 0-2 @1 ^-1",
                                                   "/ [3] 0-2 @2 ^-1"}));
}
