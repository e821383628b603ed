// The installed preset files: only known keys, sizes as their family needs
// them, and every preset reachable and loadable through the selection tree.
#include <algorithm>
#include <map>

#include "DataSupport.h"
#include "state/AppState.h"
#include "pages/Template.h"
#include "settings/Fields.h"
#include "settings/Ini.h"
#include "settings/Presets.h"

using namespace pv;
using pvdata::iniLines;
using pvdata::resources;

namespace {

const std::map<std::string, std::set<std::string>> kKnownKeys = {
    {"LANG", {"DE", "ID"}},
    {"FOLDER", {"SUB"}},
    {"IMAGE",
     {"ENABLEA", "ENABLEB", "ENABLEC", "SIZEAX", "SIZEAY", "SIZEBX", "SIZEBY", "SIZECX", "SIZECY", "ENABLEFORMAT",
      "FORMAT"}},
    {"PROJECT", {"IMAGEX", "IMAGEY", "ENABLEXY", "ENABLETEMPLATE"}},
    {"TABLE",
     {"ENABLEWIDTH", "ENABLEBORDER", "ENABLEPADDING", "ENABLESPACING", "WIDTH", "BORDER", "PADDING", "SPACING"}},
    {"COLFONTS", {"ENABLE", "BORDERCOLOR", "BACKGROUNDCOLOR", "TEXTFONT", "TEXTCOLOR", "LINKCOLOR", "TEXTSIZE"}},
    {"JAVA", {"ENABLE"}},
    {"WEBALB", {"NOHOME", "NOUP"}},
};

// A switch of the settings table that presets may set.
const Field* switchKey(const std::string& place) {
  for (const Field& f : settingsFields())
    if (f.preset && place == f.preset) return &f;
  return nullptr;
}

std::string presetFile(int n) { return resources() + "CONFIG/" + std::to_string(n) + ".config"; }

struct Loaded {
  pvtest::ScratchDir dir;
  std::unique_ptr<AppState> state;
  ImagePageValues image;
  ProjectPageValues project;
  ProjectTypeSelection selection;
  explicit Loaded(int n) : state(std::make_unique<AppState>(pvtest::scratchEnvironment(dir))) {
    selection = selectProjectType(*state, n, image, project);
  }
};

// What the family table says of the three sizes: 'F' fixed by the preset,
// 'U' free for the user, '-' not available.
std::string sizeRule(int n) {
  switch (n / 1000) {
    case 1: case 4: case 5: return "FU-";
    case 6: case 7: return "FFU";
    case 3: return "UUU";
    case 2: return "UU-";
    default: return "";
  }
}

}  // namespace

TEST(DataPresets, EveryFileUsesOnlyKnownKeysOnceAndNamesItself) {
  std::vector<int> numbers = pvdata::configNumbers();
  for (int n : numbers) {
    SCOPED_TRACE(n);
    std::set<std::string> seen;
    for (const auto& l : iniLines(pvdata::readText(presetFile(n)))) {
      auto section = kKnownKeys.find(l.section);
      ASSERT_NE(section, kKnownKeys.end()) << "section " << l.section;
      EXPECT_TRUE(section->second.count(l.key) || switchKey(l.section + "/" + l.key)) << l.section << " " << l.key;
      EXPECT_TRUE(seen.insert(l.section + "/" + l.key).second) << "twice: " << l.section << " " << l.key;
      EXPECT_LE(l.value.size(), kMaxProfileValue) << l.key;
    }
    IniFile ini = IniFile::load(presetFile(n));
    EXPECT_EQ(ini.integer("LANG", "ID", -1), n);
    EXPECT_NE(ini.text("LANG", "DE", "n/a"), "n/a");
  }
  // The start file, the seven family nodes, the fixed own-page and batch
  // presets, and at least three presets in each gallery family.
  for (int n : {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 2001, 2002, 2003, 3001})
    EXPECT_TRUE(fileExists(presetFile(n))) << n;
  for (int family : {1, 4, 5, 6, 7})
    for (int k = 1; k <= 3; ++k) EXPECT_TRUE(fileExists(presetFile(family * 1000 + k))) << family * 1000 + k;
}

