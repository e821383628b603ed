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
#include "util/FileSystem.h"

namespace pv {

struct AppState;
struct CollectionItem;

inline constexpr const char* kManifestName = ".picovand-build.json";
// The start page's copy that a web server shows for the gallery's own
// address; written by a build when asked, and never over one of somebody else's.
inline constexpr const char* kIndexPageName = "index.html";

// The secret that seals this user's build records and keys their recipe
// digests, kept in keyFolder (the program's data folder). A record sealed
// with another secret was written by someone else (a gallery folder that
// was sent, unpacked, copied from another machine) and grants nothing:
// no reuse, no removal. A build makes the secret; a check only reads it.
std::string recordSecret(const std::string& keyFolder, bool create);

// The folder holds files but no build record of ours: a build into it could
// replace files somebody else made, so the front ends ask first. A gallery of
// ours is simply built again.
bool holdsOtherFiles(const std::string& folder, const std::string& keyFolder);

// Start pages a web server would show in place of the gallery's own, found
// at the top of folder and not written by a build of ours ("index.html").
std::vector<std::string> foreignStartPages(const std::string& folder, const std::string& keyFolder);

// A file of the gallery; an empty hash: about to be written by a build that
// did not finish.
struct ManifestFile : FileRecord {
  // What made a converted image, as a keyed digest (recipeDigest), so the
  // served folder names no source path, caption or user; empty for every
  // other file.
  std::string recipe;
  // A converted image whose source was too small for its high-resolution
  // picture, so that picture has no file.
  bool withoutTwin = false;
  // The file's stamp when its hash was taken; zero: not known.
  FileStamp stamp;
};

struct BuildManifest {
  std::string programVersion;
  std::map<std::string, ManifestFile> files;  // by path relative to the output folder, with "/"
  // When the record itself was written (read back from its file, not kept in it).
  std::int64_t writtenNs = 0;
};

// The most a record may hold; a larger one is not believed.
inline constexpr std::uint64_t kMaxManifestBytes = std::uint64_t(256) << 20;

// The record's entry for folder + path as the file is now, with its stamp;
// nothing when it cannot be read.
std::optional<ManifestFile> describeOutput(const std::string& folder, const std::string& path,
                                           const std::string& recipe = {});
// The entry of record for folder + file.path, with the file's stamp as it is
// now, when the file is a regular file that still holds what the entry
// says; nothing otherwise. Where the stamp is still the recorded one, the
// bytes are not read again: a gallery of many thousand files is checked in
// moments.
std::optional<ManifestFile> stillAsRecorded(const std::string& folder, const BuildManifest& record,
                                            const ManifestFile& file);

// The manifest of outputFolder; nothing when it is missing, cannot be read,
// is damaged, larger or deeper than a record of ours can be, names a path
// outside the folder, or is not sealed with secret.
std::optional<BuildManifest> readManifest(const std::string& outputFolder, const std::string& secret);
// Written beside the gallery under a temporary name and renamed over the old
// one, so a reader sees either the old record or the new, never a part.
bool writeManifest(const std::string& outputFolder, const BuildManifest& manifest, const std::string& secret);

// Everything that decides the bytes of one converted image: the source file
// (path, size, modification time), the box and every scaled box of the same
// image (one decode serves them all), format, quality, filter, the watermark
// and its values, the user's rotation and flips, the texts written into a
// JPEG, and the program version.
nlohmann::json imageRecipe(const AppState& state, const CollectionItem& item, int boxWidth, int boxHeight,
                           const std::vector<std::pair<int, int>>& scaledBoxes);
// The recipe as the record keeps it: equal recipes give equal digests, and
// without the secret nobody can tell from it which file or text made it.
std::string recipeDigest(const nlohmann::json& recipe, const std::string& secret);

}  // namespace pv
