#pragma once
// How the program names itself in pages, metadata and windows.
namespace pv {

inline constexpr const char* kProductName = "PicoVand";
inline constexpr const char* kProductVersion = PICOVAND_VERSION;
inline constexpr const char* kMakerAddress = "https://picovand.org";
inline constexpr const char* kSupportAddress = "https://picovand.org/hilfe";

}  // namespace pv
