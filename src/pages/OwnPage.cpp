#include "pages/OwnPage.h"

#include "pages/Template.h"
#include "util/Text.h"

namespace pv {

OwnPageCheck checkOwnPage(const std::string& path) {
  OwnPageCheck check;
  check.path = trimBlanks(path);
  std::string text;
  if (check.path.empty())
    check.message = "Bitte wählen Sie eine Datei als Vorlage aus.";
  else if (!loadTemplate(check.path, text))
    check.message = "Die ausgewählte Datei kann nicht geöffnet werden.";
  else if (text.find(kOwnPagePlaceholder) == std::string::npos)
    check.message =
        "Die Webseite (*.htm) muss den Platzhalter ##PICOVAND## enthalten (Großschreibung und Rauten beachten).";
  else
    check.ok = true;
  return check;
}

}  // namespace pv
