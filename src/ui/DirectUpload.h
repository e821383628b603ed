#pragma once
// "Direkt hochladen": puts the gallery on the user's own server by FTP, FTP
// with TLS or SFTP, on the worker thread with progress and cancel. Only what
// changed since the last upload is sent. The password lives in the field
// only; where the upload went is kept with the project.
#include <QGroupBox>
#include <QPointer>
#include <atomic>
#include <string>

#include "publish/Upload.h"
#include "settings/PageValues.h"

struct Desktop;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;

class CDirectUpload : public QGroupBox {
  Q_OBJECT
 public:
  // recordFolder: where the record of the last upload is kept (the data folder).
  CDirectUpload(Desktop& desktop, const std::string& outputFolder, const std::string& recordFolder,
                QWidget* parent = nullptr);
  // A running upload is cancelled and waited for.
  ~CDirectUpload() override;

  QComboBox* protocol() const { return protocol_; }
  QLineEdit* server() const { return server_; }
  QSpinBox* port() const { return port_; }
  QLineEdit* folder() const { return folder_; }
  QLineEdit* user() const { return user_; }
  QLineEdit* password() const { return password_; }
  QPushButton* uploadButton() const { return upload_; }
  QPushButton* cancelButton() const { return cancel_; }
  QLabel* status() const { return status_; }
  // Server, port, folder, user and protocol: shown, and read back after an upload.
  void showPlace(const pv::UploadPlace& place);
  pv::UploadPlace place() const;
  bool running() const { return worker_ != nullptr; }
  // For the window's tests: the SFTP host keys and FTPS authorities to use
  // instead of ~/.ssh/known_hosts and the system's.
  void setTrustFiles(const std::string& knownHosts, const std::string& caFile);

 signals:
  // An upload ended (also a failed or cancelled one): the record changed.
  void finished();

 private:
  pv::UploadTarget target() const;
  // replaceForeignIndex: the user agreed to replace an index.html on the
  // server that no upload of ours put there.
  void start(const pv::UploadTarget& target, bool replaceForeignIndex = false);
  void showProgress(const pv::UploadProgress& p);
  void done(const pv::UploadResult& r, pv::UploadTarget target);
  void setRunning(bool on);

  Desktop& desktop_;
  std::string outputFolder_;
  std::string recordFolder_;
  std::string knownHosts_;
  std::string caFile_;
  QComboBox* protocol_;
  QLineEdit* server_;
  QSpinBox* port_;
  QLineEdit* folder_;
  QLineEdit* user_;
  QLineEdit* password_;
  QPushButton* upload_;
  QPushButton* cancel_;
  QProgressBar* progress_;
  QLabel* status_;
  QPointer<QThread> worker_;
  std::atomic<bool> abort_{false};
};

// The output page's line about the last upload of outputFolder; empty when
// it was never uploaded from here.
QString lastUploadText(const std::string& recordFolder, const std::string& outputFolder);
