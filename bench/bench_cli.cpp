// picovand-cli as a person runs it, end to end from the command line (web
// album 1001, sizes 160 x 120 and 1024 x 768, JPEG quality 85):
//  - bench_convert's 12-megapixel photos: a full build against vipsthumbnail
//    making the same two sizes, then rebuilds with nothing changed and with
//    one photo replaced by another;
//  - small JPEGs made here, 1 000 and ten times as many (kept at their own
//    size in size B): the full builds, a rebuild with nothing changed, and
//    the peak memory of picovand-cli (the maximum resident size the kernel
//    reports, as /usr/bin/time -v does).
//   bench_cli [photos [small [rounds]]]   default 60 photos, 10000 small, 1
//                                         round; of the rounds the fastest counts;
//                                         0 photos leaves the large ones out
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSmallWidth = 480, kSmallHeight = 360, kSmallPerFolder = 1000;

// A small photo-like picture: a gradient with a few shapes and noise.
bool writeSmallPhoto(const std::string& path, std::uint32_t seed) {
  pv::ImagePtr dib(FreeImage_Allocate(kSmallWidth, kSmallHeight, 24));
  if (!dib) return false;
  std::uint32_t state = seed * 2654435761u + 7;
  for (int y = 0; y < kSmallHeight; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), y);
    for (int x = 0; x < kSmallWidth; ++x) {
      state = state * 1664525u + 1013904223u;
      const int grain = int((state >> 24) % 17) - 8;
      const float n = bench::valueNoise(float(x) / 40.0f, float(y) / 40.0f, seed);
      line[3 * x + FI_RGBA_RED] = bench::clampByte(float(x * 255 / kSmallWidth) * 0.6f + 90 * n + float(grain));
      line[3 * x + FI_RGBA_GREEN] = bench::clampByte(float(y * 255 / kSmallHeight) * 0.7f + 60 * n + float(grain));
      line[3 * x + FI_RGBA_BLUE] = bench::clampByte(float(seed % 200) + 50 * n + float(grain));
    }
  }
  const std::string part = path + ".part";
  return FreeImage_Save(FIF_JPEG, dib.get(), part.c_str(), 85) && std::rename(part.c_str(), path.c_str()) == 0;
}

