#include "convert/GpsData.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::string_view kXmpHeader{"http://ns.adobe.com/xap/1.0/\0", 29};
// The largest payload of a JPEG segment: its length field counts itself.
constexpr size_t kSegmentLimit = 65533;

// Erases every entry of data whose key begins with one of prefixes; true
// when it erased any.
template <typename Data>
bool eraseKeys(Data& data, std::initializer_list<const char*> prefixes) {
  bool erased = false;
  for (auto i = data.begin(); i != data.end();) {
    bool match = false;
    for (const char* p : prefixes) match = match || startsWith(i->key(), p);
    if (match) {
      i = data.erase(i);
      erased = true;
    } else {
      ++i;
    }
  }
  return erased;
}

bool eraseExifGps(Exiv2::ExifData& exif) { return eraseKeys(exif, {"Exif.GPSInfo.", "Exif.Image.GPSTag"}); }
bool eraseXmpGps(Exiv2::XmpData& xmp) { return eraseKeys(xmp, {"Xmp.exif.GPS"}); }

// The Exif payload (after "Exif\0\0") without its GPS entries, or the payload
// itself when it has none. False when it cannot be rewritten within a
// segment.
bool stripExifPayload(std::string& payload) {
  Exiv2::ExifData exif;
  const auto* data = reinterpret_cast<const Exiv2::byte*>(payload.data());
  const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(exif, data, uint32_t(payload.size()));
  if (!eraseExifGps(exif)) return true;
  std::string copy = payload;
  Exiv2::Blob blob;
  const Exiv2::WriteMethod how = Exiv2::ExifParser::encode(
      blob, reinterpret_cast<const Exiv2::byte*>(copy.data()), uint32_t(copy.size()), order, exif);
  if (how == Exiv2::wmIntrusive) copy.assign(blob.begin(), blob.end());
  if (copy.size() + kExifHeader.size() > kSegmentLimit) return false;
  payload = std::move(copy);
  return true;
}

// The XMP packet without its GPS properties; untouched when it has none, so
// a packet without location data stays byte for byte as it was.
bool stripXmpPacket(std::string& packet) {
  if (packet.find("GPS") == std::string::npos) return true;
  Exiv2::XmpData xmp;
  if (Exiv2::XmpParser::decode(xmp, packet) != 0) return false;
  if (!eraseXmpGps(xmp)) return true;
  std::string out;
  if (Exiv2::XmpParser::encode(out, xmp) != 0 || out.size() + kXmpHeader.size() > kSegmentLimit) return false;
  packet = std::move(out);
  return true;
}

// A JPEG rewritten segment by segment: only the Exif and XMP segments that
// hold GPS data change; every other byte, the compressed picture included,
// is copied as it is.
bool stripJpeg(const std::string& in, std::string& out) {
  out.assign(in, 0, 2);
  size_t at = 2;
  while (at + 4 <= in.size()) {
    if (uint8_t(in[at]) != 0xFF) return false;
    const uint8_t marker = uint8_t(in[at + 1]);
    if (marker == 0xFF) {  // fill byte
      out += in[at++];
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // scan data or the end: the rest as it is
    const size_t length = (size_t(uint8_t(in[at + 2])) << 8) | uint8_t(in[at + 3]);
    if (length < 2 || at + 2 + length > in.size()) return false;
    std::string payload = in.substr(at + 4, length - 2);
    if (marker == 0xE1 && startsWith(payload, kExifHeader)) {
      std::string exif = payload.substr(kExifHeader.size());
      if (!stripExifPayload(exif)) return false;
      payload = std::string(kExifHeader) + exif;
    } else if (marker == 0xE1 && startsWith(payload, kXmpHeader)) {
      std::string packet = payload.substr(kXmpHeader.size());
      if (!stripXmpPacket(packet)) return false;
      payload = std::string(kXmpHeader) + packet;
    }
    const size_t n = payload.size() + 2;
    out += char(0xFF);
    out += char(marker);
    out += char(n >> 8);
    out += char(n & 0xFF);
    out += payload;
    at += 2 + length;
  }
  out.append(in, at, std::string::npos);
  return true;
}

// Other formats through the library's own writer, which re-encodes every
// kind of metadata the file holds; used only when there is GPS data to take
// out.
bool stripWithLibrary(const std::string& path) {
  if (Exiv2::ImageFactory::getType(path) == Exiv2::ImageType::none) return true;
  auto image = Exiv2::ImageFactory::open(path);
  if (!image.get()) return false;
  image->readMetadata();
  const bool exif = eraseExifGps(image->exifData());
  const bool xmp = eraseXmpGps(image->xmpData());
  if (exif || xmp) image->writeMetadata();
  return true;
}

}  // namespace

std::mutex& metadataToolkitLock() {
  static std::mutex lock;
  return lock;
}

bool stripGpsData(const std::string& path) {
  // Copies are written on several threads; the few copies this touches go
  // one at a time.
  std::lock_guard<std::mutex> guard(metadataToolkitLock());
  try {
    std::string in;
    if (!readWholeFile(path, in)) return false;
    if (!startsWith(in, "\xFF\xD8")) return stripWithLibrary(path);
    std::string out;
    if (!stripJpeg(in, out)) return false;
    return out == in || writeFileAtomically(path, out);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace pv
