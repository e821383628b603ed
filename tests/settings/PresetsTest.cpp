#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/Fields.h"
#include "settings/Presets.h"

using namespace pv;

namespace {

// A program folder of its own, with preset files written by the test.
struct PresetFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  std::unique_ptr<AppState> state;
  ImagePageValues image;
  ProjectPageValues project;

  void SetUp() override {
    std::filesystem::create_directories(dir.path() + "prog/resources/CONFIG");
    state = std::make_unique<AppState>(pvtest::scratchEnvironment(dir, dir.path() + "prog/"));
  }
  void preset(int number, const std::string& text) {
    dir.write("prog/resources/CONFIG/" + std::to_string(number) + ".config", text);
  }
  void addImages(int n, const std::string& album = "/") {
    for (int i = 0; i < n; ++i) {
      auto item = std::make_unique<CollectionItem>();
      item->name = "img" + std::to_string(i) + ".jpg";
      item->albumPath = album;
      state->items.list.push_back(std::move(item));
    }
  }
};

}  // namespace

TEST_F(PresetFixture, MissingPresetDisablesEverything) {
  image.sizes[0].rowEnabled = image.formatEnabled = project.tableSizeEnabled = true;
  loadPreset(*state, 0, image, project);
  EXPECT_EQ(state->settings.presetName, "n/a");
  EXPECT_FALSE(state->settings.albumsAllowed);
  for (const SizeRow& r : image.sizes) EXPECT_FALSE(r.rowEnabled || r.fieldsEnabled);
  EXPECT_FALSE(image.formatEnabled);
  EXPECT_FALSE(project.tableSizeEnabled || project.tableWidthEnabled || project.slideshowEnabled);
  for (const StyleValue& s : project.style) {
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.value, kStandard);
  }
  EXPECT_EQ(project.columns, 1);
  EXPECT_EQ(project.rowsPerPage, 0);
}

TEST_F(PresetFixture, SizesTableAndSlideshowKeys) {
  preset(1001,
         "[LANG]\nDE=Klassisch\nID=1001\n[FOLDER]\nSUB=1\n[IMAGE]\nENABLEA=0\nENABLEB=1\nSIZEAX=120\nSIZEAY=0\n"
         "SIZEBX=640\nSIZEBY=480\nENABLEFORMAT=1\n[PROJECT]\nIMAGEX=4\nIMAGEY=3\nENABLEXY=1\nENABLETEMPLATE=1\n"
         "[TABLE]\nENABLEWIDTH=1\nWIDTH=800\nBORDER=2\n[JAVA]\nENABLE=1\n[WEBALB]\nNOHOME= <a href=\"x\">home</a> \n");
  image.format = 3;
  project.ownWebPage = "/old/page.html";
  project.displayTime = 9000;
  loadPreset(*state, 1001, image, project);
  EXPECT_EQ(state->settings.presetName, "Klassisch");
  EXPECT_TRUE(state->settings.albumsAllowed);
  EXPECT_EQ(image.sizes[kSizeA].width, 120);
  EXPECT_EQ(image.sizes[kSizeA].choice, 0);  // "(Kein Bild)": the height is 0
  EXPECT_FALSE(image.sizes[kSizeA].rowEnabled);
  EXPECT_EQ(image.sizes[kSizeB].choice, 1);  // "(Benutzer)"
  EXPECT_TRUE(image.sizes[kSizeB].rowEnabled);
  EXPECT_EQ(image.format, 0);
  EXPECT_TRUE(image.formatEnabled);
  EXPECT_EQ(project.columns, 4);
  EXPECT_EQ(project.rowsPerPage, 3);
  EXPECT_TRUE(project.tableSizeEnabled);
  EXPECT_TRUE(project.ownWebPageEnabled);
  EXPECT_EQ(project.ownWebPage, "");
  EXPECT_TRUE(project.tableWidthEnabled);
  EXPECT_FALSE(project.tableBorderEnabled);
  EXPECT_EQ(project.tableWidth, 800);
  EXPECT_EQ(project.tableBorder, 2);
  EXPECT_TRUE(project.crossFade);
  EXPECT_TRUE(project.slideshowEnabled);
  EXPECT_EQ(project.displayTime, 5000);
  EXPECT_EQ(state->settings.noHomeFragment, "<a href=\"x\">home</a>");
  EXPECT_EQ(state->settings.noUpFragment, "");
}

