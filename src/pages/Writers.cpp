#include "pages/Writers.h"

#include "state/AppState.h"
#include "pages/ImagePages.h"
#include "pages/OwnPages.h"
#include "pages/ScriptSlideshow.h"
#include "pages/SlideAlbum.h"
#include "pages/WebAlbum.h"

namespace pv {

bool writeProjectPages(AppState& state, const std::string& outputFolder) {
  switch (familyOf(state.settings.presetNumber)) {
    case ProjectFamily::WebAlbum: return writeWebAlbum(state, outputFolder);
    case ProjectFamily::SlideAlbum: {
      // A missing album template leaves the slideshow pages to be written all the same.
      const bool albums = writeSlideAlbum(state, outputFolder);
      return writeSlidePages(state, outputFolder) && albums;
    }
    case ProjectFamily::Slideshow: return writeImagePages(state, outputFolder);
    case ProjectFamily::PreviewSlideshow: return writePreviewPages(state, outputFolder);
    case ProjectFamily::ScriptSlideshow: return writeScriptSlideshow(state, outputFolder);
    case ProjectFamily::OwnTemplate:
      switch (state.settings.presetNumber) {
        case 2001: return writeOwnAlbum(state, outputFolder);
        case 2002: return writeOwnImagePages(state, outputFolder);
        case 2003: return writeOwnSlideshow(state, outputFolder);
        default: return false;
      }
    case ProjectFamily::BatchConversion: return true;
    default: return false;
  }
}

}  // namespace pv
