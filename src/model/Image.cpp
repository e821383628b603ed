#include "model/Image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <tiffio.h>

#include "model/ReaderGuards.h"
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

FREE_IMAGE_FORMAT formatFromFileName(const std::string& path) {
  // FreeImage splits its extension lists with strtok, whose position is
  // shared by every thread: two lookups at once can miss a known extension.
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  return FreeImage_GetFIFFromFilename(path.c_str());
}

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

FIBITMAP* loadFromMemory(FREE_IMAGE_FORMAT fif, std::string& data, int flags) {
  FIMEMORY* mem = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(data.data()), DWORD(data.size()));
  FIBITMAP* dib = mem ? FreeImage_LoadFromMemory(fif, mem, flags) : nullptr;
  if (mem) FreeImage_CloseMemory(mem);
  return dib;
}

void attachIptcCaption(FIBITMAP* dib, const std::string& caption) {
  FITAG* tag = FreeImage_CreateTag();
  if (!tag) return;
  FreeImage_SetTagKey(tag, "Caption-Abstract");
  FreeImage_SetTagType(tag, FIDT_ASCII);
  FreeImage_SetTagCount(tag, DWORD(caption.size()));
  FreeImage_SetTagLength(tag, DWORD(caption.size()));
  FreeImage_SetTagValue(tag, caption.data());
  FreeImage_SetMetadata(FIMD_IPTC, dib, "Caption-Abstract", tag);
  FreeImage_DeleteTag(tag);
}

FIBITMAP* loadTiff(const std::string& path, int flags) {
  std::string data, caption;
  if (!readWholeFile(path, data)) return nullptr;
  if (!hideTiffTags(data, caption)) return FreeImage_Load(FIF_TIFF, path.c_str(), flags);
  FIBITMAP* dib = loadFromMemory(FIF_TIFF, data, flags);
  if (dib && !caption.empty()) attachIptcCaption(dib, caption);
  return dib;
}

FIBITMAP* loadPsd(const std::string& path, int flags) {
  std::string data, clean;
  if (!readWholeFile(path, data) || !rebuildPsd(data, clean)) return nullptr;
  return loadFromMemory(FIF_PSD, clean, flags);
}

}  // namespace

ImagePtr loadImageFile(const std::string& path, FREE_IMAGE_FORMAT fif, int flags) {
  if (fif == FIF_TIFF) return ImagePtr(loadTiff(path, flags));
  if (fif == FIF_PSD) return ImagePtr(loadPsd(path, flags));
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
