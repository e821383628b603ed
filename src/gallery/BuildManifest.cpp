#include "gallery/BuildManifest.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "state/AppState.h"
#include "convert/Conversion.h"
#include "model/Encoding.h"
#include "util/FileSystem.h"
#include "settings/Product.h"
#include "util/Text.h"

namespace pv {

namespace {

// Raised when the layout of the record changes; an older layout is read as
// no record at all.
constexpr int kManifestFormat = 1;

namespace fs = std::filesystem;

// A path the record may name: relative, inside the folder, no empty or dot
// segment. Anything else makes the record untrustworthy as a whole, since
// its paths decide what a build removes.
bool safeRelativePath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.back() == '/' || path.find('\0') != std::string::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view segment(path.data() + start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return true;
}

// Paths and captions are bytes that need not be UTF-8 (a legacy caption, a
// folder named on another system); JSON holds only UTF-8, so such a text is
// kept as its bytes in hex.
nlohmann::json byteText(const std::string& text) {
  if (isValidUtf8(text)) return text;
  std::string hex;
  for (unsigned char c : text) hex += format("%02x", c);
  return {{"bytes", hex}};
}

std::optional<std::string> textOf(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  const std::string hex = value.at("bytes").get<std::string>();
  if (hex.size() % 2 || hex.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
  std::string text;
  for (size_t i = 0; i < hex.size(); i += 2) text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return text;
}

// Size and modification time of a file (nanoseconds since 1970), or zeros.
nlohmann::json fileStamp(const std::string& path) {
  std::error_code ec, ec2;
  const auto size = fs::file_size(path, ec);
  const auto time = fs::last_write_time(path, ec2);
  const auto since1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::file_clock::to_sys(time).time_since_epoch());
  return {{"path", byteText(path)},
          {"size", ec ? 0 : std::uint64_t(size)},
          {"modified", ec2 ? 0 : std::int64_t(since1970.count())}};
}

}  // namespace

bool holdsOtherFiles(const std::string& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec) && !fileExists(withSlash(folder) + kManifestName);
}

std::vector<std::string> foreignStartPages(const std::string& folder) {
  static const char* const kServerStartPages[] = {"index.html", "index.htm", "index.shtml", "index.php",
                                                  "default.htm", "default.html"};
  const std::optional<BuildManifest> record = readManifest(folder);
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

std::optional<ManifestFile> describeFile(const std::string& path) {
  if (!fileExists(path)) return std::nullopt;
  ManifestFile entry;
  entry.sha256 = sha256OfFile(path);
  if (entry.sha256.empty()) return std::nullopt;
  entry.size = fileSizeOf(path);
  return entry;
}

bool fileMatches(const std::string& path, const ManifestFile& entry) {
  return !entry.sha256.empty() && fileExists(path) && fileSizeOf(path) == entry.size && sha256OfFile(path) == entry.sha256;
}

std::optional<BuildManifest> readManifest(const std::string& outputFolder) {
  std::string text;
  if (!readWholeFile(withSlash(outputFolder) + kManifestName, text)) return std::nullopt;
  const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
  try {
    if (doc.at("format").get<int>() != kManifestFormat) return std::nullopt;
    BuildManifest manifest;
    manifest.programVersion = doc.at("program").get<std::string>();
    for (const nlohmann::json& f : doc.at("files")) {
      const std::optional<std::string> path = textOf(f.at("path"));
      if (!path || !safeRelativePath(*path)) return std::nullopt;
      ManifestFile& entry = manifest.files[*path];
      entry.size = f.at("size").get<std::uint64_t>();
      entry.sha256 = f.at("sha256").get<std::string>();
      if (f.contains("recipe")) entry.recipe = f.at("recipe");
    }
    return manifest;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

bool writeManifest(const std::string& outputFolder, const BuildManifest& manifest) {
  nlohmann::json files = nlohmann::json::array();
  for (const auto& [path, entry] : manifest.files) {
    nlohmann::json f = {{"path", byteText(path)}, {"size", entry.size}, {"sha256", entry.sha256}};
    if (!entry.recipe.is_null()) f["recipe"] = entry.recipe;
    files.push_back(std::move(f));
  }
  const nlohmann::json doc = {{"format", kManifestFormat}, {"program", manifest.programVersion}, {"files", files}};
  // Every text went through byteText; replacing stays the guard against a
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
  if (s.imageFormat == 0) {
    auto orCaption = [&](const std::string& setting) { return setting == "<IMAGE>" ? item.caption : setting; };
    recipe["quality"] = s.jpegQuality;
    recipe["texts"] = {{"comment", byteText(orCaption(state.jpegComment))},
                       {"caption", byteText(orCaption(state.iptcCaption))},
                       {"title", byteText(state.iptcTitle)},
                       {"author", byteText(state.iptcAuthor)},
                       {"copyright", byteText(state.iptcCopyright)}};
  }
  return recipe;
}

}  // namespace pv
