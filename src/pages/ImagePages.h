#pragma once
// Slideshows of one page per picture, moved through by links: the plain
// slideshow, the slideshow with a preview strip and the slideshow pages of
// the web album with slideshow.
#include <string>

namespace pv {

struct AppState;

// "htmlsld.html", one page per image record: size A shown, size B linked.
bool writeImagePages(AppState& state, const std::string& outputFolder);
// "sldprv.html", one page per image record: size B shown, size C linked, a
// strip of size A thumbnails of up to nine neighbours on either side.
bool writePreviewPages(AppState& state, const std::string& outputFolder);
// "htmlsld.html", one "-sld-" page per record, albums included, so that
// record j of the list is always slide page j.
bool writeSlidePages(AppState& state, const std::string& outputFolder);

}  // namespace pv
