#pragma once
// "Projekt uploaden": asks for an FTP server, user and password and opens two
// file-manager windows, one on the output folder and one logged in to the
// server, between which the user copies the gallery by hand. Nothing typed
// here is kept: every opening starts empty.
#include <QDialog>
#include <string>

struct Desktop;
class QLineEdit;
class QVBoxLayout;

// The server's address with the login in it. User name and password are
// percent-encoded, so a ":" or "@" in them cannot move the split between
// login, password and host; the server is taken as typed (it may carry a
// path).
QString ftpAddress(const QString& server, const QString& user, const QString& password);

class CFtp : public QDialog {
  Q_OBJECT
 public:
  CFtp(Desktop& desktop, const std::string& outputFolder, QWidget* parent = nullptr);

  QLineEdit* server() const { return server_; }
  QLineEdit* user() const { return user_; }
  QLineEdit* password() const { return password_; }
  // Further groups go here, below the explanation and above the buttons.
  QVBoxLayout* sections() const { return sections_; }

 private:
  void upload();

  Desktop& desktop_;
  std::string outputFolder_;
  QLineEdit* server_;
  QLineEdit* user_;
  QLineEdit* password_;
  QVBoxLayout* sections_;
};
