#pragma once
// The one record a build reads. The settings pages keep their own working
// values; captureSettings copies them in when the user starts a build.
#include <string>

namespace pv {

struct ProjectSettings {
  int presetNumber = 0;
  std::string presetName;
  bool albumsAllowed = true;
  int sizeAWidth = 0;
  int sizeAHeight = 0;
  int sizeBWidth = 0;
  int sizeBHeight = 0;
  int sizeCWidth = 0;
  int sizeCHeight = 0;
  int tableWidth = 0;
  int columns = 0;
  int rowsPerPage = 0;
  std::string backgroundColor;
  int tableBorder = 0;
  std::string borderColor;
  std::string textFont;
  std::string textSize;
  std::string textColor;
  int jpegQuality = 0;
  int imageFormat = 0;
  int cellSpacing = 0;
  int cellPadding = 0;
  std::string linkColor;
  std::string projectName;
  int resizeFilter = 0;
  bool noEnlarge = false;
  bool stripGps = false;
  bool hidpi = false;
  bool noJavaScript = false;
  bool albumCovers = false;
  bool indexPage = false;
  std::string ownTemplatePage;
  int controlSet = 0;
  std::string programFolder;
  std::string resourceFolder;  // the installed data tree (resourceFolderFor)
  std::string configFolder;
  std::string draftsFolder;
  std::string ctrlFolder;
  std::string projectsFolder;
  std::string appDataFolder;
  std::string configIniPath;
  std::string cacheFolder;  // $XDG_CACHE_HOME/Corvane/Pico Vand/: anything that may be deleted at any time
  std::string imageFolderName;
  std::string prefixA;
  std::string prefixB;
  std::string prefixC;
  std::string fileTag;
  bool crossFade = false;
  int slideDurationMs = 0;
  std::string noHomeFragment;
  std::string noUpFragment;
};

// What a colour, font or size value holds when nobody chose one.
inline constexpr const char* kStandard = "(Standard)";

// Families of presetNumber, by thousands.
enum class ProjectFamily { None, WebAlbum, OwnTemplate, BatchConversion, Slideshow, ScriptSlideshow, PreviewSlideshow, SlideAlbum };

bool isOwnTemplate(int presetNumber);          // 2001..2999
bool isBatchConversion(int presetNumber);      // exactly 3001
bool isGroupNode(int presetNumber);            // 0 or a multiple of 1000
bool isJavaScriptFreeForbidden(int presetNumber);  // 2003 and 5001..5999
ProjectFamily familyOf(int presetNumber);      // None for group nodes and unknown numbers

// The family nodes of the selection tree in tree order, with their labels.
struct FamilyNode {
  int groupNumber;
  const char* label;
};
inline constexpr FamilyNode kFamilyNodes[] = {
    {1000, "Webalbum ohne Diashow"},  {7000, "Webalbum mit Diashow"},
    {4000, "Diashow"},                {5000, "Diashow mit JAVA-Funktionen"},
    {6000, "Diashow mit Vorschau"},   {3000, "Serienkonvertierung von Dateien"},
    {2000, "Eigene Vorlage"},
};

// Output formats by imageFormat index.
enum ImageFormat { kJpeg, kPng, kBmp, kTiff, kGif, kWebp, kAvif, kImageFormatCount };
inline constexpr const char* kImageExtensions[kImageFormatCount] = {"jpg", "png", "bmp", "tif", "gif", "webp", "avif"};
inline constexpr const char* kImageFormatNames[kImageFormatCount] = {
    "JPEG Image Format", "Portable Network Graphics", "Windows Bitmap", "Tagged Image File Format",
    "Graphics Interchange Format", "WebP Image Format", "AV1 Image File Format"};
const char* imageExtension(int imageFormat);  // "jpg" for an index out of range
const char* imageFormatName(int imageFormat);  // JPEG's for an index out of range

}  // namespace pv
