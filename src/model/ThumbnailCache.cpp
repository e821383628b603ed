#include "model/ThumbnailCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

struct ThumbHeader {
  char magic[4] = {'P', 'V', 'T', '2'};
  std::uint32_t width = 0, height = 0;
  std::int32_t rotation = 0;
  std::uint8_t flipHorizontal = 0, flipVertical = 0, reserved[2] = {0, 0};
  std::uint32_t keyLength = 0;
  std::uint64_t sourceSize = 0;
  std::int64_t sourceTimeNs = 0;
  std::int64_t sourceChangeNs = 0;
};

ThumbHeader headerFor(const std::string& key, const CollectionItem& item, const SourceState& source) {
  ThumbHeader h;
  h.width = kThumbnailWidth;
  h.height = kThumbnailHeight;
  h.rotation = item.rotation;
  h.flipHorizontal = item.flipHorizontal;
  h.flipVertical = item.flipVertical;
  h.keyLength = std::uint32_t(key.size());
  h.sourceSize = source.size;
  h.sourceTimeNs = source.timeNs;
  h.sourceChangeNs = source.changeNs;
  return h;
}

constexpr size_t kThumbBytes = size_t(kThumbnailWidth) * kThumbnailHeight * 4;
constexpr size_t kLongestKey = 4096;

}  // namespace

SourceState sourceState(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {true, std::uint64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

std::string thumbnailCacheName(const std::string& key) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
  return format("%016llx.thumb", static_cast<unsigned long long>(h));
}

void writeCachedThumbnail(const std::string& file, const std::string& key, const CollectionItem& item,
                          const SourceState& source) {
  FIBITMAP* dib = item.thumbnail.get();
  if (!dib || FreeImage_GetWidth(dib) != unsigned(kThumbnailWidth) ||
      FreeImage_GetHeight(dib) != unsigned(kThumbnailHeight) || FreeImage_GetBPP(dib) != 32 ||
      key.size() > kLongestKey)
    return;
  const ThumbHeader h = headerFor(key, item, source);
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  bytes += key;
  for (int y = 0; y < kThumbnailHeight; ++y)
    bytes.append(reinterpret_cast<const char*>(FreeImage_GetScanLine(dib, y)), size_t(kThumbnailWidth) * 4);
  // A torn entry is caught by its size when read, so no temporary is needed.
  writeWholeFile(file, bytes);
}

ImagePtr readCachedThumbnail(const std::string& file, const std::string& key, const CollectionItem& item,
                             const SourceState& source, CacheCheck check) {
  if (key.size() > kLongestKey) return nullptr;
  // Read with one call into a buffer of the exact size: ten thousand of
  // these make up most of the time a large project takes to open.
  const size_t expected = sizeof(ThumbHeader) + key.size() + kThumbBytes;
  thread_local std::vector<char> bytes;
  bytes.resize(expected + 1);
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  const ssize_t n = ::read(fd, bytes.data(), bytes.size());
  ::close(fd);
  if (n != ssize_t(expected)) return nullptr;
  ThumbHeader h;
  std::memcpy(&h, bytes.data(), sizeof h);
  ThumbHeader want = headerFor(key, item, source);
  if (check != CacheCheck::FileState) want.sourceChangeNs = h.sourceChangeNs;
  if (check == CacheCheck::AnyIfMissing && !source.exists) want.sourceSize = h.sourceSize, want.sourceTimeNs = h.sourceTimeNs;
  if (std::memcmp(&h, &want, sizeof h) != 0 || std::memcmp(bytes.data() + sizeof h, key.data(), key.size()) != 0)
    return nullptr;
  ImagePtr dib = blackThumbnail();
  if (!dib) return nullptr;
  const char* pixels = bytes.data() + sizeof h + key.size();
  for (int y = 0; y < kThumbnailHeight; ++y)
    std::memcpy(FreeImage_GetScanLine(dib.get(), y), pixels + size_t(y) * kThumbnailWidth * 4,
                size_t(kThumbnailWidth) * 4);
  return dib;
}

std::string userThumbnailFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string base = cache && *cache ? cache : home && *home ? std::string(home) + "/.cache" : std::string();
  return base.empty() ? std::string() : withSlash(base) + "Corvane/Pico Vand/thumbnails/";
}

void makeThumbnails(const std::vector<ThumbnailOrder>& orders, const std::string& cacheFolder,
                    const std::atomic<bool>& abort, const std::function<void(size_t, ImagePtr)>& done) {
  if (orders.empty()) return;
  if (!cacheFolder.empty()) makeDirectories(cacheFolder);
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; !abort && (i = next++) < orders.size();) {
      const ThumbnailOrder& order = orders[i];
      CollectionItem item;
      item.sourcePath = order.sourcePath;
      item.rotation = order.rotation;
      item.flipHorizontal = order.flipHorizontal;
      item.flipVertical = order.flipVertical;
      const SourceState before = sourceState(order.sourcePath);
      const std::string cache = cacheFolder.empty() ? std::string() : cacheFolder + thumbnailCacheName(order.sourcePath);
      if (!cache.empty()) item.thumbnail = readCachedThumbnail(cache, order.sourcePath, item, before, CacheCheck::FileState);
      if (!item.thumbnail) {
        item.thumbnail = thumbnailFromFile(item);
        // Cached only when the file stayed the same while it was read.
        const SourceState after = sourceState(order.sourcePath);
        if (!cache.empty() && before.exists && after.size == before.size && after.timeNs == before.timeNs &&
            after.changeNs == before.changeNs)
          writeCachedThumbnail(cache, order.sourcePath, item, before);
      }
      done(i, std::move(item.thumbnail));
    }
  };
  std::vector<std::thread> pool(std::clamp<size_t>(std::thread::hardware_concurrency(), 1, orders.size()) - 1);
  for (std::thread& t : pool) t = std::thread(work);
  work();
  for (std::thread& t : pool) t.join();
}

}  // namespace pv
