#include "model/ImageHeaders.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <set>
#include <vector>

#include "model/HeifReader.h"

namespace pv {

namespace {

std::uint32_t bigEndianNumber(std::string_view d, size_t at, int bytes) { return numberAt(d, at, bytes, true); }
std::uint32_t littleEndianNumber(std::string_view d, size_t at, int bytes) { return numberAt(d, at, bytes, false); }

ClaimedSize jpegSize(std::string_view d) {
  // Markers up to the first scan; a frame header (SOF) gives the size.
  for (size_t at = 2; at + 4 <= d.size();) {
    if (std::uint8_t(d[at]) != 0xFF) {  // the decoder skips stray bytes to the next marker, so do we
      ++at;
      continue;
    }
    const std::uint8_t marker = std::uint8_t(d[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return {};
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) return {bigEndianNumber(d, at + 7, 2), bigEndianNumber(d, at + 5, 2)};
    at += 2 + bigEndianNumber(d, at + 2, 2);
  }
  return {};
}

ClaimedSize gifSize(std::string_view d) {
  ClaimedSize size{littleEndianNumber(d, 6, 2), littleEndianNumber(d, 8, 2)};
  // The first frame may be larger than the logical screen.
  size_t at = 13;
  if (d.size() > 10 && (std::uint8_t(d[10]) & 0x80)) at += 3u << ((std::uint8_t(d[10]) & 7) + 1);
  while (at < d.size()) {
    const std::uint8_t block = std::uint8_t(d[at]);
    if (block == 0x2C) {
      size.width = std::max<std::uint64_t>(size.width, littleEndianNumber(d, at + 5, 2));
      size.height = std::max<std::uint64_t>(size.height, littleEndianNumber(d, at + 7, 2));
      break;
    }
    if (block != 0x21) break;
    at += 2;  // introducer and label, then data sub-blocks up to an empty one
    while (at < d.size() && d[at] != 0) at += 1 + std::uint8_t(d[at]);
    ++at;
  }
  return size;
}

ClaimedSize bmpSize(std::string_view d) {
  const std::uint32_t headerSize = littleEndianNumber(d, 14, 4);
  if (headerSize == 12) return {littleEndianNumber(d, 18, 2), littleEndianNumber(d, 20, 2)};
  const std::int32_t w = std::int32_t(littleEndianNumber(d, 18, 4)), h = std::int32_t(littleEndianNumber(d, 22, 4));
  // A negative height means rows stored top-down.
  return {std::uint64_t(w < 0 ? -std::int64_t(w) : w), std::uint64_t(h < 0 ? -std::int64_t(h) : h)};
}

// BigTIFF: 8-byte offsets and counts, 20-byte directory entries.
ClaimedSize bigTiffSize(std::string_view d, bool bigEndian) {
  auto number = [&](size_t at, int bytes) -> std::uint64_t {
    if (bytes == 8) {
      const std::uint64_t a = bigEndian ? bigEndianNumber(d, at, 4) : littleEndianNumber(d, at + 4, 4);
      const std::uint64_t b = bigEndian ? bigEndianNumber(d, at + 4, 4) : littleEndianNumber(d, at, 4);
      return a << 32 | b;
    }
    return numberAt(d, at, bytes, bigEndian);
  };
  const std::uint64_t ifd = number(8, 8);
  if (ifd >= d.size() || d.size() - ifd < 8) return {};
  const std::uint64_t n = std::min<std::uint64_t>(number(size_t(ifd), 8), (d.size() - ifd - 8) / 20);
  ClaimedSize size;
  for (std::uint64_t k = 0; k < n; ++k) {
    const size_t e = size_t(ifd + 8 + 20 * k);
    const std::uint32_t tag = std::uint32_t(number(e, 2)), type = std::uint32_t(number(e + 2, 2));
    const std::uint64_t v = type == 3 ? number(e + 12, 2) : type == 4 ? number(e + 12, 4) : type == 16 ? number(e + 12, 8) : 0;
    if (tag == 256) size.width = v;
    if (tag == 257) size.height = v;
  }
  // Sides beyond 32 bits could overflow the product; they are too large anyway.
  size.width = std::min<std::uint64_t>(size.width, 0xFFFFFFFF);
  size.height = std::min<std::uint64_t>(size.height, 0xFFFFFFFF);
  return size;
}

ClaimedSize tiffSize(std::string_view d) {
  if (d.size() >= 16 && (d.substr(0, 4) == std::string_view("II+\0", 4) || d.substr(0, 4) == std::string_view("MM\0+", 4)))
    return bigTiffSize(d, d[0] == 'M');
  TiffView t;
  if (!t.open(d)) return {};
  const std::uint32_t ifd = t.firstDirectory();
  return {t.tagValue(ifd, 256, 0), t.tagValue(ifd, 257, 0)};
}

// ISO base media boxes (HEIF, AVIF, CR3): a 32-bit size (1: a 64-bit size
// follows; 0: up to the end), the type, the body.
struct Box {
  std::string_view type, body;
};

bool nextBox(std::string_view d, size_t& at, Box& box) {
  if (at > d.size() || d.size() - at < 8) return false;
  std::uint64_t size = bigEndianNumber(d, at, 4);
  size_t header = 8;
  if (size == 1) {
    if (d.size() - at < 16) return false;
    size = std::uint64_t(bigEndianNumber(d, at + 8, 4)) << 32 | bigEndianNumber(d, at + 12, 4);
    header = 16;
  } else if (size == 0) {
    size = d.size() - at;
  }
  if (size < header || size > d.size() - at) return false;
  box = {d.substr(at + 4, 4), d.substr(at + header, size_t(size) - header)};
  at += size_t(size);
  return true;
}

// The body of the first box of that type among the boxes of d.
std::string_view childBox(std::string_view d, std::string_view type) {
  Box box;
  for (size_t at = 0; nextBox(d, at, box);)
    if (box.type == type) return box.body;
  return {};
}

// The largest image extent ("ispe") among the item properties; the
// metadata box carries a version and flags before its children.
ClaimedSize heifSize(std::string_view d) {
  std::string_view meta = childBox(d, "meta");
  if (meta.size() < 4) return {};
  const std::string_view properties = childBox(childBox(meta.substr(4), "iprp"), "ipco");
  ClaimedSize size;
  Box box;
  for (size_t at = 0; nextBox(properties, at, box);) {
    if (box.type != "ispe" || box.body.size() < 12) continue;
    size.width = std::max<std::uint64_t>(size.width, bigEndianNumber(box.body, 4, 4));
    size.height = std::max<std::uint64_t>(size.height, bigEndianNumber(box.body, 8, 4));
  }
  return size;
}

// The canvas of an extended file, or the frame of a simple lossy or
// lossless one.
ClaimedSize webpSize(std::string_view d) {
  if (d.size() < 30 || d.substr(0, 4) != "RIFF" || d.substr(8, 4) != "WEBP") return {};
  const std::string_view chunk = d.substr(12, 4);
  if (chunk == "VP8X") return {littleEndianNumber(d, 24, 3) + 1u, littleEndianNumber(d, 27, 3) + 1u};
  if (chunk == "VP8L") {
    if (std::uint8_t(d[20]) != 0x2F) return {};
    const std::uint32_t bits = littleEndianNumber(d, 21, 4);
    return {(bits & 0x3FFF) + 1u, ((bits >> 14) & 0x3FFF) + 1u};
  }
  if (chunk == "VP8 " && d.substr(23, 3) == "\x9D\x01\x2A")
    return {littleEndianNumber(d, 26, 2) & 0x3FFF, littleEndianNumber(d, 28, 2) & 0x3FFF};
  return {};
}

constexpr std::uint32_t kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
constexpr std::uint32_t kOrientationTag = 274;

bool directorySound(const TiffView& t, std::uint32_t ifd, int depth, std::set<std::uint32_t>& seen) {
  if (depth > 8 || !seen.insert(ifd).second) return depth <= 8;  // a loop is read once
  const size_t size = t.data.size();
  if (ifd < 8 || size_t(ifd) + 2 > size) return false;
  const size_t n = t.number(ifd, 2);
  if (size_t(ifd) + 2 + 12 * n + 4 > size) return false;
  for (size_t k = 0; k < n; ++k) {
    const size_t e = ifd + 2 + 12 * k;
    const std::uint32_t tag = t.number(e, 2), type = t.number(e + 2, 2), count = t.number(e + 4, 4);
    const std::uint64_t length = type < 13 ? std::uint64_t(kTypeSize[type]) * count : 0;
    if (length > 4 && t.number(e + 8, 4) + length > size) return false;
    const bool link = tag == 0x8769 || tag == 0x8825 || tag == 0xA005;  // EXIF, GPS, interoperability
    if (link && !directorySound(t, t.number(e + 8, 4), depth + 1, seen)) return false;
  }
  const std::uint32_t next = t.number(ifd + 2 + 12 * n, 4);
  return next == 0 || directorySound(t, next, depth + 1, seen);
}

int orientationIn(std::string_view tiff) {
  TiffView t;
  if (!t.open(tiff)) return 1;
  const std::uint32_t v = t.tagValue(t.firstDirectory(), kOrientationTag, 1);
  return v >= 1 && v <= 8 ? int(v) : 1;
}

int pngOrientation(std::string_view d) {
  for (size_t at = 8; at + 12 <= d.size();) {
    const size_t length = bigEndianNumber(d, at, 4);
    if (length > d.size() - at - 12) break;
    const std::string_view type = d.substr(at + 4, 4);
    if (type == "eXIf") return orientationIn(d.substr(at + 8, length));
    if (type == "IEND") break;  // some writers put it after the pixels
    at += 12 + length;
  }
  return 1;
}

int psdOrientation(std::string_view d) {
  if (d.size() < 30 || d.substr(0, 4) != "8BPS") return 1;
  size_t at = 30 + bigEndianNumber(d, 26, 4);  // past the colour data
  const size_t sectionLength = bigEndianNumber(d, at, 4);
  if (at + 4 > d.size() || sectionLength > d.size() - at - 4) return 1;
  const std::string_view resources = d.substr(at + 4, sectionLength);
  for (size_t r = 0; r + 12 <= resources.size();) {
    if (resources.substr(r, 4) != "8BIM") break;
    const std::uint32_t id = bigEndianNumber(resources, r + 4, 2);
    const size_t p = r + 6 + ((size_t(std::uint8_t(resources[r + 6])) + 2) & ~size_t(1));
    if (p + 4 > resources.size()) break;
    const size_t size = bigEndianNumber(resources, p, 4);
    if (size > resources.size() - p - 4) break;
    if (id == 0x0422) return orientationIn(resources.substr(p + 4, size));
    r = p + 4 + size + (size % 2);
  }
  return 1;
}

int webpOrientation(std::string_view d) {
  if (d.size() < 12 || d.substr(0, 4) != "RIFF" || d.substr(8, 4) != "WEBP") return 1;
  for (size_t at = 12; at + 8 <= d.size();) {
    const size_t length = littleEndianNumber(d, at + 4, 4);
    if (length > d.size() - at - 8) break;
    if (d.substr(at, 4) == "EXIF") {
      std::string_view exif = d.substr(at + 8, length);
      if (exif.substr(0, 6) == std::string_view("Exif\0\0", 6)) exif.remove_prefix(6);  // as some writers have it
      return orientationIn(exif);
    }
    at += 8 + length + length % 2;
  }
  return 1;
}

// Camera RAW: the first directory of the TIFF-based files (the Olympus and
// Panasonic variants mark themselves with a number other than 42), or the
// TIFF block in the CMT1 box of a CR3, inside the Canon box of its movie box.
int rawOrientation(std::string_view d) {
  if (d.size() >= 8 && (d.substr(0, 2) == "II" || d.substr(0, 2) == "MM")) {
    TiffView t;
    t.data = d;
    t.bigEndian = d[0] == 'M';
    const std::uint32_t v = t.tagValue(t.firstDirectory(), kOrientationTag, 1);
    return v >= 1 && v <= 8 ? int(v) : 1;
  }
  const std::string_view movie = childBox(d, "moov");
  Box box;
  for (size_t at = 0; nextBox(movie, at, box);)
    if (box.type == "uuid" && box.body.size() > 16) {
      const std::string_view tiff = childBox(box.body.substr(16), "CMT1");
      if (!tiff.empty()) return orientationIn(tiff);
    }
  return 1;
}

constexpr std::uint32_t kExifLink = 0x8769;

// One directory entry as found: its tag, type, count and value bytes.
struct Entry {
  std::uint32_t tag, type, count;
  std::string_view value;
};

// The entries of tags (ascending) in the directory at ifd whose values lie
// wholly inside the structure.
std::vector<Entry> entriesOf(const TiffView& t, std::uint32_t ifd, std::initializer_list<std::uint32_t> tags) {
  std::vector<Entry> found;
  if (ifd < 8 || size_t(ifd) + 2 > t.data.size()) return found;
  const size_t n = t.number(ifd, 2);
  for (size_t k = 0; k < n; ++k) {
    const size_t e = ifd + 2 + 12 * k;
    if (e + 12 > t.data.size()) break;
    const std::uint32_t tag = t.number(e, 2), type = t.number(e + 2, 2), count = t.number(e + 4, 4);
    if (std::find(tags.begin(), tags.end(), tag) == tags.end() || type == 0 || type >= 13 || count == 0) continue;
    const std::uint64_t length = std::uint64_t(kTypeSize[type]) * count;
    const std::uint64_t at = length <= 4 ? e + 8 : t.number(e + 8, 4);
    if (length > 4096 || at + length > t.data.size()) continue;
    found.push_back({tag, type, count, t.data.substr(size_t(at), size_t(length))});
  }
  return found;
}

// A TIFF structure of the given byte order holding the main entries and,
// when there are any, an EXIF directory with the exif entries.
std::string exifStructure(bool bigEndian, std::vector<Entry> main, const std::vector<Entry>& exif) {
  auto number = [bigEndian](std::uint32_t v, int bytes) {
    std::string out(size_t(bytes), '\0');
    for (int i = 0; i < bytes; ++i) out[size_t(bigEndian ? bytes - 1 - i : i)] = char((v >> (8 * i)) & 0xFF);
    return out;
  };
  auto directory = [&](const std::vector<Entry>& entries, std::uint32_t at, std::uint32_t link, std::string& values) {
    const std::uint32_t extra = at + 2 + 12 * std::uint32_t(entries.size()) + 4;
    std::string dir = number(std::uint32_t(entries.size()), 2);
    for (const Entry& e : entries) {
      dir += number(e.tag, 2) + number(e.type, 2) + number(e.count, 4);
      if (e.tag == kExifLink) {
        dir += number(link, 4);
      } else if (e.value.size() <= 4) {
        dir += std::string(e.value) + std::string(4 - e.value.size(), '\0');
      } else {
        dir += number(extra + std::uint32_t(values.size()), 4);
        values += e.value;
        if (values.size() % 2) values += '\0';
      }
    }
    return dir + number(0, 4);
  };
  if (main.empty() && exif.empty()) return {};
  if (!exif.empty()) main.push_back({kExifLink, 4, 1, {}});  // its tag is above every other main one
  std::string values;
  std::string out = std::string(bigEndian ? "MM" : "II") + number(42, 2) + number(8, 4);
  const std::string first = directory(main, 8, 0, values);
  // The EXIF directory follows the first one's values; its link is filled in now.
  const std::uint32_t exifAt = 8 + std::uint32_t(first.size() + values.size());
  values.clear();
  out += directory(main, 8, exifAt, values) + values;
  if (exif.empty()) return out;
  values.clear();
  return out + directory(exif, exifAt, 0, values) + values;
}

constexpr std::initializer_list<std::uint32_t> kRawMainTags = {0x010E, 0x010F, 0x0110, 0x0132};
constexpr std::initializer_list<std::uint32_t> kRawExifTags = {0x829A, 0x829D, 0x8827, 0x9003, 0x9004, 0x920A};

}  // namespace

std::string rawExifBlock(std::string_view d) {
  if (d.size() >= 8 && (d.substr(0, 2) == "II" || d.substr(0, 2) == "MM")) {
    // The Olympus and Panasonic layouts mark themselves with a number of
    // their own in place of 42; the directories are plain TIFF.
    TiffView t;
    t.data = d;
    t.bigEndian = d[0] == 'M';
    const std::uint32_t first = t.firstDirectory();
    const std::uint32_t exif = t.tagValue(first, kExifLink, 0);
    return exifStructure(t.bigEndian, entriesOf(t, first, kRawMainTags), entriesOf(t, exif, kRawExifTags));
  }
  const std::string_view movie = childBox(d, "moov");
  Box box;
  for (size_t at = 0; nextBox(movie, at, box);) {
    if (box.type != "uuid" || box.body.size() <= 16) continue;
    TiffView main, exif;
    if (!main.open(childBox(box.body.substr(16), "CMT1"))) continue;
    std::vector<Entry> exifEntries;
    // Both structures are copied in the byte order of the first.
    if (exif.open(childBox(box.body.substr(16), "CMT2")) && exif.bigEndian == main.bigEndian)
      exifEntries = entriesOf(exif, exif.firstDirectory(), kRawExifTags);
    return exifStructure(main.bigEndian, entriesOf(main, main.firstDirectory(), kRawMainTags), exifEntries);
  }
  return {};
}

std::uint32_t numberAt(std::string_view d, size_t at, int bytes, bool bigEndian) {
  if (at > d.size() || size_t(bytes) > d.size() - at) return 0;
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | std::uint8_t(d[at + size_t(bigEndian ? i : bytes - 1 - i)]);
  return v;
}

bool TiffView::open(std::string_view bytes) {
  data = bytes;
  if (bytes.size() < 8) return false;
  bigEndian = bytes[0] == 'M' && bytes[1] == 'M';
  if (!bigEndian && !(bytes[0] == 'I' && bytes[1] == 'I')) return false;
  return number(2, 2) == 42;
}

std::uint32_t TiffView::number(size_t at, int bytes) const { return numberAt(data, at, bytes, bigEndian); }

std::uint32_t TiffView::tagValue(std::uint32_t ifd, std::uint32_t tag, std::uint32_t fallback) const {
  if (size_t(ifd) + 2 > data.size()) return fallback;
  const size_t n = number(ifd, 2);
  for (size_t k = 0; k < n; ++k) {
    const size_t e = ifd + 2 + 12 * k;
    if (e + 12 > data.size()) break;
    if (number(e, 2) != tag || number(e + 4, 4) < 1) continue;
    const std::uint32_t type = number(e + 2, 2);
    if (type == 3) return number(e + 8, 2);
    if (type == 4) return number(e + 8, 4);
    return fallback;
  }
  return fallback;
}

bool TiffView::sound() const {
  std::set<std::uint32_t> seen;
  return directorySound(*this, firstDirectory(), 0, seen);
}

ClaimedSize claimedSize(std::string_view file, FREE_IMAGE_FORMAT fif) {
  switch (fif) {
    case FIF_JPEG: return jpegSize(file);
    case FIF_PNG:
      return file.size() >= 24 && file.substr(12, 4) == "IHDR" ? ClaimedSize{bigEndianNumber(file, 16, 4), bigEndianNumber(file, 20, 4)}
                                          : ClaimedSize{};
    case FIF_GIF: return gifSize(file);
    case FIF_BMP: return bmpSize(file);
    case FIF_TIFF: return tiffSize(file);
    case FIF_PSD: return {bigEndianNumber(file, 18, 4), bigEndianNumber(file, 14, 4)};
    case FIF_WEBP: return webpSize(file);
    default: return fif != FIF_UNKNOWN && fif == heifFormat() ? heifSize(file) : ClaimedSize{};
  }
}

bool jpegCutShort(std::string_view d) {
  for (size_t at = 2; at + 1 < d.size();) {
    // Entropy-coded data (and stray bytes) run up to the next 0xFF.
    const void* next = std::memchr(d.data() + at, 0xFF, d.size() - at);
    if (!next) break;
    at = size_t(static_cast<const char*>(next) - d.data());
    if (at + 1 >= d.size()) break;
    const std::uint8_t marker = std::uint8_t(d[at + 1]);
    if (marker == 0xD9) return false;
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    // A stuffed zero, a restart marker and the markers without a segment.
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    const std::uint32_t length = bigEndianNumber(d, at + 2, 2);
    if (length < 2) return true;
    at += 2 + length;
  }
  return true;
}

size_t jpegHeadLength(std::string_view d) {
  for (size_t at = 2; at + 4 <= d.size();) {
    if (std::uint8_t(d[at]) != 0xFF || std::uint8_t(d[at + 1]) == 0xFF) {  // stray and fill bytes
      ++at;
      continue;
    }
    const std::uint8_t marker = std::uint8_t(d[at + 1]);
    if (marker == 0xD9) return 0;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
      continue;
    }
    const size_t end = at + 2 + bigEndianNumber(d, at + 2, 2);
    if (marker == 0xDA) return end <= d.size() ? end : 0;
    at = end;
  }
  return 0;
}

bool headerWorthDecoding(std::string_view file, FREE_IMAGE_FORMAT fif) {
  if (fif != FIF_JPEG && fif != FIF_PNG && fif != FIF_GIF && fif != FIF_BMP && fif != FIF_TIFF && fif != FIF_PSD &&
      fif != FIF_WEBP && (fif == FIF_UNKNOWN || fif != heifFormat()))
    return true;
  const ClaimedSize size = claimedSize(file, fif);
  return size.width > 0 && size.height > 0 && size.width * size.height <= kMaxImagePixels;
}

int embeddedOrientation(std::string_view file, FREE_IMAGE_FORMAT fif) {
  switch (fif) {
    case FIF_TIFF: return orientationIn(file);
    case FIF_PNG: return pngOrientation(file);
    case FIF_PSD: return psdOrientation(file);
    case FIF_WEBP: return webpOrientation(file);
    case FIF_RAW: return rawOrientation(file);
    default: return 1;
  }
}

}  // namespace pv
