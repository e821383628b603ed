#pragma once
// "Erstellen": project name and folders, the list of the files a build will
// write, and the create command, which runs the build on a worker thread
// and moves on to "Ausgabe" at its end.
#include <QPointer>
#include <QThread>

#include "gallery/BuildDriver.h"
#include "settings/PageValues.h"
#include "ui/Page.h"
#include "ui/Pages.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace pv {
struct AppState;
}

class CTabOutput : public CPage {
  Q_OBJECT
 public:
  CTabOutput(pv::AppState& state, const Pages& pages, const SharedPictures& pictures, Desktop& desktop,
             QWidget* parent = nullptr);
  ~CTabOutput() override;
  pv::CreatePageValues values;
  pv::AppState& state() const { return state_; }
  // Fresh name and folders for a project, as at start and for a new project.
  void setupPage(const std::string& projectsFolder);
  // Rebuilds the list of planned files from the settings pages; run whenever
  // the page is shown.
  void refresh();
  // "Projekt erstellen", also run by the main window's create button.
  void create();
  bool buildRunning() const { return build_ && build_->isRunning(); }
  // Blocks until a running build has ended (after a cancel, at close).
  void waitForBuild();

  QTableWidget* previewList() const { return list_; }
  // The name field into values, with the typing rules applied.
  void readPage();
  // Shows name and folders of values again, after they were set from
  // elsewhere (a project opened).
  void showValues();

 private:
  void nameEdited(const QString& text);
  void chooseProjectFolder();
  void showProgress(pv::BuildStep step, int done, int total, int reused);
  void buildDone(const pv::BuildResult& result, const std::string& outputFolder);
  void reportOutcome(const pv::BuildResult& result, const std::string& outputFolder);

  pv::AppState& state_;
  const Pages& pages_;
  QLineEdit* name_;
  QLineEdit* projectFolder_;
  QLineEdit* outputFolder_;
  QPushButton* createButton_;
  QProgressBar* progress_;
  QLabel* step_;
  QTableWidget* list_;
  QPointer<QThread> build_;
};
