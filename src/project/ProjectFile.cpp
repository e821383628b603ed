#include "project/ProjectFile.h"

#include <algorithm>
#include <atomic>
#include <concepts>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>
#include <type_traits>

#include "state/AppState.h"
#include "model/Encoding.h"
#include "model/ThumbnailCache.h"
#include "settings/Ini.h"
#include "util/FileSystem.h"
#include "util/Json.h"
#include "settings/Presets.h"
#include "settings/Product.h"
#include "util/Text.h"

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace pv {

namespace {

// Far above any project of this program (a hundred thousand images take a
// few megabytes), far below what would exhaust the memory.
constexpr std::uint64_t kMaxProjectFileBytes = std::uint64_t(256) << 20;

// ---- What is stored of each record ----
// One list per record serves writing and reading alike: a field added to a
// record is stored by adding one line here. The settings pages' fields come
// from the field table, which says where each is kept. Fields the preset
// decides (the enabled state of controls) are not stored; the preset gives
// them again.

template <class R, class T>
concept RecordOf = std::same_as<std::remove_const_t<R>, T>;

void fieldsOf(RecordOf<UploadPlace> auto& u, auto&& f) {
  f("protocol", u.protocol);
  f("server", u.server);
  f("port", u.port);
  f("folder", u.folder);
  f("user", u.user);
}

void fieldsOf(RecordOf<CreatePageValues> auto& v, auto&& f) {
  f("projectName", v.projectName);
  f("projectFolder", v.projectFolder);
  f("upload", v.upload);
}

void fieldsOf(RecordOf<CollectionItem> auto& item, auto&& f) {
  f("isAlbum", item.isAlbum);
  f("name", item.name);
  f("albumPath", item.albumPath);
  f("sourcePath", item.sourcePath);
  f("width", item.width);
  f("height", item.height);
  f("formatName", item.formatName);
  f("caption", item.caption);
  f("exifDateTime", item.exifDateTime);
  f("exifFNumber", item.exifFNumber);
  f("exifFocalLength", item.exifFocalLength);
  f("exifIsoSpeed", item.exifIsoSpeed);
  f("exifExposureTime", item.exifExposureTime);
  f("exifMake", item.exifMake);
  f("exifModel", item.exifModel);
  f("rotation", item.rotation);
  f("flipHorizontal", item.flipHorizontal);
  f("flipVertical", item.flipVertical);
  f("albumCover", item.albumCover);
}

// The caption metadata dialog's texts and the own page's control set.
struct DialogValues {
  std::string iptcTitle, iptcCaption, iptcAuthor, iptcCopyright, jpegComment;
  int controlSet = 0;
};
void fieldsOf(RecordOf<DialogValues> auto& d, auto&& f) {
  f("iptcTitle", d.iptcTitle);
  f("iptcCaption", d.iptcCaption);
  f("iptcAuthor", d.iptcAuthor);
  f("iptcCopyright", d.iptcCopyright);
  f("jpegComment", d.jpegComment);
  f("controlSet", d.controlSet);
}

DialogValues dialogValuesOf(const AppState& s) {
  return {s.iptcTitle, s.iptcCaption, s.iptcAuthor, s.iptcCopyright, s.jpegComment, s.settings.controlSet};
}
void setDialogValues(AppState& s, const DialogValues& d) {
  s.iptcTitle = d.iptcTitle;
  s.iptcCaption = d.iptcCaption;
  s.iptcAuthor = d.iptcAuthor;
  s.iptcCopyright = d.iptcCopyright;
  s.jpegComment = d.jpegComment;
  s.settings.controlSet = d.controlSet;
}

template <class T>
concept Stored = requires(T& t) { fieldsOf(t, [](const char*, auto&) {}); };

// ---- JSON both ways ----

// JSON holds only UTF-8; a text of other bytes (a caption written by old
// software) is stored as {"bytes": ...} with one character per byte, so it
// comes back byte for byte.
json textValue(const std::string& s) {
  if (isValidUtf8(s)) return s;
  std::string latin1;
  for (unsigned char c : s) {
    if (c < 0x80) latin1 += char(c);
    else latin1 += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
  }
  return json{{"bytes", latin1}};
}

std::string textFrom(const json& j) {
  if (j.is_string()) return j.get<std::string>();
  const std::string packed = j.at("bytes").get<std::string>();
  std::string bytes;
  for (size_t i = 0; i < packed.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(packed[i]);
    if (c < 0x80) {
      bytes += char(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < packed.size()) {
      bytes += char(((c & 0x03) << 6) | (static_cast<unsigned char>(packed[++i]) & 0x3F));
    } else {
      throw std::invalid_argument("not a byte text");
    }
  }
  return bytes;
}

template <class T>
json toJson(const T& v) {
  if constexpr (Stored<T>) {
    json o = json::object();
    fieldsOf(v, [&](const char* key, const auto& x) { o[key] = toJson(x); });
    return o;
  } else if constexpr (std::is_array_v<T>) {
    json a = json::array();
    for (const auto& e : v) a.push_back(toJson(e));
    return a;
  } else if constexpr (std::is_same_v<T, std::string>) {
    return textValue(v);
  } else {
    return json(v);
  }
}

// Reads j into v in place: keys the file lacks keep the value v has (the
// preset's or the record's default). A value of the wrong kind throws.
template <class T>
void fromJson(const json& j, T& v) {
  if constexpr (Stored<T>) {
    if (!j.is_object()) throw std::invalid_argument("not an object");
    fieldsOf(v, [&](const char* key, auto& x) {
      if (auto it = j.find(key); it != j.end()) fromJson(*it, x);
    });
  } else if constexpr (std::is_array_v<T>) {
    if (!j.is_array() || j.size() != std::extent_v<T>) throw std::invalid_argument("wrong array");
    for (size_t i = 0; i < std::extent_v<T>; ++i) fromJson(j[i], v[i]);
  } else if constexpr (std::is_same_v<T, std::string>) {
    v = textFrom(j);
  } else if constexpr (std::is_same_v<T, bool>) {
    v = j.get<bool>();  // get<bool> also refuses numbers
  } else {
    using Number = std::conditional_t<std::is_enum_v<T>, int, T>;
    if (!j.is_number_integer() ||
        (j.is_number_unsigned() ? j.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<Number>::max())
                                : j.get<std::int64_t>() < std::int64_t(std::numeric_limits<Number>::min()) ||
                                      j.get<std::int64_t>() > std::int64_t(std::numeric_limits<Number>::max())))
      throw std::invalid_argument("not a whole number in range");
    v = T(j.get<Number>());
  }
}

// The settings page's fields where the field table keeps them.
json pageJson(FieldPage page, PageRecords records) {
  json o = json::object();
  for (const Field& f : settingsFields())
    if (f.page == page)
      std::visit([&](const auto* v) { o[json::json_pointer(f.stored)] = toJson(*v); }, f.value(records));
  return o;
}

void pageFromJson(const json& j, FieldPage page, PageRecords records) {
  if (!j.is_object()) throw std::invalid_argument("not an object");
  for (const Field& f : settingsFields()) {
    const json::json_pointer at(f.stored);
    if (f.page == page && j.contains(at)) std::visit([&](auto* v) { fromJson(j.at(at), *v); }, f.value(records));
  }
}

// Both pages from a document; keys it lacks keep their values.
void pagesFromDocument(const json& doc, ImagePageValues& image, ProjectPageValues& project) {
  if (auto it = doc.find("imagePage"); it != doc.end()) pageFromJson(*it, FieldPage::Image, {&image, nullptr});
  if (auto it = doc.find("projectPage"); it != doc.end()) pageFromJson(*it, FieldPage::Project, {nullptr, &project});
  // The ranges the pages' controls keep, applied as if the values had been
  // typed: a hand-edited file cannot ask the build for a 2-gigapixel image.
  for (const Field& f : settingsFields()) clampField(f, pageRecords(image, project));
}

// ---- Paths ----

std::string folderOfFile(const std::string& path) {
  std::error_code ec;
  return withSlash(fs::absolute(path, ec).parent_path().string());
}

// Relative to base when path lies below it, so a project moves with its photos.
std::string storedPath(const std::string& path, const std::string& base) {
  if (base.empty() || path.empty() || !startsWith(path, base)) return path;
  const std::string rest = fs::path(path).lexically_normal().lexically_relative(fs::path(base)).string();
  return rest.empty() || startsWith(rest, "..") ? path : rest;
}

std::string resolvedPath(const std::string& stored, const std::string& base) {
  if (stored.empty() || stored[0] == '/') return stored;
  return (fs::path(base) / stored).lexically_normal().string();
}

// Applies how(path) to every path the document holds.
template <class How>
void mapPaths(json& doc, How how) {
  auto one = [&](json& holder, const char* key) {
    if (!holder.is_object()) return;
    auto it = holder.find(key);
    if (it != holder.end() && it->is_string()) *it = how(it->get<std::string>());
  };
  if (auto it = doc.find("imagePage"); it != doc.end()) one(*it, "watermarkFile");
  if (auto it = doc.find("projectPage"); it != doc.end()) one(*it, "ownWebPage");
  if (auto it = doc.find("items"); it != doc.end() && it->is_array())
    for (json& item : *it) one(item, "sourcePath");
}

json projectDocument(const AppState& state, const ProjectPages& pages, const std::string& base) {
  json doc;
  doc["format"] = kProjectFormat;
  doc["program"] = std::string(kProductName) + " " + kProductVersion;
  doc["preset"] = state.settings.presetNumber;
  doc["dialogs"] = toJson(dialogValuesOf(state));
  doc["imagePage"] = pageJson(FieldPage::Image, pageRecords(pages.image, pages.project));
  doc["projectPage"] = pageJson(FieldPage::Project, pageRecords(pages.image, pages.project));
  doc["createPage"] = toJson(pages.create);
  json items = json::array();
  for (const auto& item : state.items.list) items.push_back(toJson(*item));
  doc["items"] = std::move(items);
  mapPaths(doc, [&](const std::string& p) { return storedPath(p, base); });
  return doc;
}

std::string documentText(const json& doc) { return doc.dump(1) + "\n"; }

// A hand-edited or damaged file must not name albums that lead out of the
// output folder, nor turn an image in a way the build does not know.
void checkItem(const CollectionItem& item) {
  if (item.albumPath.empty() || item.albumPath[0] != '/') throw std::invalid_argument("album path");
  if (item.isAlbum && cleanAlbumName(item.name) != item.name) throw std::invalid_argument("album name");
  if (item.rotation % 90 != 0 || item.rotation < 0 || item.rotation >= 360) throw std::invalid_argument("rotation");
  // Every part of the album path is a name an album may have.
  for (size_t start = 1; start < item.albumPath.size();) {
    const size_t end = std::min(item.albumPath.find('/', start), item.albumPath.size());
    const std::string part = item.albumPath.substr(start, end - start);
    if (part.empty() || cleanAlbumName(part) != part) throw std::invalid_argument("album path");
    start = end + 1;
  }
}

// ---- Thumbnail cache ----
// One file per image beside the project, keyed by its stored path, so the
// cache moves with the project's folder.

// Runs work(i) for i in 0..n on every core.
template <class Work>
void onEveryCore(size_t n, Work work) {
  std::atomic<size_t> next{0};
  auto run = [&] {
    for (size_t i; (i = next++) < n;) work(i);
  };
  std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()) - 1);
  for (std::thread& t : threads) t = std::thread(run);
  run();
  for (std::thread& t : threads) t.join();
}

