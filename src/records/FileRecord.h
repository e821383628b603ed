#pragma once
// One file of a folder as the program's records keep it (the build record
// beside a gallery, the upload records on the server and at home): where it
// is, how large, and the SHA-256 of its bytes. Both records write and read
// it through the functions here, so a path means the same bytes in each.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

struct FileRecord {
  std::string path;  // relative to the folder, "/"-separated, the bytes of the name as on disk
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits; empty: not known
};

// A path a record may name: relative, no empty, "." or ".." part, no NUL.
// A record naming anything else is not trusted at all, since its paths
// decide what is removed.
bool isSafeRelativePath(std::string_view path);
bool isSha256Hex(std::string_view text);

// Names and texts are bytes that need not be UTF-8 (a folder named on
// another system, a legacy caption); JSON holds only UTF-8, so such a text
// is written as {"bytes": "<hex>"} and read back byte for byte.
nlohmann::json byteTextJson(std::string_view text);
std::optional<std::string> byteTextFromJson(const nlohmann::json& value);

// {"path", "size", "sha256"}; the reader refuses an unsafe path, a size that
// is no unsigned number and a hash that is neither empty nor a SHA-256.
nlohmann::json fileRecordJson(const FileRecord& file);
std::optional<FileRecord> fileRecordFromJson(const nlohmann::json& value);

// The record of folder + path as the file is now; nothing when it cannot be read.
std::optional<FileRecord> describeFile(const std::string& folder, const std::string& path);
// The file at folder + file.path still holds the recorded bytes.
bool fileMatches(const std::string& folder, const FileRecord& file);

}  // namespace pv
