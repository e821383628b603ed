#include "gallery/BuildDriver.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

#include "state/AppState.h"
#include "gallery/BuildManifest.h"
#include "convert/Conversion.h"
#include "gallery/OutputLayout.h"
#include "pages/PageEngine.h"
#include "pages/Writers.h"
#include "util/FileSystem.h"
#include "settings/Presets.h"
#include "settings/Product.h"
#include "util/Text.h"

namespace pv {

CreateCommand prepareBuild(AppState& state, const ImagePageValues& image, const ProjectPageValues& project,
                           CreatePageValues& create) {
  ProjectSettings& s = state.settings;
  CreateCommand cmd;
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
  state.abortRequested = false;
  cmd.status = CreateStatus::Ready;
  return cmd;
}

void markMissingSources(ItemCollection& items, const BuildResult& result) {
  if (!result.ran) return;
  const std::set<std::string> missing(result.missingSources.begin(), result.missingSources.end());
  for (const auto& item : items.list)
    if (!item->isAlbum) item->sourceMissing = missing.count(item->sourcePath) > 0;
}

std::string startPagePath(const ProjectSettings& s, const std::string& outputFolder) {
  return withSlash(outputFolder) + pageFileName(s, 0);
}

OutputCount countOutput(const std::string& outputFolder) {
  namespace fs = std::filesystem;
  OutputCount count;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(outputFolder, ec), end; !ec && it != end; it.increment(ec)) {
    // The build's record of its files is not part of the gallery.
    if (it.depth() == 0 && it->path().filename() == kManifestName) continue;
    std::error_code ec2;
    if (it->is_directory(ec2)) {
      ++count.folders;
    } else {
      ++count.files;
      std::uintmax_t n = it->file_size(ec2);
      if (!ec2) count.bytes += std::int64_t(n);
    }
  }
  return count;
}

OutputInfo outputInfo(const ProjectSettings& s, const OutputCount& count) {
  const long long kb = count.bytes / 1024;
  return {format("Gesamtgröße der Daten: %lld KB", kb),
          format("Upload-Zeit: 128kbit>%lldmin - 256kbit>%lldmin - 1mbit>%lldmin", kb / 16 / 60, kb / 32 / 60,
                 kb / 128 / 60),
          format("Ausgabeordner: ./%s", s.projectName.c_str()), format("Anzahl der Dateien: %d", count.files)};
}

