// The settings field table drives the clamping, the project file and
// picovand-cli's options: each is checked against values written down here,
// not against the table it reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "project/ProjectFile.h"
#include "settings/Fields.h"
#include "settings/Presets.h"
#include "state/AppState.h"
#include "util/FileSystem.h"

using namespace pv;
using json = nlohmann::json;

namespace {

TEST(Fields, ClampingKeepsTheWindowsRanges) {
  ImagePageValues image;
  ProjectPageValues project;
  const PageRecords records = pageRecords(image, project);
  // The start values of the pages.
  EXPECT_EQ(image.quality, 75);
  EXPECT_EQ(image.transparency, 150);
  EXPECT_EQ(image.resizeFilter, 2);
  EXPECT_EQ(image.sizes[2].prefix, "pcvc");
  EXPECT_EQ(image.imageFolder, "images");
  EXPECT_EQ(project.displayTime, 5000);
  EXPECT_EQ(project.columns, 1);
  EXPECT_TRUE(project.captions.captionFromIptc && project.captions.captionFromJpegComment);
  EXPECT_FALSE(project.captions.captionFromExif || project.captions.captionFromFileName);
  EXPECT_EQ(project.style[kLinkColourRow].value, kStandard);
  // name, least, greatest: the ranges the pages' notes show.
  const struct {
    const char* name;
    int lo, hi;
  } ranges[] = {{"widthA", 0, 9999},     {"heightC", 0, 9999},     {"quality", 25, 100},
                {"transparency", 1, 255}, {"watermarkSize", 1, 100}, {"offsetY", 0, 200},
                {"columns", 1, 100},      {"rowsPerPage", 0, 100},   {"tableWidth", 0, 10000},
                {"tableBorder", 0, 10},   {"cellPadding", 0, 100},   {"displayTime", 1000, 120000}};
  for (const auto& r : ranges) {
    const Field& f = settingsField(r.name);
    int& value = *std::get<int*>(f.value(records));
    value = r.hi + 1;
    EXPECT_TRUE(clampField(f, records)) << r.name;
    EXPECT_EQ(value, r.hi) << r.name;
    value = r.lo - 1;
    clampField(f, records);
    EXPECT_EQ(value, r.lo) << r.name;
    value = r.lo;
    EXPECT_FALSE(clampField(f, records)) << r.name;
  }
  EXPECT_THROW(settingsField("noSuchField"), std::out_of_range);
}

TEST(Fields, ProjectFileKeepsEveryFieldWhereEarlierFilesHaveIt) {
  pvtest::ScratchDir dir;
  Environment env = pvtest::scratchEnvironment(dir);
  AppState state(env);
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  loadPreset(state, 0, image, project);
  image.sizes[1].width = 800;
  image.sizes[1].height = 600;
  image.sizes[1].prefix = "gross";
  image.sizes[1].choice = 1;
  image.quality = 90;
  image.offsetX = 7;
  image.resizeFilter = 3;
  image.stripGps = true;
  project.style[kTextColourRow].value = "#112233";
  project.captions.captionFromExif = true;
  project.displayTime = 7000;
  project.rowsPerPage = 4;
  const json doc = json::parse(projectText(state, {image, project, create}, dir.path()));
  const json& i = doc.at("imagePage");
  EXPECT_EQ(i.at("sizes").size(), 3u);
  EXPECT_EQ(i.at("sizes")[1].at("width"), 800);
  EXPECT_EQ(i.at("sizes")[1].at("height"), 600);
  EXPECT_EQ(i.at("sizes")[1].at("prefix"), "gross");
  EXPECT_EQ(i.at("sizes")[1].at("choice"), 1);
  EXPECT_EQ(i.at("sizes")[0].at("prefix"), "pcva");
  EXPECT_EQ(i.at("quality"), 90);
  EXPECT_EQ(i.at("offsetX"), 7);
  EXPECT_EQ(i.at("resizeFilter"), 3);
  EXPECT_EQ(i.at("stripGps"), true);
  EXPECT_EQ(i.at("imageFolder"), "images");
  const json& p = doc.at("projectPage");
  EXPECT_EQ(p.at("style")[3].at("value"), "#112233");
  EXPECT_EQ(p.at("style")[0].at("value"), "(Standard)");
  EXPECT_EQ(p.at("captions").at("exif"), true);
  EXPECT_EQ(p.at("captions").at("iptc"), true);
  EXPECT_EQ(p.at("displayTime"), 7000);
  EXPECT_EQ(p.at("rowsPerPage"), 4);

  // A file as an earlier version wrote it, by hand, with a value out of range.
  const std::string path = dir.path() + "alt.pvproj";
  const std::string earlier = R"J({"format": 1, "preset": 0, "items": [],
    "imagePage": {"sizes": [{"width": 120, "height": 90, "prefix": "klein", "choice": 1, "fieldsEnabled": true},
                            {"width": 12000, "height": 700, "prefix": "pcvb", "choice": 1, "fieldsEnabled": true},
                            {"width": 0, "height": 0, "prefix": "pcvc", "choice": 0, "fieldsEnabled": false}],
                  "quality": 3, "transparency": 99, "format": 1},
    "projectPage": {"columns": 0, "style": [{"value": "#ABCDEF"}, {"value": "(Standard)"}, {"value": "Arial"},
                    {"value": "(Standard)"}, {"value": "(Standard)"}, {"value": "12px"}],
                    "captions": {"iptc": false, "jpegComment": false, "exif": false, "fileName": true}}})J";
  ASSERT_TRUE(writeWholeFile(path, earlier));
  ImagePageValues openedImage;
  ProjectPageValues openedProject;
  CreatePageValues openedCreate;
  ProjectResult r = openProject(path, state, {openedImage, openedProject, openedCreate});
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(openedImage.sizes[0].width, 120);
  EXPECT_EQ(openedImage.sizes[0].prefix, "klein");
  EXPECT_TRUE(openedImage.sizes[0].fieldsEnabled);
  EXPECT_EQ(openedImage.sizes[1].width, 9999);  // clamped as typing would
  EXPECT_EQ(openedImage.quality, 25);
  EXPECT_EQ(openedImage.transparency, 99);
  EXPECT_EQ(openedImage.format, 1);
  EXPECT_EQ(openedImage.watermarkSize, 50);  // missing: the start value
  EXPECT_EQ(openedProject.columns, 1);
  EXPECT_EQ(openedProject.style[kBackgroundRow].value, "#ABCDEF");
  EXPECT_EQ(openedProject.style[kFontRow].value, "Arial");
  EXPECT_EQ(openedProject.style[kTextSizeRow].value, "12px");
  EXPECT_TRUE(openedProject.captions.captionFromFileName);
  EXPECT_FALSE(openedProject.captions.captionFromIptc);
}

