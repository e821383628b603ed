#include "ui/TabOptions2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "ui/Desktop.h"
#include "ui/QtText.h"
#include "ui/SelTemplate.h"

using pv::CaptionSource;
using pv::settingsField;
using pv::StyleRow;

namespace {

const char* const kNumberNames[7] = {"tableWidth",  "columns",     "rowsPerPage", "tableBorder",
                                     "cellSpacing", "cellPadding", "displayTime"};

// The table's field of each style row, by pv::StyleRow.
const char* const kStyleFields[pv::kStyleRowCount] = {"backgroundColour", "foregroundColour", "font",
                                                      "textColour",       "linkColour",       "textSize"};

bool isColourRow(StyleRow row) { return row != pv::kFontRow && row != pv::kTextSizeRow; }

}  // namespace

// Label, field and range note of a number field in one row of a grid, as the table says.
void CTabOptions2::numberRow(QGridLayout* grid, int row, const char* name) {
  const pv::Field& field = settingsField(name);
  grid->addWidget(makeLabel(toQt(field.label), numberField(name)), row, 0);
  grid->addWidget(numberField(name), row, 1);
  grid->addWidget(makeLabel(toQt(pv::fieldText(field.note, field))), row, 2);
  grid->setColumnStretch(2, 1);
}

QLineEdit* CTabOptions2::numberField(std::string_view name) const {
  for (const auto& [field, edit] : numbers_)
    if (name == field->name) return edit;
  return nullptr;
}

