#pragma once
// Slideshows of one page per picture, moved through by links: the plain
// slideshow, the slideshow with a preview strip and the slideshow pages of
// the web album with slideshow.
#include "pages/PageEngine.h"

namespace pv {

// "htmlsld.html", one page per image: size A shown, size B linked.
bool writeImagePages(const PageInputs& in, PageSink& sink);
// "sldprv.html", one page per image: size B shown, size C linked, a strip of
// size A thumbnails of up to nine neighbours on either side.
bool writePreviewPages(const PageInputs& in, PageSink& sink);
// "htmlsld.html", one "-sld-" page per entry, albums included, so that
// entry j is always slide page j.
bool writeSlidePages(const PageInputs& in, PageSink& sink);

}  // namespace pv
