#include "gallery/BuildManifest.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "state/AppState.h"
#include "convert/Conversion.h"
#include "util/FileSystem.h"
#include "settings/Product.h"
#include "util/Json.h"
#include "util/Text.h"

namespace pv {

namespace {

// Raised when the layout of the record changes; an older layout is read as
// no record at all.
constexpr int kManifestFormat = 2;

namespace fs = std::filesystem;

// Size and modification time of a file (nanoseconds since 1970), or zeros.
nlohmann::json fileStamp(const std::string& path) {
  std::error_code ec, ec2;
  const auto size = fs::file_size(path, ec);
  const auto time = fs::last_write_time(path, ec2);
  const auto since1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::file_clock::to_sys(time).time_since_epoch());
  return {{"path", byteTextJson(path)},
          {"size", ec ? 0 : std::uint64_t(size)},
          {"modified", ec2 ? 0 : std::int64_t(since1970.count())}};
}

// The seal of a record: the keyed digest of its compact text, which a
// record read back gives again byte for byte.
std::string sealOf(const nlohmann::json& doc, const std::string& secret) {
  return hmacSha256Hex(secret, doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace

std::string recordSecret(const std::string& keyFolder, bool create) {
  return userSecret(withSlash(keyFolder) + "build-record.key", create);
}

bool holdsOtherFiles(const std::string& folder, const std::string& keyFolder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec) &&
         !readManifest(folder, recordSecret(keyFolder, false));
}

std::vector<std::string> foreignStartPages(const std::string& folder, const std::string& keyFolder) {
  static const char* const kServerStartPages[] = {"index.html", "index.htm", "index.shtml", "index.php",
                                                  "default.htm", "default.html"};
  const std::optional<BuildManifest> record = readManifest(folder, recordSecret(keyFolder, false));
  std::vector<std::string> found;
  for (const DirEntry& e : listDirectory(withSlash(folder))) {
    if (e.isDirectory || (record && record->files.count(e.name))) continue;
    const std::string lower = toLower(e.name);
    for (const char* page : kServerStartPages)
      if (lower == page) found.push_back(e.name);
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::optional<ManifestFile> describeOutput(const std::string& folder, const std::string& path,
                                           const std::string& recipe) {
  const std::string full = withSlash(folder) + path;
  const FileStamp before = fileStampOf(full);
  std::optional<FileRecord> file = describeFile(folder, path);
  if (!file) return std::nullopt;
  // A file changed while it was hashed keeps no stamp, so it is hashed again next time.
  return ManifestFile{std::move(*file), recipe, false, fileStampOf(full) == before ? before : FileStamp{}};
}

std::optional<ManifestFile> stillAsRecorded(const std::string& folder, const BuildManifest& record,
                                            const ManifestFile& file) {
  const std::string full = withSlash(folder) + file.path;
  const FileStamp now = fileStampOf(full);
  if (file.sha256.empty() || now.inode == 0 || fileSizeOf(full) != file.size) return std::nullopt;
  // Timestamps move in clock ticks: a change within the tick the record was
  // written in could leave a stamp as it was, so such a file is hashed.
  const bool stampHolds =
      now == file.stamp && file.stamp.changedNs < record.writtenNs && file.stamp.modifiedNs < record.writtenNs;
  if (!stampHolds && (sha256OfFile(full) != file.sha256 || fileStampOf(full) != now)) return std::nullopt;
  ManifestFile kept = file;
  kept.stamp = now;
  return kept;
}

std::optional<BuildManifest> readManifest(const std::string& outputFolder, const std::string& secret) {
  if (secret.empty()) return std::nullopt;
  const std::string path = withSlash(outputFolder) + kManifestName;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  JsonRead read = readJsonFileCapped(path, {kMaxManifestBytes});
  nlohmann::json& doc = read.value;
  if (!read.ok() || !doc.is_object()) return std::nullopt;
  try {
    const std::string seal = doc.at("seal").get<std::string>();
    doc.erase("seal");
    if (seal != sealOf(doc, secret)) return std::nullopt;
    if (doc.at("format").get<int>() != kManifestFormat) return std::nullopt;
    BuildManifest manifest;
    manifest.programVersion = doc.at("program").get<std::string>();
    for (const nlohmann::json& f : doc.at("files")) {
      std::optional<FileRecord> file = fileRecordFromJson(f);
      if (!file) return std::nullopt;
      const std::string path = file->path;
      FileStamp stamp;
      if (f.contains("stamp"))
        stamp = {f.at("stamp").at(0).get<std::uint64_t>(), f.at("stamp").at(1).get<std::int64_t>(),
                 f.at("stamp").at(2).get<std::int64_t>()};
      manifest.files[path] = {std::move(*file), f.contains("recipe") ? f.at("recipe").get<std::string>() : "",
                              f.contains("withoutTwin") && f.at("withoutTwin").get<bool>(), stamp};
    }
    manifest.writtenNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return manifest;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

bool writeManifest(const std::string& outputFolder, const BuildManifest& manifest, const std::string& secret) {
  if (secret.empty()) return false;
  nlohmann::json files = nlohmann::json::array();
  for (const auto& [path, entry] : manifest.files) {
    nlohmann::json f = fileRecordJson({path, entry.size, entry.sha256});
    if (!entry.recipe.empty()) f["recipe"] = entry.recipe;
    if (entry.withoutTwin) f["withoutTwin"] = true;
    if (entry.stamp.inode != 0) f["stamp"] = {entry.stamp.inode, entry.stamp.modifiedNs, entry.stamp.changedNs};
    files.push_back(std::move(f));
  }
  nlohmann::json doc = {{"format", kManifestFormat}, {"program", manifest.programVersion}, {"files", files}};
  doc["seal"] = sealOf(doc, secret);
  // Every text went through byteTextJson; replacing stays the guard against a
  // build that ends without its record for an overlooked one.
  return writeFileAtomically(withSlash(outputFolder) + kManifestName,
                             doc.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
}

nlohmann::json imageRecipe(const AppState& state, const CollectionItem& item, int boxWidth, int boxHeight,
                           const std::vector<std::pair<int, int>>& scaledBoxes) {
  const ProjectSettings& s = state.settings;
  nlohmann::json recipe = {{"program", kProductVersion}, {"source", fileStamp(item.sourcePath)},
                           {"box", {boxWidth, boxHeight}}};
  // A copied source depends on nothing else but whether it loses its GPS data.
  if (boxWidth == kCopyBoxSide && boxHeight == kCopyBoxSide) {
    if (s.stripGps) recipe["stripGps"] = true;
    return recipe;
  }
  recipe["boxes"] = scaledBoxes;
  if (s.noEnlarge) recipe["noEnlarge"] = true;
  recipe["format"] = s.imageFormat;
  recipe["filter"] = s.resizeFilter;
  recipe["rotation"] = item.rotation;
  recipe["flips"] = {item.flipHorizontal, item.flipVertical};
  if (!state.watermarkFile.empty())
    recipe["watermark"] = {{"file", fileStamp(state.watermarkFile)},
                           {"transparency", state.watermarkTransparency},
                           {"sizePercent", state.watermarkSizePercent},
                           {"position", state.watermarkPosition},
                           {"offset", {state.watermarkOffsetX, state.watermarkOffsetY}}};
  // The formats that carry the caption texts, and have a quality.
  if (s.imageFormat == kJpeg || s.imageFormat == kWebp || s.imageFormat == kAvif) {
    auto orCaption = [&](const std::string& setting) { return setting == "<IMAGE>" ? item.caption : setting; };
    recipe["quality"] = s.jpegQuality;
    recipe["texts"] = {{"comment", byteTextJson(orCaption(state.jpegComment))},
                       {"caption", byteTextJson(orCaption(state.iptcCaption))},
                       {"title", byteTextJson(state.iptcTitle)},
                       {"author", byteTextJson(state.iptcAuthor)},
                       {"copyright", byteTextJson(state.iptcCopyright)}};
  }
  return recipe;
}

std::string recipeDigest(const nlohmann::json& recipe, const std::string& secret) {
  return hmacSha256Hex(secret, recipe.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace pv
