#pragma once
// Image files written byte by byte with known pixels and exact header
// layouts, for the reader tests and the damaged-file runs.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace pvtest {

inline std::string le(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xFF);
  return s;
}
inline std::string be(std::uint32_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += char((v >> (8 * i)) & 0xFF);
  return s;
}
inline std::string floatBytes(float f, bool bigEndian) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return bigEndian ? be(u, 4) : le(u, 4);
}

// Known sample values: 8 and 16 bits per channel c at (x, y), y from the top.
inline int v8(int x, int y, int c) { return (x * 37 + y * 91 + c * 53 + 11) & 0xFF; }
inline int v16(int x, int y, int c) { return (x * 4099 + y * 7919 + c * 1231 + 517) & 0xFFFF; }
inline int to8(int v16) { return int(std::lround(v16 * 255.0 / 65535.0)); }

// ---- Windows bitmaps

struct Bmp {
  std::uint32_t headerSize = 124;
  int width = 5, height = 3;
  int bits = 24;
  std::uint32_t compression = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  bool masksAfterHeader = false;         // the 40-byte header's bit fields
  std::vector<std::uint32_t> palette;    // 0xRRGGBB
  std::string pixels;

  std::string file() const {
    std::string dib = le(headerSize, 4) + le(std::uint32_t(width), 4) + le(std::uint32_t(height), 4) + le(1, 2) +
                      le(std::uint32_t(bits), 2) + le(compression, 4) + le(std::uint32_t(pixels.size()), 4) +
                      le(2835, 4) + le(2835, 4) + le(std::uint32_t(palette.size()), 4) + le(0, 4);
    if (headerSize > 40 || masksAfterHeader)
      for (int i = 0; i < (headerSize > 52 ? 4 : 3); ++i) dib += le(masks[size_t(i)], 4);
    if (headerSize >= 108) dib += le(0x73524742, 4) + std::string(48, '\0');  // sRGB, no end points or gamma
    if (headerSize >= 124) dib += le(4, 4) + std::string(12, '\0');           // rendering intent
    for (std::uint32_t c : palette) dib += le(c, 3) + '\0';
    const std::uint32_t offset = 14 + std::uint32_t(dib.size());
    return "BM" + le(offset + std::uint32_t(pixels.size()), 4) + le(0, 4) + le(offset, 4) + dib + pixels;
  }
};

// Rows bottom-up (top-down when height < 0), each padded to 4 bytes.
inline std::string bmpRows(int w, int h, int bytesPerPixel, const std::function<std::string(int x, int y)>& pixel) {
  std::string out;
  const int rows = std::abs(h);
  for (int r = 0; r < rows; ++r) {
    const int y = h > 0 ? rows - 1 - r : r;
    std::string row;
    for (int x = 0; x < w; ++x) row += pixel(x, y);
    row.resize((size_t(w * bytesPerPixel) + 3) / 4 * 4, '\0');
    out += row;
  }
  return out;
}

// ---- TIFF, little-endian, uncompressed

struct TiffEntry {
  std::uint16_t tag;
  std::uint16_t type;  // 3 SHORT, 4 LONG
  std::vector<std::uint32_t> values;
};

