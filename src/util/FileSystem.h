#pragma once
// File system helpers on byte-string paths. None of them throws: a failure
// is the return value, as callers treat file errors as "skip and go on".
#include <cstdint>
#include <string>
#include <vector>

namespace pv {

bool readWholeFile(const std::string& path, std::string& content);
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
// SHA-256 of a file's bytes or of a text, in lower-case hex; empty when the
// file cannot be read.
std::string sha256OfFile(const std::string& path);
std::string sha256OfText(const std::string& text);

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
