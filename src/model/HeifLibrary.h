#pragma once
// libheif's functions, from the library opened on first use.
#include <libheif/heif.h>

namespace pv {

#define PV_HEIF_FUNCTIONS(X)                                                                                \
  X(init) X(check_filetype) X(context_alloc) X(context_free) X(context_read_from_memory_without_copy)       \
  X(context_get_primary_image_handle) X(context_get_encoder_for_format) X(context_encode_image)             \
  X(context_add_exif_metadata) X(context_add_XMP_metadata) X(context_write) X(image_handle_release)         \
  X(image_handle_get_width) X(image_handle_get_height) X(image_handle_has_alpha_channel)                    \
  X(image_handle_get_luma_bits_per_pixel) X(image_handle_get_number_of_metadata_blocks)                     \
  X(image_handle_get_list_of_metadata_block_IDs) X(image_handle_get_metadata_type)                          \
  X(image_handle_get_metadata_content_type) X(image_handle_get_metadata_size) X(image_handle_get_metadata)  \
  X(decode_image) X(image_create) X(image_release) X(image_add_plane) X(image_get_plane)                    \
  X(image_get_plane_readonly) X(image_get_width) X(image_get_height) X(image_get_bits_per_pixel_range)      \
  X(encoder_release) X(encoder_set_lossy_quality) X(encoder_set_parameter_integer)

// heif_context_alloc as context_alloc, and so on.
struct HeifLibrary {
#define PV_HEIF_POINTER(name) decltype(&::heif_##name) name = nullptr;
  PV_HEIF_FUNCTIONS(PV_HEIF_POINTER)
#undef PV_HEIF_POINTER
};

// libheif, opened and initialised on the first call; null when it cannot be opened.
const HeifLibrary* heifLibrary();
// The same where a successful heifLibrary() call came first.
inline const HeifLibrary& heif() { return *heifLibrary(); }

}  // namespace pv
