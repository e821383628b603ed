// picovand-cli: the headless front end. It fills the same working values the
// window's pages hold, then runs the window's create command and build.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "state/AppState.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "cli/Upload.h"
#include "model/FolderImport.h"
#include "pages/ControlSets.h"
#include "pages/PageEngine.h"
#include "project/ProjectFile.h"
#include "util/FileSystem.h"
#include "settings/Presets.h"
#include "settings/Product.h"
#include "util/Text.h"

using namespace pv;
using namespace pvcli;

namespace {

constexpr int kBadInput = 2;
constexpr int kBuildFailed = 1;
constexpr int kCancelled = 130;

int fail(const std::string& message, int status = kBadInput) {
  std::fprintf(stderr, "picovand-cli: %s\n", message.c_str());
  return status;
}

std::atomic<bool>* abortFlag = nullptr;
extern "C" void onInterrupt(int) {
  if (abortFlag) *abortFlag = true;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program at once
}

int listPresets() {
  AppState state;
  const std::string& folder = state.settings.configFolder;
  if (!directoryExists(folder)) return fail("no presets are installed in " + folder, kBuildFailed);
  for (const PresetFamily& family : presetTree(folder)) {
    std::printf("%s\n", family.label.c_str());
    for (const PresetNode& node : family.presets)
      std::printf("  %5d  %s%s\n", node.number, node.text.c_str(), node.number == 0 ? " (not installed)" : "");
  }
  return 0;
}

int printControlSets() {
  AppState state;
  const std::string& folder = state.settings.ctrlFolder;
  const auto sets = pv::listControlSets(folder);
  if (sets.empty()) return fail("no control sets are installed in " + folder, kBuildFailed);
  for (const ControlSetEntry& set : sets)
    std::printf("  %4d  %s (%d x %d)%s\n", set.id, set.name.c_str(), set.sizeX, set.sizeY,
                set.id == kDefaultControlSet ? " (default)" : "");
  return 0;
}

bool presetInstalled(const ProjectSettings& s, int number) {
  for (const PresetFamily& family : presetTree(s.configFolder))
    for (const PresetNode& node : family.presets)
      if (node.number == number) return true;
  return false;
}

// Where DIR puts the gallery: its parent is the project folder, its name
// the project name. Returns an error text, or nothing.
std::string chooseOutput(const BuildRequest& request, const std::string& target, const std::string& keyFolder,
                         CreatePageValues& create) {
  namespace fs = std::filesystem;
  std::string dir = target;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::error_code ec;
  const fs::path path = fs::absolute(dir, ec);
  const std::string name = path.filename().string();
  const std::string cleaned = cleanOutputName(name);
  if (cleaned.find_first_not_of('.') == std::string::npos)
    return "'" + target + "' would put the gallery into or above the project folder: DIR must end in a project name";
  size_t characters = 0;
  for (unsigned char c : name) characters += (c & 0xC0) != 0x80;
  if (characters > kMaxProjectNameLength)
    return format("the project name '%s' is longer than %zu characters", name.c_str(), kMaxProjectNameLength);
  const std::string projectFolder = withSlash(path.parent_path().string());
  if (!directoryExists(projectFolder)) return "the project folder " + projectFolder + " does not exist";
  const std::string output = projectFolder + cleaned;
  if (fs::exists(output, ec) && !directoryExists(output)) return output + " exists and is not a folder";
  if (!request.overwrite && holdsOtherFiles(output, keyFolder))
    return output +
           " already holds files and no build record of yours: give --overwrite to build into it (files of the same "
           "name are replaced)";
  create.projectFolder = projectFolder;
  create.projectName = name;
  create.outputFolder = output;
  return {};
}

// Adds the images and folders in the order given, through the window's
// import: a named file that cannot be decoded is kept as the window keeps it
// (0 x 0, no output files); one found in a folder is left out. Returns an
// error text, or nothing.
std::string addInputs(AppState& state, const BuildRequest& request, const ProjectPageValues& project,
                      const std::string& outputFolder, ProgressDisplay& display, ImportResult& imported) {
  ImportRequest import;
  import.captions = project.captions;
  import.outputFolder = outputFolder;
  std::error_code ec;
  for (const Input& in : request.inputs) {
    if (!in.folder) {
      if (const std::string problem = fileProblem(in.path); !problem.empty()) return "'" + in.path + "': " + problem;
    } else if (!directoryExists(in.path)) {
      struct stat st {};
      return "'" + in.path + "': " + (::stat(in.path.c_str(), &st) != 0 ? std::strerror(errno) : "is not a folder");
    }
    if (in.albums && !state.settings.albumsAllowed && !request.force)
      return "--albums: preset " + std::to_string(state.settings.presetNumber) +
             " has no albums (Erzeuge Alben aus Unterverzeichnissen is disabled); --force makes them anyway";
    import.sources.push_back({std::filesystem::absolute(in.path, ec).string(), in.recursive, in.albums});
  }
  const ImportPlan plan = planImport(import, state.abortRequested);
  for (const NotTaken& n : plan.notTaken)
    if (n.named) return "'" + n.path + "' is not of an image type (jpg, gif, bmp, png, tif, psd)";
  imported = carryOutImport(state.items, plan, import, state.abortRequested,
                            [&](int n, const std::string&) { display.reading(n); });
  display.finish();
  for (const std::string& folder : imported.leftOut)
    std::fprintf(stderr, "picovand-cli: left out %s: it is the output folder\n", folder.c_str());
  for (const std::string& path : imported.keptUnreadable)
    std::fprintf(stderr, "picovand-cli: warning: %s cannot be read as an image; it gets no output files\n",
                 path.c_str());
  std::fprintf(stderr, "%d images added\n", imported.added - int(imported.keptUnreadable.size()));
  return {};
}

int countImages(const ItemCollection& items) {
  return int(std::count_if(items.list.begin(), items.list.end(), [](const auto& item) { return !item->isAlbum; }));
}

std::string joined(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& p : paths) names += (names.empty() ? "" : ", ") + p;
  return names;
}

