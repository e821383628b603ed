#pragma once
// What every page writer shares: page names, the page-number links, the
// gallery style rules, the window-opener script, folder titles, EXIF slots, the
// finishing steps (scripts removed, text normalised, credit placed, colours
// filled in) and the escapes that keep user texts from breaking a page.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ItemCollection.h"
#include "settings/ProjectSettings.h"

namespace pv {

// One entry of the gallery's pages: an album, or an image with the pictures
// planned for it.
struct PageEntry {
  const CollectionItem* record = nullptr;
  std::vector<std::string> pictures;  // below the output folder, in the order of the sizes; none for an album
  // The high-resolution picture beside each of pictures, empty where there is none.
  std::vector<std::string> twins = {};
};

// What the page writers read: the settings and the entries in list order,
// albums included, images without a picture left out.
struct PageInputs {
  const ProjectSettings& settings;
  std::string outputFolder;  // ends in "/"
  std::vector<PageEntry> entries;
};

// What the page and style-file writers report back: the files they wrote (or
// found holding the same bytes), those they could not write ("path: reason"),
// and whether the credit block went onto a page, which it does once per build.
struct PageSink {
  std::vector<std::string> written;
  std::vector<std::string> failures;
  bool creditPlaced = false;
};

// "pcv00012.htm" and "pcv-sld-00012.htm": page n as a link target.
std::string pageFileName(const ProjectSettings& s, int n);
std::string slidePageFileName(const ProjectSettings& s, int n);
// A preset's template: draftsFolder + presetNumber + "/" + name.
std::string templatePath(const ProjectSettings& s, const char* name);
// "images/_pcv_1003": where a template finds its own graphics.
std::string templateImageFolder(const ProjectSettings& s);
// "images/_ctrl_0101/": the navigation buttons of the own-page writers.
std::string controlFolder(const ProjectSettings& s);

// A font, size or colour the user chose rather than left at "(Standard)".
bool isChosen(const std::string& v);

std::string pageNumberLinks(const ProjectSettings& s, int first, int last, int current);
std::string slidePageNumberLinks(const ProjectSettings& s, int first, int last, int current);
// The font and colour rules of the own-page galleries (their stylesheet).
std::string galleryStyleRules(const ProjectSettings& s);
// The window-opener script; functionName is "PicoVand_openimg" or "PicoVand_opensld".
std::string windowOpenerScript(const char* functionName);
std::string albumTitle(const ProjectSettings& s, const std::string& albumPath);
// The seven EXIF tokens of slot; image null for an empty slot.
void fillExifSlot(std::string& page, const CollectionItem* image, int slot);

std::string stripScripts(const std::string& page);
void normalizePage(std::string& page);
// Writes the page (placing the credit block first, once per sink) and
// records it in the sink.
bool writePage(PageSink& sink, const std::string& path, std::string& page);
void appendCredit(PageSink& sink, std::string& page);
// The colour and font placeholders of a stylesheet filled; returns how many.
int fillColourTokens(const ProjectSettings& s, std::string& text);
// False when the file could not be read back or written again (errno says why).
bool applyColourTokens(const ProjectSettings& s, const std::string& path);

// Replaces token only where no further digit follows it, so that the token of
// slot 1 leaves the tokens of slots 10 to 19 alone.
int replaceSlotToken(std::string& text, std::string_view token, std::string_view value);

// A relative web path made safe for href and src: each segment
// percent-encoded, so "50%", "A#1" or "Rom & Paris" still link.
std::string encodeWebPath(std::string_view path);
// A text made safe inside a JavaScript string literal in double or single
// quotes within an HTML script element.
std::string escapeJsString(std::string_view text);

// A text made safe as HTML text or inside a double-quoted attribute: &, <,
// > and " as character references. Every text from files, names and the
// user goes through it on its way into a page.
std::string escapeAttribute(std::string_view text);

// What a picture of the record says to someone who cannot see it: its
// caption, otherwise its file name without extension; an album's name.
std::string pictureAlt(const CollectionItem& record);

// Width and height of a written picture file, read from its header; 0 x 0
// when it cannot be read.
struct PictureSize {
  int width = 0;
  int height = 0;
};
PictureSize pictureSize(const std::string& file);

// When the browser fetches a picture: with the page, only as it nears the
// screen (loading="lazy"), or after the page's other pictures
// (fetchpriority="low").
enum class Fetch { WithPage, WhenNear, Last };

// The image element of picture k of an entry, with its alt text and, when
// the file in outputFolder can be read, its width and height, so the page
// keeps its layout while pictures arrive. A high-resolution picture beside it
// is offered through srcset and sizes.
std::string pictureTag(const std::string& outputFolder, const PageEntry& entry, size_t k,
                       Fetch fetch = Fetch::WithPage);
// The same with the alt text given, for a picture whose link already says
// what it shows.
std::string pictureTag(const std::string& outputFolder, const PageEntry& entry, size_t k, Fetch fetch,
                       std::string_view alt);

// Picture k of an entry and its high-resolution one as srcset and sizes
// values ("a.jpg 640w, a-2x.jpg 1280w" and "(max-width: 640px) 100vw, 640px");
// nothing when it has none or a size cannot be read.
struct PictureChoice {
  std::string srcset;
  std::string sizes;
};
std::optional<PictureChoice> pictureChoice(const std::string& outputFolder, const PageEntry& entry, size_t k);

}  // namespace pv
