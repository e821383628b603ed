#pragma once
// TIFF layouts FreeImage's reader refuses (12-bit and other odd depths,
// 16-bit grey, 32-bit float, tiled planar files), decoded with libtiff.
#include <string_view>

#include "model/Image.h"

namespace pv {

// The first picture of a TIFF in memory with 8 bits per channel: grey stays
// an 8-bit grey image, RGB becomes 24 bits, RGB with alpha 32 bits; deeper
// samples are scaled, not cut. Other colour models go through libtiff's RGBA
// reader. Null when libtiff cannot read it. Pixels stay in stored order (the
// orientation tag is applied by the caller).
ImagePtr decodeTiff(std::string_view file);

}  // namespace pv
