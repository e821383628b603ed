#pragma once
// Shared pieces of the window tests: a program folder of their own with the
// preset and information files a test writes, an AppState living in it, and
// a desktop whose dialogs answer from a script.
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "state/AppState.h"
#include "ui/Desktop.h"

namespace guitest {

// The test classes of the one test program register themselves here.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<TestFactory>& registeredTests();
struct Register {
  explicit Register(TestFactory f) { registeredTests().push_back(std::move(f)); }
};
#define PV_GUI_TEST(Class) static guitest::Register register##Class([] { return std::unique_ptr<QObject>(new Class); })

// A scratch folder with prog/ (the program folder with resources/) and home/.
class ScratchProgram {
 public:
  ScratchProgram() { QDir(dir_.path()).mkpath("prog/resources/CONFIG"); }
  std::string root() const { return dir_.path().toStdString() + "/"; }
  std::string programFolder() const { return root() + "prog/"; }
  // Writes a file below the program folder.
  std::string write(const std::string& relative, const std::string& content) const {
    const std::string path = programFolder() + relative;
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile f(QString::fromStdString(path));
    if (f.open(QIODevice::WriteOnly)) f.write(content.data(), qint64(content.size()));
    return path;
  }
  void preset(int number, const std::string& text) const {
    write("resources/CONFIG/" + std::to_string(number) + ".config", text);
  }
  std::unique_ptr<pv::AppState> makeState() const {
    return std::make_unique<pv::AppState>(pv::Environment{programFolder(), root() + "home", "", "", "", ""});
  }

 private:
  QTemporaryDir dir_;
};

std::string readFile(const std::string& path);
// Every file below root, by its path relative to root, sorted.
QStringList filesBelow(const QString& root);
QByteArray contents(const QString& path);
// The first of files whose bytes differ between the folders a and b, the
// credit's link texts (picked at random for every build) left aside; empty
// when none differs.
QString firstDifference(const QString& a, const QString& b, const QStringList& files);

// Records every message and request; answers questions, colour and file
// choices from queues (no answer queued: no, cancel, cancel).
struct ScriptedDesktop {
  struct Message {
    QString text, caption;
    QMessageBox::Icon icon;
  };
  std::vector<Message> messages;
  std::vector<QString> questions;
  std::vector<QString> safeQuestions;  // captions of the questions whose default is no
  std::deque<bool> answers;
  std::vector<QColor> colourRequests;
  std::deque<std::optional<QColor>> colours;
  std::vector<QString> fileFilters;
  std::deque<QString> files;
  std::vector<QString> fileStarts;  // where each file chooser was asked to start
  std::deque<QStringList> fileLists;
  std::vector<QString> folderTitles;
  std::deque<QString> folders;
  std::vector<QUrl> opened;
  bool opens = true;  // false: the desktop has no handler for anything
  // The save questions, apart from the yes/no questions; no answer queued: discard.
  std::vector<QString> saveQuestions;
  std::deque<QMessageBox::StandardButton> saveAnswers;
  std::deque<QString> saveFiles;
  Desktop desktop;

  ScriptedDesktop();
  void clear();
};

}  // namespace guitest
