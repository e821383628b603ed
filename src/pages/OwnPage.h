#pragma once
// The check a chosen own web page must pass before it is used: it must be
// readable and hold the placeholder the gallery replaces.
#include <string>

namespace pv {

inline constexpr const char* kOwnPagePlaceholder = "##PICOVAND##";
inline constexpr const char* kOwnPageErrorTitle = "Fehler in der Vorlage";

struct OwnPageCheck {
  bool ok = false;
  std::string path;     // the path as used: blanks at both ends removed
  std::string message;  // why it was refused; shown under kOwnPageErrorTitle
};

OwnPageCheck checkOwnPage(const std::string& path);

}  // namespace pv
