#include "model/HeifLibrary.h"

#include "util/SharedLibrary.h"

namespace pv {

const HeifLibrary* heifLibrary() {
  static const HeifLibrary* const library = []() -> const HeifLibrary* {
    static HeifLibrary functions;
    void* handle = openSharedLibrary("libheif.so.1");
    if (!handle) return nullptr;
    bool all = true;
#define PV_HEIF_BIND(name) all = bindFunction(handle, "heif_" #name, functions.name) && all;
    PV_HEIF_FUNCTIONS(PV_HEIF_BIND)
#undef PV_HEIF_BIND
    if (!all) return nullptr;
    functions.init(nullptr);
    return &functions;
  }();
  return library;
}

}  // namespace pv
