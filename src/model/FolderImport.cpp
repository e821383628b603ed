#include "model/FolderImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

const std::vector<std::string> kRawEndings = {".dng", ".cr2", ".cr3", ".nef", ".arw", ".orf", ".rw2", ".raf", ".pef"};

}  // namespace

const std::vector<ImageTypeFilter>& imageTypeFilters() {
  static const std::vector<ImageTypeFilter> filters = {
      {"All Image Formats",
       [] {
         std::vector<std::string> all = {".jpg",  ".jpeg", ".jif", ".jpe", ".gif",  ".bmp", ".png", ".tif",
                                         ".tiff", ".psd",  ".heic", ".heif", ".hif", ".avif", ".webp"};
         all.insert(all.end(), kRawEndings.begin(), kRawEndings.end());
         return all;
       }()},
      {"JPEG Image Format (*.jpg,*.jpeg,*.jif,*.jpe)", {".jpg", ".jpeg", ".jif", ".jpe"}},
      {"Graphics Interchange Format (*.gif)", {".gif"}},
      {"Windows Bitmap (*.bmp)", {".bmp"}},
      {"Portable Network Graphics (*.png)", {".png"}},
      {"Tagged Image File Format (*.tif,*.tiff)", {".tif", ".tiff"}},
      {"Adobe Photoshop (*.psd)", {".psd"}},
      {"High Efficiency Image File Format (*.heic,*.heif,*.hif)", {".heic", ".heif", ".hif"}},
      {"AV1 Image File Format (*.avif)", {".avif"}},
      {"WebP Image Format (*.webp)", {".webp"}},
      {"Camera RAW (*.dng,*.cr2,*.cr3,*.nef,*.arw,*.orf,*.rw2,*.raf,*.pef)", kRawEndings},
  };
  return filters;
}

std::string fileDialogFilter() {
  std::string filter;
  for (const ImageTypeFilter& f : imageTypeFilters()) {
    filter += std::string(f.text) + "|";
    for (size_t i = 0; i < f.endings.size(); ++i) filter += (i ? ";*" : "*") + f.endings[i];
    filter += "|";
  }
  return filter + "|";
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

// Endings by which a file left out is named: videos, and pictures of types
// the import does not read. Anything else is no picture.
const std::vector<std::string>& videoEndings() {
  static const std::vector<std::string> e = {".mp4", ".m4v", ".mov", ".avi", ".mkv", ".webm", ".mts", ".m2ts",
                                             ".3gp", ".wmv", ".mpg", ".mpeg", ".flv", ".vob", ".ogv", ".mxf"};
  return e;
}

const std::vector<std::string>& otherPictureEndings() {
  static const std::vector<std::string> e = {".jxl", ".jp2", ".j2k", ".jxr", ".wdp", ".svg", ".ico", ".tga",
                                             ".pcx", ".pbm", ".pgm", ".ppm", ".pnm", ".xcf", ".exr", ".hdr",
                                             ".dds", ".crw", ".nrw", ".srf", ".sr2", ".srw", ".x3f", ".3fr",
                                             ".erf", ".kdc", ".dcr", ".mrw", ".raw", ".rwl", ".iiq"};
  return e;
}

bool endsWithOneOf(const std::string& name, const std::vector<std::string>& endings) {
  return std::any_of(endings.begin(), endings.end(), [&](const std::string& e) { return endsWithNoCase(name, e); });
}

// The reason a file of this name is not taken as a picture.
SkipReason reasonByEnding(const std::string& name) {
  if (endsWithOneOf(name, endingsOfType(0))) return SkipReason::TypeNotChosen;
  if (endsWithOneOf(name, videoEndings())) return SkipReason::Video;
  if (endsWithOneOf(name, otherPictureEndings())) return SkipReason::TypeNotRead;
  return SkipReason::NotPicture;
}

// The walk only plans: which albums to create and which files to add, in
// the order the folders list them. The files are then read on every core.
struct Walk {
  const ImportRequest& request;
  const std::atomic<bool>& abort;
  ImportPlan& plan;
  std::set<std::pair<dev_t, ino_t>> visited;
  std::optional<std::pair<dev_t, ino_t>> output;

  // False when the folder (reached through any link) was walked already,
  // or is the output folder.
  bool firstVisit(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    if (output && *output == std::pair(st.st_dev, st.st_ino)) {
      plan.leftOut.push_back(path);
      return false;
    }
    return visited.insert({st.st_dev, st.st_ino}).second;
  }

  void add(const std::string& path, const std::string& name, const std::string& albumPath, bool named) {
    plan.steps.push_back({{}, {}, int(plan.files.size())});
    plan.files.push_back({path, name, albumPath});
    plan.named.push_back(named);
  }

  void namedFile(const std::string& path) {
    const std::string name = fileNameOf(path);
    if (formatFromFileName(name) != FIF_UNKNOWN)
      add(path, name, request.albumPath, true);
    else
      plan.notTaken.push_back({path, reasonByEnding(name), true});
  }

  void folder(const std::string& path, const std::string& albumPath, const ImportSource& source) {
    if (abort) return;
    const size_t leftOut = plan.leftOut.size();
    if (!firstVisit(path)) {
      if (plan.leftOut.size() == leftOut) plan.repeatedFolders.push_back(path);
      return;
    }
    const std::string base = withSlash(path);
    for (const DirEntry& e : listDirectory(base)) {
      if (abort) return;
      if (e.name.empty()) continue;
      const std::string full = base + e.name;
      if (e.name[0] == '.') {  // thumbnail caches, "._" files of other systems
        if (!e.isDirectory || source.withSubfolders) plan.notTaken.push_back({full, SkipReason::Hidden});
        continue;
      }
      if (!e.isDirectory) {
        if (endsWithOneOf(e.name, request.endings))
          add(full, e.name, albumPath, false);
        else
          plan.notTaken.push_back({full, reasonByEnding(e.name)});
        continue;
      }
      if (!source.withSubfolders) continue;
      std::string album = source.albums ? albumNameForFolder(e.name) : std::string();
      if (album.empty()) {
        folder(full, albumPath, source);
        continue;
      }
      plan.steps.push_back({albumPath, album, -1});
      folder(full, albumPath == "/" ? "/" + album : albumPath + "/" + album, source);
    }
  }
};

}  // namespace