// Every file the import did not take, a line per reason with its count.
void reportNotTaken(const ImportResult& imported) {
  const std::vector<std::vector<std::string>> by = pathsByReason(imported);
  const std::vector<std::string>& unreadable = by[size_t(SkipReason::Unreadable)];
  if (!unreadable.empty()) {
    const size_t images = size_t(imported.added) + unreadable.size() - imported.keptUnreadable.size();
    std::fprintf(stderr, "%zu of %zu images could not be read: %s\n", unreadable.size(), images,
                 joined(unreadable).c_str());
  }
  if (!imported.damaged.empty())
    std::fprintf(stderr, "%zu %s damaged and only partly readable: %s\n", imported.damaged.size(),
                 imported.damaged.size() == 1 ? "image is" : "images are", joined(imported.damaged).c_str());
  const struct {
    SkipReason reason;
    const char* one;
    const char* many;
  } lines[] = {
      {SkipReason::NotPicture, "file is no picture and was", "files are no pictures and were"},
      {SkipReason::Video, "video was", "videos were"},
      {SkipReason::TypeNotRead, "picture of a type that is not read was", "pictures of a type that is not read were"},
      {SkipReason::TypeNotChosen, "picture of a type not chosen was", "pictures of a type not chosen were"},
      {SkipReason::Hidden, "hidden file was", "hidden files were"},
      {SkipReason::Missing, "file was not found and", "files were not found and"},
  };
  for (const auto& line : lines)
    if (const std::vector<std::string>& paths = by[size_t(line.reason)]; !paths.empty())
      std::fprintf(stderr, "%zu %s not taken: %s\n", paths.size(), paths.size() == 1 ? line.one : line.many,
                   joined(paths).c_str());
}

