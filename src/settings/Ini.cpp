#include "settings/Ini.h"

#include <fstream>
#include <sstream>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

struct Line {
  std::string_view text;  // without its line end
  std::string_view end;   // "\n", "\r\n" or "" for the last line
};

std::vector<Line> splitLines(std::string_view s) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t nl = s.find('\n', pos);
    if (nl == std::string_view::npos) {
      lines.push_back({s.substr(pos), {}});
      break;
    }
    size_t textEnd = (nl > pos && s[nl - 1] == '\r') ? nl - 1 : nl;
    lines.push_back({s.substr(pos, textEnd - pos), s.substr(textEnd, nl + 1 - textEnd)});
    pos = nl + 1;
  }
  return lines;
}

// "[name]" gives name (trimmed); anything else gives false.
bool sectionName(std::string_view line, std::string& name) {
  std::string t = trimWhite(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = trimWhite(std::string_view(t).substr(1, close - 1));
  return true;
}

bool keyValue(std::string_view line, std::string& key, std::string& value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = trimWhite(line.substr(0, eq));
  if (key.empty() || key[0] == ';') return false;
  value = trimWhite(line.substr(eq + 1));
  return true;
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  std::string section, key, value;
  bool inSection = false;
  for (const Line& l : splitLines(text)) {
    std::string name;
    if (sectionName(l.text, name)) {
      section = name;
      inSection = true;
    } else if (inSection && keyValue(l.text, key, value)) {
      ini.entries_.push_back({section, key, value});
    }
  }
  return ini;
}

IniFile IniFile::load(const std::string& path) {
  std::string content;
  readWholeFile(path, content);
  return parse(content);
}

const IniFile::Entry* IniFile::find(std::string_view section, std::string_view key) const {
  for (const Entry& e : entries_)
    if (equalsNoCase(e.section, section) && equalsNoCase(e.key, key)) return &e;
  return nullptr;
}

bool IniFile::has(std::string_view section, std::string_view key) const { return find(section, key) != nullptr; }

std::string IniFile::text(std::string_view section, std::string_view key, std::string_view def) const {
  const Entry* e = find(section, key);
  std::string v = e ? e->value : trimBlanks(def);
  if (v.size() > kMaxProfileValue) v.resize(kMaxProfileValue);
  return v;
}

int IniFile::integer(std::string_view section, std::string_view key, int def) const {
  const Entry* e = find(section, key);
  if (!e) return def;
  if (e->value.empty() || e->value[0] < '0' || e->value[0] > '9') return 0;
  return leadingInt(e->value);
}

std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view def) {
  return IniFile::load(path).text(section, key, def);
}

int readProfileInt(const std::string& path, std::string_view section, std::string_view key, int def) {
  return IniFile::load(path).integer(section, key, def);
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  std::string content;
  readWholeFile(path, content);
  std::vector<Line> lines = splitLines(content);

  std::string eol = "\n";
  for (const Line& l : lines)
    if (!l.end.empty()) {
      eol = std::string(l.end);
      break;
    }

  // Where the section starts, where its last key line is, and the key's line.
  long sectionLine = -1, lastInSection = -1, keyLine = -1;
  std::string current;
  bool inTarget = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name, k, v;
    if (sectionName(lines[i].text, name)) {
      inTarget = equalsNoCase(name, section) && sectionLine < 0;
      if (inTarget) sectionLine = lastInSection = long(i);
    } else if (inTarget) {
      if (!trimWhite(lines[i].text).empty()) lastInSection = long(i);
      if (keyLine < 0 && keyValue(lines[i].text, k, v) && equalsNoCase(k, key)) keyLine = long(i);
    }
  }

  std::string out;
  auto emit = [&](size_t i) {
    out.append(lines[i].text);
    out.append(lines[i].end);
  };
  auto ensureEnded = [&] {
    if (!out.empty() && out.back() != '\n') out += eol;
  };
  std::string newLine = std::string(key) + "=" + std::string(value);

  if (keyLine >= 0) {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (long(i) != keyLine) {
        emit(i);
        continue;
      }
      std::string_view t = lines[i].text;
      out.append(t.substr(0, t.find('=') + 1));
      out.append(value);
      out.append(lines[i].end);
    }
  } else if (sectionLine >= 0) {
    for (size_t i = 0; i < lines.size(); ++i) {
      emit(i);
      if (long(i) == lastInSection) {
        ensureEnded();
        out += newLine + eol;
      }
    }
  } else {
    out = content;
    ensureEnded();
    out += "[" + std::string(section) + "]" + eol + newLine + eol;
  }
  // The first value written makes the file's folder (config.ini's is only made when needed).
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash));
  return writeFileAtomically(path, out);
}

}  // namespace pv