// Thumbnails for the opened images: from the cache (empty folder: none),
// else read from the source and cached; none without withThumbnails. Marks
// images whose file is gone.
int loadThumbnails(ItemCollection& items, const std::string& cacheFolder, const std::string& base,
                   bool withThumbnails) {
  if (withThumbnails && !cacheFolder.empty()) makeDirectory(cacheFolder);
  std::atomic<int> missing{0};
  onEveryCore(items.list.size(), [&](size_t i) {
    CollectionItem& item = *items.list[i];
    if (item.isAlbum) return;
    const SourceState source = sourceState(item.sourcePath);
    item.sourceMissing = !source.exists;
    if (item.sourceMissing) ++missing;
    if (!withThumbnails) return;
    const std::string key = storedPath(item.sourcePath, base);
    const std::string cache = cacheFolder.empty() ? std::string() : cacheFolder + thumbnailCacheName(key);
    if (!cache.empty()) item.thumbnail = readCachedThumbnail(cache, key, item, source, CacheCheck::AnyIfMissing);
    if (item.thumbnail) return;
    item.thumbnail = source.exists ? thumbnailFromFile(item) : blackThumbnail();
    if (source.exists && !cache.empty()) writeCachedThumbnail(cache, key, item, source);
  });
  return missing;
}

