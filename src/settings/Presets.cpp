#include "settings/Presets.h"

#include "state/AppState.h"
#include "util/FileSystem.h"
#include "settings/Fields.h"
#include "settings/Ini.h"
#include "util/Text.h"

namespace pv {

std::string presetPath(const ProjectSettings& settings, int number) {
  return settings.configFolder + std::to_string(number) + ".config";
}

std::string infoPagePath(const ProjectSettings& settings, int n) {
  return settings.resourceFolder + "DE/" + std::to_string(n) + ".html";
}

PresetNode presetNode(const std::string& presetFile) {
  IniFile ini = IniFile::load(presetFile);
  PresetNode node;
  std::string label = ini.text("LANG", "DE", "n/a");
  node.number = ini.integer("LANG", "ID", 0);
  int x = ini.integer("PROJECT", "IMAGEX", 1);
  int y = ini.integer("PROJECT", "IMAGEY", 0);
  if (!ini.text("COLFONTS", "BORDERCOLOR", " ").empty() || !ini.text("COLFONTS", "BACKGROUNDCOLOR", " ").empty())
    label += " [Benutzerdefinierbare Farben]";
  node.text = x > 1 && y > 1 ? format("%s (%dx%d)", label.c_str(), x, y) : label;
  return node;
}

std::vector<PresetFamily> presetTree(const std::string& configFolder) {
  std::vector<PresetFamily> tree;
  for (const FamilyNode& f : kFamilyNodes) {
    PresetFamily family{f.groupNumber, f.label, {}};
    if (f.groupNumber == 3000) {
      family.presets.push_back(presetNode(configFolder + "3001.config"));
    } else if (f.groupNumber == 2000) {
      for (const char* n : {"2001.config", "2002.config", "2003.config"})
        family.presets.push_back(presetNode(configFolder + n));
    } else {
      // "N???.config": four characters beginning with the family digit. The
      // group's own file (N000.config) matches too but is the family node.
      char digit = char('0' + f.groupNumber / 1000);
      for (const DirEntry& e : listDirectory(configFolder))
        if (!e.isDirectory && e.name.size() == 11 && e.name[0] == digit && endsWithNoCase(e.name, ".config") &&
            e.name.compare(1, 3, "000") != 0)
          family.presets.push_back(presetNode(configFolder + e.name));
    }
    tree.push_back(std::move(family));
  }
  return tree;
}

namespace {

// The switches of the settings table that a preset may turn on or off.
void applyPresetSwitches(const IniFile& ini, PageRecords records) {
  for (const Field& f : settingsFields()) {
    if (!f.preset) continue;
    const std::string_view place = f.preset;
    const size_t slash = place.find('/');
    const std::string_view section = place.substr(0, slash), key = place.substr(slash + 1);
    if (ini.has(section, key)) *std::get<bool*>(f.value(records)) = ini.integer(section, key, 0) != 0;
  }
}

}  // namespace

PresetLoad loadPreset(AppState& state, int number, ImagePageValues& image, ProjectPageValues& project) {
  ProjectSettings& s = state.settings;
  const bool albumsBefore = s.albumsAllowed;
  IniFile ini = IniFile::load(presetPath(s, number));

  s.presetName = ini.text("LANG", "DE", "n/a");
  s.albumsAllowed = ini.integer("FOLDER", "SUB", 0) != 0;

  static const char* const enableKeys[3] = {"ENABLEA", "ENABLEB", "ENABLEC"};
  static const char* const widthKeys[3] = {"SIZEAX", "SIZEBX", "SIZECX"};
  static const char* const heightKeys[3] = {"SIZEAY", "SIZEBY", "SIZECY"};
  for (int i = 0; i < 3; ++i) {
    SizeRow& r = image.sizes[i];
    r.rowEnabled = r.fieldsEnabled = ini.integer("IMAGE", enableKeys[i], 0) != 0;
    r.width = ini.integer("IMAGE", widthKeys[i], 0);
    r.height = ini.integer("IMAGE", heightKeys[i], 0);
    r.choice = r.width != 0 && r.height != 0 ? 1 : 0;
  }
  // A preset may name its format; without the key it returns to JPEG.
  image.format = ini.integer("IMAGE", "FORMAT", 0);
  clampField(settingsField("format"), image.format);
  image.formatEnabled = ini.integer("IMAGE", "ENABLEFORMAT", 0) != 0;

  project.columns = ini.integer("PROJECT", "IMAGEX", 1);
  project.rowsPerPage = ini.integer("PROJECT", "IMAGEY", 0);
  project.tableSizeEnabled = ini.integer("PROJECT", "ENABLEXY", 0) != 0;
  project.ownWebPageEnabled = ini.integer("PROJECT", "ENABLETEMPLATE", 0) != 0;
  project.ownWebPage.clear();

  project.tableWidthEnabled = ini.integer("TABLE", "ENABLEWIDTH", 0) != 0;
  project.tableBorderEnabled = ini.integer("TABLE", "ENABLEBORDER", 0) != 0;
  project.cellPaddingEnabled = ini.integer("TABLE", "ENABLEPADDING", 0) != 0;
  project.cellSpacingEnabled = ini.integer("TABLE", "ENABLESPACING", 0) != 0;
  project.tableWidth = ini.integer("TABLE", "WIDTH", 0);
  project.tableBorder = ini.integer("TABLE", "BORDER", 0);
  project.cellPadding = ini.integer("TABLE", "PADDING", 0);
  project.cellSpacing = ini.integer("TABLE", "SPACING", 0);

  const bool coloursFree = ini.integer("COLFONTS", "ENABLE", 0) != 0;
  for (int row = 0; row < kStyleRowCount; ++row) {
    StyleValue& v = project.style[row];
    if (coloursFree) {
      v.value = ini.text("COLFONTS", styleKey(StyleRow(row)), kStandard);
      if (v.value.empty()) v.value = kStandard;
      v.enabled = true;
    } else {
      std::string preset = ini.text("COLFONTS", styleKey(StyleRow(row)), " ");
      v.enabled = !preset.empty();
      v.value = preset.empty() ? kStandard : preset;
    }
  }

  const bool slideshow = ini.integer("JAVA", "ENABLE", 0) != 0;
  project.slideshowEnabled = slideshow;
  project.crossFade = slideshow;
  project.displayTime = 5000;

  s.noHomeFragment = ini.text("WEBALB", "NOHOME", "");
  s.noUpFragment = ini.text("WEBALB", "NOUP", "");

  applyPresetSwitches(ini, {&image, &project});

  PresetLoad result;
  if (albumsBefore && !s.albumsAllowed) {
    bool anyAlbum = false;
    for (auto& item : state.items.list) anyAlbum = anyAlbum || item->isAlbum;
    if (anyAlbum) {
      state.items.clear();
      result.collectionCleared = true;
    }
  }
  return result;
}

ProjectTypeSelection projectTypeView(const ProjectSettings& settings, int n) {
  ProjectTypeSelection sel;
  if (n == 0) return sel;
  if (isOwnTemplate(n) || isGroupNode(n) || n == 3001) {
    sel.view = InfoView::InfoPage;
    sel.infoPage = infoPagePath(settings, n);
  } else {
    sel.view = InfoView::Preview;
  }
  return sel;
}

ProjectTypeSelection selectProjectType(AppState& state, int n, ImagePageValues& image, ProjectPageValues& project) {
  ProjectTypeSelection sel = projectTypeView(state.settings, n);
  state.settings.presetNumber = n;
  if (n == 0) return sel;
  sel.load = loadPreset(state, n, image, project);

  project.noScript = false;
  project.noScriptEnabled = !isJavaScriptFreeForbidden(n);

  auto fieldsFollowWidth = [](SizeRow& r) {
    if (r.width == 0) {
      r.choice = 0;
      r.fieldsEnabled = false;
    } else {
      r.fieldsEnabled = true;
    }
  };
  if (n == 2001 || n == 2002 || n == 2003 || n == 3001) fieldsFollowWidth(image.sizes[kSizeA]);
  if (!(n >= 6001 && n <= 6999) && !(n >= 7001 && n <= 7999)) fieldsFollowWidth(image.sizes[kSizeB]);
  fieldsFollowWidth(image.sizes[kSizeC]);

  setImagePageHint(image, n);
  return sel;
}

}  // namespace pv
