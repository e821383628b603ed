#include "ui/Ftp.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Desktop.h"
#include "ui/QtText.h"

namespace {

// The picture of the dialog: a local folder window, an arrow, a server window.
class UploadPicture : public QWidget {
 public:
  explicit UploadPicture(QWidget* parent) : QWidget(parent) {
    setFixedSize(452, 218);
    setAccessibleName("Lokaler Ordner, Pfeil, FTP-Server");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    auto window = [&](QRect r, const QString& title) {
      p.setPen(QColor(0x60, 0x60, 0x60));
      p.setBrush(Qt::white);
      p.drawRect(r);
      p.setBrush(QColor(0x3A, 0x6E, 0xA5));
      p.drawRect(r.x(), r.y(), r.width(), 22);
      p.setPen(Qt::white);
      p.drawText(QRect(r.x() + 8, r.y(), r.width() - 16, 22), Qt::AlignVCenter, title);
      p.setPen(QColor(0xA0, 0xA0, 0xA0));
      for (int y = r.y() + 36; y < r.bottom() - 10; y += 22) p.drawLine(r.x() + 12, y, r.right() - 12, y);
    };
    window(QRect(6, 20, 170, 180), "Ausgabeordner");
    window(QRect(276, 20, 170, 180), "ftp://");
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3A, 0x6E, 0xA5));
    const QPoint arrow[] = {{190, 98}, {236, 98}, {236, 84}, {264, 110}, {236, 136}, {236, 122}, {190, 122}};
    p.drawPolygon(arrow, 7);
  }
};

QLineEdit* field(const char* name, QWidget* parent) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  f->setAccessibleName(name);
  return f;
}

}  // namespace

QString ftpAddress(const QString& server, const QString& user) {
  return "ftp://" + QString::fromLatin1(QUrl::toPercentEncoding(user)) + "@" + server;
}

CFtp::CFtp(Desktop& desktop, const std::string& outputFolder, QWidget* parent)
    : QDialog(parent), desktop_(desktop), outputFolder_(outputFolder) {
  setWindowTitle("Projekt uploaden");
  server_ = field("FTP Server", this);
  user_ = field("User", this);

  auto* heading = new QLabel("FTP Upload auf den eigenen Webserver", this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* form = new QFormLayout;
  form->addRow("FTP Server", server_);
  form->addRow("User", user_);

  auto* explanation = new QLabel(
      "Pico Vand verbindet zum Server und öffnet zwei Datei-Explorer, über die Sie die erzeugten Daten vom lokalen "
      "Computer auf Ihren Webserver kopieren können.",
      this);
  explanation->setWordWrap(true);

  auto* upload = new QPushButton("Upload", this);
  upload->setObjectName("upload");
  connect(upload, &QPushButton::clicked, this, &CFtp::upload);
  // The two ways to the server are told apart by their groups: this one
  // copies by hand in the file manager, the one below uploads by itself.
  auto* byHand = new QGroupBox("Mit dem Dateimanager kopieren", this);
  byHand->setObjectName("byFileManager");
  auto* byHandLayout = new QVBoxLayout(byHand);
  byHandLayout->addLayout(form);
  byHandLayout->addWidget(explanation);
  byHandLayout->addWidget(new UploadPicture(this), 0, Qt::AlignHCenter);
  // Beside the button: the address handed over holds no password, so that
  // it never shows in the process list.
  auto* passwordNote = new QLabel("Das Passwort fragt der Dateimanager ab.", this);
  passwordNote->setObjectName("passwordNote");
  auto* uploadRow = new QHBoxLayout;
  uploadRow->addWidget(passwordNote, 1);
  uploadRow->addWidget(upload);
  byHandLayout->addLayout(uploadRow);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* cancel = buttons->addButton("Abbrechen", QDialogButtonBox::RejectRole);
  cancel->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  sections_ = new QVBoxLayout;
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(line);
  layout->addWidget(byHand);
  layout->addLayout(sections_);
  layout->addWidget(buttons);
}

void CFtp::upload() {
  const bool local = desktop_.open(QUrl::fromLocalFile(pathToQt(outputFolder_)));
  const bool remote = local && desktop_.open(QUrl(ftpAddress(server_->text(), user_->text())));
  if (!remote) {
    desktop_.message(this,
                     QString("Der Dateimanager konnte nicht geöffnet werden. Öffnen Sie den Ausgabeordner %1 und den "
                             "FTP-Server %2 selbst, oder laden Sie mit \"Direkt hochladen\" hoch.")
                         .arg(pathToQt(outputFolder_), server_->text()),
                     "Projekt uploaden", QMessageBox::Warning);
    return;
  }
  accept();
}
