#include "gallery/BuildManifest.h"

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
constexpr int kManifestFormat = 1;

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

}  // namespace

bool holdsOtherFiles(const std::string& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec) && !fileExists(withSlash(folder) + kManifestName);
}

std::optional<BuildManifest> readManifest(const std::string& outputFolder) {
  const JsonRead read = readJsonFileCapped(withSlash(outputFolder) + kManifestName);
  const nlohmann::json& doc = read.value;
  if (!read.ok() || !doc.is_object()) return std::nullopt;
  try {
    if (doc.at("format").get<int>() != kManifestFormat) return std::nullopt;
    BuildManifest manifest;
    manifest.programVersion = doc.at("program").get<std::string>();
    for (const nlohmann::json& f : doc.at("files")) {
      std::optional<FileRecord> file = fileRecordFromJson(f);
      if (!file) return std::nullopt;
      const std::string path = file->path;
      manifest.files[path] = {std::move(*file), f.contains("recipe") ? f.at("recipe") : nlohmann::json()};
    }
    return manifest;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

bool writeManifest(const std::string& outputFolder, const BuildManifest& manifest) {
  nlohmann::json files = nlohmann::json::array();
  for (const auto& [path, entry] : manifest.files) {
    nlohmann::json f = fileRecordJson({path, entry.size, entry.sha256});
    if (!entry.recipe.is_null()) f["recipe"] = entry.recipe;
    files.push_back(std::move(f));
  }
  const nlohmann::json doc = {{"format", kManifestFormat}, {"program", manifest.programVersion}, {"files", files}};
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
  if (s.imageFormat == 0) {
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

}  // namespace pv
