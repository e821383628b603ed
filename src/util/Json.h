#pragma once
// JSON the program reads from files and servers, with limits: a record
// someone else wrote may be huge or nested deep enough to exhaust the stack
// of every recursive JSON operation (copy, compare, dump).
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace pv {

struct JsonLimits {
  std::uint64_t maxBytes = 64u << 20;
  int maxDepth = 64;  // arrays and objects inside each other
};

struct JsonRead {
  nlohmann::json value;
  std::string error;  // why the text was refused, in English; empty when read
  bool ok() const { return error.empty(); }
};

// The document in text, refused past the limits before it is parsed.
JsonRead parseJsonCapped(std::string_view text, const JsonLimits& limits = {});
// The same for a regular file; its size is checked before it is read.
JsonRead readJsonFileCapped(const std::string& path, const JsonLimits& limits = {});

}  // namespace pv
