#include "pages/SlideAlbum.h"

#include "state/AppState.h"
#include "pages/PageEngine.h"
#include "pages/WebAlbum.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

namespace {

// Every picture opens the slideshow page of its record.
std::string slidePage(const ProjectSettings& s, const CollectionItem&, size_t i) {
  return slidePageFileName(s, int(i));
}

}  // namespace

bool writeSlideAlbum(AppState& state, const std::string& outputFolder) {
  if (!readPresetTemplate(state, "webalb.html")) return false;
  albumPageWalk(state, withSlash(outputFolder), "/", 0, -1, writeSlideAlbumPage);
  return true;
}

void writeSlideAlbumPage(AppState& state, const AlbumPage& page) {
  writeAlbumPageOfKind(state, page, {"PicoVand_opensld", slidePage, "&nbsp;<br>", false});
}

}  // namespace pv
