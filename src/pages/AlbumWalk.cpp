#include "pages/AlbumWalk.h"

#include <vector>

#include "state/AppState.h"

namespace pv {

int albumPageWalk(AppState& state, const std::string& outputFolder, const std::string& path, int first, int parent,
                  const AlbumPageWriter& writer) {
  const ProjectSettings& s = state.settings;
  if (s.columns <= 0) return -1;
  const int perPage = s.columns * s.rowsPerPage;
  auto& list = state.items.list;

  // Where each page starts; an album without entries still has one page.
  std::vector<size_t> starts{0};
  if (perPage != 0) {
    int count = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i]->albumPath != path) continue;
      if (++count > perPage) {
        starts.push_back(i);
        count = 1;
      }
    }
  }
  int next = first + int(starts.size());

  for (size_t i = 0; i < list.size(); ++i) {
    CollectionItem& r = *list[i];
    if (r.albumPath != path || !r.isAlbum) continue;
    std::string full = path == "/" || path.ends_with('/') ? path + r.name : path + "/" + r.name;
    r.firstPageNumber = next;
    next = albumPageWalk(state, outputFolder, full, next, first, writer);
  }

  if (perPage == 0) {
    writer(state, {outputFolder, path, 0, 0, first, first, first, parent});
  } else {
    const int last = first + int(starts.size()) - 1;
    for (size_t b = 0; b < starts.size(); ++b)
      writer(state, {outputFolder, path, starts[b], perPage, first, last, first + int(b), parent});
  }
  return next;
}

}  // namespace pv
