// picovand-cli: the headless front end. It fills the same working values the
// window's pages hold, then runs the window's create command and build.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "state/AppState.h"
#include "gallery/BuildDriver.h"
#include "gallery/BuildManifest.h"
#include "cli/Console.h"
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

std::atomic<bool>* abortFlag = nullptr;
extern "C" void onInterrupt(int) {
  if (abortFlag) *abortFlag = true;
  std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program at once
}

int listPresets() {
  AppState state;
  const std::string& folder = state.settings.configFolder;
  if (!directoryExists(folder)) return fail("no presets are installed in " + folder, kFailed);
  nlohmann::json& list = console().summary["presets"] = nlohmann::json::array();
  for (const PresetFamily& family : presetTree(folder)) {
    if (plainOutput()) std::printf("%s\n", family.label.c_str());
    for (const PresetNode& node : family.presets) {
      if (plainOutput())
        std::printf("  %5d  %s%s\n", node.number, node.text.c_str(), node.number == 0 ? " (not installed)" : "");
      else if (node.number != 0)
        list.push_back({{"number", node.number}, {"name", node.text}, {"family", family.label}});
    }
  }
  return 0;
}

int printControlSets() {
  AppState state;
  const std::string& folder = state.settings.ctrlFolder;
  const auto sets = pv::listControlSets(folder);
  if (sets.empty()) return fail("no control sets are installed in " + folder, kFailed);
  nlohmann::json& list = console().summary["controlSets"] = nlohmann::json::array();
  for (const ControlSetEntry& set : sets) {
    if (plainOutput())
      std::printf("  %4d  %s (%d x %d)%s\n", set.id, set.name.c_str(), set.sizeX, set.sizeY,
                  set.id == kDefaultControlSet ? " (default)" : "");
    list.push_back({{"number", set.id},
                    {"name", set.name},
                    {"width", set.sizeX},
                    {"height", set.sizeY},
                    {"default", set.id == kDefaultControlSet}});
  }
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
  for (const std::string& folder : imported.leftOut) note("picovand-cli: left out %s: it is the output folder", folder.c_str());
  for (const std::string& path : imported.keptUnreadable)
    warn(path + " cannot be read as an image; it gets no output files");
  note("%d images added", imported.added - int(imported.keptUnreadable.size()));
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

// The words --json gives for why a file did not go in, by SkipReason.
constexpr const char* kReasonWords[kSkipReasons] = {"unreadable",    "missing",         "not-a-picture", "video",
                                                    "type-not-read", "type-not-chosen", "hidden"};

// A picture given that is not in the gallery makes the build partial; a
// file that is no picture (a video, a text, a hidden file) does not.
bool leavesPictureOut(SkipReason reason) {
  return reason == SkipReason::Unreadable || reason == SkipReason::Missing || reason == SkipReason::TypeNotRead;
}

// What did not go in, each path once with the first reason found, for the
// exit status and --json.
struct LeftOut {
  nlohmann::json pictures = nlohmann::json::array();
  nlohmann::json others = nlohmann::json::array();
  std::set<std::string> seen;
  // True when the path was not named before.
  bool add(bool picture, const std::string& path, const char* reason) {
    if (!seen.insert(path).second) return false;
    (picture ? pictures : others).push_back({{"path", path}, {"reason", reason}});
    return true;
  }
};

// Every file the import did not take, a line per reason with its count; the
// pictures left out also with -q.
void reportNotTaken(const ImportResult& imported, LeftOut& left) {
  const std::vector<std::vector<std::string>> by = pathsByReason(imported);
  for (int r = 0; r < kSkipReasons; ++r)
    for (const std::string& path : by[size_t(r)]) left.add(leavesPictureOut(SkipReason(r)), path, kReasonWords[r]);
  for (const std::string& folder : imported.leftOut) left.add(false, folder, "output-folder");

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
    if (const std::vector<std::string>& paths = by[size_t(line.reason)]; !paths.empty()) {
      const std::string text = format("%zu %s not taken: %s", paths.size(), paths.size() == 1 ? line.one : line.many,
                                      joined(paths).c_str());
      if (leavesPictureOut(line.reason)) std::fprintf(stderr, "%s\n", text.c_str());
      else note("%s", text.c_str());
    }
}

// Why the output folder cannot be made, asked of the system once more
// (the build's own attempt has long lost its errno).
std::string whyNoFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0777) != 0) return std::strerror(errno);
  ::rmdir(folder.c_str());
  return "it could not be made at the time";
}

// The counts of what did and did not go in, for --json and the exit status.
int finishSummary(const LeftOut& left, int converted, int reused, int status) {
  nlohmann::json& out = console().summary;
  out["images"] = {{"converted", converted}, {"reused", reused}, {"leftOut", left.pictures.size()}};
  out["leftOut"] = left.pictures;
  out["notTaken"] = left.others;
  return status == kSuccess && !left.pictures.empty() ? kPartial : status;
}

