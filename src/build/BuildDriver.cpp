#include "build/BuildDriver.h"

#include <filesystem>

#include "app/AppState.h"
#include "build/Conversion.h"
#include "build/OutputLayout.h"
#include "pages/PageEngine.h"
#include "pages/Writers.h"
#include "settings/FileSystem.h"
#include "settings/Presets.h"
#include "settings/Text.h"

namespace pv {

CreateCommand prepareBuild(AppState& state, const ImagePageValues& image, const ProjectPageValues& project,
                           CreatePageValues& create) {
  ProjectSettings& s = state.settings;
  CreateCommand cmd;
  state.creditPending = 1;
  if (isOwnTemplate(s.presetNumber) && trimBlanks(project.ownWebPage).empty()) {
    cmd.status = CreateStatus::NeedsOwnPage;
    return cmd;
  }
  captureSettings(state, image, project, create);
  cmd.outputFolder = withSlash(create.projectFolder + s.projectName);
  create.outputFolder = cmd.outputFolder;
  if (s.presetNumber == 0) {
    cmd.title = kNoProjectTitle;
    cmd.message = kNoProjectMessage;
    return cmd;
  }
  // An empty name would build into the project folder itself, "." or ".."
  // into it or above it.
  if (s.projectName.find_first_not_of('.') == std::string::npos) {
    cmd.title = kBadProjectNameTitle;
    cmd.message = kBadProjectNameMessage;
    return cmd;
  }
  for (auto& item : state.items.list) item->outputPaths.clear();
  state.abortRequested = false;
  cmd.status = CreateStatus::Ready;
  return cmd;
}

std::string startPagePath(const ProjectSettings& s, const std::string& outputFolder) {
  return withSlash(outputFolder) + pageFileName(s, 0);
}

void countOutput(ProjectSettings& s, const std::string& outputFolder) {
  namespace fs = std::filesystem;
  s.outputFileCount = s.outputFolderCount = 0;
  s.outputTotalBytes = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(outputFolder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (it->is_directory(ec2)) {
      ++s.outputFolderCount;
    } else {
      ++s.outputFileCount;
      std::uintmax_t n = it->file_size(ec2);
      if (!ec2) s.outputTotalBytes += std::int64_t(n);
    }
  }
}

OutputInfo outputInfo(const ProjectSettings& s) {
  const long long kb = s.outputTotalBytes / 1024;
  return {format("Gesamtgröße der Daten: %lld KB", kb),
          format("Upload-Zeit: 128kbit>%lldmin - 256kbit>%lldmin - 1mbit>%lldmin", kb / 16 / 60, kb / 32 / 60,
                 kb / 128 / 60),
          format("Ausgabeordner: ./%s", s.projectName.c_str()), format("Anzahl der Dateien: %d", s.outputFileCount)};
}

namespace {
// Takes the images whose file is gone out of the collection for the build
// and puts them back in their places afterwards.
class MissingSourcesSetAside {
 public:
  MissingSourcesSetAside(ItemCollection& items, std::vector<std::string>& paths) : items_(items) {
    auto& list = items.list;
    for (size_t i = 0; i < list.size(); ++i) {
      CollectionItem& item = *list[i];
      if (item.isAlbum) continue;
      item.sourceMissing = !fileExists(item.sourcePath);
      if (item.sourceMissing) {
        paths.push_back(item.sourcePath);
        aside_.emplace_back(i, std::move(list[i]));
      }
    }
    std::erase(list, nullptr);
  }
  ~MissingSourcesSetAside() {
    for (auto& [index, item] : aside_) items_.list.insert(items_.list.begin() + long(index), std::move(item));
  }
  MissingSourcesSetAside(const MissingSourcesSetAside&) = delete;
  MissingSourcesSetAside& operator=(const MissingSourcesSetAside&) = delete;

