// The main window's project commands: save, save as, open, finding missing
// images, the unsaved mark in the title and the recovery copy.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QToolButton>
#include <functional>

#include "state/AppState.h"
#include "app/PicoVandDlg.h"
#include "settings/Product.h"
#include "util/Text.h"
#include "ui/Desktop.h"
#include "ui/QtText.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput.h"
#include "ui/TabProject.h"

namespace {
const char* const kProjectFilter = "Projektdateien|*.pvproj||";

// The name the title and the questions give the project.
QString projectName(const std::string& projectFile) {
  return projectFile.empty() ? QString("Unbenannt") : QFileInfo(pathToQt(projectFile)).completeBaseName();
}
}  // namespace

QToolButton* CPicoVandDlg::makeProjectMenu() {
  auto* button = new QToolButton(this);
  button->setObjectName("projectMenu");
  button->setText("Projekt");
  button->setAccessibleName("Projekt");
  button->setPopupMode(QToolButton::InstantPopup);
  // Drawn as the header's other commands: light text on the dark strip.
  button->setStyleSheet(
      "QToolButton { color: white; background: transparent; border: 1px solid rgba(255,255,255,90);"
      " border-radius: 4px; padding: 6px 12px; font-weight: bold; }"
      "QToolButton:hover { background: rgba(255,255,255,40); }"
      "QToolButton:disabled { color: rgba(255,255,255,110); }");
  auto* menu = new QMenu(button);
  auto add = [&](const QString& text, const char* name, const QKeySequence& keys, std::function<void()> command) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, command);
    addAction(action);  // the shortcut works on every page
  };
  add("Projekt öffnen …", "openProject", QKeySequence::Open, [this] { openProject(); });
  add("Projekt speichern", "saveProject", QKeySequence::Save, [this] { saveProject(); });
  add("Projekt speichern unter …", "saveProjectAs", QKeySequence::SaveAs, [this] { saveProjectAs(); });
  QMenu* recent = menu->addMenu("Zuletzt geöffnet");
  recent->setObjectName("recentProjects");
  connect(menu, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
  fillRecentMenu(recent);
  menu->addSeparator();
  add("Fehlende Bilder suchen …", "findMissingImages", QKeySequence(), [this] { findMissingImages(); });
  button->setMenu(menu);
  return button;
}

pv::ProjectPages CPicoVandDlg::projectPages() const {
  return {pages_.image->values, pages_.settings->values, pages_.create->values};
}

std::string CPicoVandDlg::currentProjectText() const { return pv::projectText(state_, projectPages(), ""); }

bool CPicoVandDlg::hasUnsavedChanges() const { return currentProjectText() != savedText_; }

void CPicoVandDlg::updateTitle(bool changed) {
  const QString base = QString("%1 %2 - %3").arg(pv::kProductName, pv::kProductVersion, pv::kMakerAddress);
  if (projectFile_.empty() && !changed) {
    setWindowTitle(base);
  } else {
    setWindowTitle(projectName(projectFile_) + "[*] - " + base);
  }
  setWindowModified(changed);
}

void CPicoVandDlg::markSaved() {
  savedText_ = recoveryText_ = currentProjectText();
  updateTitle(false);
}

bool CPicoVandDlg::mayDiscardChanges() {
  if (!hasUnsavedChanges()) return true;
  const QString question = "Das Projekt \"" + projectName(projectFile_) +
                           "\" enthält Änderungen, die nicht gespeichert sind. Möchten Sie sie speichern?";
  switch (desktop_.askSave(this, question, kMessageCaption)) {
    case QMessageBox::Save:
      return saveProject();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

bool CPicoVandDlg::saveProject() {
  pages_.create->readPage();
  if (projectFile_.empty()) return saveProjectAs();
  const pv::ProjectResult r = pv::saveProject(projectFile_, state_, projectPages());
  if (!r.ok) {
    desktop_.message(this, toQt(r.message), kMessageCaption, QMessageBox::Warning);
    return false;
  }
  markSaved();
  pv::rememberProject(state_, projectFile_);
  pv::removeRecovery(state_);
  return true;
}

QString CPicoVandDlg::projectStartFolder() const {
  std::string file = projectFile_;
  if (file.empty()) {
    const std::vector<std::string> recent = pv::recentProjects(state_);
    if (!recent.empty()) file = recent.front();
  }
  return file.empty() ? QString() : QFileInfo(pathToQt(file)).absolutePath();
}

// "Zuletzt geöffnet": the recent project files, filled each time the menu opens.
void CPicoVandDlg::fillRecentMenu(QMenu* menu) {
  menu->clear();
  const std::vector<std::string> recent = pv::recentProjects(state_);
  for (size_t i = 0; i < recent.size(); ++i) {
    const QString path = pathToQt(recent[i]);
    QAction* action = menu->addAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).completeBaseName()));
    action->setToolTip(path);
    action->setStatusTip(path);
    connect(action, &QAction::triggered, this, [this, file = recent[i]] {
      if (mayDiscardChanges()) openProjectFile(file);
    });
  }
  menu->setEnabled(!recent.empty());
}

