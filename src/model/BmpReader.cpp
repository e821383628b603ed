#include "model/BmpReader.h"

#include <bit>
#include <cstdint>
#include <vector>

#include "model/ImageHeaders.h"
#include "model/ReaderGuards.h"

namespace pv {

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5, kAlphaBitFields = 6;

std::uint32_t number(std::string_view d, size_t at, int bytes) { return numberAt(d, at, bytes, false); }

// One colour channel given by a bit mask, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    const int bits = std::countr_one(m >> shift);
    max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  }
  std::uint8_t of(std::uint32_t pixel) const {
    if (!max) return 0;
    const std::uint64_t v = ((pixel & mask) >> shift) & max;
    return std::uint8_t((v * 255 + max / 2) / max);
  }
};

struct Header {
  std::uint32_t pixelsAt = 0, size = 0, compression = 0, coloursUsed = 0;
  std::int64_t width = 0, height = 0;
  std::uint32_t bits = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t paletteAt = 0;
};

bool readHeader(std::string_view d, Header& h) {
  if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
  h.pixelsAt = number(d, 10, 4);
  h.size = number(d, 14, 4);
  if (h.size < 40 || h.size > 124 || 14 + size_t(h.size) > d.size()) return false;
  h.width = std::int32_t(number(d, 18, 4));
  h.height = std::int32_t(number(d, 22, 4));
  h.bits = number(d, 28, 2);
  h.compression = number(d, 30, 4);
  h.coloursUsed = number(d, 46, 4);
  h.paletteAt = 14 + h.size;
  // Masks sit in the longer headers, or follow the 40-byte one.
  const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
  const int maskCount = h.compression == kAlphaBitFields || h.size >= 56 ? 4 : 3;
  if (h.size >= 52) {
    for (int i = 0; i < maskCount; ++i) h.masks[i] = number(d, 54 + 4 * size_t(i), 4);
  } else if (fields) {
    for (int i = 0; i < maskCount; ++i) h.masks[i] = number(d, 54 + 4 * size_t(i), 4);
    h.paletteAt += 4 * size_t(maskCount);
  }
  if (!fields) {
    // Without bit fields the masks of the long headers mean nothing.
    if (h.bits == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F, h.masks[3] = 0;
    if (h.bits == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF, h.masks[3] = 0;
  }
  return h.width > 0 && h.height != 0 && h.height != INT32_MIN;
}

// The palette as RGBQUADs; indexes beyond it read black.
std::vector<RGBQUAD> readPalette(std::string_view d, const Header& h) {
  const size_t count = h.coloursUsed && h.coloursUsed <= 256 ? h.coloursUsed : size_t(1) << h.bits;
  std::vector<RGBQUAD> palette(256, RGBQUAD{0, 0, 0, 0});
  for (size_t i = 0; i < count && h.paletteAt + 4 * i + 4 <= d.size(); ++i) {
    palette[i].rgbBlue = BYTE(d[h.paletteAt + 4 * i]);
    palette[i].rgbGreen = BYTE(d[h.paletteAt + 4 * i + 1]);
    palette[i].rgbRed = BYTE(d[h.paletteAt + 4 * i + 2]);
  }
  return palette;
}

// Run-length encoded palette indexes into rows of width bytes, bottom row
// first; pixels the runs skip stay index 0.
bool expandRle(std::string_view d, const Header& h, std::vector<std::uint8_t>& indexes) {
  const size_t w = size_t(h.width), rows = size_t(h.height);
  indexes.assign(w * rows, 0);
  size_t x = 0, y = 0, at = h.pixelsAt;
  const bool four = h.compression == kRle4;
  auto put = [&](std::uint8_t index) {
    if (x < w && y < rows) indexes[y * w + x] = index;
    ++x;
  };
  while (at + 2 <= d.size()) {
    const std::uint8_t count = std::uint8_t(d[at]), value = std::uint8_t(d[at + 1]);
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      return true;
    } else if (value == 2) {  // move right and up
      if (at + 2 > d.size()) return false;
      x += std::uint8_t(d[at]);
      y += std::uint8_t(d[at + 1]);
      at += 2;
    } else {  // literal indexes, padded to a 16-bit boundary
      const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
      if (at + bytes > d.size()) return false;
      for (unsigned i = 0; i < value; ++i) {
        const std::uint8_t b = std::uint8_t(d[at + (four ? i / 2 : i)]);
        put(four ? (i % 2 ? b & 0x0F : b >> 4) : b);
      }
      at += bytes + bytes % 2;
    }
    if (y >= rows) return true;
  }
  return y > 0;  // a file cut short keeps the rows it has
}

// Many writers give 32-bit bitmaps an alpha mask but leave every alpha byte
// at 0; such a picture is meant to be seen, not to be wholly transparent.
void opaqueWhenAllClear(FIBITMAP* dib) {
  const unsigned w = FreeImage_GetWidth(dib), rows = FreeImage_GetHeight(dib);
  for (unsigned y = 0; y < rows; ++y) {
    const BYTE* line = FreeImage_GetScanLine(dib, int(y));
    for (unsigned x = 0; x < w; ++x)
      if (line[4 * x + FI_RGBA_ALPHA] != 0) return;
  }
  for (unsigned y = 0; y < rows; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, int(y));
    for (unsigned x = 0; x < w; ++x) line[4 * x + FI_RGBA_ALPHA] = 255;
  }
}

