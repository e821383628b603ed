#include "ui/DirectUpload.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <algorithm>
#include <memory>

#include "controls/ComboAccessible.h"
#include "ui/Desktop.h"
#include "ui/QtText.h"
#include "ui/Worker.h"

namespace {

template <class Field>
Field* named(Field* f, const char* name) {
  f->setObjectName(name);
  f->setAccessibleName(name);
  return f;
}

// The German sentence for a failure; the technical detail follows it.
QString failureText(const pv::UploadResult& r) {
  switch (r.failure) {
    case pv::UploadFailure::None: return {};
    case pv::UploadFailure::LocalFolder: return "Der Ausgabeordner kann nicht gelesen werden.";
    case pv::UploadFailure::Connect: return "Keine Verbindung zum Server.";
    case pv::UploadFailure::Login: return "Der Server hat die Anmeldung abgelehnt: Benutzer oder Passwort ist falsch.";
    case pv::UploadFailure::HostKeyUnknown: return "Der Schlüssel des Servers ist unbekannt.";
    case pv::UploadFailure::HostKeyChanged:
      return "Der Schlüssel des Servers ist nicht der bekannte. Es wurde nichts übertragen.";
    case pv::UploadFailure::Certificate: return "Das Zertifikat des Servers wurde nicht anerkannt.";
    case pv::UploadFailure::Transfer: return "Die Übertragung ist fehlgeschlagen. Ein neuer Upload setzt sie fort.";
    case pv::UploadFailure::Cancelled: return "Upload abgebrochen. Ein neuer Upload setzt ihn fort.";
    case pv::UploadFailure::ForeignIndex:
      return "Auf dem Server liegt eine index.html, die nicht von Pico Vand stammt. Es wurde nichts gesendet.";
  }
  return {};
}

}  // namespace

QString lastUploadText(const std::string& recordFolder, const std::string& outputFolder) {
  const auto record = pv::readUploadRecord(recordFolder, outputFolder);
  if (!record) return {};
  const QDateTime when = QDateTime::fromString(QString::fromStdString(record->timeUtc), Qt::ISODate).toLocalTime();
  return QString("%1: %2 nach %3%4")
      .arg("Zuletzt hochgeladen", when.toString("dd.MM.yyyy HH:mm"), QString::fromStdString(record->address),
           record->complete ? QString() : QString(" (nicht vollständig)"));
}

