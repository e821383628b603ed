// A build's image step: every photo into size A (160 x 120) and size B
// (1024 x 768) from one decode, JPEG quality 85, through planConversions and
// convertPlanned, against
// vipsthumbnail and ImageMagick's convert (with its jpeg:size shrink-on-load
// hint) making the same two outputs of the same files with every core busy.
//   bench_convert [photos [rounds]]     default 40 photos, 3 rounds; of the
//                                       rounds each tool's fastest counts
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "state/AppState.h"
#include "convert/Conversion.h"
#include "gallery/OutputLayout.h"
#include "model/Metadata.h"

namespace {

struct Size {
  int width, height;
  const char* prefix;
};
constexpr Size kSizes[] = {{160, 120, "pcva"}, {1024, 768, "pcvb"}};

bool hasSize(const std::string& path, const Size& s) {
  return bench::imageSize(path) == std::make_pair(s.width, s.height);
}

std::string stemOf(const std::string& path) { return pv::fileNameWithoutExtension(pv::fileNameOf(path)); }

// Both sizes made by a peer tool into out as <photo>_<box>.jpg; commandsFor
// gives the commands of one size.
template <class Commands>
bench::Usage peerPasses(const char* tool, const std::string& out, const std::string& firstPhoto, Commands commandsFor,
                        const std::vector<std::string>& environment = {}) {
  bench::Usage total;
  for (const Size& size : kSizes) {
    const std::string box = pv::format("%dx%d", size.width, size.height);
    const bench::Usage pass = bench::runCommands(commandsFor(size, box), bench::cores(), environment);
    total.wallSeconds += pass.wallSeconds, total.cpuSeconds += pass.cpuSeconds;
    total.peakKiB = std::max(total.peakKiB, pass.peakKiB);
    if (!hasSize(out + stemOf(firstPhoto) + "_" + box + ".jpg", size)) {
      std::fprintf(stderr, "%s did not write %s\n", tool, box.c_str());
      std::exit(1);
    }
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  pv::initialiseImageLibrary();
  const std::vector<std::string> photos = bench::testPhotos(n);
  const unsigned cores = bench::cores();

  // The state lives in the data folder, not in the user's home.
  pv::AppState state(pv::Environment{pv::executableFolder(), bench::dataFolder() + "home", "", "", "", ""});
  pv::ProjectSettings& s = state.settings;
  s.imageFolderName = "images";
  s.imageFormat = 0;
  s.jpegQuality = 85;
  s.resizeFilter = 2;  // bilinear, what the image settings page starts with
  s.sizeAWidth = kSizes[0].width, s.sizeAHeight = kSizes[0].height;
  s.sizeBWidth = kSizes[1].width, s.sizeBHeight = kSizes[1].height;
  for (const std::string& p : photos) {
    auto item = std::make_unique<pv::CollectionItem>();
    item->sourcePath = p;
    item->name = pv::fileNameOf(p);
    item->albumPath = "/";
    state.items.list.push_back(std::move(item));
  }

  bench::Usage picovand, vips, magick;
  for (int round = 0; round < rounds; ++round) {
    const std::string vipsOut = bench::cleanFolder("convert-vips");
    bench::keepBest(vips, peerPasses("vipsthumbnail", vipsOut, photos[0], [&](const Size&, const std::string& box) {
                      return bench::splitOver(photos, cores,
                                              {"vipsthumbnail", "--size", box, "-o", vipsOut + "%s_" + box + ".jpg[Q=85]"});
                    }));

    // convert handles one file per call and threads little of it: one
    // process per core, each on one thread, is its fastest setting here.
    const std::string magickOut = bench::cleanFolder("convert-magick");
    auto magickCommands = [&](const Size& size, const std::string& box) {
      std::vector<bench::Command> commands;
      for (const std::string& p : photos)
        commands.push_back({bench::imageMagickConvert(), "-define",
                            pv::format("jpeg:size=%dx%d", 2 * size.width, 2 * size.height), p, "-resize", box,
                            "-quality", "85", magickOut + stemOf(p) + "_" + box + ".jpg"});
      return commands;
    };
    bench::keepBest(magick, peerPasses("convert", magickOut, photos[0], magickCommands, {"MAGICK_THREAD_LIMIT=1"}));

    const std::string ours = bench::cleanFolder("convert-ours/images");
    bench::Measurement measure;
    prepareWatermarks(state);
    std::vector<pv::OutputSizeBox> boxes;
    for (const Size& size : kSizes) boxes.push_back({size.width, size.height, size.prefix});
    std::vector<const pv::CollectionItem*> records;
    for (const auto& item : state.items.list) records.push_back(item.get());
    std::vector<pv::ImageConversion> plan =
        planConversions(state.settings, records, bench::dataFolder() + "convert-ours", boxes);
    std::vector<pv::ImageConversion*> all;
    for (pv::ImageConversion& c : plan) all.push_back(&c);
    convertPlanned(state, all);
    releaseWatermarks(state);
    bench::keepBest(picovand, measure.stop());
    if (!hasSize(ours + "pcva00000.jpg", kSizes[0]) || !hasSize(ours + pv::format("pcvb%05d.jpg", n - 1), kSizes[1])) {
      std::fprintf(stderr, "convertPlanned did not write the expected files\n");
      return 1;
    }
  }

  std::printf("bench_convert: %d JPEG photos of %d x %d into 160 x 120 and 1024 x 768, quality 85, %u cores, best of %d\n",
              n, bench::kPhotoWidth, bench::kPhotoHeight, cores, rounds);
  bench::printUsage(pv::format("convertPlanned, %u workers, bilinear", cores).c_str(), picovand, n);
  bench::printUsage(pv::format("vipsthumbnail, %u processes", cores).c_str(), vips, n, " (largest process)");
  bench::printUsage(pv::format("convert -define jpeg:size, %u processes", cores).c_str(), magick, n,
                    " (largest process)");
  // On a machine shared with other work the CPU times are the steadier figures.
  std::printf("  time ratio convertPlanned / vipsthumbnail: %.2f, CPU %.2f (goal: at most 1.0)\n",
              picovand.wallSeconds / vips.wallSeconds, picovand.cpuSeconds / vips.cpuSeconds);
  std::printf("  time ratio convert / convertPlanned: %.2f, CPU %.2f (goal: at least 3)\n",
              magick.wallSeconds / picovand.wallSeconds, magick.cpuSeconds / picovand.cpuSeconds);
  pv::shutdownImageLibrary();
  return 0;
}
