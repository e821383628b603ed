#include "util/Json.h"

#include <sys/stat.h>

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

namespace {

// The deepest nesting of brackets outside strings; stops counting past cap.
int nestingDepth(std::string_view text, int cap) {
  int depth = 0, deepest = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size() && deepest <= cap; ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

JsonRead parseJsonCapped(std::string_view text, const JsonLimits& limits) {
  JsonRead read;
  if (text.size() > limits.maxBytes) {
    read.error = format("is larger than %llu bytes", static_cast<unsigned long long>(limits.maxBytes));
    return read;
  }
  if (nestingDepth(text, limits.maxDepth) > limits.maxDepth) {
    read.error = format("is nested deeper than %d levels", limits.maxDepth);
    return read;
  }
  read.value = nlohmann::json::parse(text, nullptr, false);
  if (read.value.is_discarded()) read.error = "is not valid JSON";
  return read;
}

JsonRead readJsonFileCapped(const std::string& path, const JsonLimits& limits) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {{}, "is not a readable file"};
  if (std::uint64_t(st.st_size) > limits.maxBytes)
    return {{}, format("is larger than %llu bytes", static_cast<unsigned long long>(limits.maxBytes))};
  std::string text;
  if (!readWholeFile(path, text)) return {{}, "cannot be read"};
  return parseJsonCapped(text, limits);
}

}  // namespace pv
