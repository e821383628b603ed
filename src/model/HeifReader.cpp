#include "model/HeifReader.h"


#include <algorithm>
#include <cstring>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/HeifLibrary.h"
#include "model/ImageHeaders.h"
#include "model/ReaderGuards.h"

// A bitmap of a size and depth without pixels, as FreeImage's readers give
// when asked for the header only. The library exports it for plugins such
// as this one; its public header does not declare it.
extern "C" FIBITMAP* DLL_CALLCONV FreeImage_AllocateHeader(BOOL header_only, int width, int height, int bpp,
                                                          unsigned red_mask, unsigned green_mask, unsigned blue_mask);

namespace pv {

namespace {

std::atomic<int> registeredFormat{FIF_UNKNOWN};

struct ContextFree {
  void operator()(heif_context* c) const { heif().context_free(c); }
};
struct HandleRelease {
  void operator()(heif_image_handle* h) const { heif().image_handle_release(h); }
};
struct ImageRelease {
  void operator()(heif_image* i) const { heif().image_release(i); }
};

// A JPEG segment holds at most this many bytes after its length field.
constexpr size_t kSegmentLimit = 65533;
const std::string kExifHeader("Exif\0\0", 6);

std::string metadataBlock(const heif_image_handle* handle, heif_item_id id) {
  const size_t size = heif().image_handle_get_metadata_size(handle, id);
  if (size == 0 || size > kSegmentLimit) return {};
  std::string block(size, '\0');
  if (heif().image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) return {};
  return block;
}

// The TIFF structure of a HEIF EXIF block: it starts after a 4-byte offset,
// and some writers put the JPEG's "Exif\0\0" in front of it as well.
std::string exifTiff(const std::string& block) {
  const std::uint32_t skip = numberAt(block, 0, 4, true);
  if (block.size() < 4 || skip > block.size() - 4) return {};
  std::string tiff = block.substr(4 + skip);
  if (tiff.compare(0, kExifHeader.size(), kExifHeader) == 0) tiff.erase(0, kExifHeader.size());
  return tiff;
}

// The EXIF and XMP blocks of the image attached to dib.
void attachMetadata(const heif_image_handle* handle, FIBITMAP* dib) {
  const int count = heif().image_handle_get_number_of_metadata_blocks(handle, nullptr);
  if (count <= 0) return;
  std::vector<heif_item_id> ids(static_cast<size_t>(count));
  heif().image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
  MetadataBlocks blocks;
  for (heif_item_id id : ids) {
    const std::string type = heif().image_handle_get_metadata_type(handle, id);
    const std::string content = heif().image_handle_get_metadata_content_type(handle, id);
    if (type == "Exif") blocks.exif.push_back(exifTiff(metadataBlock(handle, id)));
    else if (type == "mime" && content == "application/rdf+xml") blocks.xmp.push_back(metadataBlock(handle, id));
  }
  attachMetadataBlocks(dib, blocks);
  // The file's own transforms have turned the picture already.
  FreeImage_SetMetadata(FIMD_EXIF_MAIN, dib, "Orientation", nullptr);
}

// Samples of more than 8 bits, stored in 16, scaled to 8 over their range.
BYTE eightBitsOfDeep(const std::uint8_t* at, unsigned maximum) {
  const unsigned v = std::min<unsigned>(unsigned(at[0]) | unsigned(at[1]) << 8, maximum);
  return BYTE((v * 255 + maximum / 2) / maximum);
}

ImagePtr pixelsOf(const heif_image* image, bool alpha, bool deep) {
  const int w = heif().image_get_width(image, heif_channel_interleaved);
  const int h = heif().image_get_height(image, heif_channel_interleaved);
  int stride = 0;
  const std::uint8_t* plane = heif().image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  if (!plane || w <= 0 || h <= 0) return {};
  const int range = heif().image_get_bits_per_pixel_range(image, heif_channel_interleaved);
  const unsigned maximum = deep ? (1u << std::clamp(range, 9, 16)) - 1 : 255;
  const unsigned channels = alpha ? 4 : 3, sampleBytes = deep ? 2 : 1;
  ImagePtr dib(FreeImage_Allocate(w, h, int(8 * channels)));
  if (!dib) return dib;
  static constexpr int kOrder[4] = {FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE, FI_RGBA_ALPHA};
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = plane + size_t(y) * size_t(stride);
    BYTE* out = FreeImage_GetScanLine(dib.get(), h - 1 - y);  // FreeImage keeps the bottom row first
    for (int x = 0; x < w; ++x)
      for (unsigned c = 0; c < channels; ++c) {
        const std::uint8_t* sample = in + (size_t(x) * channels + c) * sampleBytes;
        out[size_t(x) * channels + unsigned(kOrder[c])] = deep ? eightBitsOfDeep(sample, maximum) : *sample;
      }
  }
  return dib;
}

std::string readAll(FreeImageIO* io, fi_handle handle) {
  const long start = io->tell_proc(handle);
  if (start < 0 || io->seek_proc(handle, 0, SEEK_END) != 0) return {};
  const long end = io->tell_proc(handle);
  io->seek_proc(handle, start, SEEK_SET);
  if (end <= start) return {};
  std::string data(size_t(end - start), '\0');
  data.resize(io->read_proc(data.data(), 1, unsigned(data.size()), handle));
  return data;
}

FIBITMAP* DLL_CALLCONV load(FreeImageIO* io, fi_handle handle, int, int flags, void*) {
  return decodeHeif(readAll(io, handle), !(flags & FIF_LOAD_NOPIXELS)).release();
}

BOOL DLL_CALLCONV validate(FreeImageIO* io, fi_handle handle) {
  std::uint8_t head[32] = {};
  const unsigned got = io->read_proc(head, 1, sizeof head, handle);
  // Every HEIF and AVIF file opens with an "ftyp" box; the library is not
  // loaded to turn away whatever else is probed.
  if (got < 12 || std::memcmp(head + 4, "ftyp", 4) != 0 || !heifLibrary()) return FALSE;
  const heif_filetype_result r = heif().check_filetype(head, int(got));
  return r == heif_filetype_yes_supported || r == heif_filetype_maybe;
}

void DLL_CALLCONV initialise(Plugin* plugin, int formatId) {
  registeredFormat = formatId;
  plugin->format_proc = [] { return "HEIF"; };
  plugin->description_proc = [] { return "High Efficiency Image File Format and AV1 Image File Format"; };
  plugin->extension_proc = [] { return "heic,heif,hif,avif"; };
  plugin->mime_proc = [] { return "image/heif"; };
  plugin->load_proc = load;
  plugin->validate_proc = validate;
  plugin->supports_no_pixels_proc = []() -> BOOL { return TRUE; };
  plugin->supports_export_bpp_proc = [](int) -> BOOL { return FALSE; };
  plugin->supports_export_type_proc = [](FREE_IMAGE_TYPE) -> BOOL { return FALSE; };
  plugin->supports_icc_profiles_proc = []() -> BOOL { return FALSE; };
}

}  // namespace

