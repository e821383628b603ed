#include "pages/Writers.h"

#include "app/AppState.h"
#include "pages/WebAlbum.h"

namespace pv {

bool writeProjectPages(AppState& state, const std::string& outputFolder) {
  switch (familyOf(state.settings.presetNumber)) {
    case ProjectFamily::WebAlbum: return writeWebAlbum(state, outputFolder);
    case ProjectFamily::BatchConversion: return true;
    default: return false;
  }
}

}  // namespace pv