CTabOptions2::CTabOptions2(pv::AppState& state, const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : CPage(pictures, desktop, parent), state_(state) {
  for (const char* name : kNumberNames) {
    const pv::Field& field = settingsField(name);
    numbers_.push_back({&field, makeNumberField(name)});
    connect(numbers_.back().second, &QLineEdit::textEdited, this, [this, &field] { numberEdited(field); });
  }

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addLayout(makeColumn({makeProjectGroup(), makeCaptionGroup(), makeScriptGroup()}), 1);
  layout->addLayout(makeColumn({makeTableGroup(), makeStyleGroup(), makeGalleryGroup()}), 1);
  showPage();
}

QCheckBox* CTabOptions2::makeCheckBox(const QString& text, const char* name) {
  auto* box = new QCheckBox(text, this);
  box->setObjectName(name);
  return box;
}

QWidget* CTabOptions2::makeProjectGroup() {
  ownWebPage_ = new QLineEdit(this);
  ownWebPage_->setObjectName("ownWebPage");
  ownWebPage_->setReadOnly(true);
  chooseOwnWebPage_ = makeButton("Auswählen", "chooseOwnWebPage");
  connect(chooseOwnWebPage_, &QPushButton::clicked, this, &CTabOptions2::chooseOwnWebPage);

  auto* grid = makeGroupGrid();
  numberRow(grid, 0, "columns");
  numberRow(grid, 1, "rowsPerPage");
  QLabel* line = makeLabel("Zur Integration der Grafiken in eine vorhandene Webseite wählen Sie diese hier aus ...");
  line->setWordWrap(true);
  grid->addWidget(line, 2, 0, 1, 3);
  auto* page = new QHBoxLayout;
  page->addWidget(ownWebPage_, 1);
  page->addWidget(chooseOwnWebPage_);
  grid->addWidget(makeLabel(toQt(settingsField("ownWebPage").label), ownWebPage_), 3, 0);
  grid->addLayout(page, 3, 1, 1, 2);
  return makeGroup("   Projekteinstellungen", grid);
}

QWidget* CTabOptions2::makeCaptionGroup() {
  const char* const boxes[4] = {"captionFromIptc", "captionFromJpegComment", "captionFromExif",
                                "captionFromFileName"};
  auto* column = makeGroupGrid();
  for (int i = 0; i < 4; ++i) {
    captions_[i] = makeCheckBox(QStringLiteral("   ") + toQt(settingsField(boxes[i]).label), boxes[i]);
    connect(captions_[i], &QCheckBox::clicked, this,
            [this, i](bool ticked) { captionClicked(CaptionSource(i), ticked); });
    column->addWidget(captions_[i], i, 0);
  }
  return makeGroup("   Bildkommentar", column);
}

QWidget* CTabOptions2::makeScriptGroup() {
  noScript_ = makeCheckBox(QStringLiteral("   ") + toQt(settingsField("noScript").label), "noScript");
  connect(noScript_, &QCheckBox::toggled, this, [this](bool ticked) { values.noScript = ticked; });
  crossFade_ = makeCheckBox("   Überblendeffekt benutzen / Bilder werden sanft ineinandergeblendet", "crossFade");
  connect(crossFade_, &QCheckBox::toggled, this, [this](bool ticked) { values.crossFade = ticked; });

  auto* grid = makeGroupGrid();
  grid->addWidget(noScript_, 0, 0, 1, 3);
  numberRow(grid, 1, "displayTime");
  grid->addWidget(crossFade_, 2, 0, 1, 3);
  return makeGroup("   Javaskript Optionen", grid);
}

QWidget* CTabOptions2::makeTableGroup() {
  auto* grid = makeGroupGrid();
  numberRow(grid, 0, "tableWidth");
  numberRow(grid, 1, "tableBorder");
  numberRow(grid, 2, "cellSpacing");
  numberRow(grid, 3, "cellPadding");
  return makeGroup("   Tabelle", grid);
}

QWidget* CTabOptions2::makeGalleryGroup() {
  auto* grid = makeGroupGrid();
  albumCovers_ = makeCheckBox(QStringLiteral("   ") + toQt(settingsField("albumCovers").label), "albumCovers");
  albumCovers_->setToolTip("Die Kachel eines Albums zeigt sein erstes oder sein gewähltes Titelbild und die Zahl "
                           "seiner Bilder.");
  connect(albumCovers_, &QCheckBox::toggled, this, [this](bool ticked) { values.albumCovers = ticked; });
  grid->addWidget(albumCovers_, 0, 0);
  indexPage_ = makeCheckBox(QStringLiteral("   ") + toQt(settingsField("indexPage").label), "indexPage");
  indexPage_->setToolTip("Ein Webserver zeigt unter der Adresse der Galerie ihre Startseite. Eine index.html, die "
                         "nicht von Pico Vand stammt, wird nie überschrieben.");
  connect(indexPage_, &QCheckBox::toggled, this, [this](bool ticked) { values.indexPage = ticked; });
  grid->addWidget(indexPage_, 1, 0);
  return makeGroup("   Galerie", grid);
}

QWidget* CTabOptions2::makeStyleGroup() {
  auto* grid = makeGroupGrid();
  for (int i = 0; i < pv::kStyleRowCount; ++i) {
    const StyleRow row = StyleRow(i);
    const pv::Field& field = settingsField(kStyleFields[i]);
    QLabel* label = makeLabel(toQt(field.label));
    grid->addWidget(label, i, 0);
    if (row == pv::kFontRow) {
      font_ = new QComboBox(this);
      font_->setObjectName(kStyleFields[i]);
      font_->setEditable(true);
      font_->setInsertPolicy(QComboBox::NoInsert);
      font_->setCompleter(nullptr);
      for (const char* f : pv::kFontChoices) font_->addItem(toQt(f));
      label->setBuddy(font_);
      // The text field inside the list is what takes the keyboard: it reads the same.
      font_->lineEdit()->setAccessibleName(label->text());
      connect(font_, &QComboBox::currentTextChanged, this,
              [this](const QString& text) { values.style[pv::kFontRow].value = fromQt(text); });
      grid->addWidget(font_, i, 1, 1, 2);
      continue;
    }
    styleText_[i] = new QLineEdit(this);
    styleText_[i]->setObjectName(kStyleFields[i]);
    label->setBuddy(styleText_[i]);
    connect(styleText_[i], &QLineEdit::textEdited, this, [this, row](const QString& text) {
      if (isColourRow(row))
        colourEdited(row, text);
      else
        values.style[row].value = fromQt(text);
    });
    grid->addWidget(styleText_[i], i, 1);
    if (isColourRow(row)) {
      preview_[i] = new CStaticColorPreview(this);
      preview_[i]->setObjectName(QString(kStyleFields[i]) + "Preview");
      grid->addWidget(preview_[i], i, 2);
      choose_[i] = makeButton("Auswählen", QString(kStyleFields[i]) + "Choose", pictures_.chooseIcon);
      connect(choose_[i], &QPushButton::clicked, this, [this, row] { chooseColour(row); });
      grid->addWidget(choose_[i], i, 3);
    }
    standard_[i] = makeButton("Standard", QString(kStyleFields[i]) + "Standard", pictures_.standardIcon);
    connect(standard_[i], &QPushButton::clicked, this, [this, row] { standardValue(row); });
    grid->addWidget(standard_[i], i, 4);
  }
  grid->setColumnStretch(1, 1);
  return makeGroup("   Farben und Schriftarten", grid);
}

const pv::CaptionSources& CTabOptions2::readCaptionSources() {
  pv::CaptionSources& c = values.captions;
  c.captionFromIptc = captions_[int(CaptionSource::Iptc)]->isChecked();
  c.captionFromJpegComment = captions_[int(CaptionSource::JpegComment)]->isChecked();
  c.captionFromExif = captions_[int(CaptionSource::Exif)]->isChecked();
  c.captionFromFileName = captions_[int(CaptionSource::FileName)]->isChecked();
  return c;
}

bool CTabOptions2::readPage() {
  auto number = [this](const char* name) {
    return readNumber(numberField(name), *std::get<int*>(settingsField(name).value({nullptr, &values})));
  };
  auto style = [this](StyleRow row) { values.style[row].value = fromQt(styleText_[row]->text()); };
  readCaptionSources();
  if (!number("tableWidth") || !number("columns") || !number("rowsPerPage")) return false;
  style(pv::kForegroundRow);
  style(pv::kBackgroundRow);
  style(pv::kTextColourRow);
  style(pv::kTextSizeRow);
  if (!number("tableBorder")) return false;
  values.style[pv::kFontRow].value = fromQt(font_->currentText());
  if (!number("cellSpacing") || !number("cellPadding")) return false;
  values.ownWebPage = pathFromQt(ownWebPage_->text());
  style(pv::kLinkColourRow);
  values.crossFade = crossFade_->isChecked();
  if (!number("displayTime")) return false;
  values.noScript = noScript_->isChecked();
  values.albumCovers = albumCovers_->isChecked();
  values.indexPage = indexPage_->isChecked();
  return true;
}

void CTabOptions2::chooseOwnWebPage() {
  readPage();
  CSelTemplate dialog(state_, desktop_, values.ownWebPage, this);
  if (dialog.exec() != QDialog::Accepted) return;
  values.ownWebPage = dialog.pagePath();
  showPage();
}

void CTabOptions2::showPage() {
  const pv::CaptionSources& c = values.captions;
  captions_[int(CaptionSource::Iptc)]->setChecked(c.captionFromIptc);
  captions_[int(CaptionSource::JpegComment)]->setChecked(c.captionFromJpegComment);
  captions_[int(CaptionSource::Exif)]->setChecked(c.captionFromExif);
  captions_[int(CaptionSource::FileName)]->setChecked(c.captionFromFileName);
  for (const auto& [field, edit] : numbers_) {
    edit->setText(QString::number(*std::get<int*>(field->value({nullptr, &values}))));
    edit->setEnabled(field->enabled({nullptr, &values}));
  }
  for (int i = 0; i < pv::kStyleRowCount; ++i) {
    const pv::StyleValue& v = values.style[i];
    if (i == pv::kFontRow) {
      const QString entry = toQt(pv::fontChoiceFor(v.value));
      const int index = font_->findText(entry, Qt::MatchExactly);
      if (index >= 0)
        font_->setCurrentIndex(index);
      else
        font_->setEditText(entry);
      font_->setEnabled(v.enabled);
      continue;
    }
    styleText_[i]->setText(toQt(v.value));
    styleText_[i]->setEnabled(v.enabled);
    standard_[i]->setEnabled(v.enabled);
    if (preview_[i]) {
      preview_[i]->setColour(v.value);
      choose_[i]->setEnabled(v.enabled);
    }
  }
  ownWebPage_->setText(pathToQt(values.ownWebPage));
  chooseOwnWebPage_->setEnabled(values.ownWebPageEnabled);
  crossFade_->setChecked(values.crossFade);
  crossFade_->setEnabled(values.slideshowEnabled);
  noScript_->setChecked(values.noScript);
  noScript_->setEnabled(values.noScriptEnabled);
  albumCovers_->setChecked(values.albumCovers);
  indexPage_->setChecked(values.indexPage);
}

void CTabOptions2::numberEdited(const pv::Field& field) {
  readPage();
  if (pv::clampField(field, {nullptr, &values})) showPage();
}

void CTabOptions2::captionClicked(CaptionSource source, bool ticked) {
  readPage();
  pv::tickCaptionSource(values, source, ticked);
  if (ticked) showPage();
}

void CTabOptions2::colourEdited(StyleRow row, const QString& text) {
  values.style[row].value = fromQt(text);
  readPage();
  preview_[row]->setColour(fromQt(text));
}

void CTabOptions2::chooseColour(StyleRow row) {
  readPage();
  const auto rgb = pv::parseColourText(values.style[row].value);
  const auto chosen = desktop_.chooseColour(this, rgb ? QColor(QRgb(*rgb)) : QColor(Qt::black));
  if (!chosen) return;
  values.style[row].value = pv::colourText(chosen->rgb() & 0xFFFFFF);
  showPage();
}

void CTabOptions2::standardValue(StyleRow row) {
  readPage();
  values.style[row].value = pv::standardStyleValue(state_.settings, row);
  showPage();
}
