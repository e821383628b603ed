#include "convert/WebFormats.h"

#include <exiv2/exiv2.hpp>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "convert/GpsData.h"
#include "model/HeifLibrary.h"
#include "model/Image.h"

namespace pv {

namespace {

struct HeifDeleter {
  void operator()(heif_context* c) const { heif().context_free(c); }
  void operator()(heif_encoder* e) const { heif().encoder_release(e); }
  void operator()(heif_image* i) const { heif().image_release(i); }
  void operator()(heif_image_handle* h) const { heif().image_handle_release(h); }
};
template <typename T>
using HeifPtr = std::unique_ptr<T, HeifDeleter>;

heif_error appendTo(heif_context*, const void* data, size_t size, void* out) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

// A language alternative of XMP in its one default language.
std::string defaultLanguage(const std::string& text) { return "lang=\"x-default\" " + text; }

// The encoder's speed: 6 of 0 (slowest) to 9 gives nearly the smallest files
// at a fraction of the default's time.
constexpr int kAvifSpeed = 6;

// The encoder's effort: 4 of 0 to 6, libwebp's own default, takes a third
// less time than FreeImage's 6 for files 3 % larger.
constexpr int kWebpMethod = 4;

}  // namespace

std::string captionExif(const CaptionTexts& t) {
  Exiv2::ExifData exif;
  if (!t.caption.empty()) exif["Exif.Image.ImageDescription"] = t.caption;
  if (!t.author.empty()) exif["Exif.Image.Artist"] = t.author;
  if (!t.copyright.empty()) exif["Exif.Image.Copyright"] = t.copyright;
  if (!t.program.empty()) exif["Exif.Image.Software"] = t.program;
  // UTF-16 keeps every character; readers show plain ASCII either way.
  if (!t.comment.empty()) exif["Exif.Photo.UserComment"] = "charset=Unicode " + t.comment;
  if (exif.empty()) return {};
  Exiv2::Blob blob;
  try {
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
  } catch (const std::exception&) {
    return {};
  }
  return std::string(blob.begin(), blob.end());
}

std::string captionXmp(const CaptionTexts& t) {
  std::lock_guard<std::mutex> guard(metadataToolkitLock());
  try {
    Exiv2::XmpData xmp;
    if (!t.caption.empty()) xmp["Xmp.dc.description"] = defaultLanguage(t.caption);
    if (!t.title.empty()) xmp["Xmp.dc.title"] = defaultLanguage(t.title);
    if (!t.author.empty()) xmp["Xmp.dc.creator"] = t.author;
    if (!t.copyright.empty()) xmp["Xmp.dc.rights"] = defaultLanguage(t.copyright);
    if (!t.program.empty()) xmp["Xmp.xmp.CreatorTool"] = t.program;
    std::string packet;
    if (xmp.empty() || Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat) != 0) return {};
    return packet;
  } catch (const std::exception&) {
    return {};
  }
}

