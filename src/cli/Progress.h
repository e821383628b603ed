#pragma once
// Build progress on the terminal: a bar redrawn in place on a terminal,
// fitted to its width, plain lines (each step, every tenth of the images) in
// a log; nothing with -q, the steps with their times with -v.
#include <chrono>
#include <cstdio>
#include <string>

#include "gallery/BuildDriver.h"

namespace pvcli {

class ProgressDisplay {
 public:
  explicit ProgressDisplay(FILE* out);
  void operator()(pv::BuildStep step, int done, int total, int reused);
  // Images read so far while adding them (on a terminal only).
  void reading(int added);
  // Ends the bar's line.
  void finish();

 private:
  FILE* out_;
  bool terminal_;
  bool silent_;
  bool drawn_ = false;
  int lastStep_ = -1;
  int lastTenth_ = -1;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

const char* stepText(pv::BuildStep step);

}  // namespace pvcli

#include "publish/Upload.h"

namespace pvcli {

// Upload progress: files and bytes done of total, rate and time left.
class UploadProgressDisplay {
 public:
  explicit UploadProgressDisplay(FILE* out);
  void operator()(const pv::UploadProgress& p);
  void finish();

 private:
  FILE* out_;
  bool terminal_;
  bool drawn_ = false;
  int lastTenth_ = -1;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDrawn_{};
};

// 1536 -> "1.5 KB", as the upload reports sizes.
std::string byteText(std::uint64_t bytes);

}  // namespace pvcli