struct CliRun {
  int status = -1;
  std::string output;
};

CliRun runCli(const std::string& args) {
  const std::string cli = executableFolder() + "picovand-cli";
  CliRun r;
  FILE* pipe = popen(("HOME=/nonexistent XDG_DATA_HOME= '" + cli + "' " + args + " 2>&1 </dev/null").c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

TEST(Fields, EveryFieldWithAnOptionIsInTheHelpWithItsLabelAndRange) {
  if (!fileExists(executableFolder() + "picovand-cli")) GTEST_SKIP() << "picovand-cli is not built beside the tests";
  const CliRun help = runCli("--help");
  ASSERT_EQ(help.status, 0);
  int numbers = 0;
  for (const Field& f : settingsFields()) {
    if (!f.option) continue;
    const size_t at = help.output.find("  " + std::string(f.option) + (f.argument ? " " : ""));
    ASSERT_NE(at, std::string::npos) << f.option;
    const size_t end = help.output.find('\n', help.output.find('\n', at) + 1);
    const std::string entry = help.output.substr(at, end - at);
    EXPECT_NE(entry.find(optionLabel(f)), std::string::npos) << entry;
    if (f.kind != FieldKind::Number || !f.help || std::string_view(f.help).find("{hi}") == std::string_view::npos) continue;
    ++numbers;
    EXPECT_NE(entry.find(std::to_string(f.lo) + ".." + std::to_string(f.hi)), std::string::npos) << entry;
    // One above the range is refused before anything is built.
    const CliRun over = runCli("build --preset 3001 --force --output /nonexistent/x " + std::string(f.option) + " " +
                            std::to_string(f.hi + 1));
    EXPECT_EQ(over.status, 2) << f.option;
    EXPECT_NE(over.output.find("out of range"), std::string::npos) << over.output;
  }
  EXPECT_GE(numbers, 10);
  // The labels as the window writes them.
  EXPECT_NE(help.output.find("--transparency N"), std::string::npos);
  EXPECT_NE(help.output.find("Wasserzeichen: Transparenz"), std::string::npos);
  EXPECT_NE(help.output.find("blend factor of the watermark 1..255 (default 150)"), std::string::npos);
  EXPECT_NE(help.output.find("scaling filter (default bilinear)"), std::string::npos);
}

}  // namespace