// Every switch the field table lets a preset set, whatever fields exist.
TEST_F(PresetFixture, PresetKeysSetTheSwitchesAndTheirAbsenceKeepsTheUsersChoice) {
  std::vector<const Field*> switches;
  std::string on = "[IMAGE]\nFORMAT=4\n", off;
  for (const Field& f : settingsFields()) {
    if (!f.preset) continue;
    ASSERT_EQ(f.kind, FieldKind::Switch) << f.name;
    switches.push_back(&f);
    const std::string place = f.preset, section = place.substr(0, place.find('/')),
                      key = place.substr(place.find('/') + 1);
    on += "[" + section + "]\n" + key + "=1\n";
    off += "[" + section + "]\n" + key + "=0\n";
  }
  ASSERT_GE(switches.size(), 2u);
  auto flag = [&](const Field* f) { return *std::get<bool*>(f->value({&image, &project})); };

  preset(1001, "[LANG]\nDE=Ohne\n");
  preset(1004, on);
  preset(1005, off);
  preset(1006, "[IMAGE]\nFORMAT=99\n");
  setStartValues(FieldPage::Image, {&image, &project});
  setStartValues(FieldPage::Project, {&image, &project});
  loadPreset(*state, 1001, image, project);
  for (const Field* f : switches) EXPECT_FALSE(flag(f)) << f->name;
  EXPECT_EQ(image.format, 0);

  loadPreset(*state, 1004, image, project);
  for (const Field* f : switches) EXPECT_TRUE(flag(f)) << f->name;
  EXPECT_EQ(image.format, 4);
  // A preset that says nothing of them leaves the switches as they were
  // (a location switch the user turned on stays on); the format returns to JPEG.
  loadPreset(*state, 1001, image, project);
  for (const Field* f : switches) EXPECT_TRUE(flag(f)) << f->name;
  EXPECT_EQ(image.format, 0);
  loadPreset(*state, 1005, image, project);
  for (const Field* f : switches) EXPECT_FALSE(flag(f)) << f->name;
  // A format beyond the list is the last entry, as typing it would give.
  loadPreset(*state, 1006, image, project);
  EXPECT_EQ(image.format, settingsField("format").hi);
}

TEST_F(PresetFixture, ColourRowsFollowTheColourFlag) {
  preset(1002, "[COLFONTS]\nENABLE=0\nTEXTCOLOR=#FF0000\nLINKCOLOR=   \n");
  loadPreset(*state, 1002, image, project);
  for (int row = 0; row < kStyleRowCount; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(project.style[row].enabled, row == kTextColourRow);
    EXPECT_EQ(project.style[row].value, row == kTextColourRow ? "#FF0000" : kStandard);
  }
  preset(1003, "[COLFONTS]\nENABLE=1\nTEXTSIZE=\n");
  loadPreset(*state, 1003, image, project);
  for (const StyleValue& s : project.style) {
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.value, kStandard);
  }
  state->settings.presetNumber = 1002;
  EXPECT_EQ(standardStyleValue(state->settings, kTextColourRow), "#FF0000");
  EXPECT_EQ(standardStyleValue(state->settings, kLinkColourRow), kStandard);
}

TEST_F(PresetFixture, AlbumSwitchClearsOnlyWhenAlbumsExist) {
  preset(1001, "[FOLDER]\nSUB=1\n");
  preset(4001, "[FOLDER]\nSUB=0\n");
  loadPreset(*state, 1001, image, project);
  addImages(2);
  EXPECT_FALSE(loadPreset(*state, 4001, image, project).collectionCleared);
  EXPECT_EQ(state->items.size(), 2u);  // no album: the images stay
  loadPreset(*state, 1001, image, project);
  state->items.addAlbum("/", "A");
  addImages(1, "/A");
  loadPreset(*state, 1001, image, project);  // albums to albums: kept
  EXPECT_EQ(state->items.size(), 4u);
  EXPECT_TRUE(loadPreset(*state, 4001, image, project).collectionCleared);
  EXPECT_EQ(state->items.size(), 0u);
  addImages(1);
  loadPreset(*state, 1001, image, project);  // forbidden to allowed keeps the collection
  EXPECT_EQ(state->items.size(), 1u);
}

