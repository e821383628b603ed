#include "ui/IPTCTags.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "settings/Ini.h"
#include "util/Text.h"
#include "ui/QtText.h"

namespace {

QLabel* heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

QFrame* thinLine(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QLineEdit* field(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMinimumWidth(320);
  return edit;
}

}  // namespace

CIPTCTags::CIPTCTags(const pv::AppState& state, QWidget* parent)
    : QDialog(parent),
      texts{state.iptcTitle, state.iptcCaption, state.iptcAuthor, state.iptcCopyright, state.jpegComment},
      configIniPath_(state.settings.configIniPath) {
  setWindowTitle("IPTC/JPEG Bildbeschreibung bearbeiten");
  title_ = field("title", this);
  caption_ = field("caption", this);
  author_ = field("author", this);
  copyright_ = field("copyright", this);
  jpegComment_ = field("jpegComment", this);
  captionFromImage_ = new QCheckBox("IPTC Kommentar aus Programm übernehmen", this);
  captionFromImage_->setObjectName("captionFromImage");
  commentFromImage_ = new QCheckBox("JPEG Kommentar aus Programm übernehmen", this);
  commentFromImage_->setObjectName("commentFromImage");
  connect(captionFromImage_, &QCheckBox::clicked, this,
          [this](bool ticked) { tokenBoxClicked(texts.caption, ticked); });
  connect(commentFromImage_, &QCheckBox::clicked, this,
          [this](bool ticked) { tokenBoxClicked(texts.jpegComment, ticked); });

  auto* iptc = new QGridLayout;
  iptc->addWidget(new QLabel("Titel", this), 0, 0);
  iptc->addWidget(title_, 0, 1);
  iptc->addWidget(new QLabel("Kommentar", this), 1, 0);
  iptc->addWidget(caption_, 1, 1);
  iptc->addWidget(captionFromImage_, 2, 1);
  iptc->addWidget(new QLabel("Autor", this), 3, 0);
  iptc->addWidget(author_, 3, 1);
  iptc->addWidget(new QLabel("Coypright", this), 4, 0);
  iptc->addWidget(copyright_, 4, 1);
  auto* jpeg = new QGridLayout;
  jpeg->addWidget(new QLabel("Kommentar", this), 0, 0);
  jpeg->addWidget(jpegComment_, 0, 1);
  jpeg->addWidget(commentFromImage_, 1, 1);
  // Both grids keep their labels in one column width.
  const int labelWidth = fontMetrics().horizontalAdvance("Kommentar") + 16;
  iptc->setColumnMinimumWidth(0, labelWidth);
  jpeg->setColumnMinimumWidth(0, labelWidth);

  auto* save = new QPushButton("Als Standard speichern", this);
  save->setObjectName("saveDefaults");
  save->setAutoDefault(false);
  connect(save, &QPushButton::clicked, this, &CIPTCTags::saveAsDefaults);
  auto* confirm = new QPushButton("Übernehmen", this);
  confirm->setObjectName("confirm");
  confirm->setDefault(true);
  connect(confirm, &QPushButton::clicked, this, [this] {
    readDialog();
    accept();
  });
  auto* cancel = new QPushButton("Abbrechen", this);
  cancel->setObjectName("cancel");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(confirm);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading("IPTC Bildbeschreibung", this));
  layout->addWidget(thinLine(this));
  layout->addWidget(new QLabel(
      "Der IPTC-NAA-Standard dient zur Speicherung von Textinformationen zu Bildinhalten in Bilddateien.", this));
  layout->addLayout(iptc);
  layout->addSpacing(10);
  layout->addWidget(heading("JPEG Bildbeschreibung", this));
  layout->addWidget(thinLine(this));
  layout->addWidget(
      new QLabel("Das JPEG Bildformat erlaubt ebenfalls die Speicherung eines Kommentars in den Bilddateien.", this));
  layout->addLayout(jpeg);
  layout->addSpacing(10);
  layout->addLayout(buttons);

  showDialog();
}

void CIPTCTags::readDialog() {
  texts.title = fromQt(title_->text());
  texts.caption = fromQt(caption_->text());
  texts.author = fromQt(author_->text());
  texts.copyright = fromQt(copyright_->text());
  texts.jpegComment = fromQt(jpegComment_->text());
}

void CIPTCTags::showDialog() {
  title_->setText(toQt(texts.title));
  caption_->setText(toQt(texts.caption));
  author_->setText(toQt(texts.author));
  copyright_->setText(toQt(texts.copyright));
  jpegComment_->setText(toQt(texts.jpegComment));
  const bool captionToken = texts.caption == kImageCaptionToken;
  const bool commentToken = texts.jpegComment == kImageCaptionToken;
  captionFromImage_->setChecked(captionToken);
  caption_->setEnabled(!captionToken);
  commentFromImage_->setChecked(commentToken);
  jpegComment_->setEnabled(!commentToken);
}

void CIPTCTags::tokenBoxClicked(std::string& text, bool ticked) {
  readDialog();
  text = ticked ? kImageCaptionToken : "";
  showDialog();
}

void CIPTCTags::saveAsDefaults() {
  readDialog();
  // As they stand in the fields, blanks and all; a failed write goes unreported.
  pv::writeProfileString(configIniPath_, "IPTC", "TITLE", texts.title);
  pv::writeProfileString(configIniPath_, "IPTC", "AUTHOR", texts.author);
  pv::writeProfileString(configIniPath_, "IPTC", "CAPTION", texts.caption);
  pv::writeProfileString(configIniPath_, "IPTC", "COPYRIGHT", texts.copyright);
  pv::writeProfileString(configIniPath_, "IPTC", "JPEGCOMMENT", texts.jpegComment);
}

void CIPTCTags::storeInto(pv::AppState& state) const {
  state.iptcTitle = pv::trimBlanks(texts.title);
  state.iptcCaption = pv::trimBlanks(texts.caption);
  state.iptcAuthor = pv::trimBlanks(texts.author);
  state.iptcCopyright = pv::trimBlanks(texts.copyright);
  state.jpegComment = pv::trimBlanks(texts.jpegComment);
}

void editCaptionTexts(pv::AppState& state, QWidget* parent) {
  CIPTCTags dialog(state, parent);
  if (dialog.exec() == QDialog::Accepted) dialog.storeInto(state);
}