 private:
  ItemCollection& items_;
  std::vector<std::pair<size_t, std::unique_ptr<CollectionItem>>> aside_;
};
}  // namespace

BuildResult buildProject(AppState& state, const std::string& outputFolder, const BuildProgress& progress) {
  ProjectSettings& s = state.settings;
  BuildResult result;
  if (s.sizeAWidth == 0 && s.sizeAHeight == 0) return result;
  result.ran = true;
  MissingSourcesSetAside setAside(state.items, result.missingSources);

  struct Pass {
    BuildStep step;
    int width, height;
    const std::string& prefix;
  };
  std::vector<Pass> passes;
  if (s.sizeAWidth > 0) passes.push_back({BuildStep::ConvertA, s.sizeAWidth, s.sizeAHeight, s.prefixA});
  if (s.sizeBWidth > 0) passes.push_back({BuildStep::ConvertB, s.sizeBWidth, s.sizeBHeight, s.prefixB});
  if (s.sizeCWidth > 0) passes.push_back({BuildStep::ConvertC, s.sizeCWidth, s.sizeCHeight, s.prefixC});
  int images = 0;
  for (auto& item : state.items.list) images += item->isAlbum ? 0 : 1;
  const int total = images * int(passes.size());
  int done = 0;
  auto report = [&](BuildStep step) {
    if (progress) progress(step, done, total);
  };

  report(BuildStep::Watermarks);
  prepareWatermarks(state);
  report(BuildStep::OutputFolder);
  result.folderCreated = makeDirectory(outputFolder);
  if (result.folderCreated) {
    for (const Pass& pass : passes) {
      report(pass.step);
      const int before = done;
      convertAllImages(state, outputFolder, pass.width, pass.height, pass.prefix, [&](int passDone, int) {
        done = before + passDone;
        report(pass.step);
      });
    }
    report(BuildStep::StyleFiles);
    copyProjectTypeFiles(state, outputFolder);
    report(BuildStep::Pages);
    if (isOwnTemplate(s.presetNumber)) copyControlSet(state, outputFolder);
    result.pagesWritten = writeProjectPages(state, outputFolder);
  }
  releaseWatermarks(state);

  report(BuildStep::Statistics);
  countOutput(s, outputFolder);
  if (!(s.presetNumber >= 3000 && s.presetNumber <= 4000)) result.previewPage = startPagePath(s, outputFolder);
  result.cancelled = state.abortRequested;
  if (result.cancelled) result.previewPage = infoPagePath(s, 0);
  state.abortRequested = false;
  return result;
}

std::vector<PreviewRow> previewListRows(AppState& state, const ImagePageValues& image) {
  ProjectSettings& s = state.settings;
  captureSizesAndNames(s, image, true);

  const char* const outputFormat =
      s.imageFormat >= 0 && s.imageFormat < 5 ? kImageFormatNames[s.imageFormat] : kImageFormatNames[0];
  const BoxSize boxes[3] = {{s.sizeAWidth, s.sizeAHeight}, {s.sizeBWidth, s.sizeBHeight}, {s.sizeCWidth, s.sizeCHeight}};
  const std::string* const prefixes[3] = {&s.prefixA, &s.prefixB, &s.prefixC};
  std::vector<PreviewRow> rows;
  int number = 0;
  for (auto& item : state.items.list) {
    if (item->isAlbum) continue;
    for (int i = 0; i < 3; ++i) {
      const BoxSize& box = boxes[i];
      if (box.width == 0 || box.height == 0) continue;
      PreviewRow row;
      row.inputFile = item->name;
      row.inputFormat = format("%s (%d*%d)", item->formatName.c_str(), item->width, item->height);
      row.outputFile = format("%s%05d", prefixes[i]->c_str(), number);
      if (i > 0 && (box.width == 9999 || box.height == 9999)) {
        row.outputFormat = outputFormat;
      } else {
        BoxSize fitted = fitIntoBox(item->width, item->height, box.width, box.height);
        row.outputFormat = format("%s (%d*%d)", outputFormat, fitted.width, fitted.height);
      }
      row.folder = item->albumPath;
      rows.push_back(std::move(row));
    }
    ++number;
  }
  return rows;
}

}  // namespace pv
