#pragma once
// Windows bitmaps FreeImage's reader refuses: the V2 to V5 headers current
// tools write, bit fields (16 and 32 bits, with or without alpha),
// run-length encoded palettes, 2-bit palettes and pixel data that is a
// JPEG or PNG stream.
#include <string_view>

#include "model/Image.h"

namespace pv {

// True for the bitmaps decodeBmp reads instead of FreeImage: every header
// longer than the 40-byte one, any compression but none, and 2 bits.
bool needsOwnBmpReader(std::string_view file);

// The picture as 24 bits, or 32 when an alpha mask gives it transparency;
// an embedded JPEG or PNG as FreeImage decodes it. Null when the file is
// damaged.
ImagePtr decodeBmp(std::string_view file);

}  // namespace pv
