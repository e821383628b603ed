#pragma once
// What the benchmarks share: deterministic 12-megapixel test photos, kept
// between runs; time, CPU and peak memory of this process; and the peer
// tools run as child processes, several at once.
#include <FreeImage.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "model/Image.h"
#include "util/FileSystem.h"
#include "util/Text.h"

extern char** environ;

namespace bench {

inline constexpr int kPhotoWidth = 4000;
inline constexpr int kPhotoHeight = 3000;

// build/bench-data/, beside build/bin/ where the benchmarks run from.
inline std::string dataFolder() { return pv::executableFolder() + "../bench-data/"; }

inline unsigned cores() { return std::max(1u, std::thread::hardware_concurrency()); }

// A fresh, empty folder below the data folder.
inline std::string cleanFolder(const std::string& name) {
  const std::string path = dataFolder() + name + "/";
  for (const pv::DirEntry& e : pv::listDirectory(path))
    if (!e.isDirectory) std::remove((path + e.name).c_str());
  pv::makeDirectories(path);
  return path;
}

// Smooth value noise in 0..1 on a lattice of the given cell size.
inline float valueNoise(float x, float y, std::uint32_t seed) {
  auto lattice = [seed](int i, int j) {
    std::uint32_t h = std::uint32_t(i) * 374761393u + std::uint32_t(j) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
  };
  const int i = int(std::floor(x)), j = int(std::floor(y));
  float fx = x - float(i), fy = y - float(j);
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const float top = lattice(i, j) + (lattice(i + 1, j) - lattice(i, j)) * fx;
  const float bottom = lattice(i, j + 1) + (lattice(i + 1, j + 1) - lattice(i, j + 1)) * fx;
  return top + (bottom - top) * fy;
}

inline float fractalNoise(float x, float y, std::uint32_t seed) {
  float sum = 0, amplitude = 0.5f;
  for (int octave = 0; octave < 5; ++octave, x *= 2.1f, y *= 2.1f, amplitude *= 0.5f)
    sum += amplitude * valueNoise(x, y, seed + std::uint32_t(octave));
  return sum;
}

inline BYTE clampByte(float v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

// A landscape-like picture: sky, a hilly horizon, textured ground, a few
// hard-edged objects and sensor noise, so the JPEG decodes like a photo.
// The large shapes are drawn at a quarter of the size and enlarged; the
// texture and the noise are added at full size.
inline pv::ImagePtr makePhoto(std::uint32_t seed) {
  const int w = kPhotoWidth / 4, h = kPhotoHeight / 4;
  pv::ImagePtr base(FreeImage_Allocate(w, h, 24));
  const float horizon = 0.5f + 0.1f * valueNoise(0.5f, 0.5f, seed);
  for (int y = 0; y < h; ++y) {
    BYTE* line = FreeImage_GetScanLine(base.get(), h - 1 - y);
    const float fy = float(y) / float(h);
    for (int x = 0; x < w; ++x) {
      const float fx = float(x) / float(w);
      const float hill = horizon + 0.12f * (fractalNoise(fx * 3, 0.3f, seed + 11) - 0.5f);
      float r, g, b;
      if (fy < hill) {
        const float cloud = fractalNoise(fx * 4, fy * 8, seed + 23);
        r = 90 + 120 * fy + 90 * cloud, g = 140 + 80 * fy + 80 * cloud, b = 230 - 20 * fy + 25 * cloud;
      } else {
        const float ground = fractalNoise(fx * 12, fy * 12, seed + 37);
        r = 60 + 110 * ground, g = 80 + 100 * ground, b = 30 + 50 * ground;
      }
      // Houses: bright walls with a dark side, hard edges.
      for (int k = 0; k < 6; ++k) {
        const float cx = valueNoise(float(k) * 7.3f, 1.5f, seed) * 0.9f + 0.05f;
        const float half = 0.02f + 0.03f * valueNoise(float(k) * 3.1f, 4.5f, seed);
        if (std::fabs(fx - cx) < half && fy > hill - 0.08f && fy < hill + 0.02f) {
          const float shade = fx < cx ? 0.55f : 1.0f;
          r = 220 * shade, g = 200 * shade, b = 170 * shade;
        }
      }
      line[x * 3 + FI_RGBA_RED] = clampByte(r);
      line[x * 3 + FI_RGBA_GREEN] = clampByte(g);
      line[x * 3 + FI_RGBA_BLUE] = clampByte(b);
    }
  }
  pv::ImagePtr photo(FreeImage_Rescale(base.get(), kPhotoWidth, kPhotoHeight, FILTER_BICUBIC));
  std::uint32_t state = seed * 2654435761u + 1;
  auto next = [&state](int range) {
    state = state * 1664525u + 1013904223u;
    return int((state >> 16) % unsigned(2 * range + 1)) - range;
  };
  for (int y = 0; y < kPhotoHeight; ++y) {
    BYTE* line = FreeImage_GetScanLine(photo.get(), y);
    for (int x = 0; x < kPhotoWidth; ++x) {
      const int grain = next(9);
      for (int c = 0; c < 3; ++c) line[3 * x + c] = clampByte(float(line[3 * x + c] + grain + next(3)));
    }
  }
  return photo;
}

// n test photos, made on first use and kept in the data folder.
inline std::vector<std::string> testPhotos(int n) {
  std::vector<std::string> paths;
  const std::string folder = dataFolder() + "photos-v2/";
  pv::makeDirectories(folder);
  int made = 0;
  for (int i = 0; i < n; ++i) {
    const std::string path = folder + pv::format("landscape12mp-%03d.jpg", i);
    if (!pv::fileExists(path)) {
      pv::ImagePtr photo = makePhoto(std::uint32_t(i + 1));
      const std::string part = path + ".part";
      if (!photo || !FreeImage_Save(FIF_JPEG, photo.get(), part.c_str(), 92) || std::rename(part.c_str(), path.c_str()))
        std::exit(1);
      ++made;
    }
    paths.push_back(path);
  }
  if (made > 0) std::fprintf(stderr, "made %d test photos in %s\n", made, folder.c_str());
  // Read once, so that every tool finds them in the page cache alike.
  std::string content;
  for (const std::string& p : paths) pv::readWholeFile(p, content);
  return paths;
}

struct Usage {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  long peakKiB = 0;  // of this process, or of the largest child
};

inline double cpuSecondsOf(const rusage& u) {
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Sets this process's peak memory back to what it uses now.
inline void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Measures this process from construction to stop(); the peak memory is
// reset first, so it is the peak of the measured work alone.
class Measurement {
 public:
  Measurement() {
    resetPeakMemory();
    getrusage(RUSAGE_SELF, &start_);
    begin_ = std::chrono::steady_clock::now();
  }
  Usage stop() const {
    Usage u;
    u.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count();
    rusage now{};
    getrusage(RUSAGE_SELF, &now);
    u.cpuSeconds = cpuSecondsOf(now) - cpuSecondsOf(start_);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (pv::startsWith(line, "VmHWM:")) u.peakKiB = std::atol(line.c_str() + 6);
    return u;
  }

 private:
  rusage start_{};
  std::chrono::steady_clock::time_point begin_;
};

using Command = std::vector<std::string>;

// Runs the commands with at most `parallel` at a time, extra variables in
// their environment; their output is discarded. Exits when a tool fails.
// A child's peak memory counts this process's resident memory at the time
// it starts (the kernel takes it over at exec), so memory freed here is
// handed back to the system first.
inline Usage runCommands(const std::vector<Command>& commands, unsigned parallel,
                         const std::vector<std::string>& environment = {}) {
  std::vector<char*> envp;
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) envp.push_back(*e);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);

  malloc_trim(0);
  resetPeakMemory();
  Usage u;
  const auto begin = std::chrono::steady_clock::now();
  size_t next = 0, running = 0;
  while (next < commands.size() || running > 0) {
    while (running < parallel && next < commands.size()) {
      std::vector<char*> argv;
      for (const std::string& a : commands[next]) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      pid_t pid;
      if (posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
      }
      ++next, ++running;
    }
    int status = 0;
    rusage child{};
    if (wait4(-1, &status, 0, &child) < 0) break;
    --running;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "a peer tool failed (status %d)\n", status);
      std::exit(1);
    }
    u.cpuSeconds += cpuSecondsOf(child);
    u.peakKiB = std::max(u.peakKiB, child.ru_maxrss);
  }
  u.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  posix_spawn_file_actions_destroy(&quiet);
  return u;
}

