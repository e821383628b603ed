#pragma once
// "IPTC/JPEG Bildbeschreibung bearbeiten": the IPTC title, caption, author
// and copyright and the JPEG comment written into every JPEG output, with
// "<IMAGE>" standing for each image's own caption.
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;

namespace pv {
struct AppState;
}

// The token that stands for the image's own caption; compared exactly.
inline constexpr const char* kImageCaptionToken = "<IMAGE>";

class CIPTCTags : public QDialog {
  Q_OBJECT
 public:
  // Works on copies of the state's five texts.
  CIPTCTags(const pv::AppState& state, QWidget* parent = nullptr);

  struct Texts {
    std::string title, caption, author, copyright, jpegComment;
  };
  Texts texts;

  void readDialog();
  void showDialog();
  // After "Übernehmen": the texts, trimmed of blanks, become the state's.
  void storeInto(pv::AppState& state) const;

 private:
  void tokenBoxClicked(std::string& text, bool ticked);
  void saveAsDefaults();

  std::string configIniPath_;
  QLineEdit* title_;
  QLineEdit* caption_;
  QLineEdit* author_;
  QLineEdit* copyright_;
  QLineEdit* jpegComment_;
  QCheckBox* captionFromImage_;
  QCheckBox* commentFromImage_;
};

// Runs the dialog modally and stores the texts when the user confirms them.
void editCaptionTexts(pv::AppState& state, QWidget* parent);
