// Whole builds (web album 1001, sizes 160 x 120 and 1024 x 768, JPEG quality
// 85, bilinear) of bench_convert's 12-megapixel photos: a full build into an
// empty folder against vipsthumbnail making the same two sizes in the same
// run, then rebuilds into the same folder with nothing changed and with one
// image changed (its caption, which JPEG output carries).
//   bench_rebuild [photos [rounds]]     default 60 photos, 3 rounds; of the
//                                       rounds each figure's fastest counts
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchSupport.h"
#include "state/AppState.h"
#include "gallery/BuildDriver.h"
#include "settings/Presets.h"

namespace {

struct Build {
  pv::AppState state{pv::Environment{pv::executableFolder(), bench::dataFolder() + "home", "", "", "", ""}};
  pv::ImagePageValues image;
  pv::ProjectPageValues project;
  pv::CreatePageValues create;

  explicit Build(const std::vector<std::string>& photos) {
    loadPreset(state, 0, image, project);
    selectProjectType(state, 1001, image, project);
    image.sizes[pv::kSizeA].width = 160, image.sizes[pv::kSizeA].height = 120;
    image.sizes[pv::kSizeB].width = 1024, image.sizes[pv::kSizeB].height = 768;
    image.quality = 85;
    image.resizeFilter = 2;
    state.iptcCaption = "<IMAGE>";
    for (const std::string& p : photos) state.items.addImage(p, pv::fileNameOf(p), "/", {});
    create.projectFolder = bench::dataFolder();
    typeProjectName(create, "rebuild-ours");
  }
  // One build, timed; returns its usage and how many images it converted.
  std::pair<bench::Usage, int> run() {
    pv::CreateCommand cmd = prepareBuild(state, image, project, create);
    if (cmd.status != pv::CreateStatus::Ready) {
      std::fprintf(stderr, "the build was refused: %s\n", cmd.message.c_str());
      std::exit(1);
    }
    bench::Measurement measure;
    pv::BuildResult r = buildProject(state, cmd.outputFolder);
    return {measure.stop(), r.imagesConverted};
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  pv::initialiseImageLibrary();
  const std::vector<std::string> photos = bench::testPhotos(n);
  const unsigned cores = bench::cores();
  Build b(photos);
  if (b.state.items.size() != size_t(n)) {
    std::fprintf(stderr, "the test photos could not be added\n");
    return 1;
  }

  bench::Usage vips, full, unchanged, oneChanged;
  for (int round = 0; round < rounds; ++round) {
    bench::keepBest(vips, bench::vipsTwoSizes(photos, bench::cleanFolder("rebuild-vips")));

    std::error_code ec;
    std::filesystem::remove_all(bench::dataFolder() + "rebuild-ours", ec);
    auto [fullRun, fullConverted] = b.run();
    auto [sameRun, sameConverted] = b.run();
    b.state.items.list[size_t(n / 2)]->caption = "Bild " + std::to_string(round);
    auto [oneRun, oneConverted] = b.run();
    if (fullConverted != n || sameConverted != 0 || oneConverted != 1) {
      std::fprintf(stderr, "converted %d, %d and %d images; expected %d, 0 and 1\n", fullConverted, sameConverted,
                   oneConverted, n);
      return 1;
    }
    bench::keepBest(full, fullRun);
    bench::keepBest(unchanged, sameRun);
    bench::keepBest(oneChanged, oneRun);
  }

  std::printf("bench_rebuild: %d JPEG photos of %d x %d, web album into 160 x 120 and 1024 x 768, quality 85, "
              "%u cores, best of %d\n",
              n, bench::kPhotoWidth, bench::kPhotoHeight, cores, rounds);
  bench::printUsage("full build into an empty folder", full, n);
  bench::printUsage(pv::format("vipsthumbnail, %u processes, the two sizes", cores).c_str(), vips, n,
                    " (largest process)");
  bench::printUsage("rebuild, nothing changed", unchanged, n);
  bench::printUsage("rebuild, one image changed", oneChanged, n);
  std::printf("  time ratio full build / vipsthumbnail: %.2f, CPU %.2f (goal: at most 0.5)\n",
              full.wallSeconds / vips.wallSeconds, full.cpuSeconds / vips.cpuSeconds);
  std::printf("  rebuild / full build, nothing changed: %.1f %% (goal: at most 5 %%), one changed: %.1f %% (goal: "
              "at most 10 %%)\n",
              100 * unchanged.wallSeconds / full.wallSeconds, 100 * oneChanged.wallSeconds / full.wallSeconds);
  pv::shutdownImageLibrary();
  return 0;
}
