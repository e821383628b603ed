#pragma once
// Shared helpers of the engine tests: scratch folders, the shared test
// photos (skipped with a message when absent) and an independent metadata
// reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "state/AppState.h"
#include "util/FileSystem.h"

namespace pvtest {

// A fresh folder under the system's temp folder, removed with the object.
class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "picovand-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data()) ? tmpl + "/" : std::string();
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  // Ends in "/".
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }
  std::string write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(path_ + name).parent_path());
    pv::writeWholeFile(path_ + name, content);
    return path_ + name;
  }

 private:
  std::string path_;
};

inline std::string photosFolder() { return PICOVAND_TESTDATA "/"; }
inline std::string sourceFolder() { return PICOVAND_SOURCE_DIR "/"; }

// A shared test photo. Tests that use them start with PV_REQUIRE_PHOTOS(),
// which skips them with a message on a clone of the repository alone.
inline std::string photo(const std::string& name) { return photosFolder() + name; }
#define PV_REQUIRE_PHOTOS()                                                                         \
  do {                                                                                              \
    if (!pv::directoryExists(pvtest::photosFolder()))                                               \
      GTEST_SKIP() << "shared test photos not found at " << pvtest::photosFolder() << ": skipped"; \
  } while (0)

// An AppState whose home, documents and data folders lie in dir and whose
// program folder is the repository (so resources/ is the real data tree).
inline pv::Environment scratchEnvironment(const ScratchDir& dir, const std::string& programFolder = sourceFolder()) {
  return {programFolder, dir.path() + "home", "", "", "", ""};
}

// Output of a shell command.
inline std::string run(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe.get())) > 0) out.append(buf, n);
  return out;
}

// One tag as exiftool prints it (-s3 -b would lose the charset handling).
inline std::string exiftoolTag(const std::string& file, const std::string& tag, const std::string& extra = "") {
  std::string out = run("exiftool -m -s3 " + extra + " -" + tag + " '" + file + "' 2>/dev/null");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// The local files the pages of a gallery link to that do not exist.
inline std::vector<std::string> brokenLinks(const std::string& gallery) {
  std::vector<std::string> broken;
  const std::regex link("(?:src|href)=\"([^\"#:]+)\"");
  for (const pv::DirEntry& e : pv::listDirectory(gallery)) {
    std::string page;
    if (!(e.name.ends_with(".htm") || e.name.ends_with(".html")) || !pv::readWholeFile(gallery + e.name, page)) continue;
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it)
      if (!pv::fileExists(gallery + (*it)[1].str())) broken.push_back(e.name + " -> " + (*it)[1].str());
  }
  return broken;
}

}  // namespace pvtest

namespace pvtest {

// Writes a w x h picture: a horizontal gradient, red rising to the right and
// green to the top, so orientation and mirroring are visible in its pixels.
inline bool writeTestImage(const std::string& path, int w, int h, FREE_IMAGE_FORMAT fif = FIF_PNG, int flags = 0) {
  pv::ImagePtr dib(FreeImage_Allocate(w, h, 24));
  if (!dib) return false;
  for (int y = 0; y < h; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), y);  // y counts from the bottom
    for (int x = 0; x < w; ++x) {
      line[x * 3 + FI_RGBA_RED] = BYTE(w > 1 ? 255 * x / (w - 1) : 0);
      line[x * 3 + FI_RGBA_GREEN] = BYTE(h > 1 ? 255 * y / (h - 1) : 0);
      line[x * 3 + FI_RGBA_BLUE] = 40;
    }
  }
  return FreeImage_Save(fif, dib.get(), path.c_str(), flags);
}

// The colour at (x, y) counted from the top-left corner.
inline RGBQUAD pixelAt(FIBITMAP* dib, int x, int y) {
  RGBQUAD c{};
  FreeImage_GetPixelColor(dib, unsigned(x), FreeImage_GetHeight(dib) - 1 - unsigned(y), &c);
  return c;
}

}  // namespace pvtest