// count small photos in folders of 1 000 ("small-v1/00/", "small-v1/01/", ...),
// made on every core on first use and kept.
std::string smallPhotos(int count) {
  const std::string root = bench::dataFolder() + "small-v1/";
  std::atomic<int> next{0}, made{0};
  auto work = [&] {
    for (int i; (i = next++) < count;) {
      const std::string folder = root + pv::format("%02d/", i / kSmallPerFolder);
      const std::string path = folder + pv::format("small-%05d.jpg", i);
      if (pv::fileExists(path)) continue;
      pv::makeDirectories(folder);
      if (!writeSmallPhoto(path, std::uint32_t(i + 1))) std::exit(1);
      ++made;
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < bench::cores(); ++t) pool.emplace_back(work);
  for (std::thread& t : pool) t.join();
  if (made > 0) std::fprintf(stderr, "made %d small test photos in %s\n", made.load(), root.c_str());
  return root;
}

// Home and cache folders of the benchmark, so no user's settings are read or written.
std::vector<std::string> environment() {
  const std::string home = bench::dataFolder() + "home";
  return {"HOME=" + home, "XDG_CACHE_HOME=" + home + "/.cache", "XDG_DATA_HOME=", "XDG_CONFIG_HOME=",
          "XDG_DOCUMENTS_DIR="};
}

bench::Command cliBuild(const std::string& output, const std::vector<std::string>& inputs) {
  // The preset fixes size A; --force sets it as the other benchmarks do.
  bench::Command c = {pv::executableFolder() + "picovand-cli", "build", "--preset", "1001", "--output", output,
                      "--force", "--size-a", "160x120", "--size-b", "1024x768", "--quality", "85", "--filter",
                      "bilinear"};
  c.insert(c.end(), inputs.begin(), inputs.end());
  return c;
}

// One build; its figures also go to the error output at once, as long runs take minutes.
bench::Usage run(const char* label, const bench::Command& command) {
  const bench::Usage u = bench::runCommands({command}, 1, environment());
  std::fprintf(stderr, "bench_cli: %s: %.2f s, CPU %.2f s, peak %.1f MiB\n", label, u.wallSeconds, u.cpuSeconds,
               double(u.peakKiB) / 1024.0);
  return u;
}

void removeOutput(const std::string& output) {
  std::error_code ec;
  fs::remove_all(output, ec);
}

// Replaces the file by a copy of another through a rename: a new file under
// the old name, as a photo edited and saved again.
void replaceFile(const std::string& path, const std::string& by) {
  std::string content;
  if (!pv::readWholeFile(by, content) || !pv::writeWholeFile(path + ".new", content) ||
      std::rename((path + ".new").c_str(), path.c_str()) != 0)
    std::exit(1);
}

void printRatio(const char* label, double value, const char* goal) {
  std::printf("  %-58s %7.3f  (goal: %s)\n", label, value, goal);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(0, std::atoi(argv[1])) : 60;
  const int small = argc > 2 ? std::max(kSmallPerFolder, std::atoi(argv[2]) / kSmallPerFolder * kSmallPerFolder) : 10000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  pv::initialiseImageLibrary();
  const unsigned cores = bench::cores();

  // The large photos are links in a folder of their own, so one can be replaced.
  const std::vector<std::string> photos = bench::testPhotos(n + 1);
  const std::string inputs = bench::cleanFolder("cli-photos");
  std::vector<std::string> linked;
  for (int i = 0; i < n; ++i) {
    linked.push_back(inputs + pv::fileNameOf(photos[size_t(i)]));
    std::error_code ec;
    fs::create_hard_link(photos[size_t(i)], linked.back(), ec);
    if (ec) replaceFile(linked.back(), photos[size_t(i)]);
  }
  const std::string projects = bench::dataFolder() + "cli-projects/";
  pv::makeDirectories(projects);

  // WebP, as the presets for today's screens write it, against libvips at its
  // default effort.
  std::vector<std::string> linkedWebp = linked;
  linkedWebp.insert(linkedWebp.begin(), {"--format", "webp"});
  bench::Usage vips, full, unchanged, oneChanged, vipsWebp, fullWebp;
  for (int round = 0; n > 0 && round < rounds; ++round) {
    bench::keepBest(vips, bench::vipsTwoSizes(linked, bench::cleanFolder("cli-vips")));
    bench::keepBest(vipsWebp, bench::vipsTwoSizes(linked, bench::cleanFolder("cli-vips-webp"), "webp"));
    removeOutput(projects + "webp");
    bench::keepBest(fullWebp, run("full build, WebP", cliBuild(projects + "webp", linkedWebp)));

    const std::string output = projects + "large";
    removeOutput(output);
    bench::keepBest(full, run("full build", cliBuild(output, linked)));
    bench::keepBest(unchanged, run("rebuild, nothing changed", cliBuild(output, linked)));
    // Each round swaps the middle photo for the spare one or back.
    const std::string& middle = linked[size_t(n / 2)];
    replaceFile(middle, photos[size_t(round % 2 == 0 ? n : n / 2)]);
    bench::keepBest(oneChanged, run("rebuild, one photo replaced", cliBuild(output, linked)));
  }
  if (n > 0) replaceFile(linked[size_t(n / 2)], photos[size_t(n / 2)]);

  const std::string smallRoot = smallPhotos(small);
  bench::Usage thousand, many, manyUnchanged;
  for (int round = 0; round < rounds; ++round) {
    removeOutput(projects + "small-1000");
    bench::keepBest(thousand, run("full build, 1000 small", cliBuild(projects + "small-1000", {"--import", smallRoot + "00", "--no-enlarge"})));
    removeOutput(projects + "small-many");
    // Folder by folder: the data folder may hold more photos than asked for.
    bench::Command folders = {"--no-enlarge"};
    for (int f = 0; f < small / kSmallPerFolder; ++f) folders.insert(folders.end(), {"--import", smallRoot + pv::format("%02d", f)});
    const bench::Command all = cliBuild(projects + "small-many", folders);
    bench::keepBest(many, run("full build, all small", all));
    bench::keepBest(manyUnchanged, run("rebuild, nothing changed, all small", all));
  }

  std::printf("bench_cli: picovand-cli build --preset 1001 --force --size-a 160x120 --size-b 1024x768 --quality 85, "
              "%u cores, best of %d\n",
              cores, rounds);
  if (n > 0) {
    std::printf(" %d JPEG photos of %d x %d:\n", n, bench::kPhotoWidth, bench::kPhotoHeight);
    bench::printUsage("full build into an empty folder", full, n);
    bench::printUsage(pv::format("vipsthumbnail, %u processes, the two sizes", cores).c_str(), vips, n,
                      " (largest process)");
    bench::printUsage("full build, WebP", fullWebp, n);
    bench::printUsage(pv::format("vipsthumbnail, WebP, %u processes", cores).c_str(), vipsWebp, n,
                      " (largest process)");
    bench::printUsage("rebuild, nothing changed", unchanged, n);
    bench::printUsage("rebuild, one photo replaced", oneChanged, n);
  }
  std::printf(" %d and %d JPEGs of %d x %d, --no-enlarge:\n", kSmallPerFolder, small, kSmallWidth, kSmallHeight);
  bench::printUsage(pv::format("full build, %d", kSmallPerFolder).c_str(), thousand, kSmallPerFolder);
  bench::printUsage(pv::format("full build, %d", small).c_str(), many, small);
  bench::printUsage(pv::format("rebuild, nothing changed, %d", small).c_str(), manyUnchanged, small);
  std::printf(" figures:\n");
  if (n > 0) {
    printRatio("full build / vipsthumbnail, wall time", full.wallSeconds / vips.wallSeconds, "at most 0.35");
    printRatio("full build / vipsthumbnail, CPU time", full.cpuSeconds / vips.cpuSeconds, "none, for a busy machine");
    printRatio("full build / vipsthumbnail, WebP, wall time", fullWebp.wallSeconds / vipsWebp.wallSeconds, "at most 1");
    printRatio("full build WebP / JPEG, CPU time", fullWebp.cpuSeconds / full.cpuSeconds, "none, for a smaller gallery");
    printRatio("rebuild nothing changed / full build, %", 100 * unchanged.wallSeconds / full.wallSeconds, "at most 3");
    printRatio("rebuild one photo replaced / full build, %", 100 * oneChanged.wallSeconds / full.wallSeconds,
               "at most 5");
  }
  printRatio(pv::format("full build %d / %d", small, kSmallPerFolder).c_str(), many.wallSeconds / thousand.wallSeconds,
             pv::format("at most %.1f", 1.1 * small / kSmallPerFolder).c_str());
  printRatio(pv::format("rebuild nothing changed, %d, s", small).c_str(), manyUnchanged.wallSeconds, "at most 5");
  printRatio(pv::format("peak memory of picovand-cli, %d, MiB", small).c_str(),
             double(std::max(many.peakKiB, manyUnchanged.peakKiB)) / 1024.0, "at most 256");
  pv::shutdownImageLibrary();
  return 0;
}