int build(const std::vector<std::string>& args) {
  BuildRequest request;
  if (std::string e = parseBuildArguments(args, request); !e.empty()) return fail(e);

  AppState state;
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  ProjectSettings& s = state.settings;
  loadPreset(state, 0, image, project);  // as the window starts
  setupCreatePage(create, s.projectsFolder);

  if (!request.project.empty()) {
    ProjectResult opened = openProject(request.project, state, {image, project, create}, false);
    if (!opened.ok) return fail(opened.message);
    if (opened.missingSources > 0)
      std::fprintf(stderr, "%d images of the project are missing; the build leaves them out\n", opened.missingSources);
  }
  if (request.preset >= 0) {
    if (isGroupNode(request.preset))
      return fail(format("%d is a family of presets, not a preset (picovand-cli presets lists them)", request.preset));
    if (!presetInstalled(s, request.preset))
      return fail(format("no preset %d is installed (picovand-cli presets lists them)", request.preset));
    selectProjectType(state, request.preset, image, project);
    if (request.project.empty()) s.controlSet = kDefaultControlSet;  // as the own-page dialog starts
  }

  Pages pages{state, image, project};
  for (const auto& [option, value] : request.values) {
    if (!request.force && option->locked(pages))
      return fail(format("%s (%s) is fixed by preset %d \"%s\"; --force sets it anyway", option->label.c_str(), option->name.c_str(),
                         s.presetNumber, s.presetName.c_str()));
    if (std::string e = option->apply(pages, value); !e.empty()) return fail(option->name + ": " + e);
  }
  if (isOwnTemplate(s.presetNumber) && project.ownWebPage.empty())
    return fail(format("preset %d puts the gallery into a web page of your own: give it with --page FILE",
                       s.presetNumber));
  const bool builds = !request.output.empty() || !request.project.empty();
  if (builds) {
    const std::string output = request.output.empty() ? create.projectFolder + create.projectName : request.output;
    if (std::string e = chooseOutput(request, output, s.appDataFolder, create); !e.empty()) return fail(e);
  }
  if (!request.saveProject.empty() && fileExists(request.saveProject) && !request.overwrite)
    return fail(request.saveProject + " already exists: give --overwrite to replace it");
  ProgressDisplay display(stderr);
  ImportResult imported;
  const std::string outputFolder = builds ? create.outputFolder : std::string();
  if (std::string e = addInputs(state, request, project, outputFolder, display, imported); !e.empty()) return fail(e);
  if (unreadableImages(state.items).size() == size_t(countImages(state.items))) {
    reportNotTaken(imported);
    const bool none = imported.added == 0 && pathsByReason(imported)[size_t(SkipReason::Unreadable)].empty();
    return fail(none ? "no images were given: nothing to build" : "none of the given images can be read: nothing to build");
  }
  if (!request.saveProject.empty()) {
    ProjectResult saved = saveProject(request.saveProject, state, {image, project, create});
    if (!saved.ok) return fail(saved.message, kBuildFailed);
    std::fprintf(stderr, "project saved as %s\n", request.saveProject.c_str());
  }
  if (!builds) {
    reportNotTaken(imported);
    return 0;
  }

  CreateCommand cmd = prepareBuild(state, image, project, create);
  if (cmd.status != CreateStatus::Ready) return fail(cmd.title + ": " + cmd.message);
  std::fprintf(stderr, "building into %s\n", cmd.outputFolder.c_str());
  for (const std::string& page : foreignStartPages(cmd.outputFolder, s.appDataFolder))
    std::fprintf(stderr,
                 "picovand-cli: %s in the output folder is not part of the gallery and stays the folder's start "
                 "page; the gallery starts at %s\n",
                 page.c_str(), pageFileName(s, 0).c_str());

  abortFlag = &state.abortRequested;
  std::signal(SIGINT, onInterrupt);
  BuildResult result = buildProject(
      state, cmd.outputFolder, [&](BuildStep step, int done, int total, int reused) { display(step, done, total, reused); },
      request.full ? BuildMode::Full : BuildMode::Reuse);
  display.finish();
  std::signal(SIGINT, SIG_DFL);
  abortFlag = nullptr;
  reportNotTaken(imported);
  for (const std::string& path : result.missingSources)
    std::fprintf(stderr, "picovand-cli: skipped %s: the file is missing\n", path.c_str());
  for (const std::string& path : result.damaged)
    std::fprintf(stderr, "picovand-cli: %s is damaged and only partly readable: its pictures are partly grey\n",
                 path.c_str());

  if (!result.ran) return fail("size A is off (0 x 0): nothing was built", kBuildFailed);
  if (!result.folderCreated) return fail("the output folder " + cmd.outputFolder + " could not be created", kBuildFailed);
  if (!result.linkInTheWay.empty())
    return fail(cmd.outputFolder + result.linkInTheWay +
                    " is a symbolic link (or a file where a folder belongs): a build writes through no link, so nothing "
                    "was written",
                kBuildFailed);
  std::fprintf(stderr, "%d images converted, %d unchanged and reused\n", result.imagesConverted, result.imagesReused);
  if (!result.failedWrites.empty()) {
    for (const std::string& failure : result.failedWrites)
      std::fprintf(stderr, "picovand-cli: cannot write %s\n", failure.c_str());
    return fail(format("%zu files could not be written (first: %s); the previous gallery was left as it was",
                       result.failedWrites.size(), result.failedWrites.front().c_str()),
                kBuildFailed);
  }
  const OutputInfo info = outputInfo(s);
  std::printf("%s\n%s\n%s\n%s\n", info.size.c_str(), info.uploadTime.c_str(), info.folder.c_str(), info.fileCount.c_str());
  if (result.cancelled) return fail("cancelled: the remaining images were not written", kCancelled);
  if (!result.pagesWritten)
    return fail(format("no pages were written: the page templates of preset %d cannot be read, or its project type "
                       "has no page writer",
                       s.presetNumber),
                kBuildFailed);
  if (!isBatchConversion(s.presetNumber)) std::printf("Startseite: %s\n", startPagePath(s, cmd.outputFolder).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(helpText().c_str(), stdout);
      return 0;
    }
  if (args.empty()) return fail("no command given (picovand-cli --help shows the commands)");
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "--version") {
    std::printf("%s %s\n", kProductName, kProductVersion);
    return 0;
  }
  if (command == "presets") return args.empty() ? listPresets() : fail("presets takes no arguments");
  if (command == "control-sets") return args.empty() ? printControlSets() : fail("control-sets takes no arguments");
  if (command == "upload") return uploadCommand(args);
  if (command == "build") {
    initialiseImageLibrary();
    int status = build(args);
    shutdownImageLibrary();
    return status;
  }
  return fail("unknown command '" + command + "' (picovand-cli --help shows the commands)");
}
