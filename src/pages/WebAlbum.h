#pragma once
// The web album: pages of thumbnails per album, sub-albums behind folder
// icons, the large size opened in a window of its own.
#include <string>

#include "pages/AlbumWalk.h"

namespace pv {

struct AppState;

// Reads the preset's "webalb.html" and writes every album page into
// outputFolder. False (and nothing written) when the template cannot be read.
bool writeWebAlbum(AppState& state, const std::string& outputFolder);

// Fills a fresh copy of the template read by writeWebAlbum (pageScratch) for
// one page and writes it.
void writeAlbumPage(AppState& state, const AlbumPage& page);

}  // namespace pv
