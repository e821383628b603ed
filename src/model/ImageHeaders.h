#pragma once
// What a file says about itself before anything decodes it: the size its
// header claims and its orientation tag, read from the bytes with every
// offset checked against the file.
#include <FreeImage.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace pv {

// Pictures claiming more pixels are refused before decoding: a few
// kilobytes of header can otherwise make a reader allocate gigabytes.
inline constexpr std::uint64_t kMaxImagePixels = 200'000'000;

// An unsigned number of 1 to 4 bytes at offset at; 0 when it does not lie
// wholly inside d.
std::uint32_t numberAt(std::string_view d, std::size_t at, int bytes, bool bigEndian);

struct ClaimedSize {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
};
// The largest picture the header of a JPEG, PNG, GIF, BMP, TIFF, PSD, WebP,
// HEIF or AVIF announces; 0 x 0 when it cannot be found.
ClaimedSize claimedSize(std::string_view file, FREE_IMAGE_FORMAT fif);
// False for one of those formats when its header shows no picture (too
// short, damaged) or more than kMaxImagePixels: the file is then not given
// to a decoder at all. Other formats pass (camera RAW is measured by the
// RAW reader's own header pass).
bool headerWorthDecoding(std::string_view file, FREE_IMAGE_FORMAT fif);

// A TIFF structure ("II" or "MM", as in a TIFF file or an EXIF block).
struct TiffView {
  std::string_view data;
  bool bigEndian = false;

  // False unless data starts with a TIFF header.
  bool open(std::string_view bytes);
  std::uint32_t number(std::size_t at, int bytes) const;
  std::uint32_t firstDirectory() const { return number(4, 4); }
  // The first value of tag in the directory at offset ifd (SHORT or LONG
  // only); fallback when absent or unreadable.
  std::uint32_t tagValue(std::uint32_t ifd, std::uint32_t tag, std::uint32_t fallback) const;
  // True when the first directory, the directories it links to (EXIF, GPS,
  // interoperability, the next one) and every value they point at lie
  // wholly inside the data.
  bool sound() const;
};

// True when a JPEG ends before the end-of-image marker of its primary
// image: cut short, so a decoder fills the rest with grey. Found without
// decoding, by walking the marker segments by their lengths and the
// entropy-coded data of the scans, which hold 0xFF only before a stuffed
// zero or a restart marker. Whatever follows the end marker (the further
// pictures of a multi-picture file, padding) does not count.
bool jpegCutShort(std::string_view file);
// The length of a JPEG's head: its marker segments up to the end of the
// first scan's header, all a header-only reader looks at; 0 when the bytes
// end before it.
size_t jpegHeadLength(std::string_view head);

// The camera's own texts and settings in a camera RAW, as a small EXIF
// TIFF structure of the RAW's byte order: description, make, model and date
// of the first directory, exposure, aperture, sensitivity, focal length and
// original date of its EXIF directory. Copied from a RAW laid out as TIFF
// (DNG, CR2, NEF, ARW, PEF, ORF, RW2) or from a CR3's CMT1 and CMT2 boxes;
// empty when there is none.
std::string rawExifBlock(std::string_view file);

// The orientation tag (1..8) of the first directory of a TIFF file or a
// camera RAW, of a PNG's eXIf chunk, a PSD's EXIF resource, a WebP's EXIF
// chunk or a CR3's EXIF box; 1 when there is none. HEIF files turn their
// pictures by transforms of their own, which the decoder applies.
int embeddedOrientation(std::string_view file, FREE_IMAGE_FORMAT fif);

}  // namespace pv