bool CPicoVandDlg::saveProjectAs() {
  pages_.create->readPage();
  const pv::CreatePageValues& create = pages_.create->values;
  // A new project file goes beside the last one, else into the project folder.
  const QString folder = projectStartFolder();
  const std::string suggested =
      !projectFile_.empty() ? projectFile_
      : folder.isEmpty()    ? create.projectFolder + create.projectName + pv::kProjectExtension
                            : pathFromQt(folder) + "/" + create.projectName + pv::kProjectExtension;
  QString chosen = desktop_.chooseSaveFile(this, qtFileFilter(kProjectFilter), pathToQt(suggested));
  if (chosen.isEmpty()) return false;
  if (!chosen.endsWith(pv::kProjectExtension, Qt::CaseInsensitive)) chosen += pv::kProjectExtension;
  const std::string previous = projectFile_;
  projectFile_ = pathFromQt(chosen);
  if (saveProject()) return true;
  projectFile_ = previous;
  return false;
}

void CPicoVandDlg::openProject() {
  if (!mayDiscardChanges()) return;
  const QString chosen = desktop_.chooseFile(this, qtFileFilter(kProjectFilter), projectStartFolder());
  if (!chosen.isEmpty()) openProjectFile(pathFromQt(chosen));
}

void CPicoVandDlg::openGivenProject(const std::string& path) {
  if (mayDiscardChanges()) openProjectFile(path);
}

bool CPicoVandDlg::openProjectFile(const std::string& path) {
  // Quick from the thumbnail cache; a project without one reads its photos.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const pv::ProjectResult r = pv::openProject(path, state_, projectPages());
  QApplication::restoreOverrideCursor();
  if (!r.ok) {
    desktop_.message(this, toQt(r.message), kMessageCaption, QMessageBox::Warning);
    return false;
  }
  projectFile_ = path;
  pv::rememberProject(state_, path);
  showOpenedProject(r);
  markSaved();
  pv::removeRecovery(state_);
  return true;
}

void CPicoVandDlg::showOpenedProject(const pv::ProjectResult& r) {
  pages_.project->showProjectType(state_.settings.presetNumber);
  pages_.album->collectionCleared();
  pages_.create->showValues();
  pages_.create->refresh();
  goToPage(currentPage());
  if (r.missingSources > 0)
    desktop_.message(this,
                     QString("%1 Bilder des Projekts wurden nicht gefunden. Sie bleiben im Projekt, sind in der "
                             "Bild- und Albumauswahl markiert und werden beim Erstellen übersprungen. Mit "
                             "\"Projekt\" > \"Fehlende Bilder suchen …\" geben Sie ihren neuen Ordner an.")
                         .arg(r.missingSources),
                     kMessageCaption, QMessageBox::Information);
}

void CPicoVandDlg::findMissingImages() {
  int missing = 0;
  for (const auto& item : state_.items.list) missing += item->sourceMissing ? 1 : 0;
  if (missing == 0) {
    desktop_.message(this, "Es fehlen keine Bilder.", kMessageCaption, QMessageBox::Information);
    return;
  }
  const QString folder = desktop_.chooseFolder(this, "Ordner der fehlenden Bilder", QString());
  if (folder.isEmpty()) return;
  const int found = pv::relocateMissingSources(state_, pathFromQt(folder));
  pages_.album->showAlbum(pages_.album->currentAlbumPath());
  desktop_.message(this, QString("%1 von %2 fehlenden Bildern wurden gefunden.").arg(found).arg(missing),
                   kMessageCaption, QMessageBox::Information);
}

void CPicoVandDlg::offerRecovery() {
  if (!pv::hasRecovery(state_)) return;
  if (!desktop_.askYesNo(this,
                         "Das Programm wurde beim letzten Mal nicht ordnungsgemäß beendet. Soll das Projekt, an dem "
                         "Sie gearbeitet haben, wiederhergestellt werden?",
                         "Wiederherstellen")) {
    pv::removeRecovery(state_);
    return;
  }
  const pv::ProjectResult r = pv::openRecovery(state_, projectPages());
  if (!r.ok) {
    desktop_.message(this, toQt(r.message), kMessageCaption, QMessageBox::Warning);
    pv::removeRecovery(state_);
    return;
  }
  projectFile_ = r.projectFile;
  showOpenedProject(r);
  // The restored work is in no project file yet; the copy stays until it is.
  savedText_.clear();
  recoveryText_ = currentProjectText();
  updateTitle(true);
}

void CPicoVandDlg::keepRecovery() {
  if (busy_) return;  // the worker is changing the collection
  const std::string text = currentProjectText();
  const bool changed = text != savedText_;
  if (!changed && recoveryText_ != savedText_) {
    pv::removeRecovery(state_);
    recoveryText_ = savedText_;
  } else if (changed && text != recoveryText_ && pv::writeRecovery(state_, projectPages(), projectFile_)) {
    recoveryText_ = text;
  }
  updateTitle(changed);
}

void CPicoVandDlg::done(int result) {
  if (!mayDiscardChanges()) return;
  rememberPlace();
  pv::removeRecovery(state_);
  QDialog::done(result);
}
