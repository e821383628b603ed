#include "pages/SlideAlbum.h"

#include "pages/PageEngine.h"
#include "pages/WebAlbum.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

namespace {

// Every picture opens the slideshow page of its record.
std::string slidePage(const ProjectSettings& s, const PageEntry&, size_t i) {
  return slidePageFileName(s, int(i));
}

}  // namespace

bool writeSlideAlbum(const PageInputs& in, PageSink& sink) {
  const std::optional<std::string> page = presetTemplate(in.settings, "webalb.html");
  if (!page) return false;
  writeAlbumPages(in, *page, {"PicoVand_opensld", slidePage, "&nbsp;<br>", false}, sink);
  return true;
}

}  // namespace pv
