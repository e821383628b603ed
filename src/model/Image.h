#pragma once
// FreeImage handles with ownership, and the one way every part of the
// program loads a photo: upright, optionally shrunk while decoding.
#include <FreeImage.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pv {

struct FreeImageDeleter {
  void operator()(FIBITMAP* dib) const {
    if (dib) FreeImage_Unload(dib);
  }
};
using ImagePtr = std::unique_ptr<FIBITMAP, FreeImageDeleter>;

// FreeImage started, with the chatter of its readers (and libtiff's
// warnings about private tags) kept off the terminal. Called once at start.
void initialiseImageLibrary();
void shutdownImageLibrary();

// The format FreeImage associates with the file name's extension (HEIF and
// AVIF once initialiseImageLibrary has registered their reader).
FREE_IMAGE_FORMAT formatFromFileName(const std::string& path);

// Formats read only as sources (HEIF, AVIF, WebP, camera RAW): the gallery
// shows them in the chosen output format, never as an unchanged copy.
bool isSourceOnlyFormat(FREE_IMAGE_FORMAT fif);

// FreeImage_Load with the known crashes of the library's readers avoided,
// the files its readers refuse decoded by our own or by libtiff, and a file
// whose header claims more than kMaxImagePixels refused undecoded.
// Everything that decodes a user's file goes through here.
ImagePtr loadImageFile(const std::string& path, FREE_IMAGE_FORMAT fif, int flags = 0);

struct LoadedImage {
  ImagePtr image;       // upright; null when the file could not be decoded
  int fullWidth = 0;    // size of the upright picture at full resolution
  int fullHeight = 0;
  bool damaged = false;  // decoded only in part (a JPEG cut short or corrupt): the rest is grey
};

// Loads path as format fif and turns it upright by its EXIF orientation
// (HEIF by its own transforms).
// A JPEG is decoded at the strongest reduction by 2, 4 or 8 whose longer side
// is still at least minLongSide pixels (FreeImage's size hint: it takes the
// largest divisor d with longSide >= d * minLongSide); 0 decodes at full
// size. fullWidth/fullHeight always give the undecimated upright size.
LoadedImage loadUpright(const std::string& path, FREE_IMAGE_FORMAT fif, int minLongSide = 0);
// The same with the side chosen once the header is read, from the stored
// size and the EXIF orientation (for camera RAW: the side the embedded
// preview must have at least); the file is read once.
using DecodeSideFor = std::function<int(int storedWidth, int storedHeight, int orientation)>;
LoadedImage loadUpright(const std::string& path, FREE_IMAGE_FORMAT fif, const DecodeSideFor& sideFor);

// What adding a photo needs of its file: the upright size and the metadata
// (captions, EXIF), read from the header and metadata blocks without
// decoding the pixels where the reader can stop there (others decode).
// image carries the metadata, with or without pixels; width is 0 when the
// file cannot be read.
struct ImageHeader {
  ImagePtr image;
  int width = 0;
  int height = 0;
  bool damaged = false;  // readable only in part; for a JPEG read without pixels: cut short
};
ImageHeader readImageHeader(const std::string& path, FREE_IMAGE_FORMAT fif);

// EXIF TIFF structures and XMP packets of formats whose reader does not
// attach them, attached to dib as FreeImage reads them from a JPEG: by that
// very reader, behind the same guard. A block larger than a JPEG segment
// holds is left out.
struct MetadataBlocks {
  std::vector<std::string> exif, xmp;
};
void attachMetadataBlocks(FIBITMAP* dib, const MetadataBlocks& blocks);

// Deep samples to 8 bits, rounded: 16-bit integers over their full range,
// floats from 0 to 1 (clamped; NaN is 0). Cutting the low byte or stretching
// to the picture's own range would change its tones.
inline BYTE eightBitsOf16(unsigned v) { return BYTE((v * 255 + 32767) / 65535); }
inline BYTE eightBitsOfFloat(double v) { return !(v > 0.0) ? 0 : v >= 1.0 ? 255 : BYTE(v * 255.0 + 0.5); }

// The 24-bit form of any image, metadata kept. Deeper samples (16-bit grey
// or colour, floats from 0 to 1) are scaled to 8 bits, grey staying grey up
// to this step; every import and conversion reduces through here.
ImagePtr to24Bits(ImagePtr image);

// The EXIF orientation (1..8) of an image, 1 when it has none.
int exifOrientation(FIBITMAP* dib);

// Mirror first, then turn counter-clockwise, as the user's transform says.
ImagePtr applyUserTransform(ImagePtr image, bool flipHorizontal, bool flipVertical, int rotation);

}  // namespace pv
