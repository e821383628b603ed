#pragma once
// HEIF and AVIF photos, as phones and current editors write them, decoded
// with libheif and offered to FreeImage as one more format: every part that
// loads, names or checks a photo by its FreeImage format reads them alike.
#include <FreeImage.h>

#include <string_view>

#include "model/Image.h"

namespace pv {

// Registers the reader with FreeImage (extensions heic, heif, hif, avif).
// Called once by initialiseImageLibrary; later calls change nothing.
void registerHeifReader();

// The format FreeImage gave the reader; FIF_UNKNOWN before registration.
FREE_IMAGE_FORMAT heifFormat();

// The primary image of a HEIF or AVIF file: upright by the file's own
// transforms (the EXIF orientation inside is not applied again and is
// taken out of the attached metadata), 24 bits or 32 with alpha, deeper
// samples scaled to 8 bits, the EXIF and XMP blocks attached as FreeImage
// reads them from a JPEG. Null for a damaged file or one whose primary
// image is larger than kMaxImagePixels. Without pixels, only the upright
// size and the metadata are read from the boxes; nothing is decoded.
// A grid image or an image sequence gives its primary image.
ImagePtr decodeHeif(std::string_view file, bool pixels = true);

}  // namespace pv
