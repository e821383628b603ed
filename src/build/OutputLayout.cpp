#include "build/OutputLayout.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/AppState.h"
#include "build/Conversion.h"
#include "pages/PageEngine.h"
#include "settings/FileSystem.h"
#include "settings/Text.h"

namespace pv {

namespace {

// An album's folder below the image folder: its full path without the
// leading "/".
std::string albumFolder(const std::string& albumPath) { return albumPath.substr(1); }

struct Conversion {
  const CollectionItem* item;
  std::string destination;
};

// One worker per core takes the next image until none is left or the build
// is cancelled. Every output depends on its own image only, so the files are
// the same whatever the number of workers. Progress is reported on the
// calling thread.
void convertInParallel(const AppState& state, const std::vector<Conversion>& work, int boxWidth, int boxHeight,
                       const ConversionProgress& progress) {
  std::atomic<size_t> next{0};
  std::mutex lock;
  std::condition_variable changed;
  int done = 0, running = 0;  // guarded by lock

  auto worker = [&] {
    while (!state.abortRequested) {
      const size_t i = next++;
      if (i >= work.size()) break;
      const CollectionItem& item = *work[i].item;
      convertImage(state, item.rotation, item.flipHorizontal, item.flipVertical, item.sourcePath, boxWidth, boxHeight,
                   work[i].destination, item.caption);
      std::lock_guard<std::mutex> guard(lock);
      ++done;
      changed.notify_one();
    }
    std::lock_guard<std::mutex> guard(lock);
    --running;
    changed.notify_one();
  };

  const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(work.size()));
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

}  // namespace

void convertAllImages(AppState& state, const std::string& outputFolder, int boxWidth, int boxHeight,
                      const std::string& prefix, const ConversionProgress& progress) {
  const ProjectSettings& s = state.settings;
  const std::string imageFolder = withSlash(outputFolder) + s.imageFolderName + "/";
  makeDirectories(imageFolder);
  for (const auto& record : state.items.list)
    if (record->isAlbum) makeDirectories(imageFolder + albumFolder(albumFullPath(*record)));

  // Names and numbers are decided in list order before any conversion, and
  // for every image even when the build is cancelled.
  const char* extension = imageExtension(s.imageFormat);
  std::vector<Conversion> work;
  int k = 0;
  for (const auto& record : state.items.list) {
    if (record->isAlbum) continue;
    std::string name = format("%s%05d.%s", prefix.c_str(), k, extension);
    if (record->albumPath.size() >= 2) name = albumFolder(record->albumPath) + "/" + name;
    record->outputPaths.push_back(s.imageFolderName + "/" + name);
    work.push_back({record.get(), imageFolder + name});
    record->imageNumber = k++;
  }
  if (!work.empty()) convertInParallel(state, work, boxWidth, boxHeight, progress);
}

void copyProjectTypeFiles(AppState& state, const std::string& outputFolder) {
  const ProjectSettings& s = state.settings;
  const std::string type = std::to_string(s.presetNumber);
  const std::string destination = withSlash(outputFolder) + s.imageFolderName + "/_pcv_" + type + "/";
  const std::string source = s.draftsFolder + type + "/pcv_image_folder/";
  bool created = false;
  for (const DirEntry& entry : listDirectory(source)) {
    if (entry.isDirectory) continue;
    if (!created) created = makeDirectories(destination);
    if (copyFileReplacing(source + entry.name, destination + entry.name) &&
        (entry.name == "pcv.css" || entry.name == "pcv2.css"))
      applyColourTokens(s, destination + entry.name);
  }
  if (s.albumsAllowed) {
    makeDirectories(destination);
    copyFileReplacing(s.draftsFolder + "folder.gif", destination + "folder.gif");
  }
}

void copyControlSet(AppState& state, const std::string& outputFolder) {
  const ProjectSettings& s = state.settings;
  const std::string set = format("%04d", s.controlSet);
  const std::string destination = withSlash(outputFolder) + s.imageFolderName + "/_ctrl_" + set + "/";
  const std::string source = s.ctrlFolder + set + "/";
  makeDirectories(destination);
  for (const DirEntry& entry : listDirectory(source))
    if (!entry.isDirectory && endsWithNoCase(entry.name, ".gif"))
      copyFileReplacing(source + entry.name, destination + entry.name);
}

}  // namespace pv
