#pragma once
// "Projektauswahl": the tree of project types and presets, and the browser
// that shows what the selected one is.
#include <string>

#include "settings/Presets.h"
#include "ui/Page.h"

class CExplorer1;
class QTreeWidget;
class QTreeWidgetItem;
struct Pages;

namespace pv {
struct AppState;
}

class CTabProject : public CPage {
  Q_OBJECT
 public:
  CTabProject(pv::AppState& state, Pages& pages, const SharedPictures& pictures, Desktop& desktop,
              QWidget* parent = nullptr);

  // The root, the families in their order and the installed presets under them.
  void buildTypeTree();
  // Applies a preset to the settings pages without choosing a project type
  // (preset 0 at start).
  void loadPreset(int number);
  // New project: the root selected (nothing chosen), every family collapsed.
  void selectRoot();
  // An opened project: its preset selected in the tree and shown as
  // selecting it shows it, with the values already in the pages kept.
  void showProjectType(int number);

  QTreeWidget* tree() const { return tree_; }
  CExplorer1* browser() const { return browser_; }
  // What the browser shows while nothing is chosen.
  std::string newsPage() const;

 private:
  void nodeSelected(int number);
  void showTypeInfo(int number, const pv::ProjectTypeSelection& sel);
  void presetApplied(const pv::PresetLoad& load);

  pv::AppState& state_;
  Pages& pages_;
  QTreeWidget* tree_;
  CExplorer1* browser_;
  QTreeWidgetItem* root_ = nullptr;
};
