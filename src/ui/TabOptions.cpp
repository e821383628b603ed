#include "ui/TabOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "controls/ResourcePicture.h"
#include "ui/Desktop.h"
#include "ui/IPTCTags.h"
#include "ui/QtText.h"

using pv::settingsField;

const char* const kWatermarkFilter =
    "All Image Formats|*.jpg;*.jpeg;*.jif;*.jpe;*.gif;*.bmp;*.png;*.tif;*.tiff;*.psd|JPEG Image Format "
    "(*.jpg,*.jpeg,*.jif,*.jpe)|*.jpg;*.jpeg;*.jif;*.jpe|Graphics Interchange Format (*.gif)|*.gif|Windows Bitmap "
    "(*.bmp)|*.bmp|Portable Network Graphics (*.png)|*.png|Tagged Image File Format "
    "(*.tif,*.tiff)|*.tif;*.tiff|Adobe Photoshop (*.psd)|*.psd||";

namespace {

// The number fields in the order the page reads them: the sizes first, the
// watermark's last.
const char* const kSizeNumbers[6] = {"widthA", "widthB", "widthC", "heightA", "heightB", "heightC"};
const char* const kWatermarkNumbers[4] = {"transparency", "watermarkSize", "offsetX", "offsetY"};

// The picture of each kind of project, by pv::Illustration.
const char* const kIllustrations[] = {"ill-choose-project",
                                      "ill-batch",
                                      "ill-own-1",
                                      "ill-own-2",
                                      "ill-own-3",
                                      "ill-web-album",
                                      "ill-slide-album",
                                      "ill-slideshow",
                                      "ill-script-slideshow",
                                      "ill-preview-slideshow"};

QComboBox* makeChoice(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

// The group's check box texts begin with three blanks like every other page's;
// the accessible name is the text a person reads.
QCheckBox* CTabOptions::makeCheckBox(const char* text, const char* name) {
  auto* box = new QCheckBox(QStringLiteral("   ") + toQt(text), this);
  box->setObjectName(name);
  box->setAccessibleName(toQt(text));
  return box;
}

CTabOptions::CTabOptions(pv::AppState& state, const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : CPage(pictures, desktop, parent), state_(state) {
  auto addNumber = [this](const char* name) {
    const pv::Field& field = settingsField(name);
    numbers_.push_back({&field, makeNumberField(name)});
    connect(numbers_.back().second, &QLineEdit::textEdited, this, [this, &field] { numberEdited(field); });
  };
  for (const char* name : kSizeNumbers) addNumber(name);
  for (const char* name : kWatermarkNumbers) addNumber(name);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addWidget(makeSizeGroup(), 1);
  layout->addLayout(makeColumn({makeFormatGroup(), makeWatermarkGroup()}), 1);
  showPage();
}

QWidget* CTabOptions::makeSizeGroup() {
  auto* grid = makeGroupGrid();
  grid->setHorizontalSpacing(6);
  grid->addWidget(makeLabel("Breite: (*)"), 0, 2);
  grid->addWidget(makeLabel("Höhe: (*)"), 0, 4);
  grid->addWidget(makeLabel("Datei-Prefix"), 0, 6);
  static const char* const choiceNames[3] = {"sizeChoiceA", "sizeChoiceB", "sizeChoiceC"};
  static const char* const prefixNames[3] = {"prefixA", "prefixB", "prefixC"};
  for (int row = 0; row < 3; ++row) {
    sizeChoice_[row] = makeChoice(this, choiceNames[row]);
    for (const std::string& text : pv::sizeChoices(row)) sizeChoice_[row]->addItem(toQt(text));
    connect(sizeChoice_[row], &QComboBox::activated, this, [this, row](int index) { sizeChosen(row, index); });
    prefix_[row] = new QLineEdit(this);
    prefix_[row]->setObjectName(prefixNames[row]);
    connect(prefix_[row], &QLineEdit::textEdited, this,
            [this, row](const QString& text) { values.sizes[row].prefix = fromQt(text); });
    // One label names the row; its fields are told apart by the column titles.
    const QString rowLabel = toQt(settingsField(kSizeNumbers[row]).label);
    sizeChoice_[row]->setAccessibleName(rowLabel);
    numberField(kSizeNumbers[row])->setAccessibleName(rowLabel + " - Breite");
    numberField(kSizeNumbers[row + 3])->setAccessibleName(rowLabel + " - Höhe");
    prefix_[row]->setAccessibleName(rowLabel + " - Datei-Prefix");
    grid->addWidget(makeLabel(rowLabel), row + 1, 0);
    grid->addWidget(sizeChoice_[row], row + 1, 1);
    grid->addWidget(numberField(kSizeNumbers[row]), row + 1, 2);
    grid->addWidget(makeLabel("x"), row + 1, 3);
    grid->addWidget(numberField(kSizeNumbers[row + 3]), row + 1, 4);
    grid->addWidget(makeLabel("-"), row + 1, 5);
    grid->addWidget(prefix_[row], row + 1, 6);
  }

  imageFolder_ = new QLineEdit(this);
  imageFolder_->setObjectName("imageFolder");
  connect(imageFolder_, &QLineEdit::textEdited, this, [this](const QString& t) { values.imageFolder = fromQt(t); });
  grid->addWidget(makeLabel(toQt(settingsField("imageFolder").label), imageFolder_), 4, 0);
  grid->addWidget(imageFolder_, 4, 1);
  grid->addWidget(makeLabel("* Grössenverhältnis wird beibehalten"), 4, 2, 1, 5);

  filter_ = makeChoice(this, "resizeFilter");
  for (const char* f : pv::kResizeFilters) filter_->addItem(toQt(f));
  connect(filter_, &QComboBox::activated, this, [this](int i) { values.resizeFilter = i; });
  grid->addWidget(makeLabel(toQt(settingsField("resizeFilter").label), filter_), 5, 0);
  grid->addWidget(filter_, 5, 1, 1, 6);

  noEnlarge_ = makeCheckBox(settingsField("noEnlarge").label, "noEnlarge");
  connect(noEnlarge_, &QCheckBox::toggled, this, [this](bool on) { values.noEnlarge = on; });
  grid->addWidget(noEnlarge_, 6, 0, 1, 7);
  stripGps_ = makeCheckBox(settingsField("stripGps").label, "stripGps");
  stripGps_->setToolTip("Gilt für Größen mit (Orginalbild): die Kopie verliert nur ihre GPS-Daten.");
  connect(stripGps_, &QCheckBox::toggled, this, [this](bool on) { values.stripGps = on; });
  grid->addWidget(stripGps_, 7, 0, 1, 7);

  hint_ = makeLabel(QString(), "hint");
  hint_->setWordWrap(true);
  grid->addWidget(hint_, 8, 0, 1, 7);
  illustration_ = makeLabel(QString(), "illustration");
  illustration_->setAlignment(Qt::AlignCenter);
  grid->addWidget(illustration_, 9, 0, 1, 7);
  grid->setRowStretch(10, 1);
  grid->setColumnStretch(1, 2);
  grid->setColumnStretch(6, 1);
  return makeGroup("   Bildgröße", grid);
}

QWidget* CTabOptions::makeFormatGroup() {
  format_ = makeChoice(this, "format");
  for (const char* f : pv::kFormatChoices) format_->addItem(toQt(f));
  connect(format_, &QComboBox::activated, this, [this](int i) { values.format = i; });

  auto* texts = makeButton("IPTC/JPEG Bildbeschreibung bearbeiten", "editCaptionTexts");
  connect(texts, &QPushButton::clicked, this, [this] { editCaptionTexts(state_, this); });

  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName("quality");
  quality_->setRange(settingsField("quality").lo, settingsField("quality").hi);
  quality_->setTickPosition(QSlider::NoTicks);
  // The number beside the slider, always: a position alone says little.
  qualityValue_ = makeLabel(QString(), "qualityValue");
  qualityValue_->setMinimumWidth(qualityValue_->fontMetrics().horizontalAdvance("0000"));
  qualityValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(quality_, &QSlider::valueChanged, this, [this](int v) {
    values.quality = v;
    qualityValue_->setNum(v);
  });

  auto* scale = new QHBoxLayout;
  scale->addWidget(makeLabel("Schlecht"));
  scale->addStretch(1);
  scale->addWidget(makeLabel("Gut"));
  scale->addStretch(1);
  scale->addWidget(makeLabel("Ausgezeichnet"));

  auto* grid = makeGroupGrid();
  grid->addWidget(makeLabel(toQt(settingsField("format").label), format_), 0, 0);
  grid->addWidget(format_, 0, 1);
  grid->addWidget(texts, 1, 1, Qt::AlignLeft);
  grid->addWidget(makeLabel(toQt(settingsField("quality").label), quality_), 2, 0);
  grid->addWidget(quality_, 2, 1);
  grid->addWidget(qualityValue_, 2, 2);
  grid->addLayout(scale, 3, 1);
  // Beside the format: what is written for each size, not how large it is.
  hidpi_ = makeCheckBox(settingsField("hidpi").label, "hidpi");
  hidpi_->setToolTip("Jede Größe zusätzlich bis zur doppelten Breite, wo das Foto die Pixel hat; "
                     "der Browser wählt die passende Datei.");
  connect(hidpi_, &QCheckBox::toggled, this, [this](bool on) { values.hidpi = on; });
  grid->addWidget(hidpi_, 4, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  return makeGroup("   Bildformat", grid);
}

QWidget* CTabOptions::makeWatermarkGroup() {
  watermarkFile_ = new QLineEdit(this);
  watermarkFile_->setObjectName("watermarkFile");
  watermarkFile_->setReadOnly(true);
  auto* choose = makeButton("Bilddatei auswählen", "chooseWatermark");
  connect(choose, &QPushButton::clicked, this, &CTabOptions::chooseWatermark);
  auto* clear = makeButton("Auswahl löschen", "clearWatermark");
  connect(clear, &QPushButton::clicked, this, &CTabOptions::clearWatermark);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(choose);
  buttons->addWidget(clear);
  buttons->addStretch(1);

  position_ = makeChoice(this, "watermarkPosition");
  for (const char* p : pv::kWatermarkPositions) position_->addItem(toQt(p));
  connect(position_, &QComboBox::activated, this, [this](int i) { values.watermarkPosition = i; });

  auto* grid = makeGroupGrid();
  grid->addWidget(makeLabel(toQt(settingsField("watermarkFile").label), watermarkFile_), 0, 0);
  grid->addWidget(watermarkFile_, 0, 1, 1, 2);
  grid->addLayout(buttons, 1, 1, 1, 2);
  grid->addWidget(makeLabel(toQt(settingsField("watermarkPosition").label), position_), 2, 0);
  grid->addWidget(position_, 2, 1, 1, 2, Qt::AlignLeft);
  int r = 3;
  for (const char* name : kWatermarkNumbers) {
    const pv::Field& field = settingsField(name);
    grid->addWidget(makeLabel(toQt(field.label), numberField(name)), r, 0);
    grid->addWidget(numberField(name), r, 1);
    grid->addWidget(makeLabel(toQt(pv::fieldText(field.note, field))), r, 2);
    ++r;
  }
  grid->setColumnStretch(2, 1);
  return makeGroup("   Wasserzeichen", grid);
}

bool CTabOptions::readPage() {
  auto number = [this](const auto& entry) {
    return readNumber(entry.second, *std::get<int*>(entry.first->value({&values, nullptr})));
  };
  for (size_t i = 0; i < std::size(kSizeNumbers); ++i)
    if (!number(numbers_[i])) return false;
  values.quality = quality_->value();
  for (int row = 0; row < 3; ++row) values.sizes[row].prefix = fromQt(prefix_[row]->text());
  values.format = format_->currentIndex();
  values.watermarkFile = pathFromQt(watermarkFile_->text());
  values.watermarkPosition = position_->currentIndex();
  values.imageFolder = fromQt(imageFolder_->text());
  for (size_t i = std::size(kSizeNumbers); i < numbers_.size(); ++i)
    if (!number(numbers_[i])) return false;
  values.resizeFilter = filter_->currentIndex();
  values.noEnlarge = noEnlarge_->isChecked();
  values.hidpi = hidpi_->isChecked();
  values.stripGps = stripGps_->isChecked();
  return true;
}

void CTabOptions::showPage() {
  for (const auto& [field, edit] : numbers_)
    edit->setText(QString::number(*std::get<int*>(field->value({&values, nullptr}))));
  for (int row = 0; row < 3; ++row) {
    const pv::SizeRow& r = values.sizes[row];
    sizeChoice_[row]->setCurrentIndex(r.choice);
    sizeChoice_[row]->setEnabled(r.rowEnabled);
    numberField(kSizeNumbers[row])->setEnabled(r.fieldsEnabled);
    numberField(kSizeNumbers[row + 3])->setEnabled(r.fieldsEnabled);
    prefix_[row]->setText(toQt(r.prefix));
  }
  quality_->setValue(values.quality);
  qualityValue_->setNum(quality_->value());
  format_->setCurrentIndex(values.format);
  format_->setEnabled(values.formatEnabled);
  watermarkFile_->setText(pathToQt(values.watermarkFile));
  position_->setCurrentIndex(values.watermarkPosition);
  imageFolder_->setText(toQt(values.imageFolder));
  filter_->setCurrentIndex(values.resizeFilter);
  noEnlarge_->setChecked(values.noEnlarge);
  hidpi_->setChecked(values.hidpi);
  stripGps_->setChecked(values.stripGps);
  hint_->setText(toQt(values.hintText));
  if (shownIllustration_ != int(values.illustration)) {
    shownIllustration_ = int(values.illustration);
    illustration_->setPixmap(resourcePicture(kIllustrations[shownIllustration_]));
  }
}

void CTabOptions::sizeChosen(int row, int index) {
  readPage();
  pv::chooseSize(values, row, index);
  showPage();
}

void CTabOptions::numberEdited(const pv::Field& field) {
  readPage();
  if (pv::clampField(field, {&values, nullptr})) showPage();
}

QLineEdit* CTabOptions::numberField(std::string_view name) const {
  for (const auto& [field, edit] : numbers_)
    if (name == field->name) return edit;
  return nullptr;
}

void CTabOptions::chooseWatermark() {
  readPage();
  const QString file = desktop_.chooseFile(this, qtFileFilter(kWatermarkFilter), QString());
  if (file.isEmpty()) return;
  values.watermarkFile = pathFromQt(file);
  showPage();
}

void CTabOptions::clearWatermark() {
  readPage();
  values.watermarkFile.clear();
  showPage();
}
