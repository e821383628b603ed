#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>

namespace pvcli {

Console& console() {
  static Console c;
  return c;
}

bool takeOutputOption(const std::string& arg) {
  Console& c = console();
  if (arg == "--json") c.json = true;
  else if (arg == "-q" || arg == "--quiet") c.verbosity = Verbosity::Quiet;
  else if (arg == "-v" || arg == "--verbose") c.verbosity = Verbosity::Verbose;
  else return false;
  return true;
}

namespace {
void printTo(FILE* out, const char* format, va_list args) {
  std::vfprintf(out, format, args);
  std::fputc('\n', out);
}
}  // namespace

void note(const char* format, ...) {
  if (console().verbosity == Verbosity::Quiet) return;
  va_list args;
  va_start(args, format);
  printTo(stderr, format, args);
  va_end(args);
}

void detail(const char* format, ...) {
  if (console().verbosity != Verbosity::Verbose) return;
  va_list args;
  va_start(args, format);
  printTo(stderr, format, args);
  va_end(args);
}

void warn(const std::string& message) {
  if (console().verbosity != Verbosity::Quiet) std::fprintf(stderr, "picovand-cli: warning: %s\n", message.c_str());
}

int fail(const std::string& message, int status) {
  std::fprintf(stderr, "picovand-cli: %s\n", message.c_str());
  nlohmann::json& error = console().summary["error"];
  if (error.is_null()) error = message;
  return status;
}

bool plainOutput() { return !console().json; }

void result(const std::string& line) {
  if (plainOutput() && console().verbosity != Verbosity::Quiet) std::printf("%s\n", line.c_str());
}

const char* statusWord(int status) {
  switch (status) {
    case kSuccess: return "success";
    case kFailed: return "failed";
    case kBadInput: return "invalid";
    case kPartial: return "partial";
    case kCancelled: return "cancelled";
  }
  return "failed";
}

void printSummary(int status) {
  if (!console().json) return;
  nlohmann::json& s = console().summary;
  if (!s.contains("command")) s["command"] = nullptr;
  if (!s.contains("error")) s["error"] = nullptr;
  s["result"] = statusWord(status);
  s["exitStatus"] = status;
  // Paths are bytes: a name that is not UTF-8 is kept readable, not refused.
  std::printf("%s\n", s.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

namespace {
// Edits from a to b, a swap of neighbours counting as one ("biuld").
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

std::string withoutDashes(const std::string& s) { return s.substr(std::min(s.find_first_not_of('-'), s.size())); }
}  // namespace

std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string w = withoutDashes(word);
  if (w.size() < 3) return {};
  // About one slip in three letters is still the word meant.
  size_t best = std::min<size_t>(3, std::max<size_t>(1, w.size() / 3)) + 1;
  std::string nearest;
  for (const std::string& c : candidates)
    if (const size_t d = editDistance(w, withoutDashes(c)); d < best) {
      best = d;
      nearest = c;
    }
  if (nearest.empty()) {
    // A beginning that fits one name only ("--qual").
    for (const std::string& c : candidates)
      if (withoutDashes(c).rfind(w, 0) == 0) {
        if (!nearest.empty()) return {};
        nearest = c;
      }
  }
  return nearest.empty() ? std::string() : ": did you mean " + nearest + "?";
}

int terminalColumns(FILE* out) {
  winsize size{};
  if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  if (const char* columns = std::getenv("COLUMNS"); columns && std::atoi(columns) > 0) return std::atoi(columns);
  return 80;
}

}  // namespace pvcli
