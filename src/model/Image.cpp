#include "model/Image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <tiffio.h>

#include "settings/FileSystem.h"

namespace pv {

namespace {
void ignoreMessage(FREE_IMAGE_FORMAT, const char*) {}
}  // namespace

void initialiseImageLibrary() {
  FreeImage_Initialise(FALSE);
  FreeImage_SetOutputMessage(ignoreMessage);
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
}

void shutdownImageLibrary() { FreeImage_DeInitialise(); }

FREE_IMAGE_FORMAT formatFromFileName(const std::string& path) { return FreeImage_GetFIFFromFilename(path.c_str()); }

int exifOrientation(FIBITMAP* dib) {
  FITAG* tag = nullptr;
  if (!dib || !FreeImage_GetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", &tag) || !tag) return 1;
  if (FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) < 1) return 1;
  int v = *static_cast<const WORD*>(FreeImage_GetTagValue(tag));
  return v >= 1 && v <= 8 ? v : 1;
}

namespace {

// A rotated copy keeps the metadata of the original, so callers can still
// read captions and EXIF texts from it. FreeImage does not rotate 4-bit
// palettes or 16-bit colour; their 24-bit form has the same pixels.
ImagePtr rotated(FIBITMAP* dib, double degrees) {
  ImagePtr r(FreeImage_Rotate(dib, degrees));
  if (!r) {
    ImagePtr rgb(FreeImage_ConvertTo24Bits(dib));
    if (rgb) r.reset(FreeImage_Rotate(rgb.get(), degrees));
  }
  if (r) FreeImage_CloneMetadata(r.get(), dib);
  return r;
}

ImagePtr orientUpright(ImagePtr image, int orientation) {
  FIBITMAP* dib = image.get();
  switch (orientation) {
    case 2: FreeImage_FlipHorizontal(dib); return image;
    case 3: return rotated(dib, 180);
    case 4: FreeImage_FlipVertical(dib); return image;
    case 5: FreeImage_FlipHorizontal(dib); return rotated(dib, 90);
    case 6: return rotated(dib, -90);
    case 7: FreeImage_FlipHorizontal(dib); return rotated(dib, -90);
    case 8: return rotated(dib, 90);
    default: return image;
  }
}

int commentInt(FIBITMAP* dib, const char* key) {
  FITAG* tag = nullptr;
  if (!FreeImage_GetMetadata(FIMD_COMMENTS, dib, key, &tag) || !tag) return 0;
  const char* v = static_cast<const char*>(FreeImage_GetTagValue(tag));
  return v ? std::atoi(v) : 0;
}

// FreeImage 3.18 with libtiff 4 gets the IPTC tag of a TIFF back as bytes
// but treats the count as 32-bit words: it byte-swaps (big-endian files) and
// parses four times the buffer, which corrupts the heap. So the tag is hidden
// from it in a copy of the file in memory, and the caption is read here.
struct TiffIptc {
  std::string data;  // the file, with the IPTC tag renamed when it had one
  std::string caption;
};

std::uint32_t tiffNumber(const std::string& d, size_t at, int bytes, bool big) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) {
    std::uint8_t b = std::uint8_t(d[at + size_t(big ? i : bytes - 1 - i)]);
    v = (v << 8) | b;
  }
  return v;
}

void putTiffShort(std::string& d, size_t at, std::uint16_t v, bool big) {
  d[at + (big ? 0 : 1)] = char(v >> 8);
  d[at + (big ? 1 : 0)] = char(v & 0xFF);
}

// The text of dataset 2:120 in an IPTC-IIM block.
std::string iptcCaption(std::string_view iim) {
  for (size_t i = 0; i + 5 <= iim.size();) {
    if (std::uint8_t(iim[i]) != 0x1C) break;
    std::uint8_t record = std::uint8_t(iim[i + 1]), dataset = std::uint8_t(iim[i + 2]);
    size_t len = (size_t(std::uint8_t(iim[i + 3])) << 8) | std::uint8_t(iim[i + 4]);
    if (len & 0x8000) break;  // extended lengths are not used for texts
    i += 5;
    if (i + len > iim.size()) break;
    if (record == 2 && dataset == 120) return std::string(iim.substr(i, len));
    i += len;
  }
  return {};
}

