#pragma once
// The values a user edits on the settings pages and the create page, with
// the enabled state of each control. The window shows and reads these
// records; picovand-cli fills them from its options. Every rule both need
// (choices, caption sources, colours) lives here; each field's label, range
// and start value is declared once in settings/Fields.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/Metadata.h"
#include "settings/Fields.h"
#include "settings/ProjectSettings.h"

namespace pv {

struct AppState;

// ---- Image settings page ("Bild - Einstellungen") ----

enum SizeIndex { kSizeA = 0, kSizeB = 1, kSizeC = 2 };

// The values start as the field table says (setStartValues).
struct SizeRow {
  int width;
  int height;
  std::string prefix;
  int choice;                  // index into sizeChoices(row)
  bool rowEnabled = false;     // the size choice (and with it the row)
  bool fieldsEnabled;          // width and height fields
};

enum class Illustration { ChooseProject, Batch, Own1, Own2, Own3, WebAlbum, SlideAlbum, Slideshow, ScriptSlideshow, PreviewSlideshow };

// The fields the table declares start at its start values.
struct ImagePageValues {
  SizeRow sizes[3];
  int quality;
  int format;
  bool formatEnabled = false;
  std::string watermarkFile;
  int watermarkPosition;
  std::string imageFolder;
  int transparency;
  int watermarkSize;
  int offsetX;
  int offsetY;
  int resizeFilter;
  // "Kleine Bilder nicht vergrößern": a picture smaller than its box keeps
  // its own size.
  bool noEnlarge;
  // "Standortdaten entfernen": the unchanged copies (box 9999 x 9999) lose
  // their GPS data.
  bool stripGps;
  // "Bilder für hochauflösende Bildschirme": each scaled size also at twice
  // its box, where the source has the pixels.
  bool hidpi;
  std::string hintText;
  Illustration illustration = Illustration::ChooseProject;
  ImagePageValues();
};

// The texts of a size choice: A has no "(Orginalbild)".
const std::vector<std::string>& sizeChoices(int row);
inline constexpr const char* kNoImage = "(Kein Bild)";
inline constexpr const char* kUserSize = "(Benutzer)";
inline constexpr const char* kOriginalSize = "(Orginalbild)";
// The user picked entry index of row's size choice.
void chooseSize(ImagePageValues& v, int row, int index);

extern const char* const kFormatChoices[kImageFormatCount];
extern const char* const kWatermarkPositions[9];
extern const char* const kResizeFilters[4];
extern const char* const kChooseProjectHint;

// Hint line and illustration of the image page for a project type.
void setImagePageHint(ImagePageValues& v, int presetNumber);

// ---- Project settings page ("Projekt - Einstellungen") ----

enum StyleRow { kBackgroundRow, kForegroundRow, kFontRow, kTextColourRow, kLinkColourRow, kTextSizeRow, kStyleRowCount };
// The COLFONTS key of each style row.
const char* styleKey(StyleRow row);

struct StyleValue {
  std::string value = kStandard;
  bool enabled = false;
};

// The fields the table declares start at its start values.
struct ProjectPageValues {
  CaptionSources captions;
  int tableWidth;
  int columns;
  int rowsPerPage;
  int tableBorder;
  int cellSpacing;
  int cellPadding;
  StyleValue style[kStyleRowCount];
  std::string ownWebPage;
  bool crossFade;
  int displayTime;
  bool noScript;
  // "Alben mit Titelbild und Bildanzahl": an album's tile shows its cover
  // photo and how many photos it holds instead of the folder picture.
  bool albumCovers;
  // "Startseite auch als index.html": what a web server shows for the
  // gallery's own address.
  bool indexPage;

  bool tableSizeEnabled = false;  // columns and rows per page
  bool ownWebPageEnabled = false;  // its "Auswählen" button
  bool tableWidthEnabled = false;
  bool tableBorderEnabled = false;
  bool cellPaddingEnabled = false;
  bool cellSpacingEnabled = false;
  bool slideshowEnabled = false;  // cross-fade box and display time
  bool noScriptEnabled = true;
  ProjectPageValues();
};

// Both records' fields, for the table's accessors.
inline PageRecords pageRecords(ImagePageValues& image, ProjectPageValues& project) { return {&image, &project}; }

enum class CaptionSource { Iptc, JpegComment, Exif, FileName };
// A caption check box was clicked into the state ticked; the file name
// excludes the three metadata sources and they exclude it.
void tickCaptionSource(ProjectPageValues& v, CaptionSource source, bool ticked);

extern const char* const kFontChoices[9];
// The font list entry a shown value selects: the first one that begins with
// it, ignoring case; the value itself when none does.
std::string fontChoiceFor(const std::string& value);

// The colour of a colour text (0xRRGGBB): trimmed, upper-cased, exactly "#"
// and six characters, each pair read as hexadecimal (a bad pair gives 0).
std::optional<std::uint32_t> parseColourText(const std::string& text);
// How a colour dialog result is written: "#RRGGBB", upper case.
std::string colourText(std::uint32_t rgb);

// The "Standard" button of a style row: the current preset's value, or "(Standard)".
std::string standardStyleValue(const ProjectSettings& settings, StyleRow row);

// ---- Create page ("Erstellen") ----

// Where the gallery was last uploaded directly, offered again next time. The
// password is never kept.
struct UploadPlace {
  int protocol = 1;  // 0 FTP, 1 FTPS, 2 SFTP
  std::string server;
  int port = 0;      // 0: the protocol's own
  std::string folder;
  std::string user;
};

struct CreatePageValues {
  std::string projectName;
  std::string projectFolder;  // ends in "/"
  std::string outputFolder;
  UploadPlace upload;
};

inline constexpr size_t kMaxProjectNameLength = 50;
// Fresh values: the projects folder and the local time as the name.
void setupCreatePage(CreatePageValues& v, const std::string& projectsFolder);
// What typing does to the name: forbidden characters become "_".
void typeProjectName(CreatePageValues& v, const std::string& text);
// A folder the user picked: remembered in config.ini for the next start.
void chooseProjectFolder(AppState& state, CreatePageValues& v, const std::string& folder);

// ---- Capture ----

// Copies the pages into the settings record and the watermark fields, with
// the prefix and name clean-ups applied to the copies.
void captureSettings(AppState& state, const ImagePageValues& image, const ProjectPageValues& project,
                     const CreatePageValues& create);

// The three boxes, the format and the cleaned prefixes: what the build and
// the create page's file list both take from the image page.
void captureSizesAndNames(ProjectSettings& s, const ImagePageValues& image, bool upperCaseDefaults = false);

// The prefixes as the build uses them: the nine characters no file name may
// hold removed, an empty one takes its default, and
// if any two are equal all three take their defaults. The create page's file
// list uses the upper-case defaults.
void normalisePrefixes(std::string prefixes[3], bool upperCaseDefaults = false);
// A folder or project name with the nine forbidden characters removed.
std::string cleanOutputName(const std::string& name);

}  // namespace pv