// The files split into `parts` runs of one command each: prefix + files.
inline std::vector<Command> splitOver(const std::vector<std::string>& files, unsigned parts, const Command& prefix,
                                      const Command& suffix = {}) {
  std::vector<Command> commands(std::min<size_t>(parts, files.size()), prefix);
  for (size_t i = 0; i < files.size(); ++i) commands[i % commands.size()].push_back(files[i]);
  for (Command& c : commands) c.insert(c.end(), suffix.begin(), suffix.end());
  return commands;
}

// vipsthumbnail making the two sizes of the web album benchmarks (160 x 120
// and 1024 x 768 at quality 85) of the files into folder, on every core.
inline Usage vipsTwoSizes(const std::vector<std::string>& files, const std::string& folder,
                          const std::string& type = "jpg") {
  Usage pass;
  for (const char* box : {"160x120", "1024x768"}) {
    const Usage u = runCommands(
        splitOver(files, cores(), {"vipsthumbnail", "--size", box, "-o", folder + "%s_" + box + "." + type + "[Q=85]"}),
        cores());
    pass.wallSeconds += u.wallSeconds, pass.cpuSeconds += u.cpuSeconds;
    pass.peakKiB = std::max(pass.peakKiB, u.peakKiB);
  }
  return pass;
}

// The faster of two measurements of the same work.
inline void keepBest(Usage& best, const Usage& u) {
  if (best.wallSeconds == 0 || u.wallSeconds < best.wallSeconds) best = u;
}

inline void printUsage(const char* label, const Usage& u, int images, const char* peakNote = "") {
  std::printf("  %-44s %7.2f s  %6.1f images/s  CPU %7.2f s  peak %6.1f MiB%s\n", label, u.wallSeconds,
              double(images) / u.wallSeconds, u.cpuSeconds, double(u.peakKiB) / 1024.0, peakNote);
}

// The size of an image file, read from its header.
inline std::pair<int, int> imageSize(const std::string& path) {
  FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str());
  pv::ImagePtr dib(fif == FIF_UNKNOWN ? nullptr : FreeImage_Load(fif, path.c_str(), FIF_LOAD_NOPIXELS));
  return dib ? std::make_pair(int(FreeImage_GetWidth(dib.get())), int(FreeImage_GetHeight(dib.get())))
             : std::make_pair(0, 0);
}

// The packaged tool itself: a wrapper earlier on the PATH would be timed with it.
inline std::string imageMagickConvert() { return pv::fileExists("/usr/bin/convert") ? "/usr/bin/convert" : "convert"; }

}  // namespace bench
