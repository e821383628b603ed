#pragma once
// INI files with the semantics of the classic profile functions: section and
// key names compare without case, values are trimmed and at most 259 bytes,
// missing keys give the caller's default, and an integer read stops at the
// first non-digit. Writing one key leaves every other byte of the file alone.
#include <string>
#include <string_view>
#include <vector>

namespace pv {

inline constexpr size_t kMaxProfileValue = 259;

// A file read once, for several lookups (a preset, a control-set description).
// A missing or unreadable file behaves as an empty one.
class IniFile {
 public:
  static IniFile load(const std::string& path);
  static IniFile parse(std::string_view text);

  bool has(std::string_view section, std::string_view key) const;
  // The value trimmed of blanks and cut to 259 bytes, or def when absent.
  std::string text(std::string_view section, std::string_view key, std::string_view def) const;
  // Leading digits of the value; def when absent, 0 when it starts with no digit.
  int integer(std::string_view section, std::string_view key, int def) const;

 private:
  struct Entry {
    std::string section, key, value;
  };
  std::vector<Entry> entries_;
  const Entry* find(std::string_view section, std::string_view key) const;
};

std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view def);
int readProfileInt(const std::string& path, std::string_view section, std::string_view key, int def);

// Sets section/key to value, creating the file (with its folder), the section or the key as
// needed. The file is replaced atomically, so a crash never leaves half a file.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace pv
