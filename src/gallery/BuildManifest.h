#pragma once
// The record a build leaves in its output folder: every file it wrote, with
// size and hash, and for each converted image what made it. The next build
// into the same folder reuses what is unchanged, and removes what it no
// longer writes, but only files the record names.
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "records/FileRecord.h"

namespace pv {

struct AppState;
struct CollectionItem;

inline constexpr const char* kManifestName = ".picovand-build.json";

// The folder holds files but no build record of ours: a build into it could
// replace files somebody else made, so the front ends ask first. A gallery of
// ours is simply built again.
bool holdsOtherFiles(const std::string& folder);

// A file of the gallery; an empty hash: written by a build that did not finish.
struct ManifestFile : FileRecord {
  nlohmann::json recipe;  // what made a converted image; null for every other file
};

struct BuildManifest {
  std::string programVersion;
  std::map<std::string, ManifestFile> files;  // by path relative to the output folder, with "/"
};

// The manifest of outputFolder; nothing when it is missing, cannot be read,
// is damaged or names a path outside the folder.
std::optional<BuildManifest> readManifest(const std::string& outputFolder);
// Written beside the gallery under a temporary name and renamed over the old
// one, so a reader sees either the old record or the new, never a part.
bool writeManifest(const std::string& outputFolder, const BuildManifest& manifest);

// Everything that decides the bytes of one converted image: the source file
// (path, size, modification time), the box and every scaled box of the same
// image (one decode serves them all), format, quality, filter, the watermark
// and its values, the user's rotation and flips, the texts written into a
// JPEG, and the program version.
nlohmann::json imageRecipe(const AppState& state, const CollectionItem& item, int boxWidth, int boxHeight,
                           const std::vector<std::pair<int, int>>& scaledBoxes);

}  // namespace pv
