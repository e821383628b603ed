#include "state/AppState.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "util/FileSystem.h"
#include "settings/Ini.h"
#include "util/Text.h"

namespace pv {

namespace {

std::string envOrEmpty(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string homeOf(const Environment& env) {
  if (!env.home.empty()) return env.home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

// A folder path with its trailing "/" stripped, so that "x" + "/" + "y" never doubles it.
std::string noSlash(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool isAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

// An XDG base folder: the variable when it holds an absolute path (the only
// kind the desktop's rules accept), else its default below home.
std::string xdgFolder(const std::string& variable, const std::string& home, const char* fallback) {
  return isAbsolute(variable) ? noSlash(variable) : home + "/" + fallback;
}

std::string parentFolder(const std::string& path) { return path.substr(0, path.find_last_of('/')); }

// Where config.ini lived before it moved to the configuration folder.
std::string oldConfigIniPath(const ProjectSettings& s) { return s.appDataFolder + "config.ini"; }

}  // namespace

Environment processEnvironment() {
  return {executableFolder(),           envOrEmpty("HOME"),            envOrEmpty("XDG_DOCUMENTS_DIR"),
          envOrEmpty("XDG_DATA_HOME"), envOrEmpty("XDG_CONFIG_HOME"), envOrEmpty("XDG_CACHE_HOME")};
}

std::string documentsFolder(const Environment& env) {
  const std::string home = noSlash(homeOf(env));
  if (isAbsolute(env.documentsDir)) return noSlash(env.documentsDir);
  std::string dirs;
  if (readWholeFile(xdgFolder(env.configHome, home, ".config") + "/user-dirs.dirs", dirs)) {
    // Lines of the form XDG_DOCUMENTS_DIR="$HOME/Dokumente" or ="/abs/path";
    // the file allows nothing else, and a value "$HOME/" means the home folder.
    std::string value, raw;
    std::istringstream lines(dirs);
    while (std::getline(lines, raw)) {
      const std::string line = trimWhite(raw);
      const std::string key = "XDG_DOCUMENTS_DIR=";
      if (!startsWith(line, key)) continue;
      value = line.substr(key.size());
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    }
    if (startsWith(value, "$HOME") && (value.size() == 5 || value[5] == '/'))
      return noSlash(home + value.substr(5));
    if (isAbsolute(value)) return noSlash(value);
  }
  return home + "/Documents";
}

std::string resourceFolderFor(const std::string& programFolder) {
  const std::string program = noSlash(programFolder);
  const size_t slash = program.find_last_of('/');
  if (slash != std::string::npos) {
    const std::string installed = program.substr(0, slash) + "/share/picovand/";
    if (directoryExists(installed + "CONFIG")) return installed;
  }
  return withSlash(programFolder) + "resources/";
}

AppState::AppState(const Environment& env, ConfigIni config) {
  ProjectSettings& s = settings;
  s.albumsAllowed = true;
  s.presetNumber = 0;
  s.programFolder = withSlash(env.programFolder);
  s.outputFileCount = s.outputFolderCount = 0;
  s.outputTotalBytes = 0;

  const std::string home = noSlash(homeOf(env));
  homeFolder = home;
  documentsProjectsFolder = s.projectsFolder = documentsFolder(env) + "/Corvane Pico Vand/";
  s.appDataFolder = xdgFolder(env.dataHome, home, ".local/share") + "/Corvane/Pico Vand/";
  s.configIniPath = xdgFolder(env.configHome, home, ".config") + "/Corvane/Pico Vand/config.ini";
  s.cacheFolder = xdgFolder(env.cacheHome, home, ".cache") + "/Corvane/Pico Vand/";

  s.resourceFolder = resourceFolderFor(s.programFolder);
  s.configFolder = s.resourceFolder + "CONFIG/";
  s.draftsFolder = s.resourceFolder + "DRAFTS/";
  s.ctrlFolder = s.resourceFolder + "CTRL/";

  if (config == ConfigIni::Read) readConfigIni(*this);
}

void readConfigIni(AppState& state) {
  const ProjectSettings& s = state.settings;
  IniFile ini = IniFile::load(fileExists(s.configIniPath) ? s.configIniPath : oldConfigIniPath(s));
  state.iptcTitle = ini.text("IPTC", "TITLE", "");
  state.iptcAuthor = ini.text("IPTC", "AUTHOR", "");
  state.iptcCaption = ini.text("IPTC", "CAPTION", "");
  state.iptcCopyright = ini.text("IPTC", "COPYRIGHT", "");
  state.jpegComment = ini.text("IPTC", "JPEGCOMMENT", "");
  std::string project = trimWhite(ini.text("FOLDER", "PROJECT", ""));
  if (!project.empty()) state.settings.projectsFolder = withSlash(project);
}

void makeUserFolders(AppState& state) {
  ProjectSettings& s = state.settings;
  // Only the default is made: a folder chosen in config.ini may be on a
  // drive that is not mounted now.
  if (!makeDirectories(state.documentsProjectsFolder)) {
    const std::string fallback = state.homeFolder + "/Corvane Pico Vand/";
    if (makeDirectories(fallback) && s.projectsFolder == state.documentsProjectsFolder) s.projectsFolder = fallback;
  }
  makeDirectories(s.appDataFolder);
  const std::string old = oldConfigIniPath(s);
  if (fileExists(old) && !fileExists(s.configIniPath) && makeDirectories(parentFolder(s.configIniPath)))
    std::rename(old.c_str(), s.configIniPath.c_str());
}

InstanceLock::InstanceLock(const std::string& appDataFolder) {
  makeDirectories(appDataFolder);
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
