#pragma once
// What every page writer shares: page names, the page-number links, the
// gallery style rules, the window-opener script, folder titles, EXIF slots, the
// finishing steps (scripts removed, text normalised, credit placed, colours
// filled in) and the escapes that keep user texts from breaking a page.
#include <string>
#include <string_view>

#include "model/ItemCollection.h"
#include "settings/ProjectSettings.h"

namespace pv {

struct AppState;

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
// Writes the page (placing the credit block first, once per build) and
// records it in state.pagesWritten.
bool writePage(AppState& state, const std::string& path, std::string& page);
void appendCredit(AppState& state, std::string& page);
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

// The image element of outputPaths entry k of an image record, with its alt
// text and, when the file in outputFolder can be read, its width and
// height, so the page keeps its layout while pictures arrive. lazy lets the
// browser fetch it only when it nears the screen.
std::string pictureTag(const std::string& outputFolder, const CollectionItem& record, size_t k, bool lazy = false);

}  // namespace pv