TEST_F(PresetFixture, TreeListsFamiliesInOrderWithLabels) {
  preset(1001, "[LANG]\nDE=Raster\nID=1001\n[PROJECT]\nIMAGEX=3\nIMAGEY=4\n[COLFONTS]\nBACKGROUNDCOLOR=#FFFFFF\n");
  preset(1002, "[LANG]\nDE=Schmal\nID=1001\n[PROJECT]\nIMAGEX=1\nIMAGEY=4\n");
  preset(2001, "[LANG]\nDE=Eigene Alben\nID=2001\n");
  preset(4001, "[LANG]\nDE=Diashow Hell\nID=4001\n");
  dir.write("prog/resources/CONFIG/10011.config", "[LANG]\nDE=too long a name\n");
  preset(1000, "[LANG]\nDE=Webalbum ohne Diashow\nID=1000\n");  // the family node's own file

  auto tree = presetTree(state->settings.configFolder);
  ASSERT_EQ(tree.size(), 7u);
  std::vector<int> groups;
  for (auto& f : tree) groups.push_back(f.groupNumber);
  EXPECT_EQ(groups, (std::vector<int>{1000, 7000, 4000, 5000, 6000, 3000, 2000}));
  ASSERT_EQ(tree[0].presets.size(), 2u);
  EXPECT_EQ(tree[0].presets[0].text, "Raster [Benutzerdefinierbare Farben] (3x4)");
  EXPECT_EQ(tree[0].presets[1].text, "Schmal");
  EXPECT_EQ(tree[0].presets[1].number, 1001);  // the node carries LANG ID, not the file name
  EXPECT_EQ(tree[2].presets.size(), 1u);
  ASSERT_EQ(tree[5].presets.size(), 1u);  // 3001 listed although missing
  EXPECT_EQ(tree[5].presets[0].text, "n/a");
  EXPECT_EQ(tree[5].presets[0].number, 0);
  ASSERT_EQ(tree[6].presets.size(), 3u);
  EXPECT_EQ(tree[6].presets[0].text, "Eigene Alben");
}

TEST_F(PresetFixture, SelectingAProjectTypeAdaptsThePages) {
  preset(5001, "[IMAGE]\nENABLEA=1\nENABLEB=1\nENABLEC=1\nSIZEAX=640\nSIZEAY=480\n");
  project.noScript = true;
  auto sel = selectProjectType(*state, 5001, image, project);
  EXPECT_EQ(state->settings.presetNumber, 5001);
  EXPECT_EQ(sel.view, InfoView::Preview);
  EXPECT_FALSE(project.noScript);
  EXPECT_FALSE(project.noScriptEnabled);
  EXPECT_TRUE(image.sizes[kSizeA].fieldsEnabled);  // A is not adjusted for this family
  EXPECT_FALSE(image.sizes[kSizeB].fieldsEnabled);  // width 0
  EXPECT_EQ(image.sizes[kSizeB].choice, 0);
  EXPECT_TRUE(image.sizes[kSizeB].rowEnabled);  // the choice itself stays usable
  EXPECT_EQ(image.illustration, Illustration::ScriptSlideshow);

  sel = selectProjectType(*state, 1000, image, project);
  EXPECT_EQ(sel.view, InfoView::InfoPage);
  EXPECT_EQ(sel.infoPage, dir.path() + "prog/resources/DE/1000.html");
  EXPECT_TRUE(project.noScriptEnabled);

  preset(3001, "[IMAGE]\nENABLEA=1\nSIZEAX=0\n");
  selectProjectType(*state, 3001, image, project);
  EXPECT_FALSE(image.sizes[kSizeA].fieldsEnabled);
  EXPECT_NE(image.hintText.find("Serienkonvertierung"), std::string::npos);

  state->settings.presetName = "unchanged";
  sel = selectProjectType(*state, 0, image, project);
  EXPECT_EQ(sel.view, InfoView::NewsPage);
  EXPECT_EQ(state->settings.presetNumber, 0);
  EXPECT_EQ(state->settings.presetName, "unchanged");  // the root loads no preset
}
