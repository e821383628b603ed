#pragma once
// Resizing of 24- and 32-bit images with FreeImage's filters (box, bilinear,
// bicubic, B-spline) and their weights, in fixed point and a cache-friendly
// order: several times faster than FreeImage_Rescale, within a rounding step
// of it.
#include <FreeImage.h>

#include "model/Image.h"

namespace pv {

// The image scaled to width x height; null for other pixel types or sizes
// below 1. With threads above 1 bands of rows are made side by side, the
// same pixels sooner where cores are idle.
ImagePtr resampled(FIBITMAP* source, int width, int height, FREE_IMAGE_FILTER filter, int threads = 1);

}  // namespace pv
