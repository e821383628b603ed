#pragma once
// Numbering and paginating the albums of a gallery, depth first: an album's
// own pages, then those of each sub-album in list order. Shared by every
// writer that shows albums as pages of thumbnails.
#include <cstddef>
#include <functional>
#include <string>

namespace pv {

struct AppState;

// One page of an album: its entries start at list index start, at most
// maximum of them (0: all); the album's pages run from first to last; parent
// is the enclosing album's first page (-1 for the top album).
struct AlbumPage {
  std::string outputFolder;
  std::string albumPath;
  size_t start = 0;
  int maximum = 0;
  int first = 0;
  int last = 0;
  int current = 0;
  int parent = -1;
};
using AlbumPageWriter = std::function<void(AppState&, const AlbumPage&)>;

// Sets firstPageNumber of every sub-album, then writes the album's own pages.
// Returns the next free page number, or -1 when columns is not positive.
int albumPageWalk(AppState& state, const std::string& outputFolder, const std::string& albumPath, int first,
                  int parent, const AlbumPageWriter& writer);

}  // namespace pv
