#pragma once
// Windows bitmaps FreeImage's reader refuses: the V2 to V5 headers current
// tools write, bit fields (16 and 32 bits, with or without alpha) and
// run-length encoded palettes.
#include <string_view>

#include "model/Image.h"

namespace pv {

// True for the bitmaps decodeBmp reads instead of FreeImage: every header
// longer than the 40-byte one, and any compression but none.
bool needsOwnBmpReader(std::string_view file);

// The picture as 24 bits, or 32 when an alpha mask gives it transparency.
// Null when the file is damaged or of a kind not covered (embedded JPEG or
// PNG).
ImagePtr decodeBmp(std::string_view file);

}  // namespace pv
