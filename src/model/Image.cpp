#include "model/Image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include <jpeglib.h>
#include <malloc.h>
#include <tiffio.h>

#include "model/BmpReader.h"
#include "model/HeifReader.h"
#include "model/ImageHeaders.h"
#include "model/ReaderGuards.h"
#include "model/TiffReader.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

// Set while this thread decodes a JPEG; the reader's complaints about data
// that ends early or does not decode mark the picture as damaged.
thread_local bool tWatchingJpeg = false;
thread_local bool tJpegDamaged = false;

// libjpeg's complaints about data that ends early or does not decode.
bool isDamageMessage(const std::string& text) {
  return text.find("remature end") != std::string::npos || text.find("Huffman") != std::string::npos ||
         text.find("Corrupt JPEG data: found marker") != std::string::npos;
}

void readerMessage(FREE_IMAGE_FORMAT, const char* message) {
  if (tWatchingJpeg && message && isDamageMessage(message)) tJpegDamaged = true;
}

}  // namespace

void initialiseImageLibrary() {
  // Pictures are decoded into buffers of several megabytes, one after the
  // other on every core. By default the C library maps each afresh and
  // unmaps it when freed, and the kernel zeroes its pages each time (a tenth
  // of a build); kept in the heap, they are reused.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  FreeImage_Initialise(FALSE);
  FreeImage_SetOutputMessage(readerMessage);
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  registerHeifReader();
}

void shutdownImageLibrary() { FreeImage_DeInitialise(); }

FREE_IMAGE_FORMAT formatFromFileName(const std::string& path) {
  // FreeImage splits its extension lists with strtok, whose position is
  // shared by every thread: two lookups at once can miss a known extension.
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  const FREE_IMAGE_FORMAT fif = FreeImage_GetFIFFromFilename(path.c_str());
  // FreeImage's list of RAW extensions runs "cr3" and "crw" together.
  if (fif == FIF_UNKNOWN && (endsWithNoCase(path, ".cr3") || endsWithNoCase(path, ".crw"))) return FIF_RAW;
  return fif;
}

