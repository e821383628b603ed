#pragma once
// Numbering and paginating the albums of a gallery, depth first: an album's
// own pages, then those of each sub-album in list order. Shared by every
// writer that shows albums as pages of thumbnails.
#include <cstddef>
#include <string>
#include <vector>

#include "pages/PageEngine.h"

namespace pv {

// One page of an album: the entries it shows (indices into the page
// inputs' entries, in list order); the album's pages run from first to
// last; parent is the enclosing album's first page (-1 for the top album).
struct AlbumPage {
  std::string albumPath;
  std::vector<size_t> entries;
  int first = 0;
  int last = 0;
  int current = 0;
  int parent = -1;
};

struct AlbumWalk {
  // In the order they are written: the pages of an album's sub-albums
  // before its own.
  std::vector<AlbumPage> pages;
  // Per entry: an album's first page; -1 for an image.
  std::vector<int> firstPage;
};

// Walks the albums from the top album "/" with columns x rowsPerPage entries
// a page (all on one page when rowsPerPage is 0). No pages when columns is
// not positive. Each entry is looked at a fixed number of times.
AlbumWalk walkAlbums(const std::vector<PageEntry>& entries, int columns, int rowsPerPage);

// What an album's tile shows when albums have covers: the entry of its cover
// photo and how many photos it holds, its sub-albums' included (what a
// visitor finds behind the tile). The cover is the photo marked in the album
// itself, else its first photo, else the first photo anywhere below it; -1
// when no photo lies below it.
struct AlbumSummary {
  long cover = -1;
  int photos = 0;
};
// Per entry, in the order of entries: an album's summary; images get an empty one.
std::vector<AlbumSummary> summarizeAlbums(const std::vector<PageEntry>& entries);

}  // namespace pv
