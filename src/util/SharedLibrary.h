#pragma once
// Libraries that only some runs need (libcurl for the upload, libheif for
// phone photos and AVIF) are opened when first needed rather than at start:
// with everything they depend on, loading them costs each start of
// picovand-cli several milliseconds, more than a rebuild with nothing to do.
#include <dlfcn.h>

namespace pv {

// The library by its versioned name, opened on the first call (later calls
// give the same handle); null when it cannot be opened.
void* openSharedLibrary(const char* soname);

// Sets function to the library's symbol name; false when it has none.
template <class Function>
bool bindFunction(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace pv
