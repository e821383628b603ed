#pragma once
// The main window: six pages in tab order, worked through like a wizard or
// chosen by their tabs, a header of global commands and a footer that leads
// from page to page.
#include <QDialog>

#include "ui/Page.h"
#include "ui/Pages.h"

class CEnTabCtrl;
class CLinkStatic2;
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

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Closing while a build runs asks first, then cancels it and waits for it,
  // so no image is left half-written.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* makeHeader();
  QWidget* makeFooter();
  CLinkStatic2* makeButton(const char* picture, const char* name);

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
};
