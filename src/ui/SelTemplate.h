#pragma once
// "Eigene Vorlage": the web page of the user's own that an own-page gallery
// goes into, and the set of navigation buttons it uses. The page is checked
// before the dialog closes with OK; the clicked control set is taken at once.
#include <QDialog>

#include "controls/ListBoxST.h"
#include <string>

class QLineEdit;
struct Desktop;

namespace pv {
struct AppState;
}

class CSelTemplate : public QDialog {
  Q_OBJECT
 public:
  CSelTemplate(pv::AppState& state, Desktop& desktop, const std::string& pagePath, QWidget* parent = nullptr);
  // The page as checked by OK: blanks at both ends removed.
  const std::string& pagePath() const { return pagePath_; }
  CListBoxST* controlSets() const { return sets_; }

  void accept() override;

 private:
  void browse();
  void fillControlSets();

  pv::AppState& state_;
  Desktop& desktop_;
  std::string pagePath_;
  QLineEdit* path_;
  CListBoxST* sets_;
  CImageList previews_{QSize(80, 48)};
};
