#include "settings/Fields.h"

#include <algorithm>
#include <stdexcept>

#include "settings/PageValues.h"

namespace pv {

namespace {

#define IMAGE(member) [](PageRecords r) -> FieldValue { return &r.image->member; }
#define PROJECT(member) [](PageRecords r) -> FieldValue { return &r.project->member; }
#define IMAGE_ENABLED(flag) [](PageRecords r) { return r.image->flag; }
#define PROJECT_ENABLED(flag) [](PageRecords r) { return r.project->flag; }

constexpr FieldPage kImage = FieldPage::Image;
constexpr FieldPage kProject = FieldPage::Project;
using K = FieldKind;

// In the order picovand-cli's help lists the options.
const Field kFields[] = {
    // ---- "Bild - Einstellungen" ----
    {.name = "widthA", .page = kImage, .stored = "/sizes/0/width", .kind = K::Size, .group = nullptr, .label = "Bild A",
     .lo = 0, .hi = 9999, .option = "--size-a", .argument = "WxH|off", .help = "box of the thumbnails in pixels",
     .value = IMAGE(sizes[0].width), .enabled = IMAGE_ENABLED(sizes[0].rowEnabled)},
    {.name = "widthB", .page = kImage, .stored = "/sizes/1/width", .kind = K::Size, .group = nullptr, .label = "Bild B",
     .lo = 0, .hi = 9999, .option = "--size-b", .argument = "WxH|off|original",
     .help = "box of the large images; original copies the source files", .value = IMAGE(sizes[1].width),
     .enabled = IMAGE_ENABLED(sizes[1].rowEnabled)},
    {.name = "widthC", .page = kImage, .stored = "/sizes/2/width", .kind = K::Size, .group = nullptr, .label = "Bild C",
     .lo = 0, .hi = 9999, .option = "--size-c", .argument = "WxH|off|original", .help = "box of a third size",
     .value = IMAGE(sizes[2].width), .enabled = IMAGE_ENABLED(sizes[2].rowEnabled)},
    {.name = "heightA", .page = kImage, .stored = "/sizes/0/height", .kind = K::Number, .group = nullptr,
     .label = "Bild A", .lo = 0, .hi = 9999, .value = IMAGE(sizes[0].height)},
    {.name = "heightB", .page = kImage, .stored = "/sizes/1/height", .kind = K::Number, .group = nullptr,
     .label = "Bild B", .lo = 0, .hi = 9999, .value = IMAGE(sizes[1].height)},
    {.name = "heightC", .page = kImage, .stored = "/sizes/2/height", .kind = K::Number, .group = nullptr,
     .label = "Bild C", .lo = 0, .hi = 9999, .value = IMAGE(sizes[2].height)},
    // The entry the size choice shows (A has no "(Orginalbild)") and whether it frees the fields.
    {.name = "sizeChoiceA", .page = kImage, .stored = "/sizes/0/choice", .kind = K::State, .group = nullptr,
     .label = nullptr, .lo = 0, .hi = 19, .value = IMAGE(sizes[0].choice)},
    {.name = "sizeChoiceB", .page = kImage, .stored = "/sizes/1/choice", .kind = K::State, .group = nullptr,
     .label = nullptr, .lo = 0, .hi = 20, .value = IMAGE(sizes[1].choice)},
    {.name = "sizeChoiceC", .page = kImage, .stored = "/sizes/2/choice", .kind = K::State, .group = nullptr,
     .label = nullptr, .lo = 0, .hi = 20, .value = IMAGE(sizes[2].choice)},
    {.name = "sizeFieldsA", .page = kImage, .stored = "/sizes/0/fieldsEnabled", .kind = K::State, .group = nullptr,
     .label = nullptr, .value = IMAGE(sizes[0].fieldsEnabled)},
    {.name = "sizeFieldsB", .page = kImage, .stored = "/sizes/1/fieldsEnabled", .kind = K::State, .group = nullptr,
     .label = nullptr, .value = IMAGE(sizes[1].fieldsEnabled)},
    {.name = "sizeFieldsC", .page = kImage, .stored = "/sizes/2/fieldsEnabled", .kind = K::State, .group = nullptr,
     .label = nullptr, .value = IMAGE(sizes[2].fieldsEnabled)},
    {.name = "prefixA", .page = kImage, .stored = "/sizes/0/prefix", .kind = K::Prefix, .group = nullptr,
     .label = "Datei-Prefix (Bild A)", .startText = "pcva", .option = "--prefix-a", .argument = "TEXT",
     .help = "file name prefix of size A (default {start})", .value = IMAGE(sizes[0].prefix)},
    {.name = "prefixB", .page = kImage, .stored = "/sizes/1/prefix", .kind = K::Prefix, .group = nullptr,
     .label = "Datei-Prefix (Bild B)", .startText = "pcvb", .option = "--prefix-b", .argument = "TEXT",
     .help = "file name prefix of size B (default {start})", .value = IMAGE(sizes[1].prefix)},
    {.name = "prefixC", .page = kImage, .stored = "/sizes/2/prefix", .kind = K::Prefix, .group = nullptr,
     .label = "Datei-Prefix (Bild C)", .startText = "pcvc", .option = "--prefix-c", .argument = "TEXT",
     .help = "file name prefix of size C (default {start})", .value = IMAGE(sizes[2].prefix)},
    {.name = "imageFolder", .page = kImage, .stored = "/imageFolder", .kind = K::Text, .group = nullptr,
     .label = "Ablageordner", .startText = "images", .option = "--image-folder", .argument = "NAME",
     .help = "sub-folder of the output that holds the images (default {start})", .value = IMAGE(imageFolder)},
    {.name = "resizeFilter", .page = kImage, .stored = "/resizeFilter", .kind = K::Choice, .group = nullptr,
     .label = "Algorithmus", .lo = 0, .hi = 3, .start = 2, .option = "--filter",
     .argument = "box|bicubic|bilinear|bspline", .help = "scaling filter (default {start})",
     .value = IMAGE(resizeFilter)},
    {.name = "format", .page = kImage, .stored = "/format", .kind = K::Choice, .group = nullptr, .label = "Bildformat",
     .lo = 0, .hi = 6, .option = "--format", .argument = "jpg|png|bmp|tif|gif|webp|avif",
     .help = "format of the written images (default {start})", .value = IMAGE(format),
     .enabled = IMAGE_ENABLED(formatEnabled)},
    {.name = "noEnlarge", .page = kImage, .stored = "/noEnlarge", .kind = K::Switch, .group = nullptr,
     .label = "Kleine Bilder nicht vergrößern", .option = "--no-enlarge",
     .help = "a picture smaller than its box keeps its own size", .preset = "IMAGE/NOENLARGE",
     .value = IMAGE(noEnlarge)},
    {.name = "stripGps", .page = kImage, .stored = "/stripGps", .kind = K::Switch, .group = nullptr,
     .label = "Standortdaten entfernen", .option = "--strip-gps",
     .help = "the unchanged copies of a size 'original' lose their GPS data, nothing else",
     .preset = "IMAGE/STRIPGPS", .value = IMAGE(stripGps)},
    {.name = "hidpi", .page = kImage, .stored = "/hidpi", .kind = K::Switch, .group = nullptr,
     .label = "Bilder für hochauflösende Bildschirme", .option = "--hidpi",
     .help = "each scaled size also at up to twice its box where the source has the pixels, at three "
             "fifths of the quality, offered to sharp screens through srcset",
     .preset = "IMAGE/HIDPI", .value = IMAGE(hidpi)},
    {.name = "quality", .page = kImage, .stored = "/quality", .kind = K::Number, .group = nullptr,
     .label = "Bildqualität", .lo = 25, .hi = 100, .start = 75, .option = "--quality", .argument = "Q",
     .help = "quality of JPEG, WebP and AVIF output {lo}..{hi} (default {start})", .value = IMAGE(quality)},
    {.name = "watermarkFile", .page = kImage, .stored = "/watermarkFile", .kind = K::Picture,
     .group = "Wasserzeichen", .label = "Bilddatei", .option = "--watermark", .argument = "FILE",
     .help = "picture put onto every written image", .value = IMAGE(watermarkFile)},
    {.name = "watermarkPosition", .page = kImage, .stored = "/watermarkPosition", .kind = K::Number,
     .group = "Wasserzeichen", .label = "Position", .lo = 0, .hi = 8, .option = "--watermark-position",
     .argument = "N",
     .help = "0 Zentriert, 1 Oben-Links, 2 Oben-Mitte, 3 Oben-Rechts, 4 Links, 5 Rechts, 6 Unten-Links, "
             "7 Unten-Mitte, 8 Unten-Rechts",
     .value = IMAGE(watermarkPosition)},
    {.name = "transparency", .page = kImage, .stored = "/transparency", .kind = K::Number, .group = "Wasserzeichen",
     .label = "Transparenz", .lo = 1, .hi = 255, .start = 150, .note = "[{lo}..{hi}]", .option = "--transparency",
     .argument = "N", .help = "blend factor of the watermark {lo}..{hi} (default {start})",
     .value = IMAGE(transparency)},
    {.name = "watermarkSize", .page = kImage, .stored = "/watermarkSize", .kind = K::Number, .group = "Wasserzeichen",
     .label = "Grösse", .lo = 1, .hi = 100, .start = 50, .note = "[{lo}..{hi}] - Grösse im Verhältnis zum Bild in %",
     .option = "--watermark-size", .argument = "N", .help = "watermark size in percent {lo}..{hi} (default {start})",
     .value = IMAGE(watermarkSize)},
    {.name = "offsetX", .page = kImage, .stored = "/offsetX", .kind = K::Number, .group = "Wasserzeichen",
     .label = "Abstand X", .lo = 0, .hi = 200, .note = "[{lo}..{hi}] - Horizontaler Abstand", .option = "--offset-x",
     .argument = "N", .help = "horizontal distance from the edge {lo}..{hi}", .value = IMAGE(offsetX)},
    {.name = "offsetY", .page = kImage, .stored = "/offsetY", .kind = K::Number, .group = "Wasserzeichen",
     .label = "Abstand Y", .lo = 0, .hi = 200, .note = "[{lo}..{hi}] - Vertikaler Abstand", .option = "--offset-y",
     .argument = "N", .help = "vertical distance from the edge {lo}..{hi}", .value = IMAGE(offsetY)},

    // ---- "Projekt - Einstellungen" ----
    {.name = "columns", .page = kProject, .stored = "/columns", .kind = K::Number, .group = nullptr,
     .label = "Spaltenanzahl", .lo = 1, .hi = 100, .start = 1, .note = "[{lo}..{hi}] - Anzahl der Bilder pro Zeile",
     .option = "--columns", .argument = "N", .help = "images per table row {lo}..{hi}", .value = PROJECT(columns),
     .enabled = PROJECT_ENABLED(tableSizeEnabled)},
    {.name = "rowsPerPage", .page = kProject, .stored = "/rowsPerPage", .kind = K::Number, .group = nullptr,
     .label = "Zeilenanzahl", .lo = 0, .hi = 100, .note = "[{lo}..{hi}] - Anzahl der Zeilen pro Seite (0 = max)",
     .option = "--rows", .argument = "N", .help = "table rows per page {lo}..{hi} (0: all on one page)",
     .value = PROJECT(rowsPerPage), .enabled = PROJECT_ENABLED(tableSizeEnabled)},
    {.name = "tableWidth", .page = kProject, .stored = "/tableWidth", .kind = K::Number, .group = nullptr,
     .label = "Tabellenbreite", .lo = 0, .hi = 10000, .note = "[{lo}..{hi}] Pixel (0 = max)",
     .option = "--table-width", .argument = "N", .help = "table width in pixels {lo}..{hi} (0: full width)",
     .value = PROJECT(tableWidth), .enabled = PROJECT_ENABLED(tableWidthEnabled)},
    {.name = "tableBorder", .page = kProject, .stored = "/tableBorder", .kind = K::Number, .group = nullptr,
     .label = "Tabellenrand", .lo = 0, .hi = 10, .note = "[{lo}..{hi}] - Breite in Pixel", .option = "--table-border",
     .argument = "N", .help = "table border in pixels {lo}..{hi}", .value = PROJECT(tableBorder),
     .enabled = PROJECT_ENABLED(tableBorderEnabled)},
    {.name = "cellSpacing", .page = kProject, .stored = "/cellSpacing", .kind = K::Number, .group = nullptr,
     .label = "Zellenabstand", .lo = 0, .hi = 100, .note = "[{lo}..{hi}] - Abstand in Pixel",
     .option = "--cell-spacing", .argument = "N", .help = "cell spacing in pixels {lo}..{hi}",
     .value = PROJECT(cellSpacing), .enabled = PROJECT_ENABLED(cellSpacingEnabled)},
    {.name = "cellPadding", .page = kProject, .stored = "/cellPadding", .kind = K::Number, .group = nullptr,
     .label = "Textabstand", .lo = 0, .hi = 100, .note = "[{lo}..{hi}] - Abstand in Pixel",
     .option = "--cell-padding", .argument = "N", .help = "cell padding in pixels {lo}..{hi}",
     .value = PROJECT(cellPadding), .enabled = PROJECT_ENABLED(cellPaddingEnabled)},
    {.name = "backgroundColour", .page = kProject, .stored = "/style/0/value", .kind = K::Colour, .group = nullptr,
     .label = "Hintergrundfarbe", .startText = kStandard, .option = "--background-color",
     .argument = "#RRGGBB|standard", .help = "page background", .value = PROJECT(style[kBackgroundRow].value),
     .enabled = PROJECT_ENABLED(style[kBackgroundRow].enabled)},
    {.name = "foregroundColour", .page = kProject, .stored = "/style/1/value", .kind = K::Colour, .group = nullptr,
     .label = "Vordergrundfarbe", .startText = kStandard, .option = "--foreground-color",
     .argument = "#RRGGBB|standard", .help = "table and border colour",
     .value = PROJECT(style[kForegroundRow].value), .enabled = PROJECT_ENABLED(style[kForegroundRow].enabled)},
    {.name = "font", .page = kProject, .stored = "/style/2/value", .kind = K::Font, .group = nullptr,
     .label = "Schriftart", .startText = kStandard, .option = "--font", .argument = "NAME|standard",
     .help = "font family of the page texts", .value = PROJECT(style[kFontRow].value),
     .enabled = PROJECT_ENABLED(style[kFontRow].enabled)},
    {.name = "textColour", .page = kProject, .stored = "/style/3/value", .kind = K::Colour, .group = nullptr,
     .label = "Schriftfarbe", .startText = kStandard, .option = "--text-color", .argument = "#RRGGBB|standard",
     .help = "text colour", .value = PROJECT(style[kTextColourRow].value),
     .enabled = PROJECT_ENABLED(style[kTextColourRow].enabled)},
    {.name = "linkColour", .page = kProject, .stored = "/style/4/value", .kind = K::Colour, .group = nullptr,
     .label = "Link Color", .startText = kStandard, .option = "--link-color", .argument = "#RRGGBB|standard",
     .help = "link colour", .value = PROJECT(style[kLinkColourRow].value),
     .enabled = PROJECT_ENABLED(style[kLinkColourRow].enabled)},
    {.name = "textSize", .page = kProject, .stored = "/style/5/value", .kind = K::CssSize, .group = nullptr,
     .label = "Textgrösse", .startText = kStandard, .option = "--text-size", .argument = "SIZE|standard",
     .help = "text size as a CSS size, e.g. 12px", .value = PROJECT(style[kTextSizeRow].value),
     .enabled = PROJECT_ENABLED(style[kTextSizeRow].enabled)},
    {.name = "captionFromIptc", .page = kProject, .stored = "/captions/iptc", .kind = K::Captions,
     .group = "Bildkommentar", .label = "Kommentar aus IPTC Image Caption importieren", .start = 1,
     .option = "--captions", .argument = "iptc,comment,exif,filename|none",
     .help = "where captions come from, tried in this order; filename stands alone (default iptc,comment)",
     .value = PROJECT(captions.captionFromIptc)},
    {.name = "captionFromJpegComment", .page = kProject, .stored = "/captions/jpegComment", .kind = K::Switch,
     .group = "Bildkommentar", .label = "Kommentar aus JPEG Image Comments importieren", .start = 1,
     .value = PROJECT(captions.captionFromJpegComment)},
    {.name = "captionFromExif", .page = kProject, .stored = "/captions/exif", .kind = K::Switch,
     .group = "Bildkommentar", .label = "Kommentar aus EXIF Image Description importieren",
     .value = PROJECT(captions.captionFromExif)},
    {.name = "captionFromFileName", .page = kProject, .stored = "/captions/fileName", .kind = K::Switch,
     .group = "Bildkommentar", .label = "Dateiname als Bildkommentar verwenden",
     .value = PROJECT(captions.captionFromFileName)},
    {.name = "noScript", .page = kProject, .stored = "/noScript", .kind = K::Switch, .group = nullptr,
     .label = "Kein Javascript benutzen", .option = "--no-javascript", .help = "pages without scripts",
     .value = PROJECT(noScript), .enabled = PROJECT_ENABLED(noScriptEnabled)},
    {.name = "displayTime", .page = kProject, .stored = "/displayTime", .kind = K::Number, .group = nullptr,
     .label = "Dauer der Bildeinblendung", .lo = 1000, .hi = 120000, .start = 5000,
     .note = "Millisekunden [{lo}...{hi}]", .option = "--display-time", .argument = "MS",
     .help = "slideshow time per image {lo}..{hi} ms", .value = PROJECT(displayTime),
     .enabled = PROJECT_ENABLED(slideshowEnabled)},
    {.name = "crossFade", .page = kProject, .stored = "/crossFade", .kind = K::Switch, .group = nullptr,
     .label = "Überblendeffekt benutzen", .option = "--cross-fade", .help = "slideshow images fade into each other",
     .value = PROJECT(crossFade), .enabled = PROJECT_ENABLED(slideshowEnabled)},
    {.name = "albumCovers", .page = kProject, .stored = "/albumCovers", .kind = K::Switch, .group = nullptr,
     .label = "Alben mit Titelbild und Bildanzahl", .option = "--album-covers",
     .help = "an album's tile shows its first (or marked) photo and the number of photos in it",
     .preset = "PROJECT/COVERS", .value = PROJECT(albumCovers)},
    {.name = "indexPage", .page = kProject, .stored = "/indexPage", .kind = K::Switch, .group = nullptr,
     .label = "Startseite auch als index.html", .option = "--index-html",
     .help = "the start page is also written as index.html (never over one the program did not write)",
     .preset = "PROJECT/INDEXHTML", .value = PROJECT(indexPage)},
    {.name = "ownWebPage", .page = kProject, .stored = "/ownWebPage", .kind = K::WebPage, .group = nullptr,
     .label = "Webseite", .option = "--page", .argument = "FILE",
     .help = "your own web page holding ##PICOVAND## (own-page presets)", .value = PROJECT(ownWebPage),
     .enabled = PROJECT_ENABLED(ownWebPageEnabled)},
};

void replaceAll(std::string& text, std::string_view what, const std::string& by) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + by.size()))
    text.replace(at, what.size(), by);
}

