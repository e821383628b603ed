#include "publish/Manifest.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "gallery/BuildManifest.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

bool isHexDigest(const std::string& s) {
  return s.size() == 64 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace

// Pages go after the pictures they show; the start page is the gallery's
// front door and goes last of all.
int uploadRank(const std::string& path) {
  const bool page = endsWithNoCase(path, ".htm") || endsWithNoCase(path, ".html");
  if (!page) return 0;
  if (path.find('/') != std::string::npos) return 1;
  const std::string stem = toLower(path.substr(0, path.rfind('.')));
  return endsWith(stem, "00000") || stem == "index" ? 2 : 1;
}

bool scanGallery(const std::string& folder, Manifest& files, const Manifest& known) {
  namespace fs = std::filesystem;
  files.clear();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  const fs::path root(folder);
  fs::recursive_directory_iterator it(root, fs::directory_options::follow_directory_symlink, ec), end;
  if (ec) return false;
  for (; it != end; it.increment(ec)) {
    if (ec) return false;
    if (!it->is_regular_file(ec)) continue;
    const std::string rel = it->path().lexically_relative(root).generic_string();
    // The build's own record names the user's source files: it stays at home.
    if (rel == kUploadManifestName || rel == kManifestName) continue;
    ManifestEntry e{rel, std::uint64_t(it->file_size(ec)), {},
                    std::chrono::duration_cast<std::chrono::nanoseconds>(it->last_write_time(ec).time_since_epoch()).count()};
    if (ec) return false;
    auto k = known.find(rel);
    e.sha256 = k != known.end() && k->second.size == e.size && k->second.modified == e.modified && e.modified != 0
                   ? k->second.sha256
                   : sha256OfFile(it->path().string());
    if (e.sha256.empty()) return false;
    files[rel] = std::move(e);
  }
  return true;
}

bool isSafeRelativePath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

nlohmann::json manifestToJsonValue(const Manifest& files) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& [path, e] : files)
    list.push_back({{"path", e.path}, {"size", e.size}, {"sha256", e.sha256}, {"modified", e.modified}});
  return {{"format", 1}, {"files", std::move(list)}};
}

std::string manifestToJson(const Manifest& files) {
  // Paths are bytes from the disk; invalid UTF-8 is written replaced rather
  // than failing the whole upload.
  return manifestToJsonValue(files).dump(1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<Manifest> manifestFromJson(const std::string& text) {
  return manifestFromJsonValue(nlohmann::json::parse(text, nullptr, false));
}

std::optional<Manifest> manifestFromJsonValue(const nlohmann::json& j) {
  if (j.is_discarded() || !j.is_object() || j.value("format", 0) != 1 || !j.contains("files") || !j["files"].is_array())
    return std::nullopt;
  Manifest files;
  for (const nlohmann::json& f : j["files"]) {
    if (!f.is_object() || !f.contains("path") || !f["path"].is_string() || !f.contains("size") ||
        !f["size"].is_number_unsigned() || !f.contains("sha256") || !f["sha256"].is_string())
      return std::nullopt;
    ManifestEntry e{f["path"].get<std::string>(), f["size"].get<std::uint64_t>(), f["sha256"].get<std::string>(),
                    f.contains("modified") && f["modified"].is_number_integer() ? f["modified"].get<std::int64_t>() : 0};
    if (!isSafeRelativePath(e.path) || e.path == kUploadManifestName || !isHexDigest(e.sha256)) return std::nullopt;
    files[e.path] = std::move(e);
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
  if (remote.hasManifest) {
    for (const auto& [path, e] : remote.manifest)
      if (!local.count(path)) plan.remove.push_back(path);
  } else {
    for (const auto& [path, e] : remote.previous)
      if (!local.count(path) && remote.listing.count(path)) plan.remove.push_back(path);
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
