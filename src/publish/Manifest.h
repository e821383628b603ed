#pragma once
// What an upload put on the server: every file of the gallery by its path
// relative to the gallery folder, with size and SHA-256. The upload keeps it
// beside the gallery on the server, and compares it with the local gallery to
// send only what changed.
#include <cstdint>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gallery/BuildManifest.h"
#include "records/FileRecord.h"

namespace pv {

struct ManifestEntry : FileRecord {
  std::int64_t modified = 0;  // local modification time in ns; only to skip hashing again
};
using Manifest = std::map<std::string, ManifestEntry>;  // by path

// The manifest's name in the remote gallery folder. Never part of a gallery.
inline constexpr const char* kUploadManifestName = ".picovand-upload.json";

// A path that may go into a server command: safe, and without control
// characters, since a line break would end the command and start another.
bool isSendablePath(std::string_view path);

// What is known of the gallery's files without reading them again.
struct KnownHashes {
  // The build record's files; they count for a file of the same size that
  // was not changed after the record was written (builtAt, file time in ns).
  std::map<std::string, ManifestFile> built;
  std::int64_t builtAt = 0;
  // The last upload's files; they count for a file of the same size and
  // modification time.
  Manifest uploaded;
};
// The build record of folder, if there is one, and the last upload's files.
KnownHashes knownHashes(const std::string& folder, const Manifest& uploaded);

// A file of the gallery that is not sent, and why.
struct SkippedFile {
  std::string path;
  std::string reason;
};

struct GalleryScan {
  std::string error;  // why the gallery cannot be read; empty when it was
  Manifest files;
  std::vector<SkippedFile> skipped;  // links, special files, names no command can carry
};

// Every regular file below folder, with size and checksum; links are neither
// followed nor sent, and neither is the build's or the upload's record.
// A checksum comes from `known` where it covers the file, otherwise from the file.
GalleryScan scanGallery(const std::string& folder, const KnownHashes& known = {});

nlohmann::json manifestToJsonValue(const Manifest& files);
std::string manifestToJson(const Manifest& files);
// Nothing, and in why the reason, when the text is not a manifest, is too
// large or deep, or holds a path that could leave the gallery folder or
// carry a command.
std::optional<Manifest> manifestFromJson(const std::string& text, std::string& why);
std::optional<Manifest> manifestFromJsonValue(const nlohmann::json& j, std::string& why);

// 0 for pictures and other files, 1 for pages, 2 for the start page: the
// order of an upload.
int uploadRank(const std::string& path);

// What the server holds before an upload, as far as it can be known.
struct RemoteState {
  bool hasManifest = false;
  Manifest manifest;  // when hasManifest
  // Otherwise: the files found by listing the remote folder (path -> size).
  std::map<std::string, std::uint64_t> listing;
  // The files the uploads from this computer put there (the local record):
  // the only ones an upload may remove.
  Manifest previous;
};

struct UploadPlan {
  std::vector<ManifestEntry> send;  // in upload order
  std::vector<std::string> remove;  // remote files to delete, after all sends
  bool comparedByListing = false;   // no usable remote manifest: sizes only
  std::uint64_t bytesToSend = 0;
};

// Sends what is new or changed; removes what an upload from here put there
// and the gallery no longer has, if the server still holds it as sent.
// Without a manifest, a file of the same size counts as unchanged. Order:
// images and other files, then pages, the start page last.
UploadPlan planUpload(const Manifest& local, const RemoteState& remote);

// The manifest of what is on the server after the plan's sends listed in
// `sent` (and removals in `removed`) went through, starting from `before`.
Manifest manifestAfter(const Manifest& before, const std::vector<ManifestEntry>& sent,
                       const std::vector<std::string>& removed);

}  // namespace pv