ProjectResult failure(std::string message) {
  ProjectResult r;
  r.message = std::move(message);
  return r;
}

std::string damagedMessage(const std::string& path) {
  return "Die Datei '" + path + "' ist keine gültige Projektdatei oder ist beschädigt. Es wurde nichts geöffnet.";
}

// Everything the file holds, read and checked before anything is applied.
struct ReadProject {
  int preset = 0;
  DialogValues dialogs;
  std::vector<std::unique_ptr<CollectionItem>> items;
  std::string projectFile;
};

ProjectResult readProject(const std::string& path, const AppState& state, const ProjectPages& pages,
                          ReadProject& out, json& doc) {
  std::string text;
  if (!readWholeFile(path, text, kMaxProjectFileBytes)) {
    const std::string problem = fileProblem(path);
    return failure("Die Projektdatei '" + path + "' kann nicht gelesen werden" +
                   (problem.empty() ? std::string(" (größer als 256 MB).") : " (" + problem + ")."));
  }
  JsonRead read = parseJsonCapped(text, {kMaxProjectFileBytes});
  if (!read.ok() || !read.value.is_object()) return failure(damagedMessage(path));
  doc = std::move(read.value);
  auto version = doc.find("format");
  if (version == doc.end() || !version->is_number_integer() || version->get<long long>() < 1)
    return failure(damagedMessage(path));
  if (version->get<long long>() > kProjectFormat)
    return failure("Die Projektdatei '" + path + "' wurde mit einer neueren Version von " + kProductName +
                   " gespeichert (Format " + std::to_string(version->get<long long>()) +
                   ") und kann mit dieser Version nicht geöffnet werden.");
  const std::string base = folderOfFile(path);
  mapPaths(doc, [&](const std::string& p) { return resolvedPath(p, base); });
  try {
    if (auto it = doc.find("preset"); it != doc.end()) fromJson(*it, out.preset);
    out.dialogs = dialogValuesOf(state);
    if (auto it = doc.find("dialogs"); it != doc.end()) fromJson(*it, out.dialogs);
    // The pages are read into copies here only to find faults early.
    ImagePageValues image = pages.image;
    ProjectPageValues project = pages.project;
    CreatePageValues create = pages.create;
    pagesFromDocument(doc, image, project);
    if (auto it = doc.find("createPage"); it != doc.end()) fromJson(*it, create);
    if (auto it = doc.find("projectFile"); it != doc.end()) fromJson(*it, out.projectFile);
    const json& items = doc.at("items");
    if (!items.is_array()) return failure(damagedMessage(path));
    out.items.reserve(items.size());
    for (const json& j : items) {
      auto item = std::make_unique<CollectionItem>();
      fromJson(j, *item);
      checkItem(*item);
      out.items.push_back(std::move(item));
    }
  } catch (const std::exception&) {
    return failure(damagedMessage(path));
  }
  ProjectResult r;
  r.ok = true;
  return r;
}

}  // namespace

