#pragma once
// What picovand-cli says and where: messages on stderr as loud as the user
// asked (-q, -v), the one JSON object of --json on stdout, the exit
// statuses, the terminal's width and the nearest name for a misspelt one.
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace pvcli {

// Exit statuses, as --help documents them.
inline constexpr int kSuccess = 0;
inline constexpr int kFailed = 1;     // the work could not be finished (a file not written, the server refused)
inline constexpr int kBadInput = 2;   // a bad option, value or file: nothing was written
inline constexpr int kPartial = 3;    // the gallery was built, but pictures given were left out
inline constexpr int kCancelled = 130;

enum class Verbosity { Quiet, Normal, Verbose };

struct Console {
  Verbosity verbosity = Verbosity::Normal;
  bool json = false;
  // What --json prints at the end; the commands fill in their keys.
  nlohmann::json summary = nlohmann::json::object();
};
Console& console();

// -q, --quiet, -v, --verbose, --json: sets it and returns true.
bool takeOutputOption(const std::string& arg);
inline constexpr const char* kOutputOptions[] = {"--json", "--quiet", "-q", "--verbose", "-v"};

// On stderr: what is going on (not with -q), details (only with -v),
// and warnings (not with -q).
void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void detail(const char* format, ...) __attribute__((format(printf, 1, 2)));
void warn(const std::string& message);
// An error, always shown; kept for the JSON summary. Returns status.
int fail(const std::string& message, int status = kBadInput);
// A line of the result on stdout; with --json the summary says it instead.
void result(const std::string& line);
// Whether stdout is free for what a command lists (not with --json).
bool plainOutput();

// The word of the summary for an exit status: "success", "partial", ...
const char* statusWord(int status);
// Prints the summary with command, result and exitStatus, when --json asks for it.
void printSummary(int status);

// ": did you mean --quality?" for the candidate nearest to word, or nothing
// when none is near enough to be meant.
std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates);

// Columns of the terminal out is, else $COLUMNS, else 80.
int terminalColumns(FILE* out);

}  // namespace pvcli
