#pragma once
// Folders and names of a build's output, the conversion loop of one size and
// the copies of a project type's style files and navigation buttons.
#include <functional>
#include <string>

namespace pv {

struct AppState;

// Called as images of the pass are done (done of total).
using ConversionProgress = std::function<void(int done, int total)>;

void convertAllImages(AppState& state, const std::string& outputFolder, int boxWidth, int boxHeight,
                      const std::string& prefix, const ConversionProgress& progress = {});
void copyProjectTypeFiles(AppState& state, const std::string& outputFolder);
void copyControlSet(AppState& state, const std::string& outputFolder);

}  // namespace pv
