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
#include <vector>

namespace pv {

struct ManifestEntry {
  std::string path;  // relative, "/"-separated, UTF-8 bytes as on disk
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
  std::int64_t modified = 0;  // local modification time in ns; only to skip hashing again
};
using Manifest = std::map<std::string, ManifestEntry>;  // by path

// The manifest's name in the remote gallery folder. Never part of a gallery.
inline constexpr const char* kUploadManifestName = ".picovand-upload.json";

// Every regular file below folder (symbolic links followed, the manifest
// itself left out), with size and checksum. A file whose size and
// modification time equal its entry in `known` keeps that checksum unread.
// False when folder cannot be read.
bool scanGallery(const std::string& folder, Manifest& files, const Manifest& known = {});

std::string manifestToJson(const Manifest& files);
nlohmann::json manifestToJsonValue(const Manifest& files);
// Nothing when the text is not a manifest or holds a path that could leave
// the gallery folder (absolute, "..", empty parts).
std::optional<Manifest> manifestFromJson(const std::string& text);
std::optional<Manifest> manifestFromJsonValue(const nlohmann::json& j);

// A relative path that stays inside its folder.
bool isSafeRelativePath(const std::string& path);

// 0 for pictures and other files, 1 for pages, 2 for the start page: the
// order of an upload.
int uploadRank(const std::string& path);

// What the server holds before an upload, as far as it can be known.
struct RemoteState {
  bool hasManifest = false;
  Manifest manifest;  // when hasManifest
  // Otherwise: the files found by listing the remote folder (path -> size),
  std::map<std::string, std::uint64_t> listing;
  // and the files the last upload from this computer put there, if known.
  Manifest previous;
};

struct UploadPlan {
  std::vector<ManifestEntry> send;  // in upload order
  std::vector<std::string> remove;  // remote files to delete, after all sends
  bool comparedByListing = false;   // no usable remote manifest: sizes only
  std::uint64_t bytesToSend = 0;
};

// Sends what is new or changed; removes what an earlier upload put there and
// the gallery no longer has. Without a manifest, a file of the same size
// counts as unchanged and only files the local record says we sent are
// removed. Order: images and other files, then pages, the start page last.
UploadPlan planUpload(const Manifest& local, const RemoteState& remote);

// The manifest of what is on the server after the plan's sends listed in
// `sent` (and removals in `removed`) went through, starting from `before`.
Manifest manifestAfter(const Manifest& before, const std::vector<ManifestEntry>& sent,
                       const std::vector<std::string>& removed);

}  // namespace pv
