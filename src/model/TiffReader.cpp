#include "model/TiffReader.h"

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace pv {

namespace {

// libtiff reads through these from a file held in memory.
struct MemoryFile {
  std::string_view data;
  toff_t at = 0;
};

tsize_t readMemory(thandle_t h, tdata_t buffer, tsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  if (size < 0 || f->at >= f->data.size()) return 0;
  const size_t n = std::min<size_t>(size_t(size), f->data.size() - size_t(f->at));
  std::memcpy(buffer, f->data.data() + f->at, n);
  f->at += n;
  return tsize_t(n);
}
tsize_t writeNothing(thandle_t, tdata_t, tsize_t) { return -1; }
toff_t seekMemory(thandle_t h, toff_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t base = whence == SEEK_CUR ? f->at : whence == SEEK_END ? toff_t(f->data.size()) : 0;
  f->at = base + offset;
  return f->at;
}
int closeNothing(thandle_t) { return 0; }
toff_t sizeOfMemory(thandle_t h) { return static_cast<MemoryFile*>(h)->data.size(); }
int mapMemory(thandle_t h, tdata_t* base, toff_t* size) {
  auto* f = static_cast<MemoryFile*>(h);
  *base = const_cast<char*>(f->data.data());
  *size = f->data.size();
  return 1;
}
void unmapNothing(thandle_t, tdata_t, toff_t) {}

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

struct Layout {
  std::uint32_t width = 0, height = 0;
  std::uint16_t samples = 1, bits = 8, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
};

// Sample i of a row as 8 bits: integers scaled from their full range,
// floats clamped to 0..1. libtiff has put 16- and 32-bit samples into host
// byte order; other depths are packed most significant bit first.
std::uint8_t sampleAt(const std::uint8_t* row, size_t i, const Layout& l) {
  if (l.format == SAMPLEFORMAT_IEEEFP) {
    double v;
    if (l.bits == 32) {
      float f;
      std::memcpy(&f, row + 4 * i, 4);
      v = f;
    } else {
      std::memcpy(&v, row + 8 * i, 8);
    }
    return eightBitsOfFloat(v);
  }
  std::uint64_t v = 0;
  if (l.bits == 8) {
    return row[i];
  } else if (l.bits == 16) {
    std::uint16_t s;
    std::memcpy(&s, row + 2 * i, 2);
    return eightBitsOf16(s);
  } else if (l.bits == 32) {
    std::uint32_t s;
    std::memcpy(&s, row + 4 * i, 4);
    v = s;
  } else {
    const size_t bit = i * l.bits;
    for (unsigned b = 0; b < l.bits; ++b) {
      const size_t p = bit + b;
      v = (v << 1) | ((row[p / 8] >> (7 - p % 8)) & 1);
    }
  }
  const std::uint64_t max = (std::uint64_t(1) << l.bits) - 1;
  return std::uint8_t((v * 255 + max / 2) / max);
}

bool supportedDirectly(const Layout& l) {
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  const bool rgb = l.photometric == PHOTOMETRIC_RGB && l.samples >= 3;
  if (!(grey || rgb) || l.samples < 1 || l.samples > 8) return false;
  if (l.format == SAMPLEFORMAT_IEEEFP) return l.bits == 32 || l.bits == 64;
  return (l.format == SAMPLEFORMAT_UINT || l.format == 0) && l.bits >= 1 && l.bits <= 32 && (l.bits <= 16 || l.bits == 32);
}

// The picture read strip by strip or tile by tile, each plane on its own,
// into an 8-bit image of channels 1 (grey), 3 or 4.
ImagePtr readSamples(TIFF* tif, const Layout& l) {
  const bool grey = l.photometric != PHOTOMETRIC_RGB;
  const unsigned channels = grey ? 1 : l.samples >= 4 ? 4 : 3;
  ImagePtr dib(FreeImage_Allocate(int(l.width), int(l.height), int(8 * channels)));
  if (!dib) return dib;
  if (grey) {
    RGBQUAD* palette = FreeImage_GetPalette(dib.get());
    for (int i = 0; i < 256; ++i) palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = BYTE(i);
  }
  static constexpr int kPlace[4] = {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE, FI_RGBA_ALPHA};

  const bool tiled = TIFFIsTiled(tif);
  std::uint32_t blockWidth = l.width, blockHeight = l.height;
  if (tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &blockWidth);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &blockHeight);
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &blockHeight);
    blockHeight = std::min(blockHeight, l.height);
  }
  if (blockWidth == 0 || blockHeight == 0) return {};
  const bool separate = l.planar == PLANARCONFIG_SEPARATE;
  const unsigned samplesPerBlock = separate ? 1 : l.samples;
  const std::uint64_t rowBytes = (std::uint64_t(blockWidth) * samplesPerBlock * l.bits + 7) / 8;
  const tmsize_t blockSize = tiled ? TIFFTileSize(tif) : TIFFStripSize(tif);
  if (blockSize <= 0 || std::uint64_t(blockSize) < rowBytes) return {};
  std::vector<std::uint8_t> block(size_t(blockSize), 0);

  const unsigned planes = separate ? l.samples : 1;
  for (unsigned plane = 0; plane < planes; ++plane) {
    if (separate && plane >= channels) break;  // extra planes beyond the colour ones
    for (std::uint32_t y0 = 0; y0 < l.height; y0 += blockHeight) {
      for (std::uint32_t x0 = 0; x0 < l.width; x0 += blockWidth) {
        const tmsize_t got =
            tiled ? TIFFReadEncodedTile(tif, TIFFComputeTile(tif, x0, y0, 0, tsample_t(plane)), block.data(), blockSize)
                  : TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y0, tsample_t(plane)), block.data(), blockSize);
        if (got < 0) return {};
        for (std::uint32_t by = 0; by < blockHeight && y0 + by < l.height; ++by) {
          if ((by + 1) * rowBytes > std::uint64_t(got)) break;  // a short last strip
          const std::uint8_t* row = block.data() + by * rowBytes;
          BYTE* line = FreeImage_GetScanLine(dib.get(), int(l.height - 1 - (y0 + by)));
          for (std::uint32_t bx = 0; bx < blockWidth && x0 + bx < l.width; ++bx) {
            BYTE* pixel = line + size_t(x0 + bx) * channels;
            for (unsigned c = 0; c < (separate ? 1 : channels); ++c) {
              std::uint8_t v = sampleAt(row, size_t(bx) * samplesPerBlock + c, l);
              if (l.photometric == PHOTOMETRIC_MINISWHITE) v = std::uint8_t(255 - v);
              const unsigned channel = separate ? plane : c;
              pixel[grey ? 0 : kPlace[channel]] = v;
            }
          }
        }
      }
    }
  }
  return dib;
}

