#include "model/FolderImport.h"

#include <sys/stat.h>

#include <optional>
#include <set>
#include <utility>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

const std::vector<ImageTypeFilter>& imageTypeFilters() {
  static const std::vector<ImageTypeFilter> filters = {
      {"All Image Formats", {".jpg", ".jpeg", ".jif", ".jpe", ".gif", ".bmp", ".png", ".tif", ".tiff", ".psd"}},
      {"JPEG Image Format (*.jpg,*.jpeg,*.jif,*.jpe)", {".jpg", ".jpeg", ".jif", ".jpe"}},
      {"Graphics Interchange Format (*.gif)", {".gif"}},
      {"Windows Bitmap (*.bmp)", {".bmp"}},
      {"Portable Network Graphics (*.png)", {".png"}},
      {"Tagged Image File Format (*.tif,*.tiff)", {".tif", ".tiff"}},
      {"Adobe Photoshop (*.psd)", {".psd"}},
  };
  return filters;
}

std::vector<std::string> endingsOfType(int index) {
  const auto& f = imageTypeFilters();
  return index >= 0 && size_t(index) < f.size() ? f[size_t(index)].endings : std::vector<std::string>{};
}

std::string albumNameForFolder(const std::string& folderName) {
  size_t dot = folderName.find_last_of('.');
  std::string t = dot == std::string::npos || dot == 0 ? folderName : folderName.substr(0, dot);
  return cleanAlbumName(t);
}

namespace {

// The walk only plans: which albums to create and which files to add, in
// the order the folders list them. The files are then read on every core.
struct Walk {
  const FolderImportRequest& request;
  const std::atomic<bool>& abort;
  FolderImportPlan& plan;
  std::set<std::pair<dev_t, ino_t>> visited;
  std::optional<std::pair<dev_t, ino_t>> output;

  // False when the folder (reached through any link) was walked already.
  bool firstVisit(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    if (output && *output == std::pair(st.st_dev, st.st_ino)) {
      plan.leftOut.push_back(path);
      return false;
    }
    return visited.insert({st.st_dev, st.st_ino}).second;
  }

  bool matches(const std::string& name) const {
    for (const std::string& e : request.endings)
      if (endsWithNoCase(name, e)) return true;
    return false;
  }

  void folder(const std::string& path, const std::string& albumPath) {
    if (abort) return;
    const size_t leftOut = plan.leftOut.size();
    if (!firstVisit(path)) {
      if (plan.leftOut.size() == leftOut) plan.skippedFolders.push_back(path);
      return;
    }
    const std::string base = withSlash(path);
    for (const DirEntry& e : listDirectory(base)) {
      if (abort) return;
      if (e.name.empty() || e.name[0] == '.') continue;  // hidden files and caches
      const std::string full = base + e.name;
      if (!e.isDirectory) {
        if (matches(e.name)) {
          plan.steps.push_back({{}, {}, int(plan.files.size())});
          plan.files.push_back({full, e.name, albumPath});
        }
        continue;
      }
      if (!request.includeSubfolders) continue;
      std::string album = request.albumsFromSubfolders ? albumNameForFolder(e.name) : std::string();
      if (album.empty()) {
        folder(full, albumPath);
        continue;
      }
      plan.steps.push_back({albumPath, album, -1});
      folder(full, albumPath == "/" ? "/" + album : albumPath + "/" + album);
    }
  }
};

}  // namespace

FolderImportPlan planFolderImport(const FolderImportRequest& request, const std::atomic<bool>& abort) {
  FolderImportPlan plan;
  Walk walk{request, abort, plan, {}, {}};
  struct stat st {};
  if (!request.outputFolder.empty() && ::stat(request.outputFolder.c_str(), &st) == 0)
    walk.output = std::pair(st.st_dev, st.st_ino);
  walk.folder(request.folder, request.albumPath);
  return plan;
}

int importFolderTree(ItemCollection& items, const FolderImportRequest& request, const std::atomic<bool>& abort,
                     const ImportProgress& progress) {
  return carryOutFolderImport(items, planFolderImport(request, abort), request.sources, abort, progress);
}

int carryOutFolderImport(ItemCollection& items, const FolderImportPlan& plan, const CaptionSources& sources,
                         const std::atomic<bool>& abort, const ImportProgress& progress) {
  const size_t before = items.list.size();
  const int added = items.addImages(plan.files, sources, abort, progress);
  std::vector<std::unique_ptr<CollectionItem>> read;
  for (size_t i = before; i < items.list.size(); ++i) read.push_back(std::move(items.list[i]));
  items.list.resize(before);

  // Albums and images in walk order; after a cancel, up to the first file not read.
  std::vector<std::pair<std::string, std::string>> created;
  size_t r = 0;
  for (const FolderImportPlan::Step& step : plan.steps) {
    if (step.file < 0) {
      items.addAlbum(step.parent, step.album);
      created.emplace_back(step.parent, step.album);
    } else if (r < read.size() && read[r]->sourcePath == plan.files[size_t(step.file)].sourcePath) {
      items.list.push_back(std::move(read[r++]));
    } else if (abort) {
      break;
    }
  }
  // Newest first, so an album holding only empty sub-albums goes as well.
  for (auto it = created.rbegin(); it != created.rend(); ++it) {
    std::string full = it->first == "/" ? "/" + it->second : it->first + "/" + it->second;
    if (items.isAlbumEmpty(full)) items.removeAlbumEntry(it->first, it->second);
  }
  return added;
}

}  // namespace pv
