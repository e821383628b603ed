#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// The window's folders and picovand-cli sit on top of the engine; every
// other folder of src/ is engine and must build without them and without Qt.
const std::set<std::string> frontEnds = {"app", "ui", "controls", "cli"};

bool forbidden(const std::string& target) {
  static const std::regex windowPath(R"(^(\.\./)*(app|ui|controls)/)");
  static const std::regex qtHeader(R"(^(Qt[A-Za-z]*(/|$)|Q[A-Z][A-Za-z]*(\.h)?$))");
  return std::regex_search(target, windowPath) || std::regex_search(target, qtHeader);
}

std::vector<std::string> windowIncludes(const fs::path& file) {
  static const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
  std::vector<std::string> found;
  std::ifstream in(file);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    std::smatch m;
    if (std::regex_search(line, m, include) && forbidden(m[1]))
      found.push_back(file.string() + ":" + std::to_string(n) + ": " + m[1].str());
  }
  return found;
}

}  // namespace

TEST(EngineLayers, RecognisesWindowAndQtIncludes) {
  for (const char* bad : {"app/AppState.h", "ui/TabFiles.h", "controls/ListBoxST.h", "../ui/Page.h", "QString",
                          "QtCore/QString", "QtWidgets"})
    EXPECT_TRUE(forbidden(bad)) << bad;
  for (const char* good : {"state/AppState.h", "util/Text.h", "gallery/BuildDriver.h", "string", "FreeImage.h",
                           "curl/curl.h", "nlohmann/json.hpp", "quickjs.h"})
    EXPECT_FALSE(forbidden(good)) << good;
}

TEST(EngineLayers, EngineIncludesNothingOfTheWindowNorQt) {
  fs::path src = fs::path(PICOVAND_SOURCE_DIR) / "src";
  int files = 0;
  std::vector<std::string> found;
  for (const auto& folder : fs::directory_iterator(src)) {
    if (!folder.is_directory() || frontEnds.count(folder.path().filename().string())) continue;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
      auto ext = entry.path().extension();
      if (ext != ".h" && ext != ".cpp" && ext != ".hpp") continue;
      ++files;
      auto bad = windowIncludes(entry.path());
      found.insert(found.end(), bad.begin(), bad.end());
    }
  }
  EXPECT_GT(files, 40);
  for (const auto& f : found) ADD_FAILURE() << f;
}
