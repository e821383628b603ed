#include "ui/Desktop.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPushButton>
#include <QStringList>

Desktop systemDesktop() {
  Desktop d;
  d.askYesNo = [](QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
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
  d.chooseFile = [](QWidget* owner, const QString& filter) {
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
  };
  d.chooseFiles = [](QWidget* owner, const QString& filter) {
    return QFileDialog::getOpenFileNames(owner, QString(), QString(), filter);
  };
  d.chooseFolder = [](QWidget* owner, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, title, start);
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
  d.chooseSaveFile = [](QWidget* owner, const QString& filter, const QString& suggested) {
    return QFileDialog::getSaveFileName(owner, QString(), suggested, filter);
  };
  d.open = [](const QUrl& url) { QDesktopServices::openUrl(url); };
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