std::string projectText(const AppState& state, const ProjectPages& pages, const std::string& baseFolder) {
  return documentText(projectDocument(state, pages, baseFolder.empty() ? baseFolder : withSlash(baseFolder)));
}

std::string thumbnailFolder(const std::string& projectPath) {
  std::string p = projectPath;
  if (endsWithNoCase(p, kProjectExtension)) p.resize(p.size() - std::strlen(kProjectExtension));
  return p + ".pvthumbs/";
}

ProjectResult saveProject(const std::string& path, const AppState& state, const ProjectPages& pages) {
  const std::string base = folderOfFile(path);
  if (!writeFileAtomically(path, projectText(state, pages, base), true))
    return failure("Das Projekt konnte nicht als '" + path +
                   "' gespeichert werden (ist der Datenträger voll oder schreibgeschützt?). Eine frühere Datei "
                   "dieses Namens ist unverändert.");
  // Entries the cache lacks; a stale one is replaced when the project is opened.
  const std::string cache = thumbnailFolder(path);
  if (makeDirectory(cache))
    for (const auto& item : state.items.list) {
      if (item->isAlbum || !item->thumbnail) continue;
      const std::string key = storedPath(item->sourcePath, base);
      const std::string file = cache + thumbnailCacheName(key);
      if (fileExists(file)) continue;
      const SourceState source = sourceState(item->sourcePath);
      if (source.exists) writeCachedThumbnail(file, key, *item, source);
    }
  ProjectResult r;
  r.ok = true;
  return r;
}