// Blocks (strips or tiles) first, then the directory and its long values.
inline std::string tiffFile(std::vector<TiffEntry> entries, const std::vector<std::string>& blocks, bool tiled = false) {
  std::string data;
  std::vector<std::uint32_t> offsets, counts;
  for (const std::string& b : blocks) {
    offsets.push_back(8 + std::uint32_t(data.size()));
    counts.push_back(std::uint32_t(b.size()));
    data += b;
    if (data.size() % 2) data += '\0';
  }
  entries.push_back({std::uint16_t(tiled ? 324 : 273), 4, offsets});
  entries.push_back({std::uint16_t(tiled ? 325 : 279), 4, counts});
  std::sort(entries.begin(), entries.end(), [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
  const std::uint32_t ifd = 8 + std::uint32_t(data.size());
  std::uint32_t extra = ifd + 2 + 12 * std::uint32_t(entries.size()) + 4;
  std::string dir = le(std::uint32_t(entries.size()), 2), values;
  for (const TiffEntry& e : entries) {
    const int size = e.type == 3 ? 2 : 4;
    std::string v;
    for (std::uint32_t x : e.values) v += le(x, size);
    dir += le(e.tag, 2) + le(e.type, 2) + le(std::uint32_t(e.values.size()), 4);
    if (v.size() <= 4) {
      v.resize(4, '\0');
      dir += v;
    } else {
      dir += le(extra + std::uint32_t(values.size()), 4);
      values += v;
    }
  }
  return "II*" + std::string(1, '\0') + le(ifd, 4) + data + dir + le(0, 4) + values;
}

inline std::vector<TiffEntry> tiffTags(int w, int h, std::vector<std::uint32_t> bits, int photometric, int format = 1) {
  const std::uint32_t samples = std::uint32_t(bits.size());
  return {{256, 4, {std::uint32_t(w)}},  {257, 4, {std::uint32_t(h)}},  {258, 3, bits},
          {259, 3, {1}},                 {262, 3, {std::uint32_t(photometric)}},
          {277, 3, {samples}},           {278, 4, {std::uint32_t(h)}},
          {339, 3, std::vector<std::uint32_t>(samples, std::uint32_t(format))}};
}

// Samples packed most significant bit first, each row starting on a byte.
inline std::string packedRows(int w, int h, int channels, int bits, const std::function<std::uint32_t(int, int, int)>& v) {
  std::string out;
  for (int y = 0; y < h; ++y) {
    std::string row((size_t(w * channels * bits) + 7) / 8, '\0');
    size_t bit = 0;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c)
        for (int b = bits - 1; b >= 0; --b, ++bit)
          if ((v(x, y, c) >> b) & 1) row[bit / 8] = char(row[bit / 8] | (0x80 >> (bit % 8)));
    out += row;
  }
  return out;
}

// ---- PSD, raw channels

inline std::string psdFile(int w, int h, int channels, int depth, int mode, const std::string& planes) {
  return "8BPS" + be(1, 2) + std::string(6, '\0') + be(std::uint32_t(channels), 2) + be(std::uint32_t(h), 4) +
         be(std::uint32_t(w), 4) + be(std::uint32_t(depth), 2) + be(std::uint32_t(mode), 2) + be(0, 4) + be(0, 4) +
         be(0, 4) + be(0, 2) + planes;
}

// ---- EXIF and PNG chunks

inline std::uint32_t crc32(const std::string& s) {
  std::uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// A big-endian EXIF TIFF block holding only the orientation.
inline std::string exifOrientationBlock(int orientation) {
  return "MM" + be(42, 2) + be(8, 4) + be(1, 2) + be(0x0112, 2) + be(3, 2) + be(1, 4) +
         be(std::uint32_t(orientation), 2) + be(0, 2) + be(0, 4);
}

// A PNG with an eXIf chunk right after its header chunk.
inline std::string pngWithExif(std::string png, const std::string& tiffBlock) {
  const std::string chunk = "eXIf" + tiffBlock;
  png.insert(33, be(std::uint32_t(tiffBlock.size()), 4) + chunk + be(crc32(chunk), 4));
  return png;
}

// A JPEG of 16 x 12 with an EXIF block (APP1) holding tiffBlock.
inline std::string jpegWithApp1(const pvtest::ScratchDir& dir, const std::string& tiffBlock) {
  const std::string plain = dir.file("plain.jpg");
  EXPECT_TRUE(pvtest::writeTestImage(plain, 16, 12, FIF_JPEG));
  std::string jpeg;
  pv::readWholeFile(plain, jpeg);
  const std::string body = std::string("Exif\0\0", 6) + tiffBlock;
  jpeg.insert(2, "\xFF\xE1" + be(std::uint32_t(body.size() + 2), 2) + body);
  return jpeg;
}

}  // namespace pvtest
