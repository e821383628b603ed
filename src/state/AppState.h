#pragma once
// The state of the running program: folders, config.ini defaults, the
// settings record, the watermark values and the collection. The window keeps
// its pages beside it; the engine only ever sees this record (or parts of it)
// as a parameter, so tests and picovand-cli make their own.
#include <atomic>
#include <string>

#include "model/Image.h"
#include "model/ItemCollection.h"
#include "settings/ProjectSettings.h"

namespace pv {

// Where the program and the user's data live. Read from the process by
// processEnvironment(); tests pass their own. Empty means "not set".
struct Environment {
  std::string programFolder;  // ends in "/"
  std::string home;           // $HOME
  std::string documentsDir;   // $XDG_DOCUMENTS_DIR
  std::string dataHome;       // $XDG_DATA_HOME
  std::string configHome;     // $XDG_CONFIG_HOME
  std::string cacheHome;      // $XDG_CACHE_HOME
};
Environment processEnvironment();

// The user's documents folder as the desktop knows it, without "/" at the end:
// $XDG_DOCUMENTS_DIR, else the XDG_DOCUMENTS_DIR line of user-dirs.dirs in the
// configuration folder (what a German desktop sets to "$HOME/Dokumente"), else
// ~/Documents. Reads, creates nothing.
std::string documentsFolder(const Environment& env);

// The installed data tree: ../share/picovand/ beside an installed program,
// else resources/ beside the program in the build tree. Ends in "/".
std::string resourceFolderFor(const std::string& programFolder);

// Whether a new AppState takes the defaults of config.ini (picovand-cli
// --no-config leaves them out).
enum class ConfigIni { Read, Ignore };

struct AppState {
  explicit AppState(const Environment& env = processEnvironment(), ConfigIni config = ConfigIni::Read);
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  // The projects folder below the documents folder, which config.ini may
  // replace, and the home folder (no "/" at the end), where projects go when
  // the documents folder cannot be made.
  std::string documentsProjectsFolder;
  std::string homeFolder;
  int screenDpi = 96;
  std::atomic<bool> abortRequested{false};
  ProjectSettings settings;
  std::string iptcTitle;
  std::string iptcCaption;
  std::string iptcAuthor;
  std::string iptcCopyright;
  std::string jpegComment;
  std::string watermarkFile;
  ImagePtr watermarkScaled[3];
  // The same watermarks for the high-resolution outputs, at twice the box.
  ImagePtr watermarkTwins[3];
  int watermarkTransparency = 150;
  int watermarkSizePercent = 50;
  int watermarkPosition = 0;
  int watermarkBoxes[6] = {0, 0, 0, 0, 0, 0};
  int watermarkOffsetX = 0;
  int watermarkOffsetY = 0;
  ItemCollection items;
};

// Reads the IPTC defaults and the projects folder from config.ini (from its
// old place in the data folder while it has not been moved yet).
void readConfigIni(AppState& state);

// Creates the projects folder (in the home folder when the documents folder
// cannot be made) and the data folder, and moves a config.ini from the data
// folder, where earlier versions kept it, to the configuration folder. The
// window does this at its start; constructing an AppState creates nothing,
// so a command that only reads leaves no trace.
void makeUserFolders(AppState& state);

// Holds the single-instance lock (picovand.lock in the data folder, which it
// creates when missing) for the life of the object. ok() is false when another instance holds it.
class InstanceLock {
 public:
  explicit InstanceLock(const std::string& appDataFolder);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace pv
