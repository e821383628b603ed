#include "cli/Progress.h"

#include <unistd.h>

#include "util/Text.h"

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

std::string byteText(std::uint64_t bytes) {
  const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = double(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  return unit == 0 ? std::to_string(bytes) + " B" : pv::format("%.1f %s", value, units[unit]);
}

UploadProgressDisplay::UploadProgressDisplay(FILE* out) : out_(out), terminal_(isatty(fileno(out)) != 0) {}

void UploadProgressDisplay::operator()(const pv::UploadProgress& p) {
  if (p.retrying) {
    finish();
    std::fprintf(out_, "connection lost at %s; trying again\n", p.file.c_str());
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (terminal_) {
    // Redrawing for every few kilobytes would cost more than the transfer.
    if (now - lastDrawn_ < std::chrono::milliseconds(100) && p.filesDone < p.filesTotal) return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? double(p.bytesDone) / seconds : 0;
    std::string left = "--:--";
    if (rate > 0 && p.bytesTotal >= p.bytesDone) {
      const int s = int(double(p.bytesTotal - p.bytesDone) / rate);
      left = pv::format("%d:%02d", s / 60, s % 60);
    }
    const int width = 24;
    const int filled = p.bytesTotal > 0 ? int(p.bytesDone * width / p.bytesTotal) : 0;
    std::fprintf(out_, "\r[%s%s] %d/%d files  %s/%s  %s/s  %s left  ", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(width - filled), '-').c_str(), p.filesDone, p.filesTotal,
                 byteText(p.bytesDone).c_str(), byteText(p.bytesTotal).c_str(), byteText(std::uint64_t(rate)).c_str(),
                 left.c_str());
    std::fflush(out_);
    drawn_ = true;
    return;
  }
  const int tenth = p.filesTotal > 0 ? p.filesDone * 10 / p.filesTotal : 0;
  if (tenth == lastTenth_) return;
  lastTenth_ = tenth;
  std::fprintf(out_, "%d/%d files, %s of %s\n", p.filesDone, p.filesTotal, byteText(p.bytesDone).c_str(),
               byteText(p.bytesTotal).c_str());
}

void UploadProgressDisplay::finish() {
  if (drawn_) std::fprintf(out_, "\n");
  drawn_ = false;
}

}  // namespace pvcli
