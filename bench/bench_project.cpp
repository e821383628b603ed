// Saving and opening a project of many images: 100 albums of 100 small
// photos each, with captions. Opening takes the thumbnails from the cache
// beside the project file; the first save writes that cache.
//   bench_project [images [rounds]]    default 10000 images, 3 rounds; the
//                                      fastest round counts
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "state/AppState.h"
#include "project/ProjectFile.h"
#include "settings/Presets.h"

namespace {

// n small JPEGs, made on first use and kept: the open checks each source
// file, so they must exist; their size does not matter when the cache is warm.
std::vector<std::string> smallPhotos(int n) {
  const std::string folder = bench::dataFolder() + "project-photos/";
  pv::makeDirectories(folder);
  std::vector<std::string> paths;
  pv::ImagePtr photo;
  for (int i = 0; i < n; ++i) {
    const std::string path = folder + pv::format("bild-%05d.jpg", i);
    if (!pv::fileExists(path)) {
      if (!photo) photo.reset(FreeImage_Rescale(bench::makePhoto(7).get(), 320, 240, FILTER_BILINEAR));
      if (!photo || !FreeImage_Save(FIF_JPEG, photo.get(), path.c_str(), 80)) std::exit(1);
    }
    paths.push_back(path);
  }
  return paths;
}

struct Session {
  pv::AppState state;
  pv::ImagePageValues image;
  pv::ProjectPageValues project;
  pv::CreatePageValues create;
  explicit Session(const pv::Environment& env) : state(env) { pv::loadPreset(state, 0, image, project); }
  pv::ProjectPages pages() { return {image, project, create}; }
};

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  pv::initialiseImageLibrary();
  const std::vector<std::string> photos = smallPhotos(n);
  const pv::Environment env{pv::executableFolder(), bench::dataFolder() + "home", "", "", "", ""};

  Session made(env);
  pv::selectProjectType(made.state, 1001, made.image, made.project);
  std::vector<pv::ImageToAdd> files;
  for (int i = 0; i < n; ++i) {
    const std::string album = pv::format("Album %03d", i / 100);
    if (i % 100 == 0) made.state.items.addAlbum("/", album);
    files.push_back({photos[size_t(i)], pv::fileNameOf(photos[size_t(i)]), "/" + album});
  }
  std::atomic<bool> abort{false};
  made.state.items.addImages(files, pv::CaptionSources{}, abort);
  for (auto& item : made.state.items.list)
    if (!item->isAlbum) made.state.items.setCaption(*item, "Am Strand bei Sonnenuntergang, " + item->name);

  const std::string folder = bench::cleanFolder("project");
  const std::string path = folder + "Gross.pvproj";
  std::string cache = pv::thumbnailFolder(path);
  for (const pv::DirEntry& e : pv::listDirectory(cache)) std::remove((cache + e.name).c_str());

  bench::Measurement first;
  if (!pv::saveProject(path, made.state, made.pages()).ok) return 1;
  const bench::Usage firstSave = first.stop();

  bench::Usage save, open;
  for (int round = 0; round < rounds; ++round) {
    bench::Measurement s;
    if (!pv::saveProject(path, made.state, made.pages()).ok) return 1;
    bench::keepBest(save, s.stop());

    Session opened(env);
    bench::Measurement o;
    pv::ProjectResult r = pv::openProject(path, opened.state, opened.pages());
    bench::keepBest(open, o.stop());
    if (!r.ok || r.missingSources != 0 || opened.state.items.size() != made.state.items.size()) {
      std::fprintf(stderr, "the project did not open whole: %s\n", r.message.c_str());
      return 1;
    }
  }

  std::printf("bench_project: %d images in %d albums, %u cores, best of %d; project file %.1f MiB\n", n,
              (n + 99) / 100, bench::cores(), rounds, double(pv::fileSizeOf(path)) / 1048576.0);
  bench::printUsage("first save (writes the thumbnail cache)", firstSave, n);
  bench::printUsage("save", save, n);
  bench::printUsage("open (thumbnails from the cache)", open, n);
  std::printf("  goals: open under 2 s, save under 0.5 s: %s\n",
              open.wallSeconds < 2 && save.wallSeconds < 0.5 ? "met" : "NOT MET");
  pv::shutdownImageLibrary();
  return 0;
}
