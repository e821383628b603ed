#include "gallery/OutputLayout.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "state/AppState.h"
#include "convert/Conversion.h"
#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

// An album's folder below the image folder: its full path without the
// leading "/".
std::string albumFolder(const std::string& albumPath) { return albumPath.substr(1); }

}  // namespace

std::vector<ImageConversion> planConversions(const ProjectSettings& s, const std::vector<const CollectionItem*>& records,
                                             const std::string& outputFolder, const std::vector<OutputSizeBox>& sizes) {
  const std::string imageFolder = withSlash(outputFolder) + s.imageFolderName + "/";
  makeDirectories(imageFolder);
  for (const CollectionItem* record : records)
    if (record->isAlbum) makeDirectories(imageFolder + albumFolder(albumFullPath(*record)));

  // Names and numbers are decided in list order before any conversion, and
  // for every image even when the build is cancelled.
  const char* extension = imageExtension(s.imageFormat);
  std::vector<ImageConversion> work;
  int k = 0;
  for (const CollectionItem* record : records) {
    if (record->isAlbum) continue;
    ImageConversion& conversion = work.emplace_back();
    conversion.item = record;
    conversion.number = k++;
    const std::string folder = record->albumPath.size() >= 2 ? albumFolder(record->albumPath) + "/" : "";
    for (const OutputSizeBox& size : sizes) {
      const std::string name = folder + format("%s%05d.%s", size.prefix.c_str(), conversion.number, extension);
      conversion.pictures.push_back(s.imageFolderName + "/" + name);
      conversion.outputs.push_back({size.width, size.height, imageFolder + name});
    }
    if (!s.hidpi) continue;
    for (size_t i = 0; i < sizes.size(); ++i) {
      const OutputSizeBox& size = sizes[i];
      if (size.width == kCopyBoxSide && size.height == kCopyBoxSide) {
        conversion.twinPictures.emplace_back();
        continue;
      }
      const std::string name = folder + format("%s%05d-2x.%s", size.prefix.c_str(), conversion.number, extension);
      conversion.twinPictures.push_back(s.imageFolderName + "/" + name);
      SizeOutput& twin = conversion.outputs.emplace_back(SizeOutput{2 * size.width, 2 * size.height, imageFolder + name});
      twin.twinOf = int(i);
    }
  }
  return work;
}

// One worker per core takes the next image until none is left or the build
// is cancelled. Every output depends on its own image only, so the files are
// the same whatever the number of workers. Progress is reported on the
// calling thread.
void convertPlanned(const AppState& state, std::vector<ImageConversion*> work, const ConversionProgress& progress) {
  if (work.empty()) return;
  std::atomic<size_t> next{0};
  std::mutex lock;
  std::condition_variable changed;
  int done = 0, running = 0;  // guarded by lock

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned workers = std::min(cores, unsigned(work.size()));
  // A few photos (one edited photo in a large gallery) leave cores to spare:
  // their resizing uses them.
  const int threadsEach = int(cores / workers);

  auto worker = [&] {
    while (!state.abortRequested) {
      const size_t i = next++;
      if (i >= work.size()) break;
      const CollectionItem& item = *work[i]->item;
      convertImageSizes(state, item.rotation, item.flipHorizontal, item.flipVertical, item.sourcePath,
                        work[i]->outputs, item.caption, threadsEach);
      std::lock_guard<std::mutex> guard(lock);
      ++done;
      changed.notify_one();
    }
    std::lock_guard<std::mutex> guard(lock);
    --running;
    changed.notify_one();
  };

  std::vector<std::thread> pool;
  pool.reserve(workers);
  for (unsigned i = 0; i < workers; ++i) {
    std::lock_guard<std::mutex> guard(lock);
    try {
      pool.emplace_back(worker);
      ++running;
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running share the work
    }
  }
  if (pool.empty()) {
    running = 1;
    worker();
  }

  std::unique_lock<std::mutex> guard(lock);
  for (int reported = 0;;) {
    changed.wait(guard, [&] { return done != reported || running == 0; });
    const int now = done;
    const bool finished = running == 0;
    if (now != reported && progress) {
      guard.unlock();
      progress(now, int(work.size()));
      guard.lock();
    }
    reported = now;
    if (finished && done == reported) break;
  }
  guard.unlock();
  for (std::thread& t : pool) t.join();
}

std::vector<ImageConversion> convertAllImages(const AppState& state, const std::string& outputFolder, int boxWidth,
                                              int boxHeight, const std::string& prefix,
                                              const ConversionProgress& progress) {
  std::vector<const CollectionItem*> records;
  for (const auto& record : state.items.list) records.push_back(record.get());
  std::vector<ImageConversion> work =
      planConversions(state.settings, records, outputFolder, {{boxWidth, boxHeight, prefix}});
  std::vector<ImageConversion*> all;
  for (ImageConversion& c : work) all.push_back(&c);
  convertPlanned(state, all, progress);
  return work;
}

namespace {

// A file that already holds the bytes is left alone, so a rebuild does not
// touch style files that did not change.
// A file that cannot be written is named in the sink with the system's reason.
void copyIfDifferent(const std::string& from, const std::string& to, PageSink& sink) {
  std::string content;
  if (!readWholeFile(from, content)) return;
  if (writeFileIfDifferent(to, content))
    sink.written.push_back(to);
  else
    sink.failures.push_back(to + ": " + std::strerror(errno));
}

}  // namespace

void copyProjectTypeFiles(const ProjectSettings& s, const std::string& outputFolder, PageSink& sink) {
  const std::string type = std::to_string(s.presetNumber);
  const std::string destination = withSlash(outputFolder) + s.imageFolderName + "/_pcv_" + type + "/";
  const std::string source = s.draftsFolder + type + "/pcv_image_folder/";
  bool created = false;
  for (const DirEntry& entry : listDirectory(source)) {
    if (entry.isDirectory) continue;
    if (!created) created = makeDirectories(destination);
    // A stylesheet gets its colours and fonts before it is compared.
    std::string style;
    if ((entry.name == "pcv.css" || entry.name == "pcv2.css") && loadTemplate(source + entry.name, style) &&
        fillColourTokens(s, style) > 0) {
      if (writeFileIfDifferent(destination + entry.name, style))
        sink.written.push_back(destination + entry.name);
      else
        sink.failures.push_back(destination + entry.name + ": " + std::strerror(errno));
    } else {
      copyIfDifferent(source + entry.name, destination + entry.name, sink);
    }
  }
  if (s.albumsAllowed) {
    makeDirectories(destination);
    copyIfDifferent(s.draftsFolder + "folder.gif", destination + "folder.gif", sink);
  }
}

void copyControlSet(const ProjectSettings& s, const std::string& outputFolder, PageSink& sink) {
  const std::string set = format("%04d", s.controlSet);
  const std::string destination = withSlash(outputFolder) + s.imageFolderName + "/_ctrl_" + set + "/";
  const std::string source = s.ctrlFolder + set + "/";
  makeDirectories(destination);
  for (const DirEntry& entry : listDirectory(source))
    if (!entry.isDirectory && endsWithNoCase(entry.name, ".gif"))
      copyIfDifferent(source + entry.name, destination + entry.name, sink);
}

}  // namespace pv
