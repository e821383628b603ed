#pragma once
// Preset files: listing them for the selection tree, applying one to the
// pages, and choosing a project type.
#include <string>
#include <vector>

#include "settings/PageValues.h"

namespace pv {

struct AppState;

// The file of a preset number: configFolder + number + ".config".
std::string presetPath(const ProjectSettings& settings, int number);

struct PresetNode {
  std::string text;  // as the tree shows it
  int number = 0;    // LANG ID
};
struct PresetFamily {
  int groupNumber = 0;
  std::string label;
  std::vector<PresetNode> presets;
};
// The families in tree order, each with its installed presets (the gallery
// families by file pattern, sorted by name; 3001 and 2001..2003 listed
// whether they exist or not).
std::vector<PresetFamily> presetTree(const std::string& configFolder);
// One tree node from a preset file.
PresetNode presetNode(const std::string& presetFile);

struct PresetLoad {
  bool collectionCleared = false;  // albums were forbidden: everything went
};
// Applies preset number to the pages and the settings record.
PresetLoad loadPreset(AppState& state, int number, ImagePageValues& image, ProjectPageValues& project);

// What the information browser shows after a selection.
enum class InfoView { NewsPage, InfoPage, Preview };
struct ProjectTypeSelection {
  InfoView view = InfoView::NewsPage;
  std::string infoPage;  // InfoPage: the installed page to show
  PresetLoad load;
};
// What the information browser shows for tree node n (load left empty).
ProjectTypeSelection projectTypeView(const ProjectSettings& settings, int n);
// Selecting tree node n: sets presetNumber, applies the preset and adapts the
// two settings pages to the project type. The window adds the browser and
// the output page's hint; picovand-cli takes exactly this path as well.
ProjectTypeSelection selectProjectType(AppState& state, int n, ImagePageValues& image, ProjectPageValues& project);

// The installed information page of a number: resources/DE/<n>.html.
std::string infoPagePath(const ProjectSettings& settings, int n);

}  // namespace pv