ImportPlan planImport(const ImportRequest& request, const std::atomic<bool>& abort) {
  ImportPlan plan;
  Walk walk{request, abort, plan, {}, {}};
  struct stat st {};
  if (!request.outputFolder.empty() && ::stat(request.outputFolder.c_str(), &st) == 0)
    walk.output = std::pair(st.st_dev, st.st_ino);
  for (const ImportSource& source : request.sources) {
    if (abort) break;
    if (directoryExists(source.path)) {
      const size_t before = plan.files.size();
      walk.folder(source.path, request.albumPath, source);
      if (plan.files.size() == before) plan.emptyFolders.push_back(source.path);
    } else if (fileExists(source.path)) {
      walk.namedFile(source.path);
    } else {
      plan.notTaken.push_back({source.path, SkipReason::Missing, true});
    }
  }
  return plan;
}

ImportResult importPaths(ItemCollection& items, const ImportRequest& request, const std::atomic<bool>& abort,
                         const AddProgress& progress) {
  return carryOutImport(items, planImport(request, abort), request, abort, progress);
}

ImportResult carryOutImport(ItemCollection& items, const ImportPlan& plan, const ImportRequest& request,
                            const std::atomic<bool>& abort, const AddProgress& progress) {
  ImportResult result;
  result.notTaken = plan.notTaken;
  result.emptyFolders = plan.emptyFolders;
  result.repeatedFolders = plan.repeatedFolders;
  result.leftOut = plan.leftOut;
  std::vector<std::unique_ptr<CollectionItem>> read = readImageRecords(plan.files, request.captions, false, abort, progress);

  // Albums and images in walk order; after a cancel, up to the first file not read.
  std::vector<std::pair<std::string, std::string>> created;
  for (const ImportPlan::Step& step : plan.steps) {
    if (step.file < 0) {
      items.addAlbum(step.parent, step.album);
      created.emplace_back(step.parent, step.album);
      continue;
    }
    const size_t f = size_t(step.file);
    if (f >= read.size()) break;
    std::unique_ptr<CollectionItem>& item = read[f];
    if (!item) continue;
    if (item->width == 0) {
      // A picture the user named stays visible; one a folder held is left out.
      if (!plan.named[f]) {
        result.notTaken.push_back({item->sourcePath, SkipReason::Unreadable});
        continue;
      }
      result.keptUnreadable.push_back(item->sourcePath);
    }
    if (item->damaged) result.damaged.push_back(item->sourcePath);
    items.list.push_back(std::move(item));
    ++result.added;
  }
  // Newest first, so an album holding only empty sub-albums goes as well.
  for (auto it = created.rbegin(); it != created.rend(); ++it) {
    std::string full = it->first == "/" ? "/" + it->second : it->first + "/" + it->second;
    if (items.isAlbumEmpty(full)) items.removeAlbumEntry(it->first, it->second);
  }
  result.cancelled = abort;
  return result;
}

std::vector<std::vector<std::string>> pathsByReason(const ImportResult& result) {
  std::vector<std::vector<std::string>> by(kSkipReasons);
  by[size_t(SkipReason::Unreadable)] = result.keptUnreadable;
  for (const NotTaken& n : result.notTaken) by[size_t(n.reason)].push_back(n.path);
  return by;
}

}  // namespace pv