TEST(DataPresets, SizesFollowTheFamilyTable) {
  for (int n : pvdata::configNumbers()) {
    if (n % 1000 == 0) continue;
    SCOPED_TRACE(n);
    Loaded l(n);
    const std::string rule = sizeRule(n);
    for (int i = 0; i < 3; ++i) {
      const SizeRow& r = l.image.sizes[i];
      SCOPED_TRACE(std::string("size ") + char('A' + i));
      if (rule[i] == 'F') {
        EXPECT_FALSE(r.rowEnabled);
        EXPECT_GT(r.width, 0);
        EXPECT_GT(r.height, 0);
      } else if (rule[i] == 'U') {
        EXPECT_TRUE(r.rowEnabled);
      } else {
        EXPECT_FALSE(r.rowEnabled);
        EXPECT_EQ(r.width, 0);
      }
    }
    // Every gallery shows size A; a preset without it would build nothing.
    EXPECT_GT(l.image.sizes[kSizeA].width, 0);
    EXPECT_GT(l.image.sizes[kSizeA].height, 0);
  }
}

TEST(DataPresets, OptionsBelongToTheFamiliesThatUseThem) {
  std::set<bool> colfontsEnable, albums, tableSizeFree, fragmentsSet;
  for (int n : pvdata::configNumbers()) {
    if (n % 1000 == 0) continue;
    SCOPED_TRACE(n);
    Loaded l(n);
    IniFile ini = IniFile::load(presetFile(n));
    const bool own = isOwnTemplate(n);
    const bool slideshow = n / 1000 == 5 || n == 2003;
    EXPECT_EQ(l.project.ownWebPageEnabled, own);
    EXPECT_EQ(l.project.tableWidthEnabled || l.project.tableBorderEnabled || l.project.cellPaddingEnabled ||
                  l.project.cellSpacingEnabled,
              own)
        << "only own pages have a table with these attributes";
    if (!slideshow) { EXPECT_FALSE(l.project.slideshowEnabled) << "nothing else plays a slideshow"; }
    const bool hasAlbumTree = n / 1000 == 1 || n / 1000 == 7 || n == 2001 || n == 3001;
    if (!hasAlbumTree) { EXPECT_FALSE(l.state->settings.albumsAllowed) << "its writer treats every record as an image"; }
    if (n / 1000 != 1) { EXPECT_FALSE(ini.has("WEBALB", "NOHOME") || ini.has("WEBALB", "NOUP")); }
    EXPECT_GE(l.project.columns, 1);
    if (n / 1000 == 1 || n / 1000 == 7 || n == 2001) {
      EXPECT_GT(l.project.columns * l.project.rowsPerPage, 0) << "album pages need a table size";
      tableSizeFree.insert(l.project.tableSizeEnabled);
      albums.insert(l.state->settings.albumsAllowed);
    }
    if (n / 1000 == 1 && l.state->settings.albumsAllowed) fragmentsSet.insert(!l.state->settings.noHomeFragment.empty());
    colfontsEnable.insert(ini.integer("COLFONTS", "ENABLE", 0) != 0);
    for (const StyleValue& v : l.project.style)
      if (v.value != kStandard && v.value.front() == '#') { EXPECT_TRUE(parseColourText(v.value)) << v.value; }
  }
  // The installed set shows each way of using these keys.
  EXPECT_EQ(colfontsEnable.size(), 2u);
  EXPECT_EQ(albums.size(), 2u);
  EXPECT_EQ(tableSizeFree.size(), 2u);
  EXPECT_TRUE(fragmentsSet.count(true));
  bool fading = false, steady = false;
  for (int n : {5001, 5002, 5003}) (Loaded(n).project.crossFade ? fading : steady) = true;
  EXPECT_TRUE(fading && steady);
}

TEST(DataPresets, FamilyNodesKeepTheProjectAndBuildNothing) {
  for (int n : {1000, 2000, 3000, 4000, 5000, 6000, 7000}) {
    SCOPED_TRACE(n);
    Loaded l(1001);
    auto item = std::make_unique<CollectionItem>();
    item->isAlbum = true;
    item->name = "Urlaub";
    l.state->items.list.push_back(std::move(item));
    ProjectTypeSelection node = selectProjectType(*l.state, n, l.image, l.project);
    EXPECT_FALSE(node.load.collectionCleared) << "looking at a family must not empty the project";
    EXPECT_EQ(l.image.sizes[kSizeA].width, 0) << "a family node is no preset";
    EXPECT_EQ(node.view, InfoView::InfoPage);
    EXPECT_TRUE(fileExists(node.infoPage)) << node.infoPage;
  }
  Loaded start(0);
  loadPreset(*start.state, 0, start.image, start.project);
  EXPECT_TRUE(start.state->settings.albumsAllowed);
  EXPECT_EQ(start.state->settings.presetName, "Corvane Pico Vand");
}