int build(const std::vector<std::string>& args) {
  nlohmann::json& out = console().summary;
  for (const char* key : {"outputFolder", "startPage", "indexPage", "projectSaved", "files", "folders", "bytes"})
    out[key] = nullptr;
  out["damaged"] = nlohmann::json::array();
  LeftOut left;
  finishSummary(left, 0, 0, kSuccess);

  BuildRequest request;
  if (std::string e = parseBuildArguments(args, request); !e.empty()) return fail(e);

  AppState state(processEnvironment(), request.noConfig ? ConfigIni::Ignore : ConfigIni::Read);
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  ProjectSettings& s = state.settings;
  if (request.noConfig) detail("config.ini left out (--no-config)");
  else if (fileExists(s.configIniPath)) detail("defaults read from %s", s.configIniPath.c_str());
  else detail("no config.ini at %s", s.configIniPath.c_str());
  loadPreset(state, 0, image, project);  // as the window starts
  setupCreatePage(create, s.projectsFolder);

  if (!request.project.empty()) {
    ProjectResult opened = openProject(request.project, state, {image, project, create}, false);
    if (!opened.ok) return fail(opened.message);
    if (opened.missingSources > 0) note("%d images of the project are missing; the build leaves them out", opened.missingSources);
  }
  if (request.preset >= 0) {
    if (isGroupNode(request.preset))
      return fail(format("%d is a family of presets, not a preset (picovand-cli presets lists them)", request.preset));
    if (!presetInstalled(s, request.preset))
      return fail(format("no preset %d is installed (picovand-cli presets lists them)", request.preset));
    selectProjectType(state, request.preset, image, project);
    if (request.project.empty()) s.controlSet = kDefaultControlSet;  // as the own-page dialog starts
  }
  detail("preset %d \"%s\"", s.presetNumber, s.presetName.c_str());

  Pages pages{state, image, project};
  for (const auto& [option, value] : request.values) {
    if (!request.force && option->locked(pages))
      return fail(format("%s (%s) is fixed by preset %d \"%s\"; --force sets it anyway", option->label.c_str(), option->name.c_str(),
                         s.presetNumber, s.presetName.c_str()));
    if (std::string e = option->apply(pages, value); !e.empty()) return fail(option->name + ": " + e);
    detail("%s %s: %s", option->name.c_str(), value.c_str(), option->label.c_str());
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
    reportNotTaken(imported, left);
    finishSummary(left, 0, 0, kBadInput);
    const bool none = imported.added == 0 && pathsByReason(imported)[size_t(SkipReason::Unreadable)].empty();
    return fail(none ? "no images were given: nothing to build" : "none of the given images can be read: nothing to build");
  }
  if (!request.saveProject.empty()) {
    ProjectResult saved = saveProject(request.saveProject, state, {image, project, create});
    // The writer leaves the system's reason in errno (a full disk, a read-only folder).
    if (const int why = errno; !saved.ok) return fail(saved.message + " (" + std::strerror(why) + ")", kFailed);
    note("project saved as %s", request.saveProject.c_str());
    std::error_code ec;
    out["projectSaved"] = std::filesystem::absolute(request.saveProject, ec).string();
  }
  if (!builds) {
    reportNotTaken(imported, left);
    return finishSummary(left, 0, 0, kSuccess);
  }

  CreateCommand cmd = prepareBuild(state, image, project, create);
  if (cmd.status != CreateStatus::Ready) return fail(cmd.title + ": " + cmd.message);
  note("building into %s", cmd.outputFolder.c_str());
  out["outputFolder"] = cmd.outputFolder;
  for (const std::string& page : foreignStartPages(cmd.outputFolder, s.appDataFolder))
    note("picovand-cli: %s in the output folder is not part of the gallery and stays the folder's start page; the "
         "gallery starts at %s",
         page.c_str(), pageFileName(s, 0).c_str());

  abortFlag = &state.abortRequested;
  std::signal(SIGINT, onInterrupt);
  BuildResult result = buildProject(
      state, cmd.outputFolder, [&](BuildStep step, int done, int total, int reused) { display(step, done, total, reused); },
      request.full ? BuildMode::Full : BuildMode::Reuse);
  display.finish();
  std::signal(SIGINT, SIG_DFL);
  abortFlag = nullptr;
  reportNotTaken(imported, left);
  for (const std::string& path : result.missingSources)
    if (left.add(true, path, "missing")) std::fprintf(stderr, "picovand-cli: skipped %s: the file is missing\n", path.c_str());
  for (const std::string& path : result.withoutOutput)
    if (left.add(true, path, "not-converted"))
      std::fprintf(stderr, "picovand-cli: %s could not be converted: it is left out of the pages\n", path.c_str());
  for (const std::string& path : result.notReached) left.add(true, path, "not-reached");
  for (const std::string& path : result.damaged)
    warn(path + " is damaged and only partly readable: its pictures are partly grey");
  out["damaged"] = result.damaged;
  const int status = finishSummary(left, result.imagesConverted, result.imagesReused, kSuccess);

  if (!result.ran) return fail("size A is off (0 x 0): nothing was built", kFailed);
  if (!result.folderCreated)
    return fail("the output folder " + cmd.outputFolder + " could not be created: " + whyNoFolder(cmd.outputFolder),
                kFailed);
  if (!result.linkInTheWay.empty())
    return fail(cmd.outputFolder + result.linkInTheWay +
                    " is a symbolic link (or a file where a folder belongs): a build writes through no link, so nothing "
                    "was written",
                kFailed);
  note("%d images converted, %d unchanged and reused", result.imagesConverted, result.imagesReused);
  if (!result.failedWrites.empty()) {
    for (const std::string& failure : result.failedWrites)
      std::fprintf(stderr, "picovand-cli: cannot write %s\n", failure.c_str());
    return fail(format("%zu files could not be written (first: %s); the previous gallery was left as it was",
                       result.failedWrites.size(), result.failedWrites.front().c_str()),
                kFailed);
  }
  const OutputInfo info = outputInfo(s, result.output);
  for (const std::string* line : {&info.size, &info.uploadTime, &info.folder, &info.fileCount}) pvcli::result(*line);
  out["files"] = result.output.files;
  out["folders"] = result.output.folders;
  out["bytes"] = result.output.bytes;
  detail("%d files in %d folders, %llu bytes", result.output.files, result.output.folders,
         static_cast<unsigned long long>(result.output.bytes));
  if (result.cancelled) return fail("cancelled: the remaining images were not written", kCancelled);
  if (!result.pagesWritten)
    return fail(format("no pages were written: the page templates of preset %d cannot be read, or its project type "
                       "has no page writer",
                       s.presetNumber),
                kFailed);
  if (!isBatchConversion(s.presetNumber)) {
    const std::string start = startPagePath(s, cmd.outputFolder);
    pvcli::result("Startseite: " + start);
    out["startPage"] = start;
    const std::string index = withSlash(cmd.outputFolder) + kIndexPageName;
    if (result.foreignIndexKept)
      warn(index + " was not written by picovand and was kept as it is; the start page is " + start +
           " (remove that index.html to get the gallery's own)");
    else if (s.indexPage)
      out["indexPage"] = index;
  }
  if (status == kPartial)
    std::fprintf(stderr, "picovand-cli: %zu %s given %s not in the gallery (exit status %d)\n", left.pictures.size(),
                 left.pictures.size() == 1 ? "picture" : "pictures", left.pictures.size() == 1 ? "is" : "are", kPartial);
  return status;
}

