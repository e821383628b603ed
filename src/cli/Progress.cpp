#include "cli/Progress.h"

#include <unistd.h>

#include "settings/Text.h"

namespace pvcli {

const char* stepText(pv::BuildStep step) {
  switch (step) {
    case pv::BuildStep::Watermarks: return "preparing the watermark";
    case pv::BuildStep::OutputFolder: return "creating the output folder";
    case pv::BuildStep::CheckOutputs: return "checking the earlier output";
    case pv::BuildStep::Convert: return "converting the images";
    case pv::BuildStep::StyleFiles: return "copying the style files";
    case pv::BuildStep::Pages: return "writing the pages";
    case pv::BuildStep::Statistics: return "counting the output";
  }
  return "";
}

ProgressDisplay::ProgressDisplay(FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void ProgressDisplay::operator()(pv::BuildStep step, int done, int total, int reused) {
  const std::string unchanged = reused > 0 ? pv::format(" (%d unchanged)", reused) : std::string();
  if (terminal_) {
    const int width = 30;
    const int filled = total > 0 ? done * width / total : 0;
    std::fprintf(out_, "\r[%s%s] %d/%d images%s  %-28s", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(width - filled), '-').c_str(), done, total, unchanged.c_str(), stepText(step));
    std::fflush(out_);
    drawn_ = true;
    return;
  }
  const int tenth = total > 0 ? done * 10 / total : 0;
  if (int(step) == lastStep_ && tenth == lastTenth_) return;
  lastStep_ = int(step);
  lastTenth_ = tenth;
  std::fprintf(out_, "%d/%d images%s: %s\n", done, total, unchanged.c_str(), stepText(step));
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
