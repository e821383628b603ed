#pragma once
// Galleries put into a web page of the user's own: the gallery is built as
// one fragment (script, link to the gallery's stylesheet, table, navigation
// buttons of the chosen control set) that takes the place of every
// "##PICOVAND##" in a copy of the user's page. Each writer returns false and writes nothing when
// ownTemplatePage is empty, cannot be read or lacks the placeholder.
#include "pages/PageEngine.h"

namespace pv {

// Album table pages, numbered and paginated by the album page walk.
bool writeOwnAlbum(const PageInputs& in, PageSink& sink);
// One page per image.
bool writeOwnImagePages(const PageInputs& in, PageSink& sink);
// Page 0 only, with the script slideshow.
bool writeOwnSlideshow(const PageInputs& in, PageSink& sink);

}  // namespace pv
