#pragma once
// The main window: six pages in tab order, worked through like a wizard or
// chosen by their tabs, a header of global commands and a footer that leads
// from page to page.
#include <QDialog>

#include <string>

#include "project/ProjectFile.h"
#include "ui/Page.h"
#include "ui/Pages.h"

class CEnTabCtrl;
class CLinkStatic2;
class QKeySequence;
class QMenu;
class QToolButton;
struct Desktop;

namespace pv {
struct AppState;
}

class CPicoVandDlg : public QDialog {
  Q_OBJECT
 public:
  enum Page { kProjectPage, kImagePage, kSettingsPage, kAlbumPage, kCreatePage, kOutputPage, kPageCount };

  CPicoVandDlg(pv::AppState& state, Desktop& desktop, QWidget* parent = nullptr);

  const Pages& pages() const { return pages_; }
  CEnTabCtrl* tabControl() const { return tabs_; }
  int currentPage() const;

  // Page i with the footer buttons that belong to it.
  void showPage(int i);
  // The footer buttons hidden and disabled.
  void hidePage(int i);
  void goToPage(int i);
  // The busy state of a build or an import: every control off except cancel.
  void setControlsEnabled(bool enabled);
  // After a question: an empty collection, fresh create page values, nothing
  // chosen, the first page.
  void newProject();
  void nextPage();
  void previousPage();
  // The result of the last build: its start page, or for a batch conversion
  // its folder.
  void openResult();

  // ---- Project files ----
  // "Projekt speichern" (Ctrl+S): into the project's file, or as a new one.
  bool saveProject();
  // "Projekt speichern unter …": asks for the file; false when cancelled or failed.
  bool saveProjectAs();
  // "Projekt öffnen …" (Ctrl+O): after the question about unsaved work.
  void openProject();
  // Opens path into every page; a refused file leaves the project as it was.
  bool openProjectFile(const std::string& path);
  // A project named on the command line (a double click in the file
  // manager): opened after the question about unsaved (recovered) work.
  void openGivenProject(const std::string& path);
  // "Fehlende Bilder suchen …": the folder where missing images are now.
  void findMissingImages();
  // At start: the recovery copy of a run that ended without closing the
  // window is offered ("Wiederherstellen") or thrown away.
  void offerRecovery();
  const std::string& projectFile() const { return projectFile_; }
  bool hasUnsavedChanges() const;
  // Writes the recovery copy when the project changed since the last one;
  // run by a timer every few seconds.
  void keepRecovery();
  // Writes the window's size and place for the next start.
  void rememberPlace() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Closing while a build runs asks first, then cancels it and waits for it,
  // so no image is left half-written.
  void closeEvent(QCloseEvent* event) override;
  // Closing asks about unsaved work first; a clean exit removes the recovery copy.
  void done(int result) override;

 private:
  QWidget* makeHeader();
  QWidget* makeFooter();
  CLinkStatic2* makeButton(const char* picture, const char* name, const QString& label);
  void addShortcut(CLinkStatic2* button, const QKeySequence& keys);
  void addPageKeys();
  QToolButton* makeProjectMenu();
  void fillRecentMenu(QMenu* menu);
  // Where opening and saving a project file start: beside the last project.
  QString projectStartFolder() const;
  pv::ProjectPages projectPages() const;
  std::string currentProjectText() const;
  // Before unsaved work would be lost: save, discard or cancel. True to go on.
  bool mayDiscardChanges();
  // The pages, album list and title after a project came in.
  void showOpenedProject(const pv::ProjectResult& result);
  // The current state is what the file holds.
  void markSaved();
  void updateTitle(bool changed);

  pv::AppState& state_;
  Desktop& desktop_;
  SharedPictures pictures_;
  Pages pages_;
  CEnTabCtrl* tabs_;
  int shownPage_ = -1;
  CLinkStatic2* newProject_;
  CLinkStatic2* help_;
  CLinkStatic2* support_;
  CLinkStatic2* info_;
  CLinkStatic2* webPage_;
  CLinkStatic2* exit_;
  CLinkStatic2* cancel_;
  CLinkStatic2* back_;
  CLinkStatic2* next_;
  CLinkStatic2* create_;
  CLinkStatic2* open_;
  QToolButton* projectMenu_;
  bool busy_ = false;
  std::string projectFile_;   // empty until saved or opened
  std::string savedText_;     // the project as last saved, opened or started
  std::string recoveryText_;  // the project as last written to the recovery copy
};
