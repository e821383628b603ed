#pragma once
// Reading templates and replacing their tokens.
#include <string>
#include <string_view>

#include "settings/ProjectSettings.h"

namespace pv {

// The whole file with every CR LF turned into LF; every other byte (0xFF
// included) kept. False and an empty text when the file cannot be opened.
bool loadTemplate(const std::string& path, std::string& text);

// Every occurrence of token, exact case, left to right, not rescanning what
// was inserted. Returns how many were replaced.
int replaceToken(std::string& text, std::string_view token, std::string_view value);

// The information page of a concrete preset: resources/DE/draft.html with the
// preset's name, sample picture and background filled in, written as
// temp.html in the data folder. Returns the path written.
std::string writePresetPreview(const ProjectSettings& settings);

}  // namespace pv
