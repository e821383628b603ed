#pragma once
// HEIF and AVIF files written with libheif's encoder, and camera RAW files
// (DNG) written byte by byte, with known pixels, transforms and metadata.
#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ImageFileWriters.h"

namespace pvtest {

using Colour = std::function<std::array<int, 3>(int x, int y)>;

// Four flat quarters of a 64 x 48 picture, so that codec loss cannot hide
// which way it lies.
inline std::array<int, 3> quadrants(int x, int y) {
  if (y < 24) return x < 32 ? std::array<int, 3>{200, 40, 40} : std::array<int, 3>{40, 200, 40};
  return x < 32 ? std::array<int, 3>{40, 40, 200} : std::array<int, 3>{220, 220, 220};
}

inline std::array<int, 3> gradient(int x, int y) { return {x * 6, y * 8, 100}; }

struct HeifLook {
  heif_compression_format compression = heif_compression_HEVC;
  int bits = 8;
  bool alpha = false;  // opaque on the left half, half clear on the right
  heif_orientation orientation = heif_orientation_normal;
  std::string exif;  // a TIFF structure
  std::string xmp;
};

inline bool writeHeif(const std::string& path, int w, int h, const Colour& colour, const HeifLook& look) {
  std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(context.get(), look.compression, &encoder).code != heif_error_Ok) return false;
  std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> encoderOwner(encoder, heif_encoder_release);
  heif_encoder_set_lossy_quality(encoder, 95);
  const bool deep = look.bits > 8;
  const heif_chroma chroma = deep ? (look.alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                  : (look.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* image = nullptr;
  if (heif_image_create(w, h, heif_colorspace_RGB, chroma, &image).code != heif_error_Ok) return false;
  std::unique_ptr<heif_image, void (*)(const heif_image*)> imageOwner(image, heif_image_release);
  if (heif_image_add_plane(image, heif_channel_interleaved, w, h, look.bits).code != heif_error_Ok) return false;
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  const int channels = look.alpha ? 4 : 3, maximum = (1 << look.bits) - 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::array<int, 3> c = colour(x, y);
      for (int k = 0; k < channels; ++k) {
        const int eight = k < 3 ? std::clamp(c[size_t(k)], 0, 255) : x < w / 2 ? 255 : 128;
        const int v = (eight * maximum + 127) / 255;
        std::uint8_t* at = plane + y * stride + (x * channels + k) * (deep ? 2 : 1);
        at[0] = std::uint8_t(v & 0xFF);
        if (deep) at[1] = std::uint8_t(v >> 8);
      }
    }
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = look.orientation;
  heif_image_handle* handle = nullptr;
  const bool encoded = heif_context_encode_image(context.get(), image, encoder, options, &handle).code == heif_error_Ok;
  heif_encoding_options_free(options);
  if (!encoded) return false;
  std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handleOwner(handle, heif_image_handle_release);
  if (!look.exif.empty() &&
      heif_context_add_exif_metadata(context.get(), handle, look.exif.data(), int(look.exif.size())).code != heif_error_Ok)
    return false;
  if (!look.xmp.empty() &&
      heif_context_add_XMP_metadata(context.get(), handle, look.xmp.data(), int(look.xmp.size())).code != heif_error_Ok)
    return false;
  return heif_context_write_to_file(context.get(), path.c_str()).code == heif_error_Ok;
}

// ---- TIFF directories with any tag types, little-endian

struct Tag {
  std::uint16_t tag;
  std::uint16_t type;  // 1 BYTE, 2 ASCII, 3 SHORT, 4 LONG
  std::uint32_t count;
  std::string bytes;
};
inline Tag shorts(std::uint16_t tag, const std::vector<std::uint32_t>& v) {
  std::string b;
  for (std::uint32_t x : v) b += le(x, 2);
  return {tag, 3, std::uint32_t(v.size()), b};
}
inline Tag longs(std::uint16_t tag, const std::vector<std::uint32_t>& v) {
  std::string b;
  for (std::uint32_t x : v) b += le(x, 4);
  return {tag, 4, std::uint32_t(v.size()), b};
}
inline Tag rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator) {
  return {tag, 5, 1, le(numerator, 4) + le(denominator, 4)};
}
inline Tag ascii(std::uint16_t tag, const std::string& text) {
  return {tag, 2, std::uint32_t(text.size() + 1), text + '\0'};
}

