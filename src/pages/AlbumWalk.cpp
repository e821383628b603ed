#include "pages/AlbumWalk.h"

#include <algorithm>
#include <unordered_map>

namespace pv {

namespace {

struct Walker {
  const std::vector<PageEntry>& entries;
  size_t perPage;
  std::unordered_map<std::string, std::vector<size_t>> inAlbum;  // album path: its entries in list order
  AlbumWalk out;

  // Returns the next free page number.
  int walk(const std::string& path, int first, int parent) {
    std::vector<std::vector<size_t>> pages(1);
    if (auto it = inAlbum.find(path); it != inAlbum.end())
      for (size_t i : it->second) {
        if (perPage != 0 && pages.back().size() == perPage) pages.emplace_back();
        pages.back().push_back(i);
      }
    int next = first + int(pages.size());
    for (const std::vector<size_t>& page : pages)
      for (size_t i : page) {
        const CollectionItem& r = *entries[i].record;
        if (!r.isAlbum) continue;
        out.firstPage[i] = next;
        next = walk(path == "/" || path.ends_with('/') ? path + r.name : path + "/" + r.name, next, first);
      }
    const int last = first + int(pages.size()) - 1;
    for (size_t b = 0; b < pages.size(); ++b)
      out.pages.push_back({path, std::move(pages[b]), first, last, first + int(b), parent});
    return next;
  }
};

}  // namespace

AlbumWalk walkAlbums(const std::vector<PageEntry>& entries, int columns, int rowsPerPage) {
  if (columns <= 0) return {};
  Walker walker{entries, size_t(columns) * size_t(std::max(rowsPerPage, 0)), {}, {}};
  walker.out.firstPage.assign(entries.size(), -1);
  for (size_t i = 0; i < entries.size(); ++i) walker.inAlbum[entries[i].record->albumPath].push_back(i);
  walker.walk("/", 0, -1);
  return std::move(walker.out);
}

std::vector<AlbumSummary> summarizeAlbums(const std::vector<PageEntry>& entries) {
  std::unordered_map<std::string, long> first, marked;  // by album path: its own first and marked photo
  std::unordered_map<std::string, AlbumSummary> below;  // by album path: over it and every sub-album
  for (size_t i = 0; i < entries.size(); ++i) {
    const CollectionItem& r = *entries[i].record;
    if (r.isAlbum || entries[i].pictures.empty()) continue;
    first.try_emplace(r.albumPath, long(i));
    if (r.albumCover) marked.try_emplace(r.albumPath, long(i));
    for (std::string path = r.albumPath; path.size() > 1 && path[0] == '/'; path.erase(path.rfind('/'))) {
      AlbumSummary& b = below[path];
      if (b.cover < 0) b.cover = long(i);
      ++b.photos;
    }
  }
  std::vector<AlbumSummary> out(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const CollectionItem& r = *entries[i].record;
    if (!r.isAlbum) continue;
    const std::string full = albumFullPath(r);
    if (auto b = below.find(full); b != below.end()) out[i] = b->second;
    if (auto f = first.find(full); f != first.end()) out[i].cover = f->second;
    if (auto m = marked.find(full); m != marked.end()) out[i].cover = m->second;
  }
  return out;
}

}  // namespace pv
