#include "settings/PageValues.h"

#include <ctime>

#include "state/AppState.h"
#include "settings/Ini.h"
#include "util/Text.h"

namespace pv {

const char* const kFormatChoices[kImageFormatCount] = {
    "JPEG Image Format (*.jpg)",        "Portable Network Graphics (*.png)",   "Windows Bitmap (*.bmp)",
    "Tagged Image File Format (*.tif)", "Graphics Interchange Format (*.gif)", "WebP Image Format (*.webp)",
    "AV1 Image File Format (*.avif)"};
const char* const kWatermarkPositions[9] = {"Zentriert", "Oben-Links",  "Oben-Mitte",  "Oben-Rechts", "Links",
                                            "Rechts",    "Unten-Links", "Unten-Mitte", "Unten-Rechts"};
const char* const kResizeFilters[4] = {"Box (wenig Glättung, sehr schnell)", "Bi-Cubic (sehr gute Ergebnisse)",
                                       "Bi-Linear (gute Ergebnisse, schnell)",
                                       "B-Spline (sehr starke Glättung, langsam)"};
const char* const kChooseProjectHint =
    "Bitte wählen Sie auf der Startseite (Projektauswahl) eine Vorlage aus, um die Bildeinstellungen vornehmen zu "
    "können.";
const char* const kFontChoices[9] = {"(Standard)", "Arial",           "Comic Sans MS", "Courier New", "Georgia",
                                     "Impact",     "Times New Roman", "Trebuchet MS",  "Verdana"};

ImagePageValues::ImagePageValues() : hintText(kChooseProjectHint) { setStartValues(FieldPage::Image, {this, nullptr}); }

ProjectPageValues::ProjectPageValues() { setStartValues(FieldPage::Project, {nullptr, this}); }

// ---- image page ----

const std::vector<std::string>& sizeChoices(int row) {
  static const std::vector<std::string> sizes = {
      "40 x 30",   "80 x 60",   "100 x 75",    "120 x 90",    "160 x 120",   "200 x 150",
      "320 x 240", "400 x 300", "640 x 480",   "800 x 600",   "1024 x 768",  "1200 x 900",
      "1280 x 1024", "1600 x 1200", "1680 x 1050", "2048 x 1536", "2272 x 1704", "3264 x 2448"};
  static const std::vector<std::string> a = [] {
    std::vector<std::string> r{kNoImage, kUserSize};
    r.insert(r.end(), sizes.begin(), sizes.end());
    return r;
  }();
  static const std::vector<std::string> bc = [] {
    std::vector<std::string> r{kNoImage, kUserSize, kOriginalSize};
    r.insert(r.end(), sizes.begin(), sizes.end());
    return r;
  }();
  return row == kSizeA ? a : bc;
}

void chooseSize(ImagePageValues& v, int row, int index) {
  const auto& choices = sizeChoices(row);
  if (row < 0 || row > 2 || index < 0 || size_t(index) >= choices.size()) return;
  SizeRow& r = v.sizes[row];
  const std::string& text = choices[size_t(index)];
  r.choice = index;
  if (text == kNoImage) {
    r.fieldsEnabled = false;
    r.width = r.height = 0;
  } else if (text == kOriginalSize) {
    r.fieldsEnabled = false;
    r.width = r.height = 9999;
  } else {
    r.fieldsEnabled = true;
    size_t x = text.find('x');
    if (x == std::string::npos) {
      r.width = r.height = 0;
    } else {
      r.width = leadingInt(std::string_view(text).substr(0, x));
      r.height = leadingInt(std::string_view(text).substr(x + 1));
    }
  }
}

void setImagePageHint(ImagePageValues& v, int n) {
  static const char* const ownText =
      "Eigene Vorlage: Bildgrössen A und B sind frei definierbar, Bild C ist nicht verfügbar";
  if (n == 3001) {
    v.hintText = "Serienkonvertierung von Dateien: Bildgrössen A, B und C sind frei definierbar";
    v.illustration = Illustration::Batch;
  } else if (n == 2001 || n == 2002 || n == 2003) {
    v.hintText = ownText;
    v.illustration = n == 2001 ? Illustration::Own1 : n == 2002 ? Illustration::Own2 : Illustration::Own3;
  } else if (n >= 1001 && n <= 1999) {
    v.hintText =
        "Webalbum: Bildgrösse A ist fest vorgegeben, Bildgrösse B ist frei definierbar, Bild C ist nicht verfügbar";
    v.illustration = Illustration::WebAlbum;
  } else if (n >= 7001 && n <= 7999) {
    v.hintText = "Webalbum mit Diashow: Bildgrössen A und B sind fest vorgegeben, Bildgrösse C ist frei definierbar";
    v.illustration = Illustration::SlideAlbum;
  } else if (n >= 4001 && n <= 4999) {
    v.hintText =
        "Diashow: Bildgrösse A ist fest vorgegeben, Bildgrösse B ist frei definierbar, Bild C ist nicht verfügbar";
    v.illustration = Illustration::Slideshow;
  } else if (n >= 5001 && n <= 5999) {
    v.hintText =
        "Diashow mit JAVA-Funktionen: Bildgrösse A ist fest vorgegeben, Bildgrösse B ist frei definierbar, Bild C "
        "ist nicht verfügbar";
    v.illustration = Illustration::ScriptSlideshow;
  } else if (n >= 6001 && n <= 6999) {
    v.hintText = "Diashow mit Vorschau: Bildgrössen A und B sind fest vorgegeben, Bildgrösse C ist frei definierbar";
    v.illustration = Illustration::PreviewSlideshow;
  } else {
    v.hintText = kChooseProjectHint;
    v.illustration = Illustration::ChooseProject;
  }
}

// ---- project page ----

const char* styleKey(StyleRow row) {
  static const char* const keys[kStyleRowCount] = {"BACKGROUNDCOLOR", "BORDERCOLOR", "TEXTFONT",
                                                   "TEXTCOLOR",       "LINKCOLOR",   "TEXTSIZE"};
  return keys[row];
}

void tickCaptionSource(ProjectPageValues& v, CaptionSource source, bool ticked) {
  CaptionSources& c = v.captions;
  switch (source) {
    case CaptionSource::Iptc: c.captionFromIptc = ticked; break;
    case CaptionSource::JpegComment: c.captionFromJpegComment = ticked; break;
    case CaptionSource::Exif: c.captionFromExif = ticked; break;
    case CaptionSource::FileName: c.captionFromFileName = ticked; break;
  }
  if (!ticked) return;
  if (source == CaptionSource::FileName)
    c.captionFromIptc = c.captionFromJpegComment = c.captionFromExif = false;
  else
    c.captionFromFileName = false;
}

std::string fontChoiceFor(const std::string& value) {
  std::string lower = toLower(value);
  for (const char* f : kFontChoices)
    if (startsWith(toLower(f), lower)) return f;
  return value;
}

std::optional<std::uint32_t> parseColourText(const std::string& text) {
  std::string t = toUpper(trimBlanks(text));
  if (t.size() != 7 || t[0] != '#') return std::nullopt;
  auto pair = [&](size_t at) -> std::uint32_t {
    std::uint32_t v = 0;
    for (size_t k = at; k < at + 2; ++k) {
      char c = t[k];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return 0;
      v = v * 16 + std::uint32_t(d);
    }
    return v;
  };
  return (pair(1) << 16) | (pair(3) << 8) | pair(5);
}

std::string colourText(std::uint32_t rgb) {
  return toUpper(format("#%02x%02x%02x", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

std::string standardStyleValue(const ProjectSettings& settings, StyleRow row) {
  std::string path = settings.configFolder + std::to_string(settings.presetNumber) + ".config";
  std::string v = trimBlanks(readProfileString(path, "COLFONTS", styleKey(row), " "));
  return v.empty() ? kStandard : v;
}

// ---- create page ----

void setupCreatePage(CreatePageValues& v, const std::string& projectsFolder) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
  v.projectFolder = withSlash(projectsFolder);
  v.projectName = stamp;
  v.outputFolder = v.projectFolder + v.projectName;
}

void typeProjectName(CreatePageValues& v, const std::string& text) {
  std::string name = text.substr(0, kMaxProjectNameLength);
  for (char& c : name)
    if (kForbiddenNameChars.find(c) != std::string_view::npos) c = '_';
  v.projectName = name;
  v.outputFolder = v.projectFolder + v.projectName;
}

void chooseProjectFolder(AppState& state, CreatePageValues& v, const std::string& folder) {
  if (folder.empty()) return;
  std::string f = withSlash(folder);
  writeProfileString(state.settings.configIniPath, "FOLDER", "PROJECT", f);
  state.settings.projectsFolder = f;
  v.projectFolder = f;
  v.outputFolder = f + v.projectName;
}

// ---- capture ----

std::string cleanOutputName(const std::string& name) { return removeChars(name, kForbiddenNameChars); }

void normalisePrefixes(std::string p[3], bool upperCaseDefaults) {
  const std::string lower[3] = {settingsField("prefixA").startText, settingsField("prefixB").startText,
                                settingsField("prefixC").startText};
  const std::string defaults[3] = {upperCaseDefaults ? toUpper(lower[0]) : lower[0],
                                   upperCaseDefaults ? toUpper(lower[1]) : lower[1],
                                   upperCaseDefaults ? toUpper(lower[2]) : lower[2]};
  // A prefix is part of a file name: "../x" must not lead out of the folder.
  for (int i = 0; i < 3; ++i) {
    p[i] = cleanOutputName(p[i]);
    if (p[i].empty()) p[i] = defaults[i];
  }
  if (p[0] == p[1] || p[0] == p[2] || p[1] == p[2])
    for (int i = 0; i < 3; ++i) p[i] = defaults[i];
}

void captureSizesAndNames(ProjectSettings& s, const ImagePageValues& image, bool upperCaseDefaults) {
  s.sizeAWidth = image.sizes[kSizeA].width;
  s.sizeAHeight = image.sizes[kSizeA].height;
  s.sizeBWidth = image.sizes[kSizeB].width;
  s.sizeBHeight = image.sizes[kSizeB].height;
  s.sizeCWidth = image.sizes[kSizeC].width;
  s.sizeCHeight = image.sizes[kSizeC].height;
  s.imageFormat = image.format;
  std::string prefixes[3] = {image.sizes[0].prefix, image.sizes[1].prefix, image.sizes[2].prefix};
  normalisePrefixes(prefixes, upperCaseDefaults);
  s.prefixA = prefixes[0];
  s.prefixB = prefixes[1];
  s.prefixC = prefixes[2];
}

void captureSettings(AppState& state, const ImagePageValues& image, const ProjectPageValues& project,
                     const CreatePageValues& create) {
  ProjectSettings& s = state.settings;
  captureSizesAndNames(s, image);

  s.tableWidth = project.tableWidth;
  s.columns = project.columns;
  s.rowsPerPage = project.rowsPerPage;
  s.backgroundColor = project.style[kBackgroundRow].value;
  s.tableBorder = project.tableBorder;
  s.borderColor = project.style[kForegroundRow].value;
  s.textFont = project.style[kFontRow].value;
  s.textSize = project.style[kTextSizeRow].value;
  s.textColor = project.style[kTextColourRow].value;
  s.cellSpacing = project.cellSpacing;
  s.cellPadding = project.cellPadding;
  s.linkColor = project.style[kLinkColourRow].value;
  s.ownTemplatePage = project.ownWebPage;
  s.crossFade = project.crossFade;
  s.slideDurationMs = project.displayTime;
  s.noJavaScript = project.noScript;
  s.albumCovers = project.albumCovers;
  s.indexPage = project.indexPage;

  s.jpegQuality = image.quality;
  s.resizeFilter = image.resizeFilter;
  s.noEnlarge = image.noEnlarge;
  s.stripGps = image.stripGps;
  s.hidpi = image.hidpi;
  s.imageFolderName = cleanOutputName(image.imageFolder);
  // A name of dots only would put the images at or above the output folder.
  if (s.imageFolderName.find_first_not_of('.') == std::string::npos) s.imageFolderName = "images";
  state.watermarkFile = image.watermarkFile;
  state.watermarkTransparency = image.transparency;
  state.watermarkSizePercent = image.watermarkSize;
  state.watermarkPosition = image.watermarkPosition;
  state.watermarkOffsetX = image.offsetX;
  state.watermarkOffsetY = image.offsetY;

  s.fileTag = "pcv";
  s.projectName = cleanOutputName(create.projectName);
}

}  // namespace pv