// A directory placed at offset at, its longer values right behind it.
inline std::string directoryAt(std::vector<Tag> tags, std::uint32_t at, std::uint32_t next) {
  std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
  const std::uint32_t extra = at + 2 + 12 * std::uint32_t(tags.size()) + 4;
  std::string dir = le(std::uint32_t(tags.size()), 2), values;
  for (const Tag& t : tags) {
    dir += le(t.tag, 2) + le(t.type, 2) + le(t.count, 4);
    if (t.bytes.size() <= 4) {
      dir += t.bytes + std::string(4 - t.bytes.size(), '\0');
    } else {
      dir += le(extra + std::uint32_t(values.size()), 4);
      values += t.bytes;
      if (values.size() % 2) values += '\0';
    }
  }
  return dir + le(next, 4) + values;
}

// An EXIF TIFF structure with the first directory's camera, date, caption
// and orientation.
inline std::string exifBlock(int orientation, const std::string& make, const std::string& model,
                             const std::string& dateTime, const std::string& description) {
  return "II*" + std::string(1, '\0') + le(8, 4) +
         directoryAt({ascii(0x010E, description), ascii(0x010F, make), ascii(0x0110, model),
                      shorts(0x0112, {std::uint32_t(orientation)}), ascii(0x0132, dateTime)},
                     8, 0);
}

// A DNG as a camera writes it: a 48 x 32 preview (all green) in the first
// directory, the raw picture of w x h (linear, three samples of 16 bits,
// dark with a bright right quarter) in a sub-directory, the exposure in an
// EXIF directory (1/250 s at f/5.6, ISO 400, 50 mm).
inline std::string dngFile(int w, int h, int orientation) {
  const std::string preview = [] {
    std::string p;
    for (int i = 0; i < 48 * 32; ++i) p += std::string("\0\xC8\0", 3);
    return p;
  }();
  std::string raw;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) raw += le(x >= w * 3 / 4 ? 50000 : 8000, 2);
  const std::uint32_t previewAt = 8, rawAt = previewAt + std::uint32_t(preview.size());
  const std::uint32_t first = rawAt + std::uint32_t(raw.size());
  auto firstDirectory = [&](std::uint32_t sub, std::uint32_t exif) {
    return directoryAt({longs(254, {1}), longs(256, {48}), longs(257, {32}), shorts(258, {8, 8, 8}), shorts(259, {1}),
                        shorts(262, {2}), ascii(271, "Testkamera"), ascii(272, "DNG 1"), longs(273, {previewAt}),
                        shorts(274, {std::uint32_t(orientation)}), shorts(277, {3}), longs(278, {32}),
                        longs(279, {std::uint32_t(preview.size())}), shorts(284, {1}), ascii(306, "2023:08:14 18:30:05"),
                        longs(330, {sub}), longs(34665, {exif}), {50706, 1, 4, std::string("\1\4\0\0", 4)},
                        ascii(50708, "Testkamera DNG 1")},
                       first, 0);
  };
  const std::uint32_t sub = first + std::uint32_t(firstDirectory(0, 0).size());
  const std::string rawDirectory =
      directoryAt({longs(254, {0}), longs(256, {std::uint32_t(w)}), longs(257, {std::uint32_t(h)}),
                   shorts(258, {16, 16, 16}), shorts(259, {1}), shorts(262, {34892}), longs(273, {rawAt}),
                   shorts(274, {std::uint32_t(orientation)}), shorts(277, {3}), longs(278, {std::uint32_t(h)}),
                   longs(279, {std::uint32_t(raw.size())}), shorts(284, {1}), longs(50717, {65535})},
                  sub, 0);
  const std::uint32_t exif = sub + std::uint32_t(rawDirectory.size());
  const std::string exifDirectory =
      directoryAt({rational(33434, 1, 250), rational(33437, 56, 10), shorts(34855, {400}),
                   ascii(36867, "2023:08:14 18:30:05"), rational(37386, 50, 1)},
                  exif, 0);
  return "II*" + std::string(1, '\0') + le(first, 4) + preview + raw + firstDirectory(sub, exif) + rawDirectory +
         exifDirectory;
}

}  // namespace pvtest
