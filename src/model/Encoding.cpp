#include "model/Encoding.h"

#include <cstdint>

namespace pv {

namespace {

// Code points of 0x80..0x9F in Windows-1252; 0 marks the five unassigned bytes.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns false when invalid.
bool nextCodePoint(std::string_view s, size_t& i, char32_t& cp) {
  auto b = [&](size_t k) { return std::uint8_t(s[k]); };
  std::uint8_t c = b(i);
  int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + size_t(len) > s.size()) return false;
  cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k < len; ++k) {
    if ((b(i + size_t(k)) & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b(i + size_t(k)) & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += size_t(len);
  return true;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
  char32_t cp;
  for (size_t i = 0; i < s.size();)
    if (!nextCodePoint(s, i, cp)) return false;
  return true;
}

std::string windows1252ToUtf8(std::string_view s) {
  if (isValidUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    std::uint8_t c = std::uint8_t(ch);
    char32_t cp = c;
    if (c >= 0x80 && c <= 0x9F) cp = kHigh[c - 0x80] ? kHigh[c - 0x80] : c;
    appendUtf8(out, cp);
  }
  return out;
}

std::optional<std::string> utf8ToWindows1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  char32_t cp;
  for (size_t i = 0; i < s.size();) {
    if (!nextCodePoint(s, i, cp)) return std::nullopt;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += char(cp);
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] == cp) found = k;
    if (found < 0) return std::nullopt;
    out += char(0x80 + found);
  }
  return out;
}

}  // namespace pv
