#pragma once
// "Erstellen": project name and folders, and the create command. The page
// holds its values but has no controls and no build yet.
#include "settings/PageValues.h"
#include "ui/Page.h"

class CTabOutput : public CPage {
  Q_OBJECT
 public:
  using CPage::CPage;
  pv::CreatePageValues values;
  // Fresh name and folders for a project, as at start and for a new project.
  void setupPage(const std::string& projectsFolder) {
    pv::setupCreatePage(values, projectsFolder);
    refresh();
  }
  // Brings the page up to date with the settings pages when it is shown.
  void refresh() {}
  // "Projekt erstellen", also run by the main window's create button.
  void create() {}
};
