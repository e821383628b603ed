#pragma once
// The web album: pages of thumbnails per album, sub-albums behind folder
// icons, the large size opened in a window of its own.
#include <string>

#include "model/ItemCollection.h"
#include "pages/AlbumWalk.h"
#include "settings/ProjectSettings.h"

namespace pv {

struct AppState;

// Reads the preset's "webalb.html" and writes every album page into
// outputFolder. False (and nothing written) when the template cannot be read.
bool writeWebAlbum(AppState& state, const std::string& outputFolder);

// Fills a fresh copy of the template read by writeWebAlbum (pageScratch) for
// one page and writes it.
void writeAlbumPage(AppState& state, const AlbumPage& page);

// What sets the album pages of the web album with slideshow apart from the
// plain web album's; everything else about a page is the same.
struct AlbumPageKind {
  // The page's window-opener function, also called by the pictures' onclick.
  const char* opener;
  // Where the picture of record r (at list index i) leads; empty for nowhere.
  std::string (*pictureLink)(const ProjectSettings& s, const CollectionItem& r, size_t i);
  // The caption of a slot left empty.
  const char* emptyCaption;
  // On the top album's pages the preset's fragments take the home and up
  // buttons out; without them the targets become "#".
  bool presetFragments;
};
void writeAlbumPageOfKind(AppState& state, const AlbumPage& page, const AlbumPageKind& kind);

}  // namespace pv
