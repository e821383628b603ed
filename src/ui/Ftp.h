#pragma once
// "Projekt uploaden": asks for an FTP server and user and opens two
// file-manager windows, one on the output folder and one on the server,
// between which the user copies the gallery by hand. The password is not
// asked for here: an address holding it would show in the process list, so
// the file manager asks for it. Nothing typed here is kept: every opening
// starts empty.
#include <QDialog>
#include <string>

struct Desktop;
class QLineEdit;
class QVBoxLayout;

// The server's address with the user name in it and no password. The name
// is percent-encoded, so a ":" or "@" in it cannot move the split between
// login and host; the server is taken as typed (it may carry a path).
QString ftpAddress(const QString& server, const QString& user);

class CFtp : public QDialog {
  Q_OBJECT
 public:
  CFtp(Desktop& desktop, const std::string& outputFolder, QWidget* parent = nullptr);

  QLineEdit* server() const { return server_; }
  QLineEdit* user() const { return user_; }
  // Further groups go here, below the explanation and above the buttons.
  QVBoxLayout* sections() const { return sections_; }

 private:
  void upload();

  Desktop& desktop_;
  std::string outputFolder_;
  QLineEdit* server_;
  QLineEdit* user_;
  QVBoxLayout* sections_;
};
