#pragma once
// Windows-1252 <-> UTF-8 for IPTC texts, which carry no character set of
// their own and are read by other programs as Latin-1.
#include <optional>
#include <string>
#include <string_view>

namespace pv {

bool isValidUtf8(std::string_view s);
// Bytes that already are valid UTF-8 stay; anything else is read as Windows-1252.
std::string windows1252ToUtf8(std::string_view s);
// The Windows-1252 form of a UTF-8 text, or nothing when a character has none
// (or the text is not valid UTF-8).
std::optional<std::string> utf8ToWindows1252(std::string_view s);

}  // namespace pv