namespace {

std::string relativeTo(const std::string& folder, const std::string& path) { return path.substr(folder.size()); }

// The entry of an output of the previous build that this one may keep:
// named by the record with the same recipe, and still holding the recorded bytes.
std::optional<ManifestFile> reusable(const BuildManifest* previous, const std::string& folder, const std::string& path,
                                     const std::string& recipe) {
  if (!previous) return std::nullopt;
  auto it = previous->files.find(path);
  if (it == previous->files.end() || it->second.recipe != recipe) return std::nullopt;
  return stillAsRecorded(folder, *previous, it->second);
}

// The temporary files a build that died left beside the files of its
// record ("name.tmp<process>-<count>").
void removeTemporaries(const std::string& folder, const BuildManifest& record) {
  std::set<std::string> folders;
  for (const auto& [path, entry] : record.files)
    folders.insert(path.rfind('/') == std::string::npos ? std::string() : path.substr(0, path.rfind('/') + 1));
  for (const std::string& dir : folders) {
    if (!dir.empty() && !staysBelow(folder, dir.substr(0, dir.size() - 1))) continue;
    for (const DirEntry& e : listDirectory(folder + dir)) {
      const size_t tmp = e.name.rfind(".tmp");
      if (e.isDirectory || tmp == std::string::npos || !record.files.count(dir + e.name.substr(0, tmp))) continue;
      const std::string suffix = e.name.substr(tmp + 4);
      const size_t dash = suffix.find('-');
      if (dash == std::string::npos || dash == 0 || dash + 1 == suffix.size() ||
          suffix.find_first_not_of("0123456789-") != std::string::npos || suffix.find('-', dash + 1) != std::string::npos)
        continue;
      std::remove((folder + dir + e.name).c_str());
    }
  }
}

// The files the previous build wrote that this one did not, where they still
// hold what that build wrote (a file the user changed since stays), and
// then the folders that held only them. Nothing is removed through a link:
// a folder sent by someone else may hold one leading anywhere.
void removeLeftovers(const std::string& folder, const BuildManifest& previous, const BuildManifest& current,
                     const std::set<std::string>& galleryFolders) {
  namespace fs = std::filesystem;
  removeTemporaries(folder, previous);
  for (const auto& [path, entry] : previous.files) {
    if (current.files.count(path)) continue;
    // An entry without hash names a file a build that died was about to
    // write; what the file holds now is unknown, so it stays.
    if (entry.sha256.empty() || !staysBelow(folder, path) || !stillAsRecorded(folder, previous, entry)) continue;
    std::error_code ec;
    fs::remove(folder + path, ec);
    for (std::string dir = path; dir.rfind('/') != std::string::npos;) {
      dir.erase(dir.rfind('/'));
      if (galleryFolders.count(dir) || !staysBelow(folder, dir) || !fs::is_empty(folder + dir, ec) || ec) break;
      fs::remove(folder + dir, ec);
    }
  }
}

// The first place the build would write through that is a link or not a
// folder, relative to folder; empty when there is none.
std::string linkInTheWay(const ProjectSettings& s, const std::string& folder, const std::vector<ImageConversion>& plan,
                         const std::set<std::string>& folders) {
  std::set<std::string> places(folders.begin(), folders.end());
  places.insert(templateImageFolder(s));
  places.insert(controlFolder(s).substr(0, controlFolder(s).size() - 1));
  for (const ImageConversion& image : plan)
    for (const SizeOutput& output : image.outputs) places.insert(relativeTo(folder, output.destination));
  for (const std::string& place : places)
    if (!staysBelow(folder, place)) return place;
  return {};
}

// The recipe digest of every output of every image, in the order of the plan.
// Every scaled box of an image counts, the high-resolution ones too: one
// decode serves them all.
std::vector<std::vector<std::string>> imageRecipes(const AppState& state, const std::vector<ImageConversion>& plan,
                                                   const std::string& secret) {
  std::vector<std::vector<std::string>> recipes(plan.size());
  for (size_t i = 0; i < plan.size(); ++i) {
    std::vector<std::pair<int, int>> scaledBoxes;
    for (const SizeOutput& output : plan[i].outputs)
      if (output.boxWidth != kCopyBoxSide || output.boxHeight != kCopyBoxSide)
        scaledBoxes.emplace_back(output.boxWidth, output.boxHeight);
    for (const SizeOutput& output : plan[i].outputs) {
      nlohmann::json recipe = imageRecipe(state, *plan[i].item, output.boxWidth, output.boxHeight, scaledBoxes);
      // Whether it is written at all depends on the size it doubles.
      if (output.twinOf >= 0) {
        recipe["twinOf"] = scaledBoxes[size_t(output.twinOf)];
        if (recipe.contains("quality")) recipe["quality"] = twinQuality(state.settings.jpegQuality);
      }
      recipes[i].push_back(recipeDigest(recipe, secret));
    }
  }
  return recipes;
}

// Marks the outputs of one image that the folder already holds as kept and
// records them in current; every other output is named in intent as about
// to be replaced. True when every output is kept.
bool keepUnchanged(ImageConversion& image, const std::vector<std::string>& recipes,
                   const BuildManifest* previous, const std::string& folder, BuildManifest& current,
                   BuildManifest& intent) {
  bool all = true;
  for (size_t j = 0; j < image.outputs.size(); ++j) {
    SizeOutput& output = image.outputs[j];
    const std::string path = relativeTo(folder, output.destination);
    const std::optional<ManifestFile> kept = reusable(previous, folder, path, recipes[j]);
    output.keep = kept.has_value();
    // A high-resolution picture the source was too small for stays unwritten
    // while the picture it doubles is unchanged.
    if (!output.keep && output.twinOf >= 0 && image.outputs[size_t(output.twinOf)].keep &&
        previous->files.at(relativeTo(folder, image.outputs[size_t(output.twinOf)].destination)).withoutTwin) {
      output.keep = output.skipped = true;
      continue;
    }
    // A file about to be replaced keeps its old entry in the intent record:
    // what a dying build leaves there is ours only if it is the old file.
    if (kept)
      current.files[path] = *kept;
    else if (!intent.files.count(path))
      intent.files[path] = {{path}};
    all = all && output.keep;
  }
  return all;
}

// The converted outputs into current, with their recipes. An output that was
// not converted (cancelled, failed) while an older file of the previous
// build is still there keeps that file's entry: it is still ours, described
// by its older recipe.
void recordConverted(const std::vector<ImageConversion>& plan, const std::vector<std::vector<std::string>>& recipes,
                     const std::optional<BuildManifest>& previous, const std::string& folder, BuildManifest& current) {
  for (size_t i = 0; i < plan.size(); ++i)
    for (size_t j = 0; j < plan[i].outputs.size(); ++j) {
      const SizeOutput& output = plan[i].outputs[j];
      const std::string path = relativeTo(folder, output.destination);
      if (output.written) {
        if (std::optional<ManifestFile> file = describeOutput(folder, path, recipes[i][j])) current.files[path] = *file;
      } else if (output.skipped && !output.keep) {
        const std::string single = relativeTo(folder, plan[i].outputs[size_t(output.twinOf)].destination);
        if (current.files.count(single)) current.files[single].withoutTwin = true;
      } else if (!output.keep && previous && previous->files.count(path) && fileExists(output.destination)) {
        current.files[path] = previous->files.at(path);
      }
    }
}

// The folders a build into an empty folder would make: the image folder,
// one per album (empty ones too), and those of every file it wrote.
std::set<std::string> galleryFolders(const ProjectSettings& s, const std::vector<const CollectionItem*>& records,
                                     const BuildManifest& current) {
  const std::string& images = s.imageFolderName;
  std::set<std::string> folders{images};
  for (const CollectionItem* record : records)
    if (record->isAlbum) folders.insert(images + albumFullPath(*record));
  for (const auto& [path, entry] : current.files)
    for (std::string dir = path; dir.rfind('/') != std::string::npos;) folders.insert(dir.erase(dir.rfind('/')));
  return folders;
}

// The records the build works on, in list order: albums, and images whose
// file is there; the source of every other image goes into missing.
std::vector<const CollectionItem*> presentRecords(const ItemCollection& items, std::vector<std::string>& missing) {
  std::vector<const CollectionItem*> present;
  for (const auto& item : items.list) {
    if (item->isAlbum || fileExists(item->sourcePath))
      present.push_back(item.get());
    else
      missing.push_back(item->sourcePath);
  }
  return present;
}

// The entries of the pages: the albums, and the images that got their first
// picture. Every other image (not readable, not converted, or not reached
// before a cancel) is left out of the pages, so that none links to a file
// that does not exist; its source goes into without.
std::vector<PageEntry> pageEntries(const std::vector<const CollectionItem*>& records,
                                   const std::vector<ImageConversion>& plan, const std::string& folder,
                                   std::vector<std::string>& without) {
  std::vector<PageEntry> entries;
  size_t k = 0;  // the plan holds the images of records in the same order
  for (const CollectionItem* record : records) {
    if (record->isAlbum) {
      entries.push_back({record, {}});
      continue;
    }
    const ImageConversion& image = plan[k++];
    if (image.pictures.empty() || !fileExists(folder + image.pictures[0])) {
      without.push_back(record->sourcePath);
      continue;
    }
    PageEntry& entry = entries.emplace_back(PageEntry{record, image.pictures});
    // One the source was too small for this time may still be there from an
    // earlier build, until the leftovers go.
    std::vector<bool> skipped(image.twinPictures.size());
    for (const SizeOutput& output : image.outputs)
      if (output.twinOf >= 0) skipped[size_t(output.twinOf)] = output.skipped;
    for (size_t i = 0; i < image.twinPictures.size(); ++i) {
      const std::string& twin = image.twinPictures[i];
      entry.twins.push_back(!twin.empty() && !skipped[i] && fileExists(folder + twin) ? twin : std::string());
    }
  }
  return entries;
}

// The start page copied to index.html, unless an index.html is there that
// the previous build did not write or that was changed since: that one is
// somebody else's and stays (false). A link in its place counts as theirs.
bool writeIndexPage(const ProjectSettings& s, const std::string& folder, const std::optional<BuildManifest>& previous,
                    PageSink& sink) {
  namespace fs = std::filesystem;
  const std::string path = folder + kIndexPageName;
  std::error_code ec;
  const fs::file_status there = fs::symlink_status(path, ec);
  if (fs::exists(there) || fs::is_symlink(there)) {
    const bool ours = previous && previous->files.count(kIndexPageName) && fs::is_regular_file(there) &&
                      stillAsRecorded(folder, *previous, previous->files.at(kIndexPageName));
    if (!ours) return false;
  }
  std::string page;
  if (!readWholeFile(startPagePath(s, folder), page)) return true;  // no start page: nothing to copy
  if (writeFileAtomically(path, page))
    sink.written.push_back(path);
  else
    sink.failures.push_back(path + ": " + std::strerror(errno));
  return true;
}

// The images whose picture could be read only in part: as this build's
// decoding found it, or for an image not decoded again, as the import did.
std::vector<std::string> damagedImages(const std::vector<ImageConversion>& plan) {
  std::vector<std::string> damaged;
  for (const ImageConversion& image : plan) {
    const auto& outs = image.outputs;
    const bool decoded = std::any_of(outs.begin(), outs.end(), [](const SizeOutput& o) { return o.written; });
    if (decoded ? std::any_of(outs.begin(), outs.end(), [](const SizeOutput& o) { return o.damaged; })
                : image.item->damaged)
      damaged.push_back(image.item->sourcePath);
  }
  return damaged;
}

}  // namespace

