#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "settings/Ini.h"

using namespace pv;

namespace {
std::vector<std::string> treeBelow(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec); !ec && it != decltype(it)(); it.increment(ec))
    found.push_back(it->path().string());
  return found;
}
}  // namespace

TEST(AppState, FoldersAreFoundWithoutCreatingAny) {
  pvtest::ScratchDir dir;
  makeDirectory(dir.path() + "home");
  AppState state({dir.path() + "prog", dir.path() + "home", "", "", "", ""});
  const ProjectSettings& s = state.settings;
  EXPECT_EQ(s.programFolder, dir.path() + "prog/");
  EXPECT_EQ(s.resourceFolder, dir.path() + "prog/resources/");
  EXPECT_EQ(s.configFolder, dir.path() + "prog/resources/CONFIG/");
  EXPECT_EQ(s.draftsFolder, dir.path() + "prog/resources/DRAFTS/");
  EXPECT_EQ(s.ctrlFolder, dir.path() + "prog/resources/CTRL/");
  EXPECT_EQ(s.projectsFolder, dir.path() + "home/Documents/Corvane Pico Vand/");
  EXPECT_EQ(s.appDataFolder, dir.path() + "home/.local/share/Corvane/Pico Vand/");
  EXPECT_EQ(s.configIniPath, dir.path() + "home/.config/Corvane/Pico Vand/config.ini");
  EXPECT_EQ(s.cacheFolder, dir.path() + "home/.cache/Corvane/Pico Vand/");
  EXPECT_TRUE(treeBelow(dir.path() + "home").empty());
  EXPECT_TRUE(s.albumsAllowed);
  EXPECT_EQ(s.presetNumber, 0);
  EXPECT_EQ(state.watermarkTransparency, 150);
  EXPECT_EQ(state.watermarkSizePercent, 50);

  AppState xdg({dir.path() + "prog/", dir.path() + "home", dir.path() + "docs/", dir.path() + "data",
                dir.path() + "conf/", dir.path() + "cache"});
  EXPECT_EQ(xdg.settings.projectsFolder, dir.path() + "docs/Corvane Pico Vand/");
  EXPECT_EQ(xdg.settings.appDataFolder, dir.path() + "data/Corvane/Pico Vand/");
  EXPECT_EQ(xdg.settings.configIniPath, dir.path() + "conf/Corvane/Pico Vand/config.ini");
  EXPECT_EQ(xdg.settings.cacheFolder, dir.path() + "cache/Corvane/Pico Vand/");

  // Relative values are not XDG folders: the defaults apply.
  AppState relative({dir.path() + "prog/", dir.path() + "home", "docs", "data", "conf", "cache"});
  EXPECT_EQ(relative.settings.projectsFolder, s.projectsFolder);
  EXPECT_EQ(relative.settings.appDataFolder, s.appDataFolder);
  EXPECT_EQ(relative.settings.configIniPath, s.configIniPath);
  EXPECT_EQ(relative.settings.cacheFolder, s.cacheFolder);

  makeUserFolders(state);
  EXPECT_TRUE(directoryExists(s.projectsFolder));
  EXPECT_TRUE(directoryExists(s.appDataFolder));
}

TEST(AppState, InstalledProgramFindsItsDataUnderShare) {
  pvtest::ScratchDir dir;
  dir.write("usr/share/picovand/CONFIG/0.config", "[LANG]\nDE=x\n");
  AppState installed({dir.path() + "usr/bin/", dir.path() + "home", "", "", "", ""});
  EXPECT_EQ(installed.settings.resourceFolder, dir.path() + "usr/share/picovand/");
  EXPECT_EQ(installed.settings.configFolder, dir.path() + "usr/share/picovand/CONFIG/");
  EXPECT_EQ(installed.settings.ctrlFolder, dir.path() + "usr/share/picovand/CTRL/");

  // A share/picovand without presets is not ours: the build tree's resources/ wins.
  dir.write("opt/share/picovand/README", "");
  AppState other({dir.path() + "opt/bin", dir.path() + "home", "", "", "", ""});
  EXPECT_EQ(other.settings.resourceFolder, dir.path() + "opt/bin/resources/");
}

