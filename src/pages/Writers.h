#pragma once
// The page writers of the project types, chosen by the preset's family.
#include "pages/PageEngine.h"

namespace pv {

// Runs the page writers of the chosen project type into the output folder;
// the sink gets every page written and every failure. False when the type
// writes pages and its template could not be read (or it has no writer); the
// batch conversion writes none and gives true.
bool writeProjectPages(const PageInputs& in, PageSink& sink);

}  // namespace pv
