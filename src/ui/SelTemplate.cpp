#include "ui/SelTemplate.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "pages/ControlSets.h"
#include "pages/OwnPage.h"
#include "ui/Desktop.h"
#include "ui/QtText.h"

namespace {

const char* const kExplanation =
    "Die Grafiken können eine eigene Vorlage integriert werden. Die Webseite muss dazu an der gewünschten Position "
    "den Platzhalter ##PICOVAND## enthalten. Bitte fügen Sie diesen Platzhalter zuerst in die Webseite ein.\n\n"
    "Dieser Platzhalter wird dann vom Picovand automatisch durch eine Tabelle mit den Grafiken ersetzt. Wählen Sie "
    "nun zuerst die vorbereitete Webseite aus und anschliessend das gewünschte Design für die Steuerelemente.";

// A 32-bit FreeImage picture (bottom-up, BGRA) as a Qt image.
QImage toImage(FIBITMAP* dib) {
  if (!dib) return {};
  const int w = int(FreeImage_GetWidth(dib)), h = int(FreeImage_GetHeight(dib));
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    const BYTE* src = FreeImage_GetScanLine(dib, h - 1 - y);
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x, src += 4)
      dst[x] = qRgba(src[FI_RGBA_RED], src[FI_RGBA_GREEN], src[FI_RGBA_BLUE], src[FI_RGBA_ALPHA]);
  }
  return image;
}

QLabel* heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

CSelTemplate::CSelTemplate(pv::AppState& state, Desktop& desktop, const std::string& pagePath, QWidget* parent)
    : QDialog(parent), state_(state), desktop_(desktop), pagePath_(pagePath) {
  setWindowTitle("Eigene Vorlage");
  state_.settings.controlSet = pv::kDefaultControlSet;

  auto* explanation = new QLabel(kExplanation, this);
  explanation->setWordWrap(true);
  path_ = new QLineEdit(pathToQt(pagePath), this);
  path_->setObjectName("pagePath");
  path_->setReadOnly(true);
  path_->setAccessibleName("Webseite");
  auto* browse = new QPushButton("Webseite auswählen", this);
  browse->setObjectName("browse");
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &CSelTemplate::browse);

  sets_ = new CListBoxST(this);
  sets_->setObjectName("controlSets");
  sets_->setAccessibleName("Steuerelemente");
  sets_->setImageList(&previews_);
  connect(sets_, &CListBoxST::selectionChanged, this, [this] {
    if (sets_->currentRow() >= 0) state_.settings.controlSet = sets_->value(sets_->currentRow());
  });

  auto* ok = new QPushButton("Webseite und Steuerzeichen verwenden", this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CSelTemplate::accept);
  auto* cancel = new QPushButton("Abbrechen", this);
  cancel->setObjectName("cancel");
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading("   Webseite", this));
  layout->addWidget(line);
  layout->addWidget(explanation);
  layout->addLayout(pathRow);
  QLabel* setHeading = heading("   Steuerelemente - gewünschte Vorlage zur Auswahl anklicken", this);
  setHeading->setBuddy(sets_);
  layout->addWidget(setHeading);
  layout->addWidget(sets_, 1);
  layout->addLayout(buttons);
  resize(700, 520);
  fillControlSets();
}

void CSelTemplate::fillControlSets() {
  for (const pv::ControlSetEntry& set : pv::listControlSets(state_.settings.ctrlFolder)) {
    // A set without a readable picture still gets its row, with an empty picture.
    pv::ImagePtr preview = pv::loadControlSetPreview(set.previewPath);
    QImage picture = toImage(preview.get());
    if (picture.isNull()) {
      picture = QImage(previews_.size, QImage::Format_ARGB32);
      picture.fill(Qt::transparent);
    }
    const int row = sets_->addEntry(toQt(set.text), previews_.add(picture));
    sets_->setValue(row, set.id);
  }
}

void CSelTemplate::browse() {
  const QString file =
      desktop_.chooseFile(this, qtFileFilter("HTML Pages (*.html; *.htm)|*.html;*.htm|All Files (*.*)|*.*||"), QString());
  if (!file.isEmpty()) path_->setText(file);
}

void CSelTemplate::accept() {
  const pv::OwnPageCheck check = pv::checkOwnPage(pathFromQt(path_->text()));
  if (!check.ok) {
    desktop_.message(this, toQt(check.message), pv::kOwnPageErrorTitle, QMessageBox::Information);
    return;
  }
  pagePath_ = check.path;
  QDialog::accept();
}
