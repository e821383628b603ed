#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "TestSupport.h"
#include "model/ThumbnailCache.h"
#include "util/FileSystem.h"

using namespace pv;

namespace {

ImagePtr thumbnailOf(const ThumbnailOrder& order, const std::string& cache) {
  ImagePtr made;
  std::atomic<bool> abort{false};
  makeThumbnails({order}, cache, abort, [&](size_t, ImagePtr t) { made = std::move(t); });
  return made;
}

bool samePixels(FIBITMAP* a, FIBITMAP* b) {
  if (!a || !b || FreeImage_GetWidth(a) != FreeImage_GetWidth(b) || FreeImage_GetHeight(a) != FreeImage_GetHeight(b))
    return false;
  for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y)
    if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), FreeImage_GetLine(a)) != 0)
      return false;
  return true;
}

ImagePtr fromFile(const ThumbnailOrder& order) {
  CollectionItem item;
  item.sourcePath = order.sourcePath;
  item.rotation = order.rotation;
  return thumbnailFromFile(item);
}

// Marks the last pixel of every entry: a thumbnail showing it came from the cache.
void markEntries(const std::string& cache) {
  for (const DirEntry& e : listDirectory(cache)) {
    std::string bytes;
    ASSERT_TRUE(readWholeFile(cache + e.name, bytes));
    std::memset(bytes.data() + bytes.size() - 4, 0x7B, 4);
    ASSERT_TRUE(writeWholeFile(cache + e.name, bytes));
  }
}

bool marked(FIBITMAP* t) { return FreeImage_GetScanLine(t, kThumbnailHeight - 1)[(kThumbnailWidth - 1) * 4] == 0x7B; }

}  // namespace

// An entry serves the photo only as it was made from it: the same file
// state and the same turn. A file written again under the same name, with
// the same size and even its old modification time put back, is read afresh.
TEST(ThumbnailCache, NeverServesAStalePicture) {
  pvtest::ScratchDir dir;
  const std::string cache = dir.path() + "cache/";
  const std::string photo = dir.file("a.bmp");
  ASSERT_TRUE(pvtest::writeTestImage(photo, 64, 40, FIF_BMP));
  ThumbnailOrder order{photo};
  ImagePtr first = thumbnailOf(order, cache);
  ASSERT_TRUE(samePixels(first.get(), fromFile(order).get()));
  ASSERT_EQ(listDirectory(cache).size(), 1u);

  markEntries(cache);
  EXPECT_TRUE(marked(thumbnailOf(order, cache).get()));  // unchanged: from the cache
  order.rotation = 90;
  ImagePtr turned = thumbnailOf(order, cache);
  EXPECT_FALSE(marked(turned.get()));
  EXPECT_TRUE(samePixels(turned.get(), fromFile(order).get()));
  order.rotation = 0;

  // Another picture of the same size under the same name, its old time put back.
  struct stat before {};
  ASSERT_EQ(::stat(photo.c_str(), &before), 0);
  markEntries(cache);
  pv::ImagePtr other(FreeImage_Allocate(64, 40, 24));
  ASSERT_TRUE(FreeImage_Save(FIF_BMP, other.get(), photo.c_str(), 0));  // black
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, photo.c_str(), times, 0), 0);
  struct stat after {};
  ASSERT_EQ(::stat(photo.c_str(), &after), 0);
  ASSERT_EQ(after.st_size, before.st_size);
  ImagePtr fresh = thumbnailOf(order, cache);
  EXPECT_FALSE(marked(fresh.get()));
  EXPECT_TRUE(samePixels(fresh.get(), fromFile(order).get()));
  EXPECT_FALSE(samePixels(fresh.get(), first.get()));

  // A different file whose path hashes alike is no match either: the entry holds the path.
  const std::string elsewhere = dir.file("b.bmp");
  ASSERT_TRUE(pvtest::writeTestImage(elsewhere, 64, 40, FIF_BMP));
  CollectionItem item;
  item.sourcePath = photo;
  item.thumbnail = fromFile(order);
  const std::string entry = cache + thumbnailCacheName(photo);
  writeCachedThumbnail(entry, photo, item, sourceState(photo));
  item.sourcePath = elsewhere;
  EXPECT_TRUE(readCachedThumbnail(entry, photo, item, sourceState(photo), CacheCheck::FileState));
  EXPECT_FALSE(readCachedThumbnail(entry, elsewhere, item, sourceState(photo), CacheCheck::FileState));
}
