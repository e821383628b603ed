#include "ui/SelTemplate.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppState.h"
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

// A 32-bit FreeImage picture (bottom-up, BGRA) as a pixmap.
QPixmap toPixmap(FIBITMAP* dib) {
  if (!dib) return {};
  const int w = int(FreeImage_GetWidth(dib)), h = int(FreeImage_GetHeight(dib));
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) {
    const BYTE* src = FreeImage_GetScanLine(dib, h - 1 - y);
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x, src += 4)
      dst[x] = qRgba(src[FI_RGBA_RED], src[FI_RGBA_GREEN], src[FI_RGBA_BLUE], src[FI_RGBA_ALPHA]);
  }
  return QPixmap::fromImage(image);
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

  sets_ = new QListWidget(this);
  sets_->setObjectName("controlSets");
  sets_->setAccessibleName("Steuerelemente");
  sets_->setIconSize(QSize(80, 48));
  sets_->setSpacing(2);
  sets_->setStyleSheet("QListWidget::item:selected { background: rgb(162, 199, 240); color: black; }");
  connect(sets_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) state_.settings.controlSet = item->data(Qt::UserRole).toInt();
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
    pv::ImagePtr preview = pv::loadControlSetPreview(set.previewPath);
    auto* item = new QListWidgetItem(QIcon(toPixmap(preview.get())), toQt(set.text), sets_);
    item->setData(Qt::UserRole, set.id);
    item->setData(Qt::AccessibleTextRole, toQt(set.name));
  }
}

void CSelTemplate::browse() {
  const QString file =
      desktop_.chooseFile(this, qtFileFilter("HTML Pages (*.html; *.htm)|*.html;*.htm|All Files (*.*)|*.*||"));
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
