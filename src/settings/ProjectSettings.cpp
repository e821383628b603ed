#include "settings/ProjectSettings.h"

namespace pv {

bool isOwnTemplate(int n) { return n > 2000 && n < 3000; }
bool isBatchConversion(int n) { return n == 3001; }
bool isGroupNode(int n) { return n % 1000 == 0; }
bool isJavaScriptFreeForbidden(int n) { return n == 2003 || (n >= 5001 && n <= 5999); }

ProjectFamily familyOf(int n) {
  if (isGroupNode(n) || n < 1000 || n > 7999) return ProjectFamily::None;
  switch (n / 1000) {
    case 1: return ProjectFamily::WebAlbum;
    case 2: return ProjectFamily::OwnTemplate;
    case 3: return n == 3001 ? ProjectFamily::BatchConversion : ProjectFamily::None;
    case 4: return ProjectFamily::Slideshow;
    case 5: return ProjectFamily::ScriptSlideshow;
    case 6: return ProjectFamily::PreviewSlideshow;
    case 7: return ProjectFamily::SlideAlbum;
  }
  return ProjectFamily::None;
}

const char* imageExtension(int imageFormat) {
  return imageFormat >= 0 && imageFormat < kImageFormatCount ? kImageExtensions[imageFormat] : kImageExtensions[0];
}

const char* imageFormatName(int imageFormat) {
  return imageFormat >= 0 && imageFormat < kImageFormatCount ? kImageFormatNames[imageFormat] : kImageFormatNames[0];
}

}  // namespace pv