BuildResult buildProject(AppState& state, const std::string& outputFolder, const BuildProgress& progress,
                         BuildMode mode) {
  const ProjectSettings& s = state.settings;
  BuildResult result;
  if (s.sizeAWidth == 0 && s.sizeAHeight == 0) return result;
  result.ran = true;
  const std::string folder = withSlash(outputFolder);
  const std::vector<const CollectionItem*> records = presentRecords(state.items, result.missingSources);

  std::vector<OutputSizeBox> sizes;
  if (s.sizeAWidth > 0) sizes.push_back({s.sizeAWidth, s.sizeAHeight, s.prefixA});
  if (s.sizeBWidth > 0) sizes.push_back({s.sizeBWidth, s.sizeBHeight, s.prefixB});
  if (s.sizeCWidth > 0) sizes.push_back({s.sizeCWidth, s.sizeCHeight, s.prefixC});
  int total = 0;
  for (const CollectionItem* record : records) total += record->isAlbum ? 0 : 1;
  int done = 0;
  auto report = [&](BuildStep step) {
    if (progress) progress(step, done, total, result.imagesReused);
  };

  report(BuildStep::Watermarks);
  prepareWatermarks(state);
  report(BuildStep::OutputFolder);
  result.folderCreated = makeDirectory(folder);
  if (result.folderCreated) {
    // The record of the previous build: which files are ours, and what made
    // each image. A full build converts everything but still removes what
    // the previous one wrote and this one does not.
    const std::string secret = recordSecret(s.appDataFolder, true);
    const std::optional<BuildManifest> previous = readManifest(folder, secret);
    const bool reuse = mode == BuildMode::Reuse && previous && previous->programVersion == kProductVersion;

    report(BuildStep::CheckOutputs);
    std::vector<ImageConversion> plan = planConversions(s, records, folder, sizes);
    result.linkInTheWay = linkInTheWay(s, folder, plan, galleryFolders(s, records, BuildManifest{}));
    if (!result.linkInTheWay.empty()) {
      releaseWatermarks(state);
      state.abortRequested = false;
      return result;
    }
    std::vector<std::vector<std::string>> recipes = imageRecipes(state, plan, secret);
    BuildManifest current{kProductVersion, {}};
    // What this build is about to write, with the previous record: a build
    // that dies half-way still leaves every file it may have written named.
    BuildManifest intent = previous.value_or(BuildManifest{kProductVersion, {}});
    std::vector<ImageConversion*> work;
    for (size_t i = 0; i < plan.size(); ++i) {
      if (keepUnchanged(plan[i], recipes[i], reuse ? &*previous : nullptr, folder, current, intent)) {
        ++result.imagesReused;
        ++done;
      } else {
        work.push_back(&plan[i]);
      }
    }
    // Without the intent record nothing is written: a build that then died
    // would leave files nobody knows to be ours.
    if (secret.empty() || !writeManifest(folder, intent, secret)) {
      result.failedWrites.push_back(secret.empty() ? s.appDataFolder + "build-record.key: " + std::strerror(errno)
                                                   : folder + kManifestName + ": " + std::strerror(errno));
      releaseWatermarks(state);
      result.output = countOutput(folder);
      state.abortRequested = false;
      return result;
    }

    report(BuildStep::Convert);
    const int before = done;
    convertPlanned(state, work, [&](int converted, int) {
      done = before + converted;
      report(BuildStep::Convert);
    });
    result.imagesConverted = 0;
    for (const ImageConversion* image : work) {
      bool all = true;
      for (const SizeOutput& output : image->outputs) {
        if (!output.keep && !output.written && output.error != 0)
          result.failedWrites.push_back(output.destination + ": " + std::strerror(output.error));
        all = all && (output.keep || output.written || output.skipped);
      }
      result.imagesConverted += all ? 1 : 0;
    }
    recordConverted(plan, recipes, previous, folder, current);
    result.damaged = damagedImages(plan);
    std::vector<std::string> noPicture;
    const PageInputs pages{s, folder, pageEntries(records, plan, folder, noPicture)};
    result.cancelled = state.abortRequested;
    for (std::string& path : noPicture)
      (result.cancelled ? result.notReached : result.withoutOutput).push_back(std::move(path));

    // Pages that would link to pictures that could not be written are not
    // written: the previous pages stay, with the previous pictures.
    PageSink sink;
    if (result.failedWrites.empty()) {
      report(BuildStep::StyleFiles);
      copyProjectTypeFiles(s, folder, sink);
      report(BuildStep::Pages);
      if (isOwnTemplate(s.presetNumber)) copyControlSet(s, folder, sink);
      result.pagesWritten = writeProjectPages(pages, sink);
      if (s.indexPage && result.pagesWritten && sink.failures.empty())
        result.foreignIndexKept = !writeIndexPage(s, folder, previous, sink);
      for (const std::string& path : sink.written)
        if (std::optional<ManifestFile> file = describeOutput(folder, relativeTo(folder, path)))
          current.files[file->path] = *file;
    }
    result.failedWrites.insert(result.failedWrites.end(), sink.failures.begin(), sink.failures.end());

    // After a failure nothing of the previous gallery is removed, and the
    // record keeps naming what either build wrote.
    if (result.failedWrites.empty())
      removeLeftovers(folder, intent, current, galleryFolders(s, records, current));
    else
      for (const auto& [path, entry] : intent.files)
        if (!current.files.count(path) && !entry.sha256.empty()) current.files[path] = entry;
    releaseWatermarks(state);

    report(BuildStep::Statistics);
    result.output = countOutput(folder);
    // Last, and whole or not at all: until here the intent record stands.
    if (!writeManifest(folder, current, secret))
      result.failedWrites.push_back(folder + kManifestName + ": " + std::strerror(errno));
  } else {
    releaseWatermarks(state);
    report(BuildStep::Statistics);
    result.output = countOutput(folder);
  }
  if (!(s.presetNumber >= 3000 && s.presetNumber <= 4000)) result.previewPage = startPagePath(s, folder);
  result.cancelled = result.cancelled || state.abortRequested;
  if (result.cancelled) result.previewPage = infoPagePath(s, 0);
  state.abortRequested = false;
  return result;
}

std::vector<PreviewRow> previewListRows(AppState& state, const ImagePageValues& image) {
  ProjectSettings& s = state.settings;
  captureSizesAndNames(s, image, true);

  const char* const outputFormat = imageFormatName(s.imageFormat);
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
        row.folder = item->albumPath;
        rows.push_back(std::move(row));
        continue;
      }
      const BoxSize fitted = fitIntoBox(item->width, item->height, box.width, box.height, !s.noEnlarge);
      row.outputFormat = format("%s (%d*%d)", outputFormat, fitted.width, fitted.height);
      row.folder = item->albumPath;
      rows.push_back(row);
      // The high-resolution picture, where the photo is large enough for it.
      const BoxSize twin = twinSize(item->width, item->height, box.width, box.height, !s.noEnlarge);
      if (!s.hidpi || (box.width == kCopyBoxSide && box.height == kCopyBoxSide) || twin.width == 0) continue;
      row.outputFile += "-2x";
      row.outputFormat = format("%s (%d*%d)", outputFormat, twin.width, twin.height);
      rows.push_back(std::move(row));
    }
    ++number;
  }
  return rows;
}

}  // namespace pv