// The start value as the help names it: the text, the list entry's word or the number.
std::string startWord(const Field& f) {
  if (*f.startText) return f.startText;
  if (f.kind != FieldKind::Choice || !f.argument) return std::to_string(f.start);
  std::string_view words = f.argument;
  for (int i = 0; i < f.start; ++i) words.remove_prefix(std::min(words.size(), words.find('|') + 1));
  return std::string(words.substr(0, words.find('|')));
}

}  // namespace

std::span<const Field> settingsFields() { return kFields; }

const Field& settingsField(std::string_view name) {
  for (const Field& f : kFields)
    if (name == f.name) return f;
  throw std::out_of_range("no settings field " + std::string(name));
}

bool clampField(const Field& field, int& value) {
  const int old = value;
  value = std::max(std::min(value, field.hi), field.lo);
  return value != old;
}

bool clampField(const Field& field, PageRecords records) {
  const FieldValue v = field.value(records);
  int* const* number = std::get_if<int*>(&v);
  return number && field.hi > field.lo && clampField(field, **number);
}

std::string fieldText(const char* text, const Field& field) {
  std::string t = text ? text : "";
  replaceAll(t, "{lo}", std::to_string(field.lo));
  replaceAll(t, "{hi}", std::to_string(field.hi));
  replaceAll(t, "{start}", startWord(field));
  return t;
}

std::string optionLabel(const Field& field) {
  if (field.kind == FieldKind::Captions) return field.group;
  return field.group ? std::string(field.group) + ": " + field.label : std::string(field.label);
}

void setStartValues(FieldPage page, PageRecords records) {
  for (const Field& f : kFields) {
    if (f.page != page) continue;
    FieldValue v = f.value(records);
    if (int* const* number = std::get_if<int*>(&v)) **number = f.start;
    else if (bool* const* flag = std::get_if<bool*>(&v)) **flag = f.start != 0;
    else *std::get<std::string*>(v) = f.startText;
  }
}

}  // namespace pv
