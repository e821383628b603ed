#pragma once
// File system helpers on byte-string paths. None of them throws: a failure
// is the return value, as callers treat file errors as "skip and go on".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// The largest file readWholeFile takes unless told otherwise: above any
// photo or page this program reads, below what would exhaust the memory.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t(2) << 30;
// Reads a regular file of at most maxBytes; a device, a pipe, a folder or a
// larger file is not read (/dev/zero would never end).
bool readWholeFile(const std::string& path, std::string& content, std::uint64_t maxBytes = kMaxFileBytes);
// Up to length bytes of a regular file from offset on (fewer at its end),
// and the file's size; false when it is no regular file or cannot be read.
bool readFilePart(const std::string& path, std::uint64_t offset, size_t length, std::string& content,
                  std::uint64_t& fileSize);
// Why path cannot be read as a file, for a message: the system's reason
// ("File name too long", "No such file or directory") or "is not a regular
// file"; empty when it is a regular file.
std::string fileProblem(const std::string& path);
// The writers below return false on failure with the system's reason in
// errno (a full disk, a read-only folder), for the message.
// Writes to a temporary file beside path, then renames it over path. A
// durable write also reaches the disk before the rename, so not even a power
// cut leaves an empty file where the old one was.
bool writeFileAtomically(const std::string& path, const std::string& content, bool durable = false);
bool writeWholeFile(const std::string& path, const std::string& content);
// writeFileAtomically unless path already holds exactly content.
bool writeFileIfDifferent(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);       // a regular file
bool directoryExists(const std::string& path);
bool makeDirectory(const std::string& path);    // one level; an existing folder counts as success
bool makeDirectories(const std::string& path);  // with every missing parent
bool copyFileReplacing(const std::string& from, const std::string& to);
std::uint64_t fileSizeOf(const std::string& path);  // 0 when unreadable
// What changes whenever a file is written or replaced: its inode and its
// modification and status-change times (nanoseconds since 1970). All zero
// when path is no regular file; a link counts as none.
struct FileStamp {
  std::uint64_t inode = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp fileStampOf(const std::string& path);

// relative (a path a record may name, isSafeRelativePath) names a place below folder
// that passes through no symbolic link: every part that exists is a real
// folder, the last one anything but a link. Parts that do not exist yet are
// fine, as the caller creates them. A gallery folder can come from someone
// else, and a link in it would lead a write or a removal out of it.
bool staysBelow(const std::string& folder, const std::string& relative);
// The same for an absolute path that begins with folder.
bool staysBelowFolder(const std::string& folder, const std::string& path);
// SHA-256 of a file's bytes or of a text, in lower-case hex; empty when the
// file cannot be read.
std::string sha256OfFile(const std::string& path);
std::string sha256OfText(const std::string& text);
// HMAC-SHA-256 of text under key, in lower-case hex.
std::string hmacSha256Hex(std::string_view key, std::string_view text);
// A secret of this user kept in the file path (64 hex digits, readable by
// the user alone), made on first use when create is set; empty when it
// cannot be read or made.
std::string userSecret(const std::string& path, bool create);

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};
// The entries of a folder ("." and ".." left out), sorted by name so that every
// listing is the same on every machine.
std::vector<DirEntry> listDirectory(const std::string& folder);

// The file name part of a path (after the last "/").
std::string fileNameOf(const std::string& path);
// The folder of the running executable, ending in "/".
std::string executableFolder();

}  // namespace pv