bool isSourceOnlyFormat(FREE_IMAGE_FORMAT fif) {
  return fif == FIF_RAW || fif == FIF_WEBP || (fif != FIF_UNKNOWN && fif == heifFormat());
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

// FreeImage first, as it keeps the metadata; libtiff for the layouts
// FreeImage refuses.
ImagePtr loadTiff(std::string& data, int flags) {
  std::string caption;
  hideTiffTags(data, caption);
  ImagePtr dib(loadFromMemory(FIF_TIFF, data, flags));
  if (!dib) dib = decodeTiff(data);
  if (dib && !caption.empty()) attachIptcCaption(dib.get(), caption);
  return dib;
}

ImagePtr loadPsd(const std::string& data, int flags) {
  std::string clean;
  if (!rebuildPsd(data, clean)) return {};
  return ImagePtr(loadFromMemory(FIF_PSD, clean, flags));
}

// A JPEG segment holds at most this many bytes after its length field.
constexpr size_t kSegmentLimit = 65533;

std::string app1(const std::string& header, const std::string& body) {
  const size_t length = 2 + header.size() + body.size();
  if (body.empty() || length > kSegmentLimit + 2) return {};
  return std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + header + body;
}

// The smallest JPEG FreeImage writes, whose header follows the metadata
// segments that carry another format's blocks to FreeImage's EXIF and XMP readers.
const std::string& emptyJpeg() {
  static const std::string jpeg = [] {
    std::string out;
    ImagePtr pixel(FreeImage_Allocate(1, 1, 24));
    FIMEMORY* mem = FreeImage_OpenMemory();
    if (pixel && mem && FreeImage_SaveToMemory(FIF_JPEG, pixel.get(), mem, JPEG_BASELINE)) {
      BYTE* data = nullptr;
      DWORD size = 0;
      if (FreeImage_AcquireMemory(mem, &data, &size)) out.assign(reinterpret_cast<const char*>(data), size);
    }
    if (mem) FreeImage_CloseMemory(mem);
    return out;
  }();
  return jpeg;
}

struct Decoded {
  ImagePtr image;
  int orientation = 1;
  bool damaged = false;
  int fullWidth = 0, fullHeight = 0;  // before turning; 0 when the image has the full size
};

// Camera RAW: the size from LibRaw's header pass, checked before anything
// is decoded; then the embedded preview when its longer side is at least
// minLongSide, else a full development (8 bits, gamma-corrected, which
// LibRaw turns upright itself).
Decoded decodeRaw(std::string& data, int flags, const DecodeSideFor& sideFor) {
  Decoded out;
  ImagePtr header(loadFromMemory(FIF_RAW, data, FIF_LOAD_NOPIXELS));
  if (!header) return out;
  const std::uint64_t w = FreeImage_GetWidth(header.get()), h = FreeImage_GetHeight(header.get());
  if (w == 0 || h == 0 || w * h > kMaxImagePixels) return out;
  if (flags & FIF_LOAD_NOPIXELS) {
    // The reader hands on no metadata of its own.
    attachMetadataBlocks(header.get(), {{rawExifBlock(data)}, {}});
    out.image = std::move(header);
    out.orientation = embeddedOrientation(data, FIF_RAW);
    return out;
  }
  const int minLongSide = sideFor ? sideFor(int(w), int(h), embeddedOrientation(data, FIF_RAW)) : 0;
  if (minLongSide > 0) {
    ImagePtr preview(loadFromMemory(FIF_RAW, data, RAW_PREVIEW));
    const int pw = preview ? int(FreeImage_GetWidth(preview.get())) : 0;
    const int ph = preview ? int(FreeImage_GetHeight(preview.get())) : 0;
    if (std::max(pw, ph) >= minLongSide) {
      // Without a preview the reader has developed the file, upright
      // already; a preview with an orientation of its own has been turned
      // by it. Any other preview is turned as the camera recorded.
      const int orientation = embeddedOrientation(data, FIF_RAW);
      const bool developed = std::max(pw, ph) == int(std::max(w, h)) && std::min(pw, ph) == int(std::min(w, h));
      const bool upright = developed || exifOrientation(preview.get()) != 1;
      out.orientation = upright ? 1 : orientation;
      // The full size, lying as the picture handed on does.
      const bool turn = upright ? (ph > pw) != (h > w) : false;
      out.fullWidth = int(turn ? h : w);
      out.fullHeight = int(turn ? w : h);
      out.image = std::move(preview);
      return out;
    }
  }
  out.image.reset(loadFromMemory(FIF_RAW, data, RAW_DISPLAY));
  return out;
}

// libjpeg's fatal errors end the decode; its warnings about data that ends
// early or does not decode mark the picture as damaged.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf fatal;
  bool damaged = false;
};

[[noreturn]] void jpegFatal(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->fatal, 1); }

void jpegMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace output, not a complaint
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  if (isDamageMessage(text)) reinterpret_cast<JpegErrors*>(info->err)->damaged = true;
}

// A JPEG of YCbCr, RGB or grey straight into a 24-bit picture, shrunk in the
// decoder by 2, 4 or 8 as FreeImage's size hint does and with the same
// settings: FreeImage's pixels, without its copies of the data and its
// reading of every metadata block. Null for CMYK and for what libjpeg
// refuses; FreeImage's reader then tries.
Decoded decodePlainJpeg(const std::string& data, int minLongSide) {
  Decoded out;
  JpegErrors errors;
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = jpegFatal;
  errors.manager.emit_message = jpegMessage;
  jpeg_create_decompress(&info);
  FIBITMAP* volatile dib = nullptr;
  if (setjmp(errors.fatal)) {
    jpeg_destroy_decompress(&info);
    if (dib) FreeImage_Unload(dib);
    return {};
  }
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    jpeg_destroy_decompress(&info);
    return {};
  }
  const double reduction = minLongSide > 0 ? double(std::max(info.image_width, info.image_height)) / minLongSide : 1;
  info.scale_num = 1;
  info.scale_denom = reduction >= 8 ? 8 : reduction >= 4 ? 4 : reduction >= 2 ? 2 : 1;
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  dib = FreeImage_Allocate(int(info.output_width), int(info.output_height), 24);
  if (!dib) std::longjmp(errors.fatal, 1);
  // Several rows a call: the decoder makes two at a time from subsampled
  // colour, and a single row asked for costs it a copy of the other.
  constexpr JDIMENSION kRowsPerCall = 16;
  JSAMPROW rows[kRowsPerCall];
  while (info.output_scanline < info.output_height) {
    const JDIMENSION count = std::min(kRowsPerCall, info.output_height - info.output_scanline);
    // FreeImage keeps the bottom row first.
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = FreeImage_GetScanLine(dib, int(info.output_height - 1 - info.output_scanline - i));
    if (jpeg_read_scanlines(&info, rows, count) == 0) break;
  }
  jpeg_finish_decompress(&info);
  out.fullWidth = int(info.image_width);
  out.fullHeight = int(info.image_height);
  jpeg_destroy_decompress(&info);
  out.image.reset(dib);
  out.damaged = errors.damaged;
  return out;
}

