#include "model/ReaderGuards.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/Image.h"
#include "model/ImageHeaders.h"

namespace pv {

namespace {

// IPTC-NAA and the ICC profile: FreeImage's TIFF reader mishandles both.
constexpr std::uint32_t kTiffIptcTag = 33723;
constexpr std::uint32_t kTiffIccTag = 34675;

void putNumber(std::string& out, std::uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
}

// The text of dataset 2:120 in an IPTC-IIM block.
std::string iptcCaption(std::string_view iim) {
  for (size_t i = 0; i + 5 <= iim.size();) {
    if (std::uint8_t(iim[i]) != 0x1C) break;
    std::uint8_t record = std::uint8_t(iim[i + 1]), dataset = std::uint8_t(iim[i + 2]);
    size_t len = numberAt(iim, i + 3, 2, true);
    if (len & 0x8000) break;  // extended lengths are not used for texts
    i += 5;
    if (i + len > iim.size()) break;
    if (record == 2 && dataset == 120) return std::string(iim.substr(i, len));
    i += len;
  }
  return {};
}

// PackBits, one row: false when the row's data does not decode to exactly
// rowBytes bytes.
bool unpackRow(std::string_view in, size_t rowBytes, std::string& out) {
  size_t produced = 0, i = 0;
  while (i < in.size() && produced < rowBytes) {
    int n = std::int8_t(in[i++]);
    if (n >= 0) {
      size_t count = size_t(n) + 1;
      if (i + count > in.size() || produced + count > rowBytes) return false;
      out.append(in.substr(i, count));
      i += count;
      produced += count;
    } else if (n != -128) {
      size_t count = size_t(1 - n);
      if (i >= in.size() || produced + count > rowBytes) return false;
      out.append(count, in[i++]);
      produced += count;
    }
  }
  return produced == rowBytes;
}

// One PSD channel sample of 16 bits or 32-bit float (both big-endian)
// reduced to 8 bits.
char reducedSample(std::string_view raw, size_t at, std::uint32_t depth) {
  if (depth == 16) return char(eightBitsOf16(numberAt(raw, at, 2, true)));
  const std::uint32_t bits = numberAt(raw, at, 4, true);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return char(eightBitsOfFloat(v));
}

constexpr std::uint32_t kExifDirectoryTag = 0x8769;
constexpr std::uint32_t kMakerNoteTag = 0x927C;

// Renames the maker note of a sound EXIF block (the TIFF data at offset
// start of d) to the private number just below it, which FreeImage keeps
// as an unknown tag of checked length. True when there was one.
bool hideMakerNote(std::string& d, size_t start, const TiffView& exif) {
  const std::uint32_t ifd = exif.tagValue(exif.firstDirectory(), kExifDirectoryTag, 0);
  if (ifd < 8 || size_t(ifd) + 2 > exif.data.size()) return false;
  const size_t n = exif.number(ifd, 2);
  for (size_t k = 0; k < n; ++k) {
    const size_t e = ifd + 2 + 12 * k;
    if (e + 12 > exif.data.size()) break;
    if (exif.number(e, 2) != kMakerNoteTag) continue;
    const std::uint32_t renamed = kMakerNoteTag - 1;
    d[start + e + (exif.bigEndian ? 0 : 1)] = char(renamed >> 8);
    d[start + e + (exif.bigEndian ? 1 : 0)] = char(renamed & 0xFF);
    return true;
  }
  return false;
}

}  // namespace

bool hideBrokenExif(std::string& d) {
  if (d.size() < 4 || std::uint8_t(d[0]) != 0xFF || std::uint8_t(d[1]) != 0xD8) return false;
  bool changed = false;
  for (size_t at = 2; at + 4 <= d.size();) {
    if (std::uint8_t(d[at]) != 0xFF) break;
    const std::uint8_t marker = std::uint8_t(d[at + 1]);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // the scan: no more metadata
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    const size_t length = numberAt(d, at + 2, 2, true);
    if (length < 2) break;
    const std::string_view segment = std::string_view(d).substr(at + 4, length - 2);
    if (marker == 0xE1 && segment.size() >= 6 && segment.substr(0, 6) == std::string_view("Exif\0\0", 6)) {
      TiffView exif;
      if (!exif.open(segment.substr(6)) || !exif.sound()) {
        d[at + 4] = 'X';
        changed = true;
      } else if (hideMakerNote(d, at + 4 + 6, exif)) {
        changed = true;
      }
    }
    at += 2 + length;
  }
  return changed;
}

bool hideTiffTags(std::string& d, std::string& caption) {
  if (d.size() < 8) return false;
  const bool big = d[0] == 'M' && d[1] == 'M';
  if (!big && !(d[0] == 'I' && d[1] == 'I')) return false;
  size_t ifd = numberAt(d, 4, 4, big);
  if (ifd + 2 > d.size()) return false;
  size_t n = numberAt(d, ifd, 2, big);
  static constexpr std::uint32_t kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
  bool changed = false;
  for (size_t k = 0; k < n; ++k) {
    size_t e = ifd + 2 + 12 * k;
    if (e + 12 > d.size()) break;
    const std::uint32_t tag = numberAt(d, e, 2, big);
    if (tag != kTiffIptcTag && tag != kTiffIccTag) continue;
    if (tag == kTiffIptcTag) {
      std::uint32_t type = numberAt(d, e + 2, 2, big), count = numberAt(d, e + 4, 4, big);
      std::uint64_t len = type < 13 ? std::uint64_t(kTypeSize[type]) * count : 0;
      size_t at = len <= 4 ? e + 8 : numberAt(d, e + 8, 4, big);
      if (len > 0 && at + len <= d.size()) caption = iptcCaption(std::string_view(d).substr(at, size_t(len)));
    }
    // The number just below is private and unused: the directory stays
    // sorted, libtiff reads it as an unknown tag and FreeImage ignores it.
    const std::uint32_t renamed = tag - 1;
    d[e + (big ? 0 : 1)] = char(renamed >> 8);
    d[e + (big ? 1 : 0)] = char(renamed & 0xFF);
    changed = true;
  }
  return changed;
}

bool rebuildPsd(const std::string& file, std::string& clean) {
  std::string_view d(file);
  auto number = [&](size_t at, int bytes) { return numberAt(d, at, bytes, true); };
  if (d.size() < 26 || d.substr(0, 4) != "8BPS" || number(4, 2) != 1) return false;
  const std::uint32_t channels = number(12, 2), height = number(14, 4), width = number(18, 4);
  const std::uint32_t depth = number(22, 2), mode = number(24, 2);
  if (channels < 1 || channels > 56 || width < 1 || height < 1 || width > 30000 || height > 30000) return false;
  if (depth != 1 && depth != 8 && depth != 16 && depth != 32) return false;
  if (mode > 9 || mode == 5 || mode == 6) return false;

  size_t at = 26;
  auto section = [&](std::string_view& body) {
    if (at + 4 > d.size()) return false;
    size_t len = number(at, 4);
    if (len > d.size() - at - 4) return false;
    body = d.substr(at + 4, len);
    at += 4 + len;
    return true;
  };
  std::string_view colourData, resources, layers;
  if (!section(colourData) || !section(resources) || !section(layers)) return false;
  if (mode == 2 && colourData.size() != 768) return false;

  // Keep the resources FreeImage reads metadata from, each checked to lie
  // whole inside its section: IPTC, EXIF, ICC profile, resolution.
  std::string kept;
  for (size_t r = 0; r + 12 <= resources.size();) {
    if (resources.substr(r, 4) != "8BIM") break;
    std::uint32_t id = numberAt(resources, r + 4, 2, true);
    size_t nameLen = std::uint8_t(resources[r + 6]);
    size_t p = r + 6 + ((nameLen + 2) & ~size_t(1));
    if (p + 4 > resources.size()) break;
    size_t size = numberAt(resources, p, 4, true);
    if (size > resources.size() - p - 4) break;
    std::string_view data = resources.substr(p + 4, size);
    if (id == 0x0404 || id == 0x0422 || id == 0x0423 || id == 0x040F || (id == 0x03ED && size == 16)) {
      kept += "8BIM";
      putNumber(kept, id, 2);
      kept.append(2, '\0');  // empty name, padded
      putNumber(kept, std::uint32_t(size), 4);
      kept.append(data);
      if (size % 2) kept += '\0';
    }
    r = p + 4 + size + (size % 2);
  }

  if (at + 2 > d.size()) return false;
  const std::uint32_t compression = number(at, 2);
  at += 2;
  const size_t rowBytes = (size_t(width) * depth + 7) / 8;
  const size_t rows = size_t(channels) * height;
  const std::uint64_t rawSize = std::uint64_t(rowBytes) * rows;
  if (rawSize > (std::uint64_t(1) << 32)) return false;
  std::string pixels;
  if (compression == 0) {
    if (rawSize > d.size() - at) return false;
    pixels.assign(d.substr(at, size_t(rawSize)));
  } else if (compression == 1) {
    if (rows * 2 > d.size() - at) return false;
    size_t data = at + rows * 2;
    pixels.reserve(size_t(rawSize));
    for (size_t row = 0; row < rows; ++row) {
      size_t len = number(at + 2 * row, 2);
      if (len > d.size() - data || !unpackRow(d.substr(data, len), rowBytes, pixels)) return false;
      data += len;
    }
  } else {
    return false;
  }

  if (depth == 16 || depth == 32) {
    const size_t bytes = depth / 8;
    std::string reduced(pixels.size() / bytes, '\0');
    for (size_t i = 0; i < reduced.size(); ++i) reduced[i] = reducedSample(pixels, i * bytes, depth);
    pixels = std::move(reduced);
  }

  clean.assign(file, 0, 26);
  if (depth == 16 || depth == 32) {
    clean[22] = '\0';
    clean[23] = char(8);
  }
  putNumber(clean, std::uint32_t(colourData.size()), 4);
  clean.append(colourData);
  putNumber(clean, std::uint32_t(kept.size()), 4);
  clean += kept;
  putNumber(clean, 0, 4);  // no layers
  putNumber(clean, 0, 2);  // raw channels
  clean += pixels;
  return true;
}

}  // namespace pv
