#include "util/Json.h"

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

// The deepest nesting of arrays and objects in text, counted without
// parsing (brackets inside strings do not count); stops once past limit.
int nestingDepth(std::string_view text, int limit) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
      if (deepest > limit) break;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

}  // namespace

std::optional<nlohmann::json> parseJsonCapped(std::string_view text, std::uint64_t maxBytes, std::string* error,
                                              int maxDepth) {
  if (text.size() > maxBytes) {
    setError(error, format("it is larger than %llu bytes", static_cast<unsigned long long>(maxBytes)));
    return std::nullopt;
  }
  if (nestingDepth(text, maxDepth) > maxDepth) {
    setError(error, format("it nests deeper than %d levels", maxDepth));
    return std::nullopt;
  }
  nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
  if (value.is_discarded()) {
    setError(error, "it is not valid JSON");
    return std::nullopt;
  }
  return value;
}

std::optional<nlohmann::json> readJsonFile(const std::string& path, std::uint64_t maxBytes, std::string* error,
                                           int maxDepth) {
  std::string text;
  if (!readWholeFile(path, text, maxBytes)) {
    const std::string problem = fileProblem(path);
    setError(error, !problem.empty() ? problem : format("it cannot be read or is larger than %llu bytes",
                                                          static_cast<unsigned long long>(maxBytes)));
    return std::nullopt;
  }
  return parseJsonCapped(text, maxBytes, error, maxDepth);
}

}  // namespace pv