bool hideTiffIptc(TiffIptc& t) {
  std::string& d = t.data;
  if (d.size() < 8) return false;
  bool big = d[0] == 'M' && d[1] == 'M';
  if (!big && !(d[0] == 'I' && d[1] == 'I')) return false;
  size_t ifd = tiffNumber(d, 4, 4, big);
  if (ifd + 2 > d.size()) return false;
  size_t n = tiffNumber(d, ifd, 2, big);
  static constexpr std::uint32_t kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
  for (size_t k = 0; k < n; ++k) {
    size_t e = ifd + 2 + 12 * k;
    if (e + 12 > d.size()) return false;
    if (tiffNumber(d, e, 2, big) != 33723) continue;
    std::uint32_t type = tiffNumber(d, e + 2, 2, big), count = tiffNumber(d, e + 4, 4, big);
    std::uint64_t len = type < 13 ? std::uint64_t(kTypeSize[type]) * count : 0;
    size_t at = len <= 4 ? e + 8 : tiffNumber(d, e + 8, 4, big);
    if (len > 0 && at + len <= d.size()) t.caption = iptcCaption(std::string_view(d).substr(at, size_t(len)));
    // A private number just below keeps the directory sorted; libtiff reads
    // it as an unknown tag and FreeImage leaves it alone.
    putTiffShort(d, e, 33722, big);
    return true;
  }
  return false;
}

FIBITMAP* loadTiff(const std::string& path, int flags) {
  TiffIptc t;
  if (!readWholeFile(path, t.data)) return nullptr;
  if (!hideTiffIptc(t)) return FreeImage_Load(FIF_TIFF, path.c_str(), flags);
  FIMEMORY* mem = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(t.data.data()), DWORD(t.data.size()));
  FIBITMAP* dib = mem ? FreeImage_LoadFromMemory(FIF_TIFF, mem, flags) : nullptr;
  if (mem) FreeImage_CloseMemory(mem);
  if (dib && !t.caption.empty()) {
    if (FITAG* tag = FreeImage_CreateTag()) {
      FreeImage_SetTagKey(tag, "Caption-Abstract");
      FreeImage_SetTagType(tag, FIDT_ASCII);
      FreeImage_SetTagCount(tag, DWORD(t.caption.size()));
      FreeImage_SetTagLength(tag, DWORD(t.caption.size()));
      FreeImage_SetTagValue(tag, t.caption.data());
      FreeImage_SetMetadata(FIMD_IPTC, dib, "Caption-Abstract", tag);
      FreeImage_DeleteTag(tag);
    }
  }
  return dib;
}

}  // namespace

ImagePtr loadImageFile(const std::string& path, FREE_IMAGE_FORMAT fif, int flags) {
  if (fif == FIF_TIFF) return ImagePtr(loadTiff(path, flags));
  return ImagePtr(FreeImage_Load(fif, path.c_str(), flags));
}

LoadedImage loadUpright(const std::string& path, FREE_IMAGE_FORMAT fif, int minLongSide) {
  LoadedImage out;
  int flags = 0;
  // The hint sits in the upper 16 bits of the flags; a side of 32768 or more
  // could not be halved within a JPEG's 65535-pixel limit anyway.
  if (fif == FIF_JPEG && minLongSide > 0 && minLongSide < 0x8000) flags = JPEG_DEFAULT | (minLongSide << 16);
  ImagePtr dib = loadImageFile(path, fif, flags);
  if (!dib || !FreeImage_HasPixels(dib.get())) return out;

  int w = int(FreeImage_GetWidth(dib.get()));
  int h = int(FreeImage_GetHeight(dib.get()));
  if (flags != 0) {
    // The shrunk decode leaves the real size in the comments.
    int ow = commentInt(dib.get(), "OriginalJPEGWidth");
    int oh = commentInt(dib.get(), "OriginalJPEGHeight");
    if (ow > 0 && oh > 0) {
      w = ow;
      h = oh;
    }
  }
  int orientation = exifOrientation(dib.get());
  if (orientation >= 5) std::swap(w, h);
  out.image = orientUpright(std::move(dib), orientation);
  if (!out.image) return LoadedImage{};
  out.fullWidth = w;
  out.fullHeight = h;
  return out;
}

ImagePtr applyUserTransform(ImagePtr image, bool flipHorizontal, bool flipVertical, int rotation) {
  if (!image) return image;
  if (flipHorizontal) FreeImage_FlipHorizontal(image.get());
  if (flipVertical) FreeImage_FlipVertical(image.get());
  if (rotation % 360 == 0) return image;
  return rotated(image.get(), rotation);
}

}  // namespace pv
