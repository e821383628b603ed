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
using pv::ProjectNumber;
using pv::StyleRow;

namespace {

const char* const kNumberNames[7] = {"tableWidth",  "columns",     "rowsPerPage", "tableBorder",
                                     "cellSpacing", "cellPadding", "displayTime"};

const struct {
  const char* label;
  const char* name;
} kStyleRows[pv::kStyleRowCount] = {{"Hintergrundfarbe", "backgroundColour"},
                                    {"Vordergrundfarbe", "foregroundColour"},
                                    {"Schriftart", "font"},
                                    {"Schriftfarbe", "textColour"},
                                    {"Link Color", "linkColour"},
                                    {"Textgrösse", "textSize"}};

bool isColourRow(StyleRow row) { return row != pv::kFontRow && row != pv::kTextSizeRow; }

// Label, field and range note in one row of a grid.
void numberRow(QGridLayout* grid, int row, QLabel* label, QLineEdit* field, QLabel* note) {
  label->setBuddy(field);
  grid->addWidget(label, row, 0);
  grid->addWidget(field, row, 1);
  grid->addWidget(note, row, 2);
  grid->setColumnStretch(2, 1);
}

}  // namespace

CTabOptions2::CTabOptions2(pv::AppState& state, const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : CPage(pictures, desktop, parent), state_(state) {
  for (int i = 0; i < 7; ++i) {
    numbers_[i] = makeNumberField(kNumberNames[i]);
    connect(numbers_[i], &QLineEdit::textEdited, this, [this, i] { numberEdited(ProjectNumber(i)); });
  }

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addLayout(makeColumn({makeProjectGroup(), makeCaptionGroup(), makeScriptGroup()}), 1);
  layout->addLayout(makeColumn({makeTableGroup(), makeStyleGroup()}), 1);
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
  numberRow(grid, 0, makeLabel("Spaltenanzahl"), numberField(ProjectNumber::Columns),
            makeLabel("[1..100] - Anzahl der Bilder pro Zeile"));
  numberRow(grid, 1, makeLabel("Zeilenanzahl"), numberField(ProjectNumber::RowsPerPage),
            makeLabel("[0..100] - Anzahl der Zeilen pro Seite (0 = max)"));
  QLabel* line = makeLabel("Zur Integration der Grafiken in eine vorhandene Webseite wählen Sie diese hier aus ...");
  line->setWordWrap(true);
  grid->addWidget(line, 2, 0, 1, 3);
  auto* page = new QHBoxLayout;
  page->addWidget(ownWebPage_, 1);
  page->addWidget(chooseOwnWebPage_);
  grid->addWidget(makeLabel("Webseite", ownWebPage_), 3, 0);
  grid->addLayout(page, 3, 1, 1, 2);
  return makeGroup("   Projekteinstellungen", grid);
}

QWidget* CTabOptions2::makeCaptionGroup() {
  const struct {
    const char* text;
    const char* name;
  } boxes[4] = {{"   Kommentar aus IPTC Image Caption importieren", "captionFromIptc"},
                {"   Kommentar aus JPEG Image Comments importieren", "captionFromJpegComment"},
                {"   Kommentar aus EXIF Image Description importieren", "captionFromExif"},
                {"   Dateiname als Bildkommentar verwenden", "captionFromFileName"}};
  auto* column = makeGroupGrid();
  for (int i = 0; i < 4; ++i) {
    captions_[i] = makeCheckBox(boxes[i].text, boxes[i].name);
    connect(captions_[i], &QCheckBox::clicked, this,
            [this, i](bool ticked) { captionClicked(CaptionSource(i), ticked); });
    column->addWidget(captions_[i], i, 0);
  }
  return makeGroup("   Bildkommentar", column);
}

QWidget* CTabOptions2::makeScriptGroup() {
  noScript_ = makeCheckBox("   Kein Javascript benutzen", "noScript");
  connect(noScript_, &QCheckBox::toggled, this, [this](bool ticked) { values.noScript = ticked; });
  crossFade_ = makeCheckBox("   Überblendeffekt benutzen / Bilder werden sanft ineinandergeblendet", "crossFade");
  connect(crossFade_, &QCheckBox::toggled, this, [this](bool ticked) { values.crossFade = ticked; });

  auto* grid = makeGroupGrid();
  grid->addWidget(noScript_, 0, 0, 1, 3);
  numberRow(grid, 1, makeLabel("Dauer der Bildeinblendung"), numberField(ProjectNumber::DisplayTime),
            makeLabel("Millisekunden [1000...120000]"));
  grid->addWidget(crossFade_, 2, 0, 1, 3);
  return makeGroup("   Javaskript Optionen", grid);
}

QWidget* CTabOptions2::makeTableGroup() {
  auto* grid = makeGroupGrid();
  numberRow(grid, 0, makeLabel("Tabellenbreite"), numberField(ProjectNumber::TableWidth),
            makeLabel("[0..10000] Pixel (0 = max)"));
  numberRow(grid, 1, makeLabel("Tabellenrand"), numberField(ProjectNumber::TableBorder),
            makeLabel("[0..10] - Breite in Pixel"));
  numberRow(grid, 2, makeLabel("Zellenabstand"), numberField(ProjectNumber::CellSpacing),
            makeLabel("[0..100] - Abstand in Pixel"));
  numberRow(grid, 3, makeLabel("Textabstand"), numberField(ProjectNumber::CellPadding),
            makeLabel("[0..100] - Abstand in Pixel"));
  return makeGroup("   Tabelle", grid);
}

QWidget* CTabOptions2::makeStyleGroup() {
  auto* grid = makeGroupGrid();
  for (int i = 0; i < pv::kStyleRowCount; ++i) {
    const StyleRow row = StyleRow(i);
    QLabel* label = makeLabel(kStyleRows[i].label);
    grid->addWidget(label, i, 0);
    if (row == pv::kFontRow) {
      font_ = new QComboBox(this);
      font_->setObjectName(kStyleRows[i].name);
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
    styleText_[i]->setObjectName(kStyleRows[i].name);
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
      preview_[i]->setObjectName(QString(kStyleRows[i].name) + "Preview");
      grid->addWidget(preview_[i], i, 2);
      choose_[i] = makeButton("Auswählen", QString(kStyleRows[i].name) + "Choose", pictures_.chooseIcon);
      connect(choose_[i], &QPushButton::clicked, this, [this, row] { chooseColour(row); });
      grid->addWidget(choose_[i], i, 3);
    }
    standard_[i] = makeButton("Standard", QString(kStyleRows[i].name) + "Standard", pictures_.standardIcon);
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
  auto number = [this](ProjectNumber f) { return readNumber(numberField(f), pv::projectNumberRef(values, f)); };
  auto style = [this](StyleRow row) { values.style[row].value = fromQt(styleText_[row]->text()); };
  readCaptionSources();
  if (!number(ProjectNumber::TableWidth) || !number(ProjectNumber::Columns) || !number(ProjectNumber::RowsPerPage))
    return false;
  style(pv::kForegroundRow);
  style(pv::kBackgroundRow);
  style(pv::kTextColourRow);
  style(pv::kTextSizeRow);
  if (!number(ProjectNumber::TableBorder)) return false;
  values.style[pv::kFontRow].value = fromQt(font_->currentText());
  if (!number(ProjectNumber::CellSpacing) || !number(ProjectNumber::CellPadding)) return false;
  values.ownWebPage = pathFromQt(ownWebPage_->text());
  style(pv::kLinkColourRow);
  values.crossFade = crossFade_->isChecked();
  if (!number(ProjectNumber::DisplayTime)) return false;
  values.noScript = noScript_->isChecked();
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
  for (int i = 0; i < 7; ++i) numbers_[i]->setText(QString::number(pv::projectNumberRef(values, ProjectNumber(i))));
  numberField(ProjectNumber::Columns)->setEnabled(values.tableSizeEnabled);
  numberField(ProjectNumber::RowsPerPage)->setEnabled(values.tableSizeEnabled);
  numberField(ProjectNumber::TableWidth)->setEnabled(values.tableWidthEnabled);
  numberField(ProjectNumber::TableBorder)->setEnabled(values.tableBorderEnabled);
  numberField(ProjectNumber::CellSpacing)->setEnabled(values.cellSpacingEnabled);
  numberField(ProjectNumber::CellPadding)->setEnabled(values.cellPaddingEnabled);
  numberField(ProjectNumber::DisplayTime)->setEnabled(values.slideshowEnabled);
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
}

void CTabOptions2::numberEdited(ProjectNumber field) {
  readPage();
  if (pv::clampProjectNumber(values, field)) showPage();
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