// A JPEG's head (its segments up to the first scan), read in growing steps,
// when the file also ends in an end-of-image marker: entropy-coded data never
// holds 0xFF 0xD9, so such a file was not cut short within its scan, and its
// header and metadata are all a header-only read needs. Empty otherwise
// (trailing data behind the end, a head not found): the caller reads the
// whole file and walks it.
std::string wholeJpegHead(const std::string& path) {
  std::string tail, head;
  std::uint64_t size = fileSizeOf(path);
  if (size < 4 || !readFilePart(path, size - 2, 2, tail, size) || tail != "\xFF\xD9") return {};
  for (size_t step = 64 << 10;; step *= 4) {
    if (!readFilePart(path, 0, step, head, size)) return {};
    if (const size_t length = jpegHeadLength(head)) return head.substr(0, length);
    if (head.size() < step || step >= kMaxFileBytes) return {};
  }
}

// Every reader is given the file from memory, after the guards have looked
// at it; a header claiming too many pixels, or none, is never decoded.
Decoded decodeFile(const std::string& path, FREE_IMAGE_FORMAT fif, int flags, const DecodeSideFor& sideFor = {}) {
  std::string data;
  if (fif == FIF_JPEG && (flags & FIF_LOAD_NOPIXELS)) data = wholeJpegHead(path);
  const bool headOnly = !data.empty();
  if ((!headOnly && !readWholeFile(path, data)) || !headerWorthDecoding(data, fif)) return {};
  if (fif == FIF_RAW) return decodeRaw(data, flags, sideFor);
  Decoded out;
  if (fif != FIF_UNKNOWN && fif == heifFormat()) {
    out.image = decodeHeif(data, !(flags & FIF_LOAD_NOPIXELS));
    return out;
  }
  switch (fif) {
    case FIF_TIFF: out.image = loadTiff(data, flags); break;
    case FIF_PSD: out.image = loadPsd(data, flags); break;
    case FIF_BMP:
      out.image = needsOwnBmpReader(data) ? decodeBmp(data) : ImagePtr(loadFromMemory(fif, data, flags));
      break;
    case FIF_JPEG:
      hideBrokenExif(data);
      if (sideFor) {
        // The header from the bytes already read: the file is read once.
        ImagePtr header(loadFromMemory(fif, data, FIF_LOAD_NOPIXELS));
        if (!header) return out;
        const int side = sideFor(int(FreeImage_GetWidth(header.get())), int(FreeImage_GetHeight(header.get())),
                                 exifOrientation(header.get()));
        // The hint sits in the upper 16 bits of the flags; a side of 32768 or
        // more could not be halved within a JPEG's 65535-pixel limit anyway.
        if (side > 0 && side < 0x8000) flags |= side << 16;
        Decoded plain = decodePlainJpeg(data, flags >> 16);
        if (plain.image) {
          plain.orientation = exifOrientation(header.get());
          return plain;
        }
      }
      tWatchingJpeg = true;
      tJpegDamaged = false;
      out.image.reset(loadFromMemory(fif, data, flags));
      tWatchingJpeg = false;
      // The reader fills what it could not decode with grey; without
      // pixels, a file cut short is all that can be told.
      out.damaged = out.image && ((flags & FIF_LOAD_NOPIXELS) ? !headOnly && jpegCutShort(data) : tJpegDamaged);
      break;
    default: out.image.reset(loadFromMemory(fif, data, flags));
  }
  // FreeImage hands on the EXIF orientation of JPEGs only.
  out.orientation = fif == FIF_JPEG ? exifOrientation(out.image.get()) : embeddedOrientation(data, fif);
  return out;
}

}  // namespace

