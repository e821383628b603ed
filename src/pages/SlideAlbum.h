#pragma once
// The album pages of the web album with slideshow: thumbnail pages like the
// web album's, whose pictures open the record's slideshow page.
#include "pages/PageEngine.h"

namespace pv {

// "webalb.html" through the album page walk. False when the template cannot
// be read.
bool writeSlideAlbum(const PageInputs& in, PageSink& sink);

}  // namespace pv
