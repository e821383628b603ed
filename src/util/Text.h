#pragma once
// Byte-string helpers shared by every layer. Strings are UTF-8 bytes on this
// platform; nothing here decodes them, so legacy bytes pass through untouched.
#include <string>
#include <string_view>

namespace pv {

// Blanks, tabs and line breaks at both ends removed.
std::string trimWhite(std::string_view s);
// Only blanks (the character 0x20) removed at both ends.
std::string trimBlanks(std::string_view s);
std::string toLower(std::string_view s);
std::string toUpper(std::string_view s);
// Every byte of s that occurs in chars removed.
std::string removeChars(std::string_view s, std::string_view chars);
bool startsWith(std::string_view s, std::string_view prefix);
bool endsWith(std::string_view s, std::string_view suffix);
bool endsWithNoCase(std::string_view s, std::string_view suffix);
bool equalsNoCase(std::string_view a, std::string_view b);
// Every non-overlapping occurrence, scanned left to right; the inserted text
// is not scanned again. Returns the number of replacements.
int replaceAll(std::string& s, std::string_view from, std::string_view to);
// printf into a std::string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Leading decimal digits after optional blanks; no digits gives 0.
int leadingInt(std::string_view s);
// The folder path with "/" appended unless it already ends in one.
std::string withSlash(std::string_view folder);

// The nine characters no file or folder name of the output may contain.
inline constexpr std::string_view kForbiddenNameChars = "\\/:*?\"<>|";

}  // namespace pv
