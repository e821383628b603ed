// Adding photos to the collection (decode at a reduced size, thumbnail,
// caption and EXIF texts) against vipsthumbnail making 80 x 48 thumbnails of
// the same files with every core busy.
//   bench_import [photos [rounds]]     default 40 photos, 3 rounds; of the
//                                      rounds each tool's fastest counts
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "model/ItemCollection.h"

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  pv::initialiseImageLibrary();
  const std::vector<std::string> photos = bench::testPhotos(n);

  bench::Usage ours, vips;
  for (int round = 0; round < rounds; ++round) {
    const std::string out = bench::cleanFolder("import-vips");
    bench::keepBest(vips, bench::runCommands(bench::splitOver(photos, bench::cores(),
                                                              {"vipsthumbnail", "--size", "80x48", "-o", out + "%s.jpg"}),
                                             bench::cores()));
    if (bench::imageSize(out + "landscape12mp-000.jpg") != std::make_pair(64, 48)) {
      std::fprintf(stderr, "vipsthumbnail wrote no 64 x 48 thumbnail\n");
      return 1;
    }

    bench::Measurement measure;
    pv::ItemCollection items;
    std::vector<pv::ImageToAdd> files;
    for (const std::string& p : photos) files.push_back({p, pv::fileNameOf(p), "/"});
    std::atomic<bool> abort{false};
    items.addImages(files, pv::CaptionSources{}, abort);
    bench::keepBest(ours, measure.stop());
    for (const auto& item : items.list)
      if (item->width != bench::kPhotoWidth || item->height != bench::kPhotoHeight) {
        std::fprintf(stderr, "%s was added as %d x %d\n", item->name.c_str(), item->width, item->height);
        return 1;
      }
  }

  std::printf("bench_import: %d JPEG photos of %d x %d, %u cores, best of %d\n", n, bench::kPhotoWidth,
              bench::kPhotoHeight, bench::cores(), rounds);
  bench::printUsage(pv::format("ItemCollection::addImages, %u threads", bench::cores()).c_str(), ours, n);
  bench::printUsage(pv::format("vipsthumbnail --size 80x48, %u processes", bench::cores()).c_str(), vips, n,
                    " (largest process)");
  std::printf("  time ratio addImages / vipsthumbnail: %.2f, CPU %.2f (goal: at most 1.2)\n",
              ours.wallSeconds / vips.wallSeconds, ours.cpuSeconds / vips.cpuSeconds);
  pv::shutdownImageLibrary();
  return 0;
}
