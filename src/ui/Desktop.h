#pragma once
// The modal questions, messages and choosers of the window, and the desktop's
// service that opens a file, folder or web address. The window asks through
// these members only, so tests replace them with scripted answers.
#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

struct Desktop {
  // Yes/no with the question icon; true for yes.
  std::function<bool(QWidget* owner, const QString& text, const QString& caption)> askYesNo;
  // The same for a question whose yes replaces or removes something: no is
  // the default answer, so Enter keeps everything as it is.
  std::function<bool(QWidget* owner, const QString& text, const QString& caption)> askYesNoSafe;
  std::function<void(QWidget* owner, const QString& text, const QString& caption, QMessageBox::Icon icon)> message;
  // The colour dialog opened at initial; nothing when cancelled.
  std::function<std::optional<QColor>(QWidget* owner, const QColor& initial)> chooseColour;
  // A file to open, of the filter's types, starting in start; empty when cancelled.
  // Every chooser starts, when given no start, where the last one ended (at
  // first in the documents folder).
  std::function<QString(QWidget* owner, const QString& filter, const QString& start)> chooseFile;
  // Existing files to open, several at once; empty when cancelled.
  std::function<QStringList(QWidget* owner, const QString& filter)> chooseFiles;
  // A folder, starting at start; empty when cancelled.
  std::function<QString(QWidget* owner, const QString& title, const QString& start)> chooseFolder;
  // Whether to save changes before they would be lost: Save, Discard or Cancel.
  std::function<QMessageBox::StandardButton(QWidget* owner, const QString& text, const QString& caption)> askSave;
  // A file to save to, of the filter's types, starting at suggested; empty when cancelled.
  std::function<QString(QWidget* owner, const QString& filter, const QString& suggested)> chooseSaveFile;
  // The desktop's default handler; false when none could be started.
  std::function<bool(const QUrl& url)> open;
};

// The real dialogs and the desktop's handlers.
Desktop systemDesktop();

// A file filter of description|patterns pairs ("a|*.x;*.y|b|*.z||") as the
// Qt file dialog writes it ("a (*.x *.y);;b (*.z)").
QString qtFileFilter(const QString& pairs);