void attachMetadataBlocks(FIBITMAP* dib, const MetadataBlocks& blocks) {
  static const std::string exifHeader("Exif\0\0", 6), xmpHeader("http://ns.adobe.com/xap/1.0/\0", 29);
  std::string segments;
  for (const std::string& exif : blocks.exif) segments += app1(exifHeader, exif);
  for (const std::string& xmp : blocks.xmp) segments += app1(xmpHeader, xmp);
  if (!dib || segments.empty() || emptyJpeg().size() < 4) return;
  std::string jpeg = emptyJpeg().substr(0, 2) + segments + emptyJpeg().substr(2);
  hideBrokenExif(jpeg);
  ImagePtr carrier(loadFromMemory(FIF_JPEG, jpeg, FIF_LOAD_NOPIXELS));
  if (carrier) FreeImage_CloneMetadata(dib, carrier.get());
}

ImagePtr loadImageFile(const std::string& path, FREE_IMAGE_FORMAT fif, int flags) {
  return decodeFile(path, fif, flags).image;
}

LoadedImage loadUpright(const std::string& path, FREE_IMAGE_FORMAT fif, int minLongSide) {
  return loadUpright(path, fif, minLongSide > 0 ? DecodeSideFor([minLongSide](int, int, int) { return minLongSide; })
                                                : DecodeSideFor());
}

LoadedImage loadUpright(const std::string& path, FREE_IMAGE_FORMAT fif, const DecodeSideFor& sideFor) {
  LoadedImage out;
  Decoded decoded = decodeFile(path, fif, 0, sideFor);
  ImagePtr dib = std::move(decoded.image);
  if (!dib || !FreeImage_HasPixels(dib.get())) return out;

  int w = decoded.fullWidth > 0 ? decoded.fullWidth : int(FreeImage_GetWidth(dib.get()));
  int h = decoded.fullHeight > 0 ? decoded.fullHeight : int(FreeImage_GetHeight(dib.get()));
  if (fif == FIF_JPEG) {
    // A shrunk decode leaves the real size in the comments.
    int ow = commentInt(dib.get(), "OriginalJPEGWidth");
    int oh = commentInt(dib.get(), "OriginalJPEGHeight");
    if (ow > 0 && oh > 0) {
      w = ow;
      h = oh;
    }
  }
  const int orientation = decoded.orientation;
  if (orientation >= 5) std::swap(w, h);
  out.image = orientUpright(std::move(dib), orientation);
  if (!out.image) return LoadedImage{};
  out.damaged = decoded.damaged;
  out.fullWidth = w;
  out.fullHeight = h;
  return out;
}

ImageHeader readImageHeader(const std::string& path, FREE_IMAGE_FORMAT fif) {
  // FreeImage's GIF reader cannot stop after the header; GIFs are small.
  if (fif == FIF_GIF || !FreeImage_FIFSupportsNoPixels(fif)) {
    LoadedImage loaded = loadUpright(path, fif);
    return {std::move(loaded.image), loaded.fullWidth, loaded.fullHeight, loaded.damaged};
  }
  Decoded decoded = decodeFile(path, fif, FIF_LOAD_NOPIXELS);
  FIBITMAP* dib = decoded.image.get();
  if (!dib || FreeImage_GetWidth(dib) == 0 || FreeImage_GetHeight(dib) == 0) return {};
  ImageHeader out{std::move(decoded.image), int(FreeImage_GetWidth(dib)), int(FreeImage_GetHeight(dib)),
                  decoded.damaged};
  if (decoded.orientation >= 5) std::swap(out.width, out.height);
  return out;
}

