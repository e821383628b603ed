#include "ui/Desktop.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QPushButton>
#include <QStringList>
#include <memory>

namespace {

// Where the file and folder choosers start: the folder the last one ended in.
struct LastFolder {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QString start(const QString& given) const { return given.isEmpty() ? folder : given; }
  const QString& keep(const QString& chosen, bool isFolder) {
    if (!chosen.isEmpty()) folder = isFolder ? chosen : QFileInfo(chosen).absolutePath();
    return chosen;
  }
};

}  // namespace

Desktop systemDesktop() {
  Desktop d;
  auto last = std::make_shared<LastFolder>();
  d.askYesNo = [](QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
  };
  d.askYesNoSafe = [](QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  };
  d.message = [](QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
  };
  d.chooseColour = [](QWidget* owner, const QColor& initial) -> std::optional<QColor> {
    QColor c = QColorDialog::getColor(initial, owner);
    if (!c.isValid()) return std::nullopt;
    return c;
  };
  d.chooseFile = [last](QWidget* owner, const QString& filter, const QString& start) {
    return last->keep(QFileDialog::getOpenFileName(owner, QString(), last->start(start), filter), false);
  };
  d.chooseFiles = [last](QWidget* owner, const QString& filter) {
    const QStringList files = QFileDialog::getOpenFileNames(owner, QString(), last->folder, filter);
    if (!files.isEmpty()) last->keep(files.front(), false);
    return files;
  };
  d.chooseFolder = [last](QWidget* owner, const QString& title, const QString& start) {
    return last->keep(QFileDialog::getExistingDirectory(owner, title, last->start(start)), true);
  };
  d.askSave = [](QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    owner);
    box.button(QMessageBox::Save)->setText("Speichern");
    box.button(QMessageBox::Discard)->setText("Verwerfen");
    box.button(QMessageBox::Cancel)->setText("Abbrechen");
    box.setDefaultButton(QMessageBox::Save);
    return QMessageBox::StandardButton(box.exec());
  };
  d.chooseSaveFile = [last](QWidget* owner, const QString& filter, const QString& suggested) {
    // A bare name is suggested in the last folder.
    const QString start = QFileInfo(suggested).isAbsolute() ? suggested : last->folder + "/" + suggested;
    return last->keep(QFileDialog::getSaveFileName(owner, QString(), start, filter), false);
  };
  d.open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  return d;
}

QString qtFileFilter(const QString& pairs) {
  const QStringList parts = pairs.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  }
  return filters.join(";;");
}
