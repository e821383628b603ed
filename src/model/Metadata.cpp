#include "model/Metadata.h"

#include <mutex>
#include <regex>

#include "model/Encoding.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

// FreeImage_TagToString answers in one static buffer shared by every thread.
std::mutex& tagTextLock() {
  static std::mutex m;
  return m;
}

std::string tagToText(FREE_IMAGE_MDMODEL model, FITAG* tag) {
  std::lock_guard<std::mutex> guard(tagTextLock());
  const char* t = FreeImage_TagToString(model, tag, nullptr);
  return t ? std::string(t) : std::string();
}

bool findTag(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key, FITAG*& tag) {
  tag = nullptr;
  return image && FreeImage_GetMetadata(model, image, key, &tag) && tag;
}

// The stored text of a tag: the bytes of an ASCII value without the
// terminating zero, other types through FreeImage's conversion.
std::string tagValueText(FREE_IMAGE_MDMODEL model, FITAG* tag) {
  if (FreeImage_GetTagType(tag) != FIDT_ASCII && FreeImage_GetTagType(tag) != FIDT_UNDEFINED)
    return tagToText(model, tag);
  const char* v = static_cast<const char*>(FreeImage_GetTagValue(tag));
  if (!v) return {};
  std::string s(v, FreeImage_GetTagLength(tag));
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

std::string exifText(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key) {
  FITAG* tag;
  return findTag(image, model, key, tag) ? tagToText(model, tag) : std::string();
}

}  // namespace

bool isSoftwareComment(const std::string& text) {
  const std::string t = trimWhite(text);
  if (t.empty()) return true;
  // Texts cameras and image software write by themselves; compared without
  // case, the open-ended ones by their beginning.
  static const char* const exact[] = {"OLYMPUS DIGITAL CAMERA", "SANYO DIGITAL CAMERA", "AppleMark",
                                      "Created with GIMP"};
  static const char* const starts[] = {"CREATOR: gd-jpeg", "LEAD Technologies"};
  for (const char* e : exact)
    if (equalsNoCase(t, e)) return true;
  const std::string lower = toLower(t);
  for (const char* b : starts)
    if (startsWith(lower, toLower(b))) return true;
  // What image programs sign their files with: the program's name and
  // version, perhaps after "comment in", "created with" or "written by"
  // ("comment in GIMP 2.4.5", "File written by Adobe Photoshop 4.0"). A
  // caption that merely names a program has more words than that.
  static const std::regex signature(
      "(?:(?:comment|created|made|edited|saved|processed|generated|optimi[sz]ed|(?:file )?written)"
      "\\s+(?:in|with|by|using)\\s+)?(?:adobe\\s+|the\\s+)?"
      "(?:gimp|photoshop|imageready|paint\\.net|paint shop pro|imagemagick|graphicconverter|irfanview|picasa|"
      "xnview|digikam|lightroom|acdsee|acd systems|photoimpact|photofiltre|pixelmator|darktable|rawtherapee|"
      "shotwell|gthumb|f-spot|ulead[a-z ]*|microsoft office|windows photo gallery)"
      "[^a-z0-9]*(?:(?:v|version|ver\\.?)?\\s*[0-9][0-9a-z.()\\s-]*)?",
      std::regex::ECMAScript | std::regex::icase);
  return t.size() <= 80 && std::regex_match(lower, signature);
}

std::string fileNameWithoutExtension(const std::string& name) {
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

ImageMetadata readImageMetadata(FIBITMAP* image, const std::string& sourcePath, const CaptionSources& sources) {
  ImageMetadata m;
  FITAG* tag;
  if (sources.captionFromIptc && findTag(image, FIMD_IPTC, "Caption-Abstract", tag))
    m.caption = trimWhite(windows1252ToUtf8(tagValueText(FIMD_IPTC, tag)));
  // A text the camera or a program wrote by itself is no caption; the next
  // source may still hold one the photographer wrote.
  if (isSoftwareComment(m.caption) && sources.captionFromJpegComment &&
      findTag(image, FIMD_COMMENTS, "Comment", tag))
    m.caption = trimWhite(tagValueText(FIMD_COMMENTS, tag));
  if (isSoftwareComment(m.caption) && sources.captionFromExif &&
      findTag(image, FIMD_EXIF_MAIN, "ImageDescription", tag))
    m.caption = trimWhite(tagValueText(FIMD_EXIF_MAIN, tag));
  if (isSoftwareComment(m.caption)) m.caption.clear();
  if (sources.captionFromFileName && fileExists(sourcePath))
    m.caption = fileNameWithoutExtension(fileNameOf(sourcePath));

  m.exifDateTime = exifText(image, FIMD_EXIF_MAIN, "DateTime");
  m.exifModel = exifText(image, FIMD_EXIF_MAIN, "Model");
  m.exifMake = exifText(image, FIMD_EXIF_MAIN, "Make");
  m.exifExposureTime = exifText(image, FIMD_EXIF_EXIF, "ExposureTime");
  m.exifIsoSpeed = exifText(image, FIMD_EXIF_EXIF, "ISOSpeedRatings");
  m.exifFocalLength = exifText(image, FIMD_EXIF_EXIF, "FocalLength");
  m.exifFNumber = exifText(image, FIMD_EXIF_EXIF, "FNumber");
  return m;
}

}  // namespace pv
