#pragma once
// The web album: pages of thumbnails per album, sub-albums behind folder
// icons, the large size opened in a window of its own.
#include <string>

#include "model/ItemCollection.h"
#include "pages/AlbumWalk.h"
#include "settings/ProjectSettings.h"

namespace pv {

// Reads the preset's "webalb.html" and writes every album page into the
// output folder. False (and nothing written) when the template cannot be read.
bool writeWebAlbum(const PageInputs& in, PageSink& sink);

// What sets the album pages of the web album with slideshow apart from the
// plain web album's; everything else about a page is the same.
struct AlbumPageKind {
  // The page's window-opener function, also called by the pictures' onclick.
  const char* opener;
  // Where the picture of entry e (at index i of the entries) leads; empty for nowhere.
  std::string (*pictureLink)(const ProjectSettings& s, const PageEntry& e, size_t i);
  // The caption of a slot left empty.
  const char* emptyCaption;
  // On the top album's pages the preset's fragments take the home and up
  // buttons out; without them the targets become "#".
  bool presetFragments;
};
// Writes every page of the walk from a fresh copy of the template.
void writeAlbumPages(const PageInputs& in, const std::string& pageTemplate, const AlbumPageKind& kind, PageSink& sink);

}  // namespace pv