TEST(DataPresets, TreeListsEveryPresetUnderItsFamilyWithInformation) {
  pvtest::ScratchDir dir;
  AppState state(pvtest::scratchEnvironment(dir));
  std::vector<PresetFamily> tree = presetTree(state.settings.configFolder);
  ASSERT_EQ(tree.size(), 7u);
  std::set<int> listed;
  for (const PresetFamily& f : tree) {
    SCOPED_TRACE(f.label);
    EXPECT_FALSE(f.presets.empty());
    for (const PresetNode& node : f.presets) {
      EXPECT_EQ(node.number / 1000, f.groupNumber / 1000) << node.text;
      EXPECT_NE(node.number % 1000, 0) << "the family's own file is the family node: " << node.text;
      EXPECT_TRUE(listed.insert(node.number).second) << "listed twice: " << node.number;
      EXPECT_EQ(node.text.find("n/a"), std::string::npos);
    }
  }
  for (int n : pvdata::configNumbers())
    if (n % 1000 != 0) { EXPECT_TRUE(listed.count(n)) << n; }

  // Selecting a node shows its information page or the preview of its
  // sample picture.
  for (int n : listed) {
    SCOPED_TRACE(n);
    Loaded l(n);
    if (l.selection.view == InfoView::InfoPage) {
      EXPECT_TRUE(fileExists(l.selection.infoPage));
    } else {
      ASSERT_EQ(l.selection.view, InfoView::Preview);
      std::string page = pvdata::readText(writePresetPreview(l.state->settings));
      EXPECT_NE(page.find(l.state->settings.presetName), std::string::npos);
      EXPECT_EQ(page.find("##"), std::string::npos);
      EXPECT_EQ(page.find("../IMAGES/"), std::string::npos);
      EXPECT_NE(page.find(resources() + "IMAGES/" + std::to_string(n) + ".jpg"), std::string::npos);
    }
  }
}

TEST(DataPresets, AlbumTemplatesGiveOneSlotForAnyTableSize) {
  // The page repeats the one marked slot for each of its entries, so any
  // table size the user chooses shows every entry and no empty slot; the
  // grid learns the columns from the page.
  for (int n : pvdata::galleryPresets()) {
    if (n / 1000 != 1 && n / 1000 != 7) continue;
    SCOPED_TRACE(n);
    const std::string page = pvdata::readText(resources() + "DRAFTS/" + std::to_string(n) + "/webalb.html");
    EXPECT_EQ(pvdata::matches(page, std::regex("PCV_[0-9]{3}")), std::set<std::string>{"PCV_000"});
    EXPECT_TRUE(std::regex_search(page, std::regex("<!--PCV_SLOT-->[^]*PCV_000[^]*PCV_000_COMMENT[^]*<!--/PCV_SLOT-->")));
    EXPECT_NE(page.find("--cols: CORVANE_PICOVAND_COLUMNS"), std::string::npos);
    EXPECT_EQ(pvdata::readText(presetFile(n)).find("Bildfelder"), std::string::npos);
  }
}

TEST(DataPresets, PresetsForTodaysScreensFillThemWriteWebPAndSwitchEveryPresetOptionOn) {
  for (int n : {1004, 7004, 4004, 5004, 6004}) {
    SCOPED_TRACE(n);
    Loaded l(n);
    for (const Field& f : settingsFields())
      if (f.preset) { EXPECT_TRUE(*std::get<bool*>(f.value({&l.image, &l.project}))) << f.name; }
    // The photo the viewer opens, the largest size, fills a 1920-pixel screen.
    int widest = 0;
    for (const SizeRow& r : l.image.sizes) widest = std::max(widest, r.width);
    EXPECT_GE(widest, 1920);
    // WebP, and the format stays open for whoever wants JPEG.
    EXPECT_EQ(l.image.format, kWebp);
    EXPECT_TRUE(l.image.formatEnabled);
    const std::string page = pvdata::readText(resources() + "DRAFTS/" + std::to_string(n) + "/" +
                                              pvdata::templateNames(n).back());
    EXPECT_NE(page.find("window.PicoVand_openimg = "), std::string::npos) << "the viewer takes over the opener";
  }
}
