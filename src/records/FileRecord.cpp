#include "records/FileRecord.h"

#include "model/Encoding.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

bool isSafeRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/' || path.find('\0') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool isSha256Hex(std::string_view text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

nlohmann::json byteTextJson(std::string_view text) {
  if (isValidUtf8(text)) return std::string(text);
  std::string hex;
  for (unsigned char c : text) hex += format("%02x", c);
  return {{"bytes", hex}};
}

std::optional<std::string> byteTextFromJson(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (!value.is_object() || !value.contains("bytes") || !value["bytes"].is_string()) return std::nullopt;
  const std::string& hex = value["bytes"].get_ref<const std::string&>();
  if (hex.size() % 2 || hex.find_first_not_of("0123456789abcdef") != std::string::npos) return std::nullopt;
  std::string text;
  for (size_t i = 0; i < hex.size(); i += 2) text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return text;
}

nlohmann::json fileRecordJson(const FileRecord& file) {
  return {{"path", byteTextJson(file.path)}, {"size", file.size}, {"sha256", file.sha256}};
}

std::optional<FileRecord> fileRecordFromJson(const nlohmann::json& value) {
  if (!value.is_object() || !value.contains("path") || !value.contains("size") || !value["size"].is_number_unsigned() ||
      !value.contains("sha256") || !value["sha256"].is_string())
    return std::nullopt;
  std::optional<std::string> path = byteTextFromJson(value["path"]);
  FileRecord file{path.value_or(""), value["size"].get<std::uint64_t>(), value["sha256"].get<std::string>()};
  if (!path || !isSafeRelativePath(file.path) || (!file.sha256.empty() && !isSha256Hex(file.sha256)))
    return std::nullopt;
  return file;
}

std::optional<FileRecord> describeFile(const std::string& folder, const std::string& path) {
  const std::string full = withSlash(folder) + path;
  if (!fileExists(full)) return std::nullopt;
  FileRecord file{path, 0, sha256OfFile(full)};
  if (file.sha256.empty()) return std::nullopt;
  file.size = fileSizeOf(full);
  return file;
}

bool fileMatches(const std::string& folder, const FileRecord& file) {
  const std::string full = withSlash(folder) + file.path;
  return !file.sha256.empty() && fileExists(full) && fileSizeOf(full) == file.size && sha256OfFile(full) == file.sha256;
}

}  // namespace pv