const char* const kCommands[] = {"build", "upload", "presets", "control-sets"};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(helpText().c_str(), stdout);
      return 0;
    }
  // -q, -v and --json may stand before the command as well as among its options.
  while (!args.empty() && takeOutputOption(args.front())) args.erase(args.begin());
  if (args.empty()) {
    const int status = fail("no command given (picovand-cli --help shows the commands)");
    printSummary(status);
    return status;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "--version") {
    std::printf("%s %s\n", kProductName, kProductVersion);
    return 0;
  }
  int status = kBadInput;
  if (std::find(std::begin(kCommands), std::end(kCommands), command) != std::end(kCommands)) {
    console().summary["command"] = command;
    for (size_t i = 0; command != "build" && i < args.size(); ++i)
      if (takeOutputOption(args[i])) args.erase(args.begin() + std::ptrdiff_t(i--));
  }
  if (command == "presets") {
    status = args.empty() ? listPresets() : fail("presets takes no arguments");
  } else if (command == "control-sets") {
    status = args.empty() ? printControlSets() : fail("control-sets takes no arguments");
  } else if (command == "upload") {
    status = uploadCommand(args);
  } else if (command == "build") {
    initialiseImageLibrary();
    status = build(args);
    shutdownImageLibrary();
  } else {
    std::vector<std::string> known(std::begin(kCommands), std::end(kCommands));
    known.insert(known.end(), {"--version", "--help"});
    known.insert(known.end(), std::begin(kOutputOptions), std::end(kOutputOptions));
    status = fail((startsWith(command, "-") ? "unknown option " + command : "unknown command '" + command + "'") +
                  didYouMean(command, known) + " (picovand-cli --help shows the commands)");
  }
  printSummary(status);
  return status;
}