namespace {

// An image of a type other than FIT_BITMAP with 8 bits per channel: grey
// stays grey (8 bits with a grey palette), colour becomes 24 or 32 bits.
ImagePtr eightBitsPerChannel(FIBITMAP* src) {
  const FREE_IMAGE_TYPE type = FreeImage_GetImageType(src);
  const unsigned w = FreeImage_GetWidth(src), h = FreeImage_GetHeight(src);
  int channels = 0;
  switch (type) {
    case FIT_UINT16: case FIT_FLOAT: channels = 1; break;
    case FIT_RGB16: case FIT_RGBF: channels = 3; break;
    case FIT_RGBA16: case FIT_RGBAF: channels = 4; break;
    default: return ImagePtr(FreeImage_ConvertToStandardType(src, TRUE));
  }
  ImagePtr out(FreeImage_Allocate(int(w), int(h), 8 * channels));
  if (!out) return out;
  if (channels == 1) {
    RGBQUAD* palette = FreeImage_GetPalette(out.get());
    for (int i = 0; i < 256; ++i) palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
  }
  for (unsigned y = 0; y < h; ++y) {
    const BYTE* in = FreeImage_GetScanLine(src, int(y));
    BYTE* line = FreeImage_GetScanLine(out.get(), int(y));
    for (unsigned x = 0; x < w; ++x) {
      BYTE* p = line + size_t(x) * unsigned(channels);
      switch (type) {
        case FIT_UINT16: p[0] = eightBitsOf16(reinterpret_cast<const WORD*>(in)[x]); break;
        case FIT_FLOAT: p[0] = eightBitsOfFloat(reinterpret_cast<const float*>(in)[x]); break;
        case FIT_RGB16: {
          const FIRGB16& c = reinterpret_cast<const FIRGB16*>(in)[x];
          p[FI_RGBA_RED] = eightBitsOf16(c.red), p[FI_RGBA_GREEN] = eightBitsOf16(c.green), p[FI_RGBA_BLUE] = eightBitsOf16(c.blue);
          break;
        }
        case FIT_RGBA16: {
          const FIRGBA16& c = reinterpret_cast<const FIRGBA16*>(in)[x];
          p[FI_RGBA_RED] = eightBitsOf16(c.red), p[FI_RGBA_GREEN] = eightBitsOf16(c.green), p[FI_RGBA_BLUE] = eightBitsOf16(c.blue);
          p[FI_RGBA_ALPHA] = eightBitsOf16(c.alpha);
          break;
        }
        case FIT_RGBF: {
          const FIRGBF& c = reinterpret_cast<const FIRGBF*>(in)[x];
          p[FI_RGBA_RED] = eightBitsOfFloat(c.red), p[FI_RGBA_GREEN] = eightBitsOfFloat(c.green), p[FI_RGBA_BLUE] = eightBitsOfFloat(c.blue);
          break;
        }
        default: {
          const FIRGBAF& c = reinterpret_cast<const FIRGBAF*>(in)[x];
          p[FI_RGBA_RED] = eightBitsOfFloat(c.red), p[FI_RGBA_GREEN] = eightBitsOfFloat(c.green), p[FI_RGBA_BLUE] = eightBitsOfFloat(c.blue);
          p[FI_RGBA_ALPHA] = eightBitsOfFloat(c.alpha);
        }
      }
    }
  }
  return out;
}

}  // namespace

ImagePtr to24Bits(ImagePtr image) {
  if (!image || (FreeImage_GetImageType(image.get()) == FIT_BITMAP && FreeImage_GetBPP(image.get()) == 24))
    return image;
  ImagePtr standard =
      FreeImage_GetImageType(image.get()) == FIT_BITMAP ? nullptr : eightBitsPerChannel(image.get());
  ImagePtr rgb(FreeImage_ConvertTo24Bits(standard ? standard.get() : image.get()));
  if (rgb) FreeImage_CloneMetadata(rgb.get(), image.get());
  return rgb;
}

ImagePtr applyUserTransform(ImagePtr image, bool flipHorizontal, bool flipVertical, int rotation) {
  if (!image) return image;
  if (flipHorizontal) FreeImage_FlipHorizontal(image.get());
  if (flipVertical) FreeImage_FlipVertical(image.get());
  if (rotation % 360 == 0) return image;
  return rotated(image.get(), rotation);
}

}  // namespace pv
