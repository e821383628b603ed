#include "publish/CurlLibrary.h"

#include "util/SharedLibrary.h"

namespace pv {

const CurlLibrary* curlLibrary() {
  static const CurlLibrary* const library = []() -> const CurlLibrary* {
    static CurlLibrary functions;
    void* handle = openSharedLibrary("libcurl.so.4");
    if (!handle) return nullptr;
    bool all = true;
#define PV_CURL_BIND(name) all = bindFunction(handle, "curl_" #name, functions.name) && all;
    PV_CURL_FUNCTIONS(PV_CURL_BIND)
#undef PV_CURL_BIND
    // Once, before any upload thread starts.
    if (!all || functions.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &functions;
  }();
  return library;
}

}  // namespace pv