std::string encodeAvif(FIBITMAP* source, int quality, const std::string& exif, const std::string& xmp) {
  if (!heifLibrary()) return {};
  ImagePtr rgb(FreeImage_ConvertTo24Bits(source));
  if (!rgb) return {};
  const int w = int(FreeImage_GetWidth(rgb.get())), h = int(FreeImage_GetHeight(rgb.get()));
  HeifPtr<heif_context> context(heif().context_alloc());
  heif_encoder* rawEncoder = nullptr;
  if (!context || heif().context_get_encoder_for_format(context.get(), heif_compression_AV1, &rawEncoder).code)
    return {};
  HeifPtr<heif_encoder> encoder(rawEncoder);
  heif().encoder_set_lossy_quality(encoder.get(), quality);
  heif().encoder_set_parameter_integer(encoder.get(), "speed", kAvifSpeed);
  heif_image* rawImage = nullptr;
  if (heif().image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &rawImage).code) return {};
  HeifPtr<heif_image> image(rawImage);
  if (heif().image_add_plane(image.get(), heif_channel_interleaved, w, h, 8).code) return {};
  int stride = 0;
  uint8_t* plane = heif().image_get_plane(image.get(), heif_channel_interleaved, &stride);
  if (!plane) return {};
  // FreeImage keeps its rows bottom up, in blue-green-red order.
  for (int y = 0; y < h; ++y) {
    const BYTE* from = FreeImage_GetScanLine(rgb.get(), h - 1 - y);
    uint8_t* to = plane + size_t(y) * size_t(stride);
    for (int x = 0; x < w; ++x) {
      to[3 * x] = from[3 * x + FI_RGBA_RED];
      to[3 * x + 1] = from[3 * x + FI_RGBA_GREEN];
      to[3 * x + 2] = from[3 * x + FI_RGBA_BLUE];
    }
  }
  heif_image_handle* rawHandle = nullptr;
  if (heif().context_encode_image(context.get(), image.get(), encoder.get(), nullptr, &rawHandle).code) return {};
  HeifPtr<heif_image_handle> handle(rawHandle);
  if (!exif.empty() && heif().context_add_exif_metadata(context.get(), handle.get(), exif.data(), int(exif.size())).code)
    return {};
  if (!xmp.empty() && heif().context_add_XMP_metadata(context.get(), handle.get(), xmp.data(), int(xmp.size())).code)
    return {};
  std::string out;
  heif_writer writer{1, appendTo};
  if (heif().context_write(context.get(), &writer, &out).code) return {};
  return out;
}

std::string encodeWebp(FIBITMAP* source, int quality, const std::string& exif, const std::string& xmp) {
  ImagePtr rgb(FreeImage_ConvertTo24Bits(source));
  if (!rgb) return {};
  WebPConfig config;
  if (!WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, float(quality))) return {};
  config.method = kWebpMethod;
  WebPPicture picture;
  if (!WebPPictureInit(&picture)) return {};
  picture.width = int(FreeImage_GetWidth(rgb.get()));
  picture.height = int(FreeImage_GetHeight(rgb.get()));
  // FreeImage keeps its rows bottom up (the last row first, stepping back),
  // in blue-green-red order on little-endian machines.
  const BYTE* top = FreeImage_GetScanLine(rgb.get(), picture.height - 1);
  const auto importRows = FI_RGBA_RED == 0 ? WebPPictureImportRGB : WebPPictureImportBGR;
  const int imported = importRows(&picture, top, -int(FreeImage_GetPitch(rgb.get())));
  WebPMemoryWriter memory;
  WebPMemoryWriterInit(&memory);
  picture.writer = WebPMemoryWrite;
  picture.custom_ptr = &memory;
  const bool encoded = imported && WebPEncode(&config, &picture);
  WebPPictureFree(&picture);
  std::string out;
  if (encoded) out.assign(reinterpret_cast<const char*>(memory.mem), memory.size);
  WebPMemoryWriterClear(&memory);
  if (out.empty() || (exif.empty() && xmp.empty())) return out;

  std::unique_ptr<WebPMux, void (*)(WebPMux*)> mux(WebPMuxNew(), WebPMuxDelete);
  const auto data = [](const std::string& s) { return WebPData{reinterpret_cast<const uint8_t*>(s.data()), s.size()}; };
  const WebPData bitstream = data(out);
  if (!mux || WebPMuxSetImage(mux.get(), &bitstream, 1) != WEBP_MUX_OK) return {};
  for (const auto& [chunk, block] : {std::pair{"EXIF", &exif}, std::pair{"XMP ", &xmp}}) {
    const WebPData blockData = data(*block);
    if (!block->empty() && WebPMuxSetChunk(mux.get(), chunk, &blockData, 1) != WEBP_MUX_OK) return {};
  }
  WebPData assembled;
  WebPDataInit(&assembled);
  if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) return {};
  std::string file(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
  WebPDataClear(&assembled);
  return file;
}

}  // namespace pv
