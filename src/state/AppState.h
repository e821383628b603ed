#pragma once
// The state of the running program: folders, config.ini defaults, the
// settings record, the watermark values and the collection. The window keeps
// its pages beside it; the engine only ever sees this record (or parts of it)
// as a parameter, so tests and picovand-cli make their own.
#include <atomic>
#include <string>
#include <vector>

#include "model/Image.h"
#include "model/ItemCollection.h"
#include "settings/ProjectSettings.h"

namespace pv {

// Where the program and the user's data live. Read from the process by
// processEnvironment(); tests pass their own.
struct Environment {
  std::string programFolder;  // ends in "/"
  std::string home;           // $HOME
  std::string documentsDir;   // $XDG_DOCUMENTS_DIR, may be empty
  std::string dataHome;       // $XDG_DATA_HOME, may be empty
};
Environment processEnvironment();

struct AppState {
  explicit AppState(const Environment& env = processEnvironment());
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  int screenDpi = 96;
  std::atomic<bool> abortRequested{false};
  int creditPending = 0;
  ProjectSettings settings;
  std::string iptcTitle;
  std::string iptcCaption;
  std::string iptcAuthor;
  std::string iptcCopyright;
  std::string jpegComment;
  std::string watermarkFile;
  ImagePtr watermarkScaled[3];
  int watermarkTransparency = 150;
  int watermarkSizePercent = 50;
  int watermarkPosition = 0;
  int watermarkBoxes[6] = {0, 0, 0, 0, 0, 0};
  int watermarkOffsetX = 0;
  int watermarkOffsetY = 0;
  ItemCollection items;
  std::vector<std::string> pagesWritten;  // by the running build (pages and their stylesheet), for its record of the files it wrote
  std::vector<std::string> writeFailures;  // by the running build: "path: reason" of each page or style file it could not write
};

// Reads the IPTC defaults and the projects folder from config.ini.
void readConfigIni(AppState& state);

// Holds the single-instance lock (picovand.lock in the data folder) for the
// life of the object. ok() is false when another instance holds it.
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