// Pixel data that is a whole JPEG or PNG stream, decoded by FreeImage from
// memory behind the same checks as a file of that kind.
ImagePtr decodeEmbeddedStream(std::string_view d, const Header& h) {
  if (h.pixelsAt >= d.size()) return {};
  std::string stream(d.substr(h.pixelsAt));
  const FREE_IMAGE_FORMAT fif = h.compression == kJpeg ? FIF_JPEG : FIF_PNG;
  if (!headerWorthDecoding(stream, fif)) return {};
  if (fif == FIF_JPEG) hideBrokenExif(stream);
  FIMEMORY* mem = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(stream.data()), DWORD(stream.size()));
  ImagePtr dib(mem ? FreeImage_LoadFromMemory(fif, mem, 0) : nullptr);
  if (mem) FreeImage_CloseMemory(mem);
  return dib;
}

}  // namespace

bool needsOwnBmpReader(std::string_view file) {
  return file.size() >= 34 && file[0] == 'B' && file[1] == 'M' &&
         (number(file, 14, 4) > 40 || (number(file, 14, 4) == 40 && number(file, 30, 4) != kRgb) ||
          number(file, 28, 2) == 2);
}

ImagePtr decodeBmp(std::string_view d) {
  Header h;
  if (!readHeader(d, h)) return {};
  if (h.compression == kJpeg || h.compression == kPng) return decodeEmbeddedStream(d, h);
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  if (rle ? h.bits != (h.compression == kRle8 ? 8u : 4u) || h.height < 0
          : !(h.compression == kRgb || h.compression == kBitFields || h.compression == kAlphaBitFields))
    return {};
  if (h.bits != 1 && h.bits != 2 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
    return {};
  const bool topDown = h.height < 0;
  const size_t w = size_t(h.width), rows = size_t(topDown ? -h.height : h.height);
  const bool alpha = h.bits >= 16 && h.masks[3] != 0;
  const unsigned out = alpha ? 4 : 3;

  std::vector<std::uint8_t> indexes;
  const size_t stride = (w * h.bits + 31) / 32 * 4;
  if (rle) {
    if (!expandRle(d, h, indexes)) return {};
  } else if (h.pixelsAt > d.size() || stride * rows > d.size() - h.pixelsAt) {
    return {};
  }
  ImagePtr dib(FreeImage_Allocate(int(w), int(rows), int(8 * out)));
  if (!dib) return dib;
  const std::vector<RGBQUAD> palette = h.bits <= 8 ? readPalette(d, h) : std::vector<RGBQUAD>{};
  const Channel channels[4] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2]), Channel(h.masks[3])};

  for (size_t row = 0; row < rows; ++row) {
    // FreeImage, like a bottom-up bitmap, keeps the bottom row first.
    BYTE* line = FreeImage_GetScanLine(dib.get(), int(topDown ? rows - 1 - row : row));
    const std::uint8_t* src = reinterpret_cast<const std::uint8_t*>(d.data()) + h.pixelsAt + row * stride;
    for (size_t x = 0; x < w; ++x) {
      BYTE* p = line + x * out;
      if (h.bits <= 8) {
        std::uint8_t index;
        if (rle) index = indexes[row * w + x];
        else if (h.bits == 8) index = src[x];
        else if (h.bits == 4) index = x % 2 ? src[x / 2] & 0x0F : src[x / 2] >> 4;
        else if (h.bits == 2) index = (src[x / 4] >> (6 - 2 * (x % 4))) & 3;
        else index = (src[x / 8] >> (7 - x % 8)) & 1;
        p[FI_RGBA_RED] = palette[index].rgbRed;
        p[FI_RGBA_GREEN] = palette[index].rgbGreen;
        p[FI_RGBA_BLUE] = palette[index].rgbBlue;
      } else if (h.bits == 24) {
        p[FI_RGBA_BLUE] = src[3 * x];
        p[FI_RGBA_GREEN] = src[3 * x + 1];
        p[FI_RGBA_RED] = src[3 * x + 2];
      } else {
        const std::uint32_t pixel = h.bits == 16 ? std::uint32_t(src[2 * x] | src[2 * x + 1] << 8)
                                                 : std::uint32_t(src[4 * x]) | std::uint32_t(src[4 * x + 1]) << 8 |
                                                       std::uint32_t(src[4 * x + 2]) << 16 |
                                                       std::uint32_t(src[4 * x + 3]) << 24;
        p[FI_RGBA_RED] = channels[0].of(pixel);
        p[FI_RGBA_GREEN] = channels[1].of(pixel);
        p[FI_RGBA_BLUE] = channels[2].of(pixel);
        if (alpha) p[FI_RGBA_ALPHA] = channels[3].of(pixel);
      }
    }
  }
  if (alpha) opaqueWhenAllClear(dib.get());
  return dib;
}

}  // namespace pv
