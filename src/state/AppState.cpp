#include "state/AppState.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include "util/FileSystem.h"
#include "settings/Ini.h"
#include "util/Text.h"

namespace pv {

namespace {

std::string envOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string homeFolder(const Environment& env) {
  if (!env.home.empty()) return env.home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

// A folder path with its trailing "/" stripped, so that "x" + "/" + "y" never doubles it.
std::string noSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

Environment processEnvironment() {
  return {executableFolder(), envOrEmpty("HOME"), envOrEmpty("XDG_DOCUMENTS_DIR"), envOrEmpty("XDG_DATA_HOME")};
}

AppState::AppState(const Environment& env) {
  ProjectSettings& s = settings;
  s.albumsAllowed = true;
  s.presetNumber = 0;
  s.programFolder = withSlash(env.programFolder);
  s.outputFileCount = s.outputFolderCount = 0;
  s.outputTotalBytes = 0;

  const std::string home = noSlash(homeFolder(env));
  std::string documents = noSlash(env.documentsDir);
  if (documents.empty()) documents = home + "/Documents";
  if (!makeDirectories(documents)) documents = home;
  makeDirectory(documents + "/Corvane Pico Vand");
  s.projectsFolder = documents + "/Corvane Pico Vand/";

  std::string data = noSlash(env.dataHome);
  if (data.empty()) data = home + "/.local/share";
  makeDirectories(data);
  makeDirectory(data + "/Corvane");
  makeDirectory(data + "/Corvane/Pico Vand");
  s.appDataFolder = data + "/Corvane/Pico Vand/";
  s.configIniPath = s.appDataFolder + "config.ini";

  s.configFolder = s.programFolder + "resources/CONFIG/";
  s.draftsFolder = s.programFolder + "resources/DRAFTS/";
  s.ctrlFolder = s.programFolder + "resources/CTRL/";

  readConfigIni(*this);
}

void readConfigIni(AppState& state) {
  IniFile ini = IniFile::load(state.settings.configIniPath);
  state.iptcTitle = ini.text("IPTC", "TITLE", "");
  state.iptcAuthor = ini.text("IPTC", "AUTHOR", "");
  state.iptcCaption = ini.text("IPTC", "CAPTION", "");
  state.iptcCopyright = ini.text("IPTC", "COPYRIGHT", "");
  state.jpegComment = ini.text("IPTC", "JPEGCOMMENT", "");
  std::string project = trimWhite(ini.text("FOLDER", "PROJECT", ""));
  if (!project.empty()) state.settings.projectsFolder = withSlash(project);
}

InstanceLock::InstanceLock(const std::string& appDataFolder) {
  fd_ = ::open((appDataFolder + "picovand.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace pv
