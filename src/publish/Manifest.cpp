#include "publish/Manifest.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "util/FileSystem.h"
#include "util/Json.h"
#include "util/Text.h"

namespace pv {

namespace fs = std::filesystem;

namespace {

std::int64_t nanoseconds(fs::file_time_type time) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

// The checksum `known` holds for a file as it is now, or nothing.
std::string knownHash(const KnownHashes& known, const ManifestEntry& e) {
  if (auto b = known.built.find(e.path);
      b != known.built.end() && b->second.size == e.size && !b->second.sha256.empty() && e.modified < known.builtAt)
    return b->second.sha256;
  if (auto u = known.uploaded.find(e.path);
      u != known.uploaded.end() && u->second.size == e.size && u->second.modified == e.modified && e.modified != 0)
    return u->second.sha256;
  return {};
}

}  // namespace

bool isSendablePath(std::string_view path) {
  return isSafeRelativePath(path) &&
         std::none_of(path.begin(), path.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7f; });
}

// Pages go after the pictures they show; the start page is the gallery's
// front door and goes last of all.
int uploadRank(const std::string& path) {
  const bool page = endsWithNoCase(path, ".htm") || endsWithNoCase(path, ".html");
  if (!page) return 0;
  if (path.find('/') != std::string::npos) return 1;
  const std::string stem = toLower(path.substr(0, path.rfind('.')));
  return endsWith(stem, "00000") || stem == "index" ? 2 : 1;
}

KnownHashes knownHashes(const std::string& folder, const Manifest& uploaded) {
  KnownHashes known;
  known.uploaded = uploaded;
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(withSlash(folder) + kManifestName, ec);
  if (ec) return known;
  if (std::optional<BuildManifest> build = readManifest(folder)) {
    known.built = std::move(build->files);
    known.builtAt = nanoseconds(written);
  }
  return known;
}

GalleryScan scanGallery(const std::string& folder, const KnownHashes& known) {
  GalleryScan scan;
  std::error_code ec;
  const fs::path root(folder);
  if (!fs::is_directory(root, ec)) {
    scan.error = "cannot read the gallery folder " + folder;
    return scan;
  }
  fs::recursive_directory_iterator it(root, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string rel = it->path().lexically_relative(root).generic_string();
    // The build's own record names the user's source files: it stays at home.
    if (rel == kUploadManifestName || rel == kManifestName) continue;
    const fs::file_status status = it->symlink_status(ec);
    if (ec) break;
    const char* reason = nullptr;
    if (fs::is_symlink(status))
      reason = "a symbolic link";
    else if (!isSendablePath(rel))
      reason = "its name holds a control character";
    else if (!fs::is_directory(status) && !fs::is_regular_file(status))
      reason = "not a regular file";
    if (reason) {
      scan.skipped.push_back({rel, reason});
      if (fs::is_directory(status)) it.disable_recursion_pending();
      continue;
    }
    if (fs::is_directory(status)) continue;
    ManifestEntry e{{rel, std::uint64_t(it->file_size(ec)), {}}, nanoseconds(it->last_write_time(ec))};
    if (ec) break;
    e.sha256 = knownHash(known, e);
    if (e.sha256.empty()) e.sha256 = sha256OfFile(it->path().string());
    if (e.sha256.empty()) {
      scan.error = "cannot read " + it->path().string();
      return scan;
    }
    scan.files[rel] = std::move(e);
  }
  if (ec) scan.error = "cannot read the gallery folder " + folder + ": " + ec.message();
  return scan;
}

nlohmann::json manifestToJsonValue(const Manifest& files) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& [path, e] : files) {
    nlohmann::json entry = fileRecordJson(e);
    entry["modified"] = e.modified;
    list.push_back(std::move(entry));
  }
  return {{"format", 1}, {"files", std::move(list)}};
}

// Every path went through byteTextJson; replacing stays the guard for an overlooked text.
std::string manifestToJson(const Manifest& files) {
  return manifestToJsonValue(files).dump(1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<Manifest> manifestFromJson(const std::string& text, std::string& why) {
  const JsonRead read = parseJsonCapped(text);
  if (!read.ok()) {
    why = read.error;
    return std::nullopt;
  }
  return manifestFromJsonValue(read.value, why);
}

std::optional<Manifest> manifestFromJsonValue(const nlohmann::json& j, std::string& why) {
  if (!j.is_object() || j.value("format", 0) != 1 || !j.contains("files") || !j["files"].is_array()) {
    why = "is not a list of uploaded files";
    return std::nullopt;
  }
  Manifest files;
  for (const nlohmann::json& f : j["files"]) {
    std::optional<FileRecord> file = fileRecordFromJson(f);
    if (!file || !isSendablePath(file->path) || file->path == kUploadManifestName || file->sha256.empty()) {
      why = "names a file outside the gallery, with a control character, or without checksum";
      return std::nullopt;
    }
    const std::int64_t modified =
        f.contains("modified") && f["modified"].is_number_integer() ? f["modified"].get<std::int64_t>() : 0;
    const std::string path = file->path;
    files[path] = {std::move(*file), modified};
  }
  return files;
}

UploadPlan planUpload(const Manifest& local, const RemoteState& remote) {
  UploadPlan plan;
  plan.comparedByListing = !remote.hasManifest;
  for (const auto& [path, e] : local) {
    bool same;
    if (remote.hasManifest) {
      auto r = remote.manifest.find(path);
      same = r != remote.manifest.end() && r->second.size == e.size && r->second.sha256 == e.sha256;
    } else {
      auto r = remote.listing.find(path);
      same = r != remote.listing.end() && r->second == e.size;
    }
    if (same) continue;
    plan.send.push_back(e);
    plan.bytesToSend += e.size;
  }
  std::stable_sort(plan.send.begin(), plan.send.end(), [](const ManifestEntry& a, const ManifestEntry& b) {
    return uploadRank(a.path) < uploadRank(b.path);
  });
  // The server's word alone never removes a file: it must be one that an
  // upload from here sent, and still be there as sent.
  for (const auto& [path, ours] : remote.previous) {
    if (local.count(path)) continue;
    if (remote.hasManifest) {
      auto r = remote.manifest.find(path);
      if (r != remote.manifest.end() && r->second.size == ours.size && r->second.sha256 == ours.sha256)
        plan.remove.push_back(path);
    } else if (remote.listing.count(path)) {
      plan.remove.push_back(path);
    }
  }
  return plan;
}

Manifest manifestAfter(const Manifest& before, const std::vector<ManifestEntry>& sent,
                       const std::vector<std::string>& removed) {
  Manifest after = before;
  for (const ManifestEntry& e : sent) after[e.path] = e;
  for (const std::string& path : removed) after.erase(path);
  return after;
}

}  // namespace pv
