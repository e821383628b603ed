#pragma once
// Reading conversion output back: files by their content, pixel comparison.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace pvtest {

// The file decoded by the format its bytes show, whatever its name says.
inline pv::ImagePtr loadFile(const std::string& path) {
  FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str());
  return pv::ImagePtr(fif == FIF_UNKNOWN ? nullptr : FreeImage_Load(fif, path.c_str()));
}

inline std::string bytesOf(const std::string& path) {
  std::string s;
  pv::readWholeFile(path, s);
  return s;
}

// Mean absolute difference per colour channel (0..255) of two images of one
// size, compared in their 24-bit forms; 255 when they cannot be compared.
inline double meanAbsDiff(FIBITMAP* a, FIBITMAP* b) {
  if (!a || !b || FreeImage_GetWidth(a) != FreeImage_GetWidth(b) || FreeImage_GetHeight(a) != FreeImage_GetHeight(b))
    return 255;
  pv::ImagePtr x(FreeImage_ConvertTo24Bits(a)), y(FreeImage_ConvertTo24Bits(b));
  const unsigned w = FreeImage_GetWidth(a), h = FreeImage_GetHeight(a);
  double sum = 0;
  for (unsigned row = 0; row < h; ++row) {
    const BYTE* p = FreeImage_GetScanLine(x.get(), int(row));
    const BYTE* q = FreeImage_GetScanLine(y.get(), int(row));
    for (unsigned i = 0; i < 3 * w; ++i) sum += std::abs(int(p[i]) - int(q[i]));
  }
  return sum / (3.0 * w * h);
}

// The bytes a file really holds for one entry, from the hex dump exiftool's
// verbose listing gives after the line containing marker ("JPEG COM",
// "Tag 0x0078, IPTCApplication"); "<none>" when there is no such entry.
inline std::string dumpedBytes(const std::string& file, const std::string& marker) {
  const std::string dump = run("exiftool -m -v3 '" + file + "'");
  size_t at = dump.find(marker);
  if (at == std::string::npos) return "<none>";
  std::string bytes;
  for (size_t line = dump.find('\n', at); line != std::string::npos;) {
    const size_t end = dump.find('\n', line + 1);
    const std::string text = dump.substr(line + 1, end == std::string::npos ? std::string::npos : end - line - 1);
    // "  | |     0059: 79 65 6c ... [yelimS ...]": indentation, offset, 16 bytes
    const size_t colon = text.find(": ");
    if (colon == std::string::npos || colon < 4 || text.find_first_not_of(" |") != colon - 4) break;
    std::istringstream hex(text.substr(colon + 2, 48));
    for (std::string b; hex >> b;) bytes += char(std::stoi(b, nullptr, 16));
    line = end;
  }
  return bytes;
}

// The lines of a text, sorted: for listings whose order is the writer's choice.
inline std::string sortedLines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

}  // namespace pvtest
