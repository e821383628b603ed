#include "cli/Progress.h"

#include <unistd.h>

#include <algorithm>

#include "cli/Console.h"
#include "util/Text.h"

namespace pvcli {

namespace {

// The progress line on a terminal, redrawn in place: the bar and text,
// fitted to its width.
void drawBar(FILE* out, const std::string& text, double fraction, int widest) {
  // One column less than the terminal has: a line that fills it wraps on
  // some terminals, and a wrapped line is no longer redrawn in place.
  const size_t room = size_t(std::max(terminalColumns(out) - 1, 1));
  std::string line = text;
  const size_t barRoom = room > line.size() + 2 ? room - line.size() - 2 : 0;
  // A bar of fewer than ten marks tells nothing: the counts alone then.
  if (const int width = std::min(widest, int(barRoom)); width >= 10) {
    const int filled = std::clamp(int(fraction * width), 0, width);
    line = "[" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), '-') + "]" + line;
  } else {
    line.erase(0, line.find_first_not_of(' '));
  }
  line.resize(room, ' ');  // ASCII only; the spaces cover what a longer earlier line left
  std::fprintf(out, "\r%s", line.c_str());
  std::fflush(out);
}

}  // namespace

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

ProgressDisplay::ProgressDisplay(FILE* out)
    : out_(out), terminal_(isatty(fileno(out)) != 0), silent_(console().verbosity == Verbosity::Quiet) {}

void ProgressDisplay::operator()(pv::BuildStep step, int done, int total, int reused) {
  if (silent_) return;
  const std::string unchanged = reused > 0 ? pv::format(" (%d unchanged)", reused) : std::string();
  const bool newStep = int(step) != lastStep_;
  lastStep_ = int(step);
  // -v: each step on a line of its own with the seconds since the start.
  const std::string since =
      console().verbosity == Verbosity::Verbose
          ? pv::format("%6.1f s  ", std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count())
          : std::string();
  if (terminal_) {
    if (newStep && !since.empty()) {
      finish();
      std::fprintf(out_, "%s%s\n", since.c_str(), stepText(step));
    }
    // Counts and step padded to their widest, so that the bar keeps its length.
    const int digits = int(std::to_string(total).size());
    drawBar(out_, pv::format(" %*d/%d images%s  %-27s", digits, done, total, unchanged.c_str(), stepText(step)),
            total > 0 ? double(done) / total : 0, 30);
    drawn_ = true;
    return;
  }
  const int tenth = total > 0 ? done * 10 / total : 0;
  if (!newStep && tenth == lastTenth_) return;
  lastTenth_ = tenth;
  std::fprintf(out_, "%s%d/%d images%s: %s\n", since.c_str(), done, total, unchanged.c_str(), stepText(step));
}

void ProgressDisplay::reading(int added) {
  if (!terminal_ || silent_) return;
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
  if (console().verbosity == Verbosity::Quiet) return;
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
    drawBar(out_,
            pv::format(" %d/%d files  %s/%s  %s/s  %s left", p.filesDone, p.filesTotal, byteText(p.bytesDone).c_str(),
                       byteText(p.bytesTotal).c_str(), byteText(std::uint64_t(rate)).c_str(), left.c_str()),
            p.bytesTotal > 0 ? double(p.bytesDone) / double(p.bytesTotal) : 0, 24);
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
