#include "util/SharedLibrary.h"

namespace pv {

void* openSharedLibrary(const char* soname) {
  // dlopen counts the openings of one library and hands out the same handle.
  return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

}  // namespace pv
