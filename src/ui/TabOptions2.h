#pragma once
// "Projekt - Einstellungen": table layout, caption sources, slideshow
// options, colours and fonts, and the own web page. The page shows and reads
// its working values; the engine's rules say what each change does.
#include <string_view>
#include <utility>
#include <vector>

#include "settings/PageValues.h"
#include "ui/Page.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace pv {
struct AppState;
}

class CTabOptions2 : public CPage {
  Q_OBJECT
 public:
  CTabOptions2(pv::AppState& state, const SharedPictures& pictures, Desktop& desktop, QWidget* parent = nullptr);

  pv::ProjectPageValues values;
  // Every control into its working value, in the page's order; false when a
  // number field holds no integer (the values after it keep theirs).
  bool readPage();
  // The four caption check boxes alone, which every import reads as it starts.
  const pv::CaptionSources& readCaptionSources();
  // Every working value and enabled state into the controls.
  void showPage();

 private:
  QWidget* makeProjectGroup();
  QWidget* makeCaptionGroup();
  QWidget* makeScriptGroup();
  QWidget* makeTableGroup();
  QWidget* makeStyleGroup();
  QWidget* makeGalleryGroup();
  QCheckBox* makeCheckBox(const QString& text, const char* name);
  void numberEdited(const pv::Field& field);
  void numberRow(QGridLayout* grid, int row, const char* name);
  void captionClicked(pv::CaptionSource source, bool ticked);
  void colourEdited(pv::StyleRow row, const QString& text);
  void chooseColour(pv::StyleRow row);
  void standardValue(pv::StyleRow row);
  void chooseOwnWebPage();
  QLineEdit* numberField(std::string_view name) const;

  pv::AppState& state_;
  QCheckBox* captions_[4];  // by pv::CaptionSource
  // The seven number fields with their fields of the table, in reading order.
  std::vector<std::pair<const pv::Field*, QLineEdit*>> numbers_;
  // The text field of each style row (none for the font row).
  QLineEdit* styleText_[pv::kStyleRowCount] = {};
  CStaticColorPreview* preview_[pv::kStyleRowCount] = {};
  QPushButton* choose_[pv::kStyleRowCount] = {};
  QPushButton* standard_[pv::kStyleRowCount] = {};
  QComboBox* font_;
  QLineEdit* ownWebPage_;
  QPushButton* chooseOwnWebPage_;
  QCheckBox* crossFade_;
  QCheckBox* noScript_;
  QCheckBox* albumCovers_;
  QCheckBox* indexPage_;
};
