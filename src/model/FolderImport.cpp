#include "model/FolderImport.h"

#include "settings/FileSystem.h"
#include "settings/Text.h"

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

struct Walk {
  ItemCollection& items;
  const FolderImportRequest& request;
  const std::atomic<bool>& abort;
  const ImportProgress& progress;
  std::vector<std::pair<std::string, std::string>> createdAlbums;  // parent path, name
  int added = 0;

  bool matches(const std::string& name) const {
    for (const std::string& e : request.endings)
      if (endsWithNoCase(name, e)) return true;
    return false;
  }

  void folder(const std::string& path, const std::string& albumPath) {
    if (abort) return;
    const std::string base = withSlash(path);
    for (const DirEntry& e : listDirectory(base)) {
      if (abort) return;
      if (e.name.empty() || e.name[0] == '.') continue;  // hidden files and caches
      const std::string full = base + e.name;
      if (!e.isDirectory) {
        if (matches(e.name) && items.addImage(full, e.name, albumPath, request.sources)) {
          ++added;
          if (progress) progress(added, full);
        }
        continue;
      }
      if (!request.includeSubfolders) continue;
      std::string album = request.albumsFromSubfolders ? albumNameForFolder(e.name) : std::string();
      if (album.empty()) {
        folder(full, albumPath);
        continue;
      }
      std::string sub = albumPath == "/" ? "/" + album : albumPath + "/" + album;
      createdAlbums.emplace_back(albumPath, album);
      items.addAlbum(albumPath, album);
      folder(full, sub);
    }
  }
};

}  // namespace

int importFolderTree(ItemCollection& items, const FolderImportRequest& request, const std::atomic<bool>& abort,
                     const ImportProgress& progress) {
  Walk walk{items, request, abort, progress, {}, 0};
  walk.folder(request.folder, request.albumPath);
  // Newest first, so an album holding only empty sub-albums goes as well.
  for (auto it = walk.createdAlbums.rbegin(); it != walk.createdAlbums.rend(); ++it) {
    std::string full = it->first == "/" ? "/" + it->second : it->first + "/" + it->second;
    if (items.isAlbumEmpty(full)) items.removeAlbumEntry(it->first, it->second);
  }
  return walk.added;
}

}  // namespace pv