// Palette, YCbCr, CMYK, Lab and the like: libtiff's own conversion to RGBA.
ImagePtr readRgba(TIFF* tif, const Layout& l) {
  ImagePtr dib(FreeImage_Allocate(int(l.width), int(l.height), 32));
  if (!dib) return dib;
  std::vector<std::uint32_t> raster(size_t(l.width) * l.height);
  // The caller applies the orientation tag; libtiff would flip by it too.
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0)) return {};
  for (std::uint32_t y = 0; y < l.height; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), int(l.height - 1 - y));
    for (std::uint32_t x = 0; x < l.width; ++x) {
      const std::uint32_t p = raster[size_t(y) * l.width + x];
      line[4 * x + FI_RGBA_RED] = BYTE(TIFFGetR(p));
      line[4 * x + FI_RGBA_GREEN] = BYTE(TIFFGetG(p));
      line[4 * x + FI_RGBA_BLUE] = BYTE(TIFFGetB(p));
      line[4 * x + FI_RGBA_ALPHA] = BYTE(TIFFGetA(p));
    }
  }
  return dib;
}

}  // namespace

ImagePtr decodeTiff(std::string_view file) {
  MemoryFile memory{file};
  std::unique_ptr<TIFF, TiffCloser> tif(TIFFClientOpen("memory", "r", &memory, readMemory, writeNothing, seekMemory,
                                                       closeNothing, sizeOfMemory, mapMemory, unmapNothing));
  if (!tif) return {};
  Layout l;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &l.format);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &l.planar);
  if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &l.photometric)) l.photometric = PHOTOMETRIC_MINISBLACK;
  if (l.width == 0 || l.height == 0 || l.width > 0xFFFFFF || l.height > 0xFFFFFF) return {};
  if (supportedDirectly(l)) return readSamples(tif.get(), l);
  return readRgba(tif.get(), l);
}

}  // namespace pv
