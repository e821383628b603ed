#pragma once
// Thumbnails kept across runs: one file per photo, named by a hash of its
// key (the photo's path), holding the key, the file state and the turn it
// shows, so an entry serves exactly that file and turn and nothing else.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/ItemCollection.h"

namespace pv {

// What a photo file is now: a changed file differs in size, modification
// time or change time (set by the system on every write, copy or rename).
struct SourceState {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t timeNs = 0;
  std::int64_t changeNs = 0;
};
SourceState sourceState(const std::string& path);

// The entry's file name for key.
std::string thumbnailCacheName(const std::string& key);

// How an entry is checked against the photo.
enum class CacheCheck {
  FileState,    // size, modification and change time as now
  Movable,      // size and modification time: the project's cache moves with its folder
  AnyIfMissing  // as Movable; any state when the photo is gone
};

// The entry's thumbnail when it is of key, the file state and the item's
// turn; null otherwise.
ImagePtr readCachedThumbnail(const std::string& file, const std::string& key, const CollectionItem& item,
                             const SourceState& source, CacheCheck check);
// Writes the item's thumbnail (80 x 48, 32 bits) as the entry for key and
// the file state it was made from.
void writeCachedThumbnail(const std::string& file, const std::string& key, const CollectionItem& item,
                          const SourceState& source);

// The window's thumbnail cache: $XDG_CACHE_HOME (else ~/.cache) +
// "/Corvane/Pico Vand/thumbnails/".
std::string userThumbnailFolder();

// A photo whose thumbnail is wanted: its file and its turn.
struct ThumbnailOrder {
  std::string sourcePath;
  int rotation = 0;
  bool flipHorizontal = false;
  bool flipVertical = false;
};

// Makes the thumbnails on every core, each from the cache folder when it
// holds one for the photo's present state and turn, else from the file (and
// then cached). done(index, thumbnail) is called on the working threads, in
// no particular order. Stops when abort is set.
void makeThumbnails(const std::vector<ThumbnailOrder>& orders, const std::string& cacheFolder,
                    const std::atomic<bool>& abort, const std::function<void(size_t, ImagePtr)>& done);

}  // namespace pv
