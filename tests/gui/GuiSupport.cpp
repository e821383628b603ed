#include "GuiSupport.h"

namespace guitest {

std::vector<TestFactory>& registeredTests() {
  static std::vector<TestFactory> tests;
  return tests;
}

std::string readFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

ScriptedDesktop::ScriptedDesktop() {
  desktop.askYesNo = [this](QWidget*, const QString& text, const QString& caption) {
    questions.push_back(caption + ": " + text);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  };
  desktop.message = [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon icon) {
    messages.push_back({text, caption, icon});
  };
  desktop.chooseColour = [this](QWidget*, const QColor& initial) -> std::optional<QColor> {
    colourRequests.push_back(initial);
    if (colours.empty()) return std::nullopt;
    auto c = colours.front();
    colours.pop_front();
    return c;
  };
  desktop.chooseFile = [this](QWidget*, const QString& filter) {
    fileFilters.push_back(filter);
    if (files.empty()) return QString();
    QString f = files.front();
    files.pop_front();
    return f;
  };
  desktop.chooseFiles = [this](QWidget*, const QString& filter) {
    fileFilters.push_back(filter);
    if (fileLists.empty()) return QStringList();
    QStringList f = fileLists.front();
    fileLists.pop_front();
    return f;
  };
  desktop.chooseFolder = [this](QWidget*, const QString& title, const QString&) {
    folderTitles.push_back(title);
    if (folders.empty()) return QString();
    QString f = folders.front();
    folders.pop_front();
    return f;
  };
  desktop.askSave = [this](QWidget*, const QString& text, const QString& caption) {
    saveQuestions.push_back(caption + ": " + text);
    if (saveAnswers.empty()) return QMessageBox::Discard;
    QMessageBox::StandardButton a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
  };
  auto next = [](std::deque<QString>& queue) {
    if (queue.empty()) return QString();
    QString f = queue.front();
    queue.pop_front();
    return f;
  };
  desktop.chooseSaveFile = [this, next](QWidget*, const QString& filter, const QString&) {
    fileFilters.push_back(filter);
    return next(saveFiles);
  };
  desktop.open = [this](const QUrl& url) { opened.push_back(url); };
}

void ScriptedDesktop::clear() {
  messages.clear();
  questions.clear();
  answers.clear();
  colourRequests.clear();
  colours.clear();
  fileFilters.clear();
  files.clear();
  fileLists.clear();
  folderTitles.clear();
  folders.clear();
  opened.clear();
  saveQuestions.clear();
  saveAnswers.clear();
  saveFiles.clear();
}

}  // namespace guitest