CDirectUpload::CDirectUpload(Desktop& desktop, const std::string& outputFolder, const std::string& recordFolder,
                             QWidget* parent)
    : QGroupBox("Direkt hochladen", parent),
      desktop_(desktop),
      outputFolder_(outputFolder),
      recordFolder_(recordFolder),
      protocol_(named(new QComboBox(this), "Protokoll")),
      server_(named(new QLineEdit(this), "Server")),
      port_(named(new QSpinBox(this), "Port")),
      folder_(named(new QLineEdit(this), "Ordner auf dem Server")),
      user_(named(new QLineEdit(this), "Benutzer")),
      password_(named(new QLineEdit(this), "Passwort")),
      upload_(named(new QPushButton("Hochladen", this), "Hochladen")),
      cancel_(named(new QPushButton("Upload abbrechen", this), "Upload abbrechen")),
      progress_(named(new QProgressBar(this), "Fortschritt")),
      status_(named(new QLabel(this), "Status")) {
  installComboAccessible();
  setObjectName("directUpload");
  protocol_->addItems({"FTP", "FTPS (FTP mit TLS)", "SFTP"});
  protocol_->setCurrentIndex(1);
  port_->setRange(1, 65535);
  // The field inside the spin box is what has the focus; it reads the same.
  if (auto* edit = port_->findChild<QLineEdit*>()) edit->setAccessibleName("Port");
  port_->setValue(pv::defaultPort(pv::UploadProtocol::Ftps));
  connect(protocol_, &QComboBox::currentIndexChanged, this,
          [this](int i) { port_->setValue(pv::defaultPort(pv::UploadProtocol(i))); });
  folder_->setPlaceholderText("z. B. htdocs/galerie");
  password_->setEchoMode(QLineEdit::Password);
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  progress_->setRange(0, 1000);
  progress_->setValue(0);

  auto* form = new QFormLayout;
  form->addRow("Protokoll", protocol_);
  form->addRow("Server", server_);
  form->addRow("Port", port_);
  form->addRow("Ordner auf dem Server", folder_);
  form->addRow("Benutzer", user_);
  form->addRow("Passwort", password_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(progress_, 1);
  buttons->addWidget(upload_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->addWidget(status_);

  connect(upload_, &QPushButton::clicked, this, [this] { start(target()); });
  connect(cancel_, &QPushButton::clicked, this, [this] { abort_ = true; });
  setRunning(false);
}

CDirectUpload::~CDirectUpload() {
  if (!worker_) return;
  abort_ = true;
  worker_->wait();
}

void CDirectUpload::setTrustFiles(const std::string& knownHosts, const std::string& caFile) {
  knownHosts_ = knownHosts;
  caFile_ = caFile;
}

void CDirectUpload::showPlace(const pv::UploadPlace& place) {
  protocol_->setCurrentIndex(std::clamp(place.protocol, 0, protocol_->count() - 1));
  server_->setText(toQt(place.server));
  if (place.port > 0) port_->setValue(place.port);
  folder_->setText(toQt(place.folder));
  user_->setText(toQt(place.user));
}

pv::UploadPlace CDirectUpload::place() const {
  const pv::UploadTarget t = target();
  return {protocol_->currentIndex(), t.host, t.port, folder_->text().trimmed().toStdString(), t.user};
}

pv::UploadTarget CDirectUpload::target() const {
  pv::UploadTarget t;
  t.protocol = pv::UploadProtocol(protocol_->currentIndex());
  t.host = server_->text().trimmed().toStdString();
  t.port = port_->value();
  t.folder = folder_->text().trimmed().toStdString();
  while (t.folder.size() > 1 && t.folder.back() == '/') t.folder.pop_back();
  t.user = user_->text().trimmed().toStdString();
  t.password = password_->text().toStdString();
  t.knownHosts = knownHosts_;
  t.caFile = caFile_;
  return t;
}

void CDirectUpload::setRunning(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{protocol_, server_, port_, folder_, user_, password_, upload_})
    w->setEnabled(!on);
  cancel_->setEnabled(on);
}

void CDirectUpload::start(const pv::UploadTarget& target, bool replaceForeignIndex) {
  if (worker_) return;
  if (target.host.empty()) {
    status_->setText("Bitte geben Sie den Server an.");
    server_->setFocus();
    return;
  }
  abort_ = false;
  setRunning(true);
  progress_->setValue(0);
  status_->setText("Verbinde mit " + QString::fromStdString(target.host) + " …");
  auto result = std::make_shared<pv::UploadResult>();
  pv::UploadOptions options;
  options.abort = &abort_;
  options.recordFolder = recordFolder_;
  options.replaceForeignIndex = replaceForeignIndex;
  options.progress = [this](const pv::UploadProgress& p) {
    postToGui(this, [this, p] { showProgress(p); });
  };
  worker_ = startWorker(
      this, [result, target, options, folder = outputFolder_] { *result = pv::uploadGallery(folder, target, options); },
      [this, result, target] { done(*result, target); });
}

void CDirectUpload::showProgress(const pv::UploadProgress& p) {
  if (!worker_) return;
  progress_->setValue(p.bytesTotal ? int(p.bytesDone * 1000 / p.bytesTotal) : 0);
  status_->setText(p.retrying ? QString("Verbindung unterbrochen, neuer Versuch …")
                              : QString("%1 von %2 Dateien: %3").arg(p.filesDone).arg(p.filesTotal).arg(pathToQt(p.file)));
}

void CDirectUpload::done(const pv::UploadResult& r, pv::UploadTarget target) {
  worker_ = nullptr;
  setRunning(false);
  emit finished();
  QString notes;
  for (const pv::SkippedFile& f : r.skipped) notes += "\nNicht gesendet: " + pathToQt(f.path) + " (" + QString::fromStdString(f.reason) + ")";
  for (const std::string& w : r.warnings) notes += "\n" + QString::fromStdString(w);
  if (r.ok()) {
    progress_->setValue(1000);
    status_->setText(QString("Fertig: %1 Dateien gesendet, %2 entfernt. Der Server zeigt die Galerie.")
                         .arg(r.sent)
                         .arg(r.removed) +
                     notes);
    return;
  }
  status_->setText(failureText(r) + "\n" + QString::fromStdString(r.message) + notes);
  // An unknown server is trusted only when the user says so, for this key.
  if (r.failure == pv::UploadFailure::HostKeyUnknown &&
      desktop_.askYesNo(this,
                        QString("Der Server %1 ist noch unbekannt. Sein Schlüssel hat den Fingerabdruck\n\n%2\n\n"
                                "Vergleichen Sie ihn mit dem Ihres Servers. Soll dem Server vertraut werden?")
                            .arg(QString::fromStdString(target.host), QString::fromStdString(r.hostKeyFingerprint)),
                        "Direkt hochladen")) {
    target.trustHostKey = r.hostKeyFingerprint;
    start(target);
  }
  // Somebody else's start page is replaced only when the user says so.
  if (r.failure == pv::UploadFailure::ForeignIndex &&
      desktop_.askYesNoSafe(this,
                            QString("Im Ordner auf dem Server %1 liegt bereits eine index.html, die nicht von Pico Vand "
                                    "hochgeladen wurde. Sie ist vielleicht die Startseite Ihrer Webpräsenz.\n\n"
                                    "Soll sie durch die Startseite der Galerie ersetzt werden?")
                                .arg(QString::fromStdString(target.host)),
                            "Direkt hochladen"))
    start(target, true);
}
