#pragma once
// Helpers of the data tree tests: the installed tree of the repository, its
// preset numbers and a plain look at a preset file's lines.
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pvdata {

inline std::string resources() { return pvtest::sourceFolder() + "resources/"; }

inline std::string readText(const std::string& path) {
  std::string text;
  pv::readWholeFile(path, text);
  return text;
}

// Every preset number that has a file in CONFIG, group numbers and 0 included.
inline std::vector<int> configNumbers() {
  std::vector<int> numbers;
  for (const pv::DirEntry& e : pv::listDirectory(resources() + "CONFIG/"))
    if (!e.isDirectory && pv::endsWith(e.name, ".config")) numbers.push_back(std::stoi(e.name));
  return numbers;
}

inline bool isGalleryPreset(int n) {
  int family = n / 1000;
  return n % 1000 != 0 && (family == 1 || family == 4 || family == 5 || family == 6 || family == 7);
}

inline std::vector<int> galleryPresets() {
  std::vector<int> out;
  for (int n : configNumbers())
    if (isGalleryPreset(n)) out.push_back(n);
  return out;
}

// The templates the writer of a preset's family reads.
inline std::vector<std::string> templateNames(int n) {
  switch (n / 1000) {
    case 1: return {"webalb.html"};
    case 7: return {"webalb.html", "htmlsld.html"};
    case 4: return {"htmlsld.html"};
    case 5: return {"javasld.html"};
    case 6: return {"sldprv.html"};
    default: return {};
  }
}

struct IniLine {
  std::string section, key, value;
};
// The key lines of an INI file in order; comment lines (";") left out.
inline std::vector<IniLine> iniLines(const std::string& text) {
  std::vector<IniLine> lines;
  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string line = pv::trimWhite(text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos));
    pos = nl == std::string::npos ? text.size() : nl + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = pv::toUpper(line.substr(1, line.size() - 2));
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      lines.push_back({section, line, ""});
      continue;
    }
    lines.push_back({section, pv::toUpper(pv::trimWhite(line.substr(0, eq))), pv::trimWhite(line.substr(eq + 1))});
  }
  return lines;
}

// Every distinct match of re in text.
inline std::set<std::string> matches(const std::string& text, const std::regex& re) {
  std::set<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.insert(it->str());
  return out;
}

inline int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size())) ++n;
  return n;
}

}  // namespace pvdata
