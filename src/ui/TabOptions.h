#pragma once
// "Bild - Einstellungen": output sizes, image folder, resize filter, format,
// quality and watermark. The page shows and reads its working values; the
// engine's rules say what each change does to them.
#include <string_view>
#include <utility>
#include <vector>

#include "settings/PageValues.h"
#include "ui/Page.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;

namespace pv {
struct AppState;
}

// The file types the watermark may be, as description|patterns pairs.
extern const char* const kWatermarkFilter;

class CTabOptions : public CPage {
  Q_OBJECT
 public:
  CTabOptions(pv::AppState& state, const SharedPictures& pictures, Desktop& desktop, QWidget* parent = nullptr);

  pv::ImagePageValues values;
  // Every control into its working value, in the page's order; false when a
  // number field holds no integer (the values after it keep theirs).
  bool readPage();
  // Every working value and enabled state into the controls.
  void showPage();

 private:
  QWidget* makeSizeGroup();
  QCheckBox* makeCheckBox(const char* text, const char* name);
  QWidget* makeFormatGroup();
  QWidget* makeWatermarkGroup();
  void sizeChosen(int row, int index);
  void numberEdited(const pv::Field& field);
  void chooseWatermark();
  void clearWatermark();
  QLineEdit* numberField(std::string_view name) const;

  pv::AppState& state_;
  QComboBox* sizeChoice_[3];
  QLineEdit* prefix_[3];
  // The ten number fields with their fields of the table, in reading order.
  std::vector<std::pair<const pv::Field*, QLineEdit*>> numbers_;
  QLineEdit* imageFolder_;
  QComboBox* filter_;
  QCheckBox* noEnlarge_;
  QCheckBox* hidpi_;
  QCheckBox* stripGps_;
  QLabel* hint_;
  QLabel* illustration_;
  int shownIllustration_ = -1;
  QComboBox* format_;
  QSlider* quality_;
  QLabel* qualityValue_;
  QLineEdit* watermarkFile_;
  QComboBox* position_;
};