void registerHeifReader() {
  static std::once_flag once;
  std::call_once(once, [] {
    FreeImage_RegisterLocalPlugin(initialise);
  });
}

FREE_IMAGE_FORMAT heifFormat() { return FREE_IMAGE_FORMAT(registeredFormat.load()); }

ImagePtr decodeHeif(std::string_view file, bool pixels) {
  if (!heifLibrary()) return {};
  std::unique_ptr<heif_context, ContextFree> context(heif().context_alloc());
  if (!context || file.empty() ||
      heif().context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr).code !=
          heif_error_Ok)
    return {};
  heif_image_handle* primary = nullptr;
  if (heif().context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok) return {};
  std::unique_ptr<heif_image_handle, HandleRelease> handle(primary);
  // The size after the file's transforms, known before anything is decoded.
  const std::uint64_t w = std::uint64_t(std::max(0, heif().image_handle_get_width(primary)));
  const std::uint64_t h = std::uint64_t(std::max(0, heif().image_handle_get_height(primary)));
  if (w == 0 || h == 0 || w * h > kMaxImagePixels) return {};
  const bool alpha = heif().image_handle_has_alpha_channel(primary) != 0;
  const bool deep = heif().image_handle_get_luma_bits_per_pixel(primary) > 8;
  if (!pixels) {
    ImagePtr header(FreeImage_AllocateHeader(TRUE, int(w), int(h), alpha ? 32 : 24, FI_RGBA_RED_MASK,
                                             FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK));
    if (header) attachMetadata(primary, header.get());
    return header;
  }

  const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                  : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  heif_image* decoded = nullptr;
  const heif_error error = heif().decode_image(primary, &decoded, heif_colorspace_RGB, chroma, nullptr);
  std::unique_ptr<heif_image, ImageRelease> image(decoded);
  if (error.code != heif_error_Ok || !decoded) return {};
  ImagePtr dib = pixelsOf(decoded, alpha, deep);
  if (dib) attachMetadata(primary, dib.get());
  return dib;
}

}  // namespace pv
