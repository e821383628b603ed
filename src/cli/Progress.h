#pragma once
// Build progress on the terminal: a bar redrawn in place on a terminal,
// plain lines (each step, every tenth of the images) in a log.
#include <cstdio>
#include <string>

#include "build/BuildDriver.h"

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
  bool drawn_ = false;
  int lastStep_ = -1;
  int lastTenth_ = -1;
};

const char* stepText(pv::BuildStep step);

}  // namespace pvcli
