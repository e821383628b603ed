#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/Ini.h"

using namespace pv;

TEST(AppState, FoldersAreFoundAndCreated) {
  pvtest::ScratchDir dir;
  AppState state({dir.path() + "prog", dir.path() + "home", "", ""});
  const ProjectSettings& s = state.settings;
  EXPECT_EQ(s.programFolder, dir.path() + "prog/");
  EXPECT_EQ(s.configFolder, dir.path() + "prog/resources/CONFIG/");
  EXPECT_EQ(s.draftsFolder, dir.path() + "prog/resources/DRAFTS/");
  EXPECT_EQ(s.ctrlFolder, dir.path() + "prog/resources/CTRL/");
  EXPECT_EQ(s.projectsFolder, dir.path() + "home/Documents/Corvane Pico Vand/");
  EXPECT_EQ(s.appDataFolder, dir.path() + "home/.local/share/Corvane/Pico Vand/");
  EXPECT_EQ(s.configIniPath, s.appDataFolder + "config.ini");
  EXPECT_TRUE(directoryExists(s.projectsFolder));
  EXPECT_TRUE(directoryExists(s.appDataFolder));
  EXPECT_TRUE(s.albumsAllowed);
  EXPECT_EQ(s.presetNumber, 0);
  EXPECT_EQ(state.watermarkTransparency, 150);
  EXPECT_EQ(state.watermarkSizePercent, 50);

  AppState xdg({dir.path() + "prog/", dir.path() + "home", dir.path() + "docs/", dir.path() + "data"});
  EXPECT_EQ(xdg.settings.projectsFolder, dir.path() + "docs/Corvane Pico Vand/");
  EXPECT_EQ(xdg.settings.appDataFolder, dir.path() + "data/Corvane/Pico Vand/");
}

TEST(AppState, ReadsConfigIni) {
  pvtest::ScratchDir dir;
  std::string ini = dir.write("home/.local/share/Corvane/Pico Vand/config.ini",
                              "[IPTC]\ntitle=Titel\nCAPTION=<IMAGE>\nAUTHOR=Ich\nCOPYRIGHT=(c) 2026\n"
                              "JPEGCOMMENT=Kommentar\n[FOLDER]\nPROJECT=/srv/web\n");
  AppState state(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(state.iptcTitle, "Titel");
  EXPECT_EQ(state.iptcCaption, "<IMAGE>");
  EXPECT_EQ(state.iptcAuthor, "Ich");
  EXPECT_EQ(state.iptcCopyright, "(c) 2026");
  EXPECT_EQ(state.jpegComment, "Kommentar");
  EXPECT_EQ(state.settings.projectsFolder, "/srv/web/");

  writeProfileString(ini, "FOLDER", "PROJECT", "   ");
  AppState blank(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(blank.settings.projectsFolder, dir.path() + "home/Documents/Corvane Pico Vand/");
}

TEST(AppState, SecondInstanceIsRefused) {
  pvtest::ScratchDir dir;
  AppState state(pvtest::scratchEnvironment(dir));
  {
    InstanceLock first(state.settings.appDataFolder);
    ASSERT_TRUE(first.ok());
    InstanceLock second(state.settings.appDataFolder);
    EXPECT_FALSE(second.ok());
  }
  InstanceLock again(state.settings.appDataFolder);
  EXPECT_TRUE(again.ok());
}
