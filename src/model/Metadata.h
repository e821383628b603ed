#pragma once
// Caption and EXIF texts read from an image file's metadata when it is added.
#include <FreeImage.h>

#include <string>

namespace pv {

// Which metadata may supply an added image's caption.
struct CaptionSources {
  bool captionFromIptc = true;
  bool captionFromJpegComment = true;
  bool captionFromExif = false;
  bool captionFromFileName = false;
};

struct ImageMetadata {
  std::string caption;
  std::string exifDateTime;
  std::string exifFNumber;
  std::string exifFocalLength;
  std::string exifIsoSpeed;
  std::string exifExposureTime;
  std::string exifMake;
  std::string exifModel;
};

// image may be null (an undecodable file): then only the file name can
// supply a caption.
ImageMetadata readImageMetadata(FIBITMAP* image, const std::string& sourcePath, const CaptionSources& sources);

// True for a text that cameras and image software put into a comment or
// description by themselves ("OLYMPUS DIGITAL CAMERA", "CREATOR: gd-jpeg ...")
// and for an empty or blank-only text: none of them is a caption.
bool isSoftwareComment(const std::string& text);

// The file name without its extension (the part before the last ".").
std::string fileNameWithoutExtension(const std::string& name);

}  // namespace pv
