#pragma once
// Project files: everything a build reads (preset, the pages' working values,
// the caption metadata texts and the whole collection in order) saved as
// JSON, opened again, and kept as a recovery copy while the window runs.
#include <string>

#include "settings/PageValues.h"

namespace pv {

struct AppState;

inline constexpr int kProjectFormat = 1;
inline constexpr const char* kProjectExtension = ".pvproj";

// The working values a project holds besides the AppState.
struct ProjectPages {
  ImagePageValues& image;
  ProjectPageValues& project;
  CreatePageValues& create;
};

// The project as JSON text. Source paths, the watermark and the own web page
// are written relative to baseFolder when they lie below it; an empty
// baseFolder writes every path as it is.
std::string projectText(const AppState& state, const ProjectPages& pages, const std::string& baseFolder);

struct ProjectResult {
  bool ok = false;
  std::string message;       // why not, in the window's words
  int missingSources = 0;    // images whose file is gone (kept, marked sourceMissing)
  std::string projectFile;   // a recovery copy: the file the work belonged to, if any
};

// Writes path through a temporary file and a rename, so the previous file
// survives any failure; then caches the thumbnails beside it.
ProjectResult saveProject(const std::string& path, const AppState& state, const ProjectPages& pages);

// Reads path whole and checks it before anything changes: a file that
// cannot be read, is damaged or comes from a newer format leaves state and
// pages untouched. Otherwise the preset is applied as selecting it would,
// the saved values replace the pages' values and the collection is replaced.
// Thumbnails come from the cache beside the file, else from the sources;
// without withThumbnails (picovand-cli) no photo is read.
ProjectResult openProject(const std::string& path, AppState& state, const ProjectPages& pages,
                          bool withThumbnails = true);

// The folder of cached thumbnails beside a project file: "Urlaub.pvproj"
// keeps them in "Urlaub.pvthumbs/".
std::string thumbnailFolder(const std::string& projectPath);

// ---- Recovery ----

// The recovery copy in the data folder.
std::string recoveryPath(const AppState& state);
// Writes the recovery copy (absolute paths), naming the project file the
// work belongs to (empty for an unsaved project).
bool writeRecovery(const AppState& state, const ProjectPages& pages, const std::string& projectFile);
bool hasRecovery(const AppState& state);
// Opens the recovery copy as openProject opens a file; projectFile in the
// result names the file the work belonged to.
ProjectResult openRecovery(AppState& state, const ProjectPages& pages);
void removeRecovery(const AppState& state);

// ---- Missing sources ----

// Looks for every image whose source is missing in folder: first by the
// trailing parts of its old path (so equal names in different sub-folders
// keep their places), then by its name anywhere below folder when that name
// is unique there. Returns how many were found again.
int relocateMissingSources(AppState& state, const std::string& folder);

}  // namespace pv
