#include "pages/Writers.h"

#include "pages/ImagePages.h"
#include "pages/OwnPages.h"
#include "pages/ScriptSlideshow.h"
#include "pages/SlideAlbum.h"
#include "pages/WebAlbum.h"

namespace pv {

bool writeProjectPages(const PageInputs& in, PageSink& sink) {
  switch (familyOf(in.settings.presetNumber)) {
    case ProjectFamily::WebAlbum: return writeWebAlbum(in, sink);
    case ProjectFamily::SlideAlbum: {
      // A missing album template leaves the slideshow pages to be written all the same.
      const bool albums = writeSlideAlbum(in, sink);
      return writeSlidePages(in, sink) && albums;
    }
    case ProjectFamily::Slideshow: return writeImagePages(in, sink);
    case ProjectFamily::PreviewSlideshow: return writePreviewPages(in, sink);
    case ProjectFamily::ScriptSlideshow: return writeScriptSlideshow(in, sink);
    case ProjectFamily::OwnTemplate:
      switch (in.settings.presetNumber) {
        case 2001: return writeOwnAlbum(in, sink);
        case 2002: return writeOwnImagePages(in, sink);
        case 2003: return writeOwnSlideshow(in, sink);
        default: return false;
      }
    case ProjectFamily::BatchConversion: return true;
    default: return false;
  }
}

}  // namespace pv
