#pragma once
// Reading JSON that may come from someone else (a build record in a folder
// somebody sent, a project file, an upload record from a server): with a
// limit on size and nesting, since the parsed value is copied and destroyed
// recursively and a record nested a few hundred thousand deep would
// overflow the stack.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

inline constexpr int kMaxJsonDepth = 64;

// The value of text, or nothing with the reason in error when it is not
// JSON, nests deeper than maxDepth or is larger than maxBytes.
std::optional<nlohmann::json> parseJsonCapped(std::string_view text, std::uint64_t maxBytes, std::string* error = nullptr,
                                              int maxDepth = kMaxJsonDepth);
// The same for a regular file of at most maxBytes.
std::optional<nlohmann::json> readJsonFile(const std::string& path, std::uint64_t maxBytes, std::string* error = nullptr,
                                           int maxDepth = kMaxJsonDepth);

}  // namespace pv