TEST(AppState, DocumentsFolderAsTheDesktopSetsIt) {
  pvtest::ScratchDir dir;
  const std::string home = dir.path() + "home";
  auto documents = [&](const std::string& variable = "", const std::string& configHome = "") {
    return documentsFolder({dir.path() + "prog/", home, variable, "", configHome, ""});
  };
  EXPECT_EQ(documents(), home + "/Documents");

  // A German desktop: the variable is not exported, user-dirs.dirs names the folder.
  dir.write("home/.config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(documents(), home + "/Dokumente");
  AppState state({dir.path() + "prog/", home, "", "", "", ""});
  EXPECT_EQ(state.settings.projectsFolder, home + "/Dokumente/Corvane Pico Vand/");
  makeUserFolders(state);
  EXPECT_TRUE(directoryExists(home + "/Dokumente/Corvane Pico Vand"));
  EXPECT_FALSE(directoryExists(home + "/Documents"));

  EXPECT_EQ(documents(dir.path() + "mine/"), dir.path() + "mine");  // the variable wins

  // $XDG_CONFIG_HOME moves the file; absolute paths and "$HOME/" (home itself) are allowed.
  dir.write("conf/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/Papiere\"\n");
  EXPECT_EQ(documents("", dir.path() + "conf"), "/srv/Papiere");
  dir.write("conf/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(documents("", dir.path() + "conf"), home);
  dir.write("conf/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"Dokumente\"\n# XDG_DOCUMENTS_DIR=\"$HOME/Alt\"\n");
  EXPECT_EQ(documents("", dir.path() + "conf"), home + "/Documents");
}

TEST(AppState, ProjectsFolderFallsBackToHome) {
  pvtest::ScratchDir dir;
  dir.write("home/Documents", "a file where the folder should be");
  AppState state({dir.path() + "prog/", dir.path() + "home", "", "", "", ""});
  makeUserFolders(state);
  EXPECT_EQ(state.settings.projectsFolder, dir.path() + "home/Corvane Pico Vand/");
  EXPECT_TRUE(directoryExists(state.settings.projectsFolder));

  // A folder the user chose stays chosen, and is not made when it is missing.
  dir.write("home/.config/Corvane/Pico Vand/config.ini", "[FOLDER]\nPROJECT=" + dir.path() + "usb/Web\n");
  AppState chosen({dir.path() + "prog/", dir.path() + "home", "", "", "", ""});
  makeUserFolders(chosen);
  EXPECT_EQ(chosen.settings.projectsFolder, dir.path() + "usb/Web/");
  EXPECT_FALSE(directoryExists(dir.path() + "usb"));
}

TEST(AppState, ConfigIniMovesFromTheDataFolderOnce) {
  pvtest::ScratchDir dir;
  const std::string old = dir.write("home/.local/share/Corvane/Pico Vand/config.ini", "[IPTC]\nAUTHOR=Alt\n");
  AppState before(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(before.iptcAuthor, "Alt");  // read where it is until the window moves it
  EXPECT_FALSE(fileExists(before.settings.configIniPath));

  makeUserFolders(before);
  EXPECT_FALSE(fileExists(old));
  AppState after(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(after.iptcAuthor, "Alt");

  // A file in the old place never replaces the one in the new place.
  dir.write("home/.local/share/Corvane/Pico Vand/config.ini", "[IPTC]\nAUTHOR=Noch älter\n");
  makeUserFolders(after);
  AppState again(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(again.iptcAuthor, "Alt");
}

TEST(AppState, ReadsConfigIni) {
  pvtest::ScratchDir dir;
  std::string ini = dir.write("home/.config/Corvane/Pico Vand/config.ini",
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
