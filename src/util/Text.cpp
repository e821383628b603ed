#include "util/Text.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace pv {

namespace {
bool isWhite(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
}  // namespace

std::string trimWhite(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isWhite(s[b])) ++b;
  while (e > b && isWhite(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string trimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string toLower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

std::string toUpper(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return r;
}

std::string removeChars(std::string_view s, std::string_view chars) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (chars.find(c) == std::string_view::npos) r += c;
  return r;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  return true;
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

int replaceAll(std::string& s, std::string_view from, std::string_view to) {
  if (from.empty()) return 0;
  size_t pos = s.find(from);
  if (pos == std::string::npos) return 0;
  std::string out;
  out.reserve(s.size());
  size_t last = 0;
  int n = 0;
  for (; pos != std::string::npos; pos = s.find(from, last)) {
    out.append(s, last, pos - last);
    out.append(to);
    last = pos + from.size();
    ++n;
  }
  out.append(s, last, std::string::npos);
  s.swap(out);
  return n;
}

std::string format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string r;
  if (n > 0) {
    r.resize(size_t(n) + 1);
    std::vsnprintf(r.data(), r.size(), fmt, ap2);
    r.resize(size_t(n));
  }
  va_end(ap2);
  return r;
}

int leadingInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > INT_MAX) return INT_MAX;
  }
  return int(v);
}

std::string withSlash(std::string_view folder) {
  std::string r(folder);
  if (r.empty() || r.back() != '/') r += '/';
  return r;
}

}  // namespace pv
