#include "GuiSupport.h"

#include <QDirIterator>
#include <QRegularExpression>

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

namespace {

// The next scripted answer, or the fallback when none is queued.
template <class T>
T takeFront(std::deque<T>& queue, T fallback = T()) {
  if (queue.empty()) return fallback;
  T first = std::move(queue.front());
  queue.pop_front();
  return first;
}

}  // namespace

ScriptedDesktop::ScriptedDesktop() {
  desktop.askYesNo = [this](QWidget*, const QString& text, const QString& caption) {
    questions.push_back(caption + ": " + text);
    return takeFront(answers, false);
  };
  desktop.askYesNoSafe = [this](QWidget*, const QString& text, const QString& caption) {
    questions.push_back(caption + ": " + text);
    safeQuestions.push_back(caption);
    return takeFront(answers, false);
  };
  desktop.message = [this](QWidget*, const QString& text, const QString& caption, QMessageBox::Icon icon) {
    messages.push_back({text, caption, icon});
  };
  desktop.chooseColour = [this](QWidget*, const QColor& initial) {
    colourRequests.push_back(initial);
    return takeFront(colours);
  };
  desktop.chooseFile = [this](QWidget*, const QString& filter, const QString& start) {
    fileFilters.push_back(filter);
    fileStarts.push_back(start);
    return takeFront(files);
  };
  desktop.chooseFiles = [this](QWidget*, const QString& filter) {
    fileFilters.push_back(filter);
    return takeFront(fileLists);
  };
  desktop.chooseFolder = [this](QWidget*, const QString& title, const QString&) {
    folderTitles.push_back(title);
    return takeFront(folders);
  };
  desktop.askSave = [this](QWidget*, const QString& text, const QString& caption) {
    saveQuestions.push_back(caption + ": " + text);
    return takeFront(saveAnswers, QMessageBox::Discard);
  };
  desktop.chooseSaveFile = [this](QWidget*, const QString& filter, const QString&) {
    fileFilters.push_back(filter);
    return takeFront(saveFiles);
  };
  desktop.open = [this](const QUrl& url) {
    opened.push_back(url);
    return opens;
  };
}

void ScriptedDesktop::clear() {
  messages.clear();
  questions.clear();
  safeQuestions.clear();
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

QStringList filesBelow(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
  files.sort();
  return files;
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString firstDifference(const QString& a, const QString& b, const QStringList& files) {
  const QRegularExpression linkText("(<a href=\"[^\"]*\" target=\"_blank\">)[^<]*(</a>)");
  auto read = [&](const QString& path) {
    const QByteArray bytes = contents(path);
    return path.endsWith(".htm") ? QString::fromUtf8(bytes).replace(linkText, "\\1\\2").toUtf8() : bytes;
  };
  for (const QString& f : files)
    if (read(a + "/" + f) != read(b + "/" + f)) return f;
  return {};
}

}  // namespace guitest
