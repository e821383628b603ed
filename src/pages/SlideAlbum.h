#pragma once
// The album pages of the web album with slideshow: thumbnail pages like the
// web album's, whose pictures open the record's slideshow page.
#include <string>

namespace pv {

struct AppState;
struct AlbumPage;

// "webalb.html" through the album page walk. False when the template cannot
// be read.
bool writeSlideAlbum(AppState& state, const std::string& outputFolder);
void writeSlideAlbumPage(AppState& state, const AlbumPage& page);

}  // namespace pv
