#pragma once
// The page writers of the project types, chosen by the preset's family.
#include <string>

namespace pv {

struct AppState;

// Runs the page writers of the chosen project type into outputFolder (ending
// in "/"). False when the type writes pages and its template could not be
// read (or it has no writer); the batch conversion writes none and gives true.
bool writeProjectPages(AppState& state, const std::string& outputFolder);

}  // namespace pv
