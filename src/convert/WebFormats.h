#pragma once
// The caption texts of WebP and AVIF output, which carry EXIF and XMP but no
// IPTC, and their encoding (FreeImage writes no AVIF, and WebP only at its
// slowest effort).
#include <FreeImage.h>

#include <string>

namespace pv {

// The texts an output carries, "<IMAGE>" already replaced by the caption;
// an empty text is left out.
struct CaptionTexts {
  std::string comment;
  std::string caption;
  std::string title;
  std::string author;
  std::string copyright;
  std::string program;
};

// An EXIF block as WebP and HEIF files hold it (the TIFF structure, without
// JPEG's "Exif" header): description, artist, copyright, software and the
// comment as user comment. Empty when there is nothing to say.
std::string captionExif(const CaptionTexts& texts);
// An XMP packet: dc:description, dc:title, dc:creator, dc:rights and
// xmp:CreatorTool.
std::string captionXmp(const CaptionTexts& texts);

// The image (any bit depth FreeImage converts to 24 bits) as an AVIF file of
// quality 1..100 with the two blocks where they are not empty; empty when it
// could not be encoded.
std::string encodeAvif(FIBITMAP* image, int quality, const std::string& exif, const std::string& xmp);
// The same as a WebP file.
std::string encodeWebp(FIBITMAP* image, int quality, const std::string& exif, const std::string& xmp);

}  // namespace pv