namespace {

// The thumbnails come from the cache of the project file: the file itself,
// or for the recovery copy the file the work belonged to.
ProjectResult openFrom(const std::string& path, AppState& state, const ProjectPages& pages, bool recovery,
                       bool withThumbnails) {
  ReadProject read;
  json doc;
  ProjectResult r = readProject(path, state, pages, read, doc);
  if (!r.ok) return r;

  // Now as the window does it: the start values, the preset, then the
  // saved values over them.
  state.items.clear();
  loadPreset(state, 0, pages.image, pages.project);
  if (read.preset != 0) selectProjectType(state, read.preset, pages.image, pages.project);
  state.items.clear();
  pagesFromDocument(doc, pages.image, pages.project);
  if (auto it = doc.find("createPage"); it != doc.end()) fromJson(*it, pages.create);
  setDialogValues(state, read.dialogs);
  state.items.list = std::move(read.items);
  const std::string projectFile = recovery ? read.projectFile : path;
  const bool cached = !projectFile.empty();
  r.missingSources = loadThumbnails(state.items, cached ? thumbnailFolder(projectFile) : "",
                                    cached ? folderOfFile(projectFile) : "", withThumbnails);
  r.projectFile = read.projectFile;
  return r;
}

}  // namespace

ProjectResult openProject(const std::string& path, AppState& state, const ProjectPages& pages, bool withThumbnails) {
  return openFrom(path, state, pages, false, withThumbnails);
}

// ---- Recovery ----

std::string recoveryPath(const AppState& state) { return state.settings.appDataFolder + "recovery.pvproj"; }

bool writeRecovery(const AppState& state, const ProjectPages& pages, const std::string& projectFile) {
  json doc = projectDocument(state, pages, "");
  doc["projectFile"] = projectFile;
  makeDirectories(state.settings.appDataFolder);
  return writeFileAtomically(recoveryPath(state), documentText(doc), true);
}

bool hasRecovery(const AppState& state) { return fileExists(recoveryPath(state)); }

void removeRecovery(const AppState& state) { std::remove(recoveryPath(state).c_str()); }

ProjectResult openRecovery(AppState& state, const ProjectPages& pages) {
  return openFrom(recoveryPath(state), state, pages, true, true);
}

// ---- Recent projects ----

namespace {
std::string recentKey(int i) { return "Project" + std::to_string(i + 1); }
}  // namespace

std::vector<std::string> recentProjects(const AppState& state) {
  std::vector<std::string> list;
  for (int i = 0; i < kRecentProjectCount; ++i) {
    const std::string path = readProfileString(state.settings.configIniPath, "RECENT", recentKey(i), "");
    if (!path.empty() && fileExists(path) && std::find(list.begin(), list.end(), path) == list.end())
      list.push_back(path);
  }
  return list;
}

void rememberProject(const AppState& state, const std::string& path) {
  std::vector<std::string> list = recentProjects(state);
  std::erase(list, path);
  list.insert(list.begin(), path);
  list.resize(std::min(list.size(), size_t(kRecentProjectCount)));
  for (int i = 0; i < kRecentProjectCount; ++i)
    writeProfileString(state.settings.configIniPath, "RECENT", recentKey(i), i < int(list.size()) ? list[size_t(i)] : "");
}

// ---- Missing sources ----

int relocateMissingSources(AppState& state, const std::string& folder) {
  const std::string root = withSlash(folder);
  std::multimap<std::string, std::string> byName;  // built on first need
  bool indexed = false;
  int found = 0;
  for (auto& item : state.items.list) {
    if (item->isAlbum || !item->sourceMissing) continue;
    std::string match;
    // The longest tail of the old path that exists below folder.
    const fs::path old(item->sourcePath);
    std::vector<std::string> parts;
    for (const auto& part : old.relative_path()) parts.push_back(part.string());
    for (size_t first = 0; first < parts.size() && match.empty(); ++first) {
      fs::path tail;
      for (size_t k = first; k < parts.size(); ++k) tail /= parts[k];
      if (fileExists(root + tail.string())) match = root + tail.string();
    }
    if (match.empty()) {
      if (!indexed) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
          if (it->is_regular_file(ec)) byName.emplace(it->path().filename().string(), it->path().string());
        indexed = true;
      }
      if (byName.count(fileNameOf(item->sourcePath)) == 1) match = byName.find(fileNameOf(item->sourcePath))->second;
    }
    if (match.empty()) continue;
    item->sourcePath = match;
    item->sourceMissing = false;
    item->thumbnail = thumbnailFromFile(*item);
    ++found;
  }
  return found;
}

}  // namespace pv
