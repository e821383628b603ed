#include "cli/Progress.h"

#include <unistd.h>

namespace pvcli {

const char* stepText(pv::BuildStep step) {
  switch (step) {
    case pv::BuildStep::Watermarks: return "preparing the watermark";
    case pv::BuildStep::OutputFolder: return "creating the output folder";
    case pv::BuildStep::ConvertA: return "writing size A";
    case pv::BuildStep::ConvertB: return "writing size B";
    case pv::BuildStep::ConvertC: return "writing size C";
    case pv::BuildStep::StyleFiles: return "copying the style files";
    case pv::BuildStep::Pages: return "writing the pages";
    case pv::BuildStep::Statistics: return "counting the output";
  }
  return "";
}

ProgressDisplay::ProgressDisplay(FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void ProgressDisplay::operator()(pv::BuildStep step, int done, int total) {
  if (terminal_) {
    const int width = 30;
    const int filled = total > 0 ? done * width / total : 0;
    std::fprintf(out_, "\r[%s%s] %d/%d images  %-28s", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(width - filled), '-').c_str(), done, total, stepText(step));
    std::fflush(out_);
    drawn_ = true;
    return;
  }
  const int tenth = total > 0 ? done * 10 / total : 0;
  if (int(step) == lastStep_ && tenth == lastTenth_) return;
  lastStep_ = int(step);
  lastTenth_ = tenth;
  std::fprintf(out_, "%d/%d images: %s\n", done, total, stepText(step));
}

void ProgressDisplay::reading(int added) {
  if (!terminal_) return;
  std::fprintf(out_, "\rreading images: %d", added);
  std::fflush(out_);
  drawn_ = true;
}

void ProgressDisplay::finish() {
  if (drawn_) std::fprintf(out_, "\n");
  drawn_ = false;
}

}  // namespace pvcli
