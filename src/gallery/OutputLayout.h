#pragma once
// Folders and names of a build's output, the conversion loop of one size and
// the copies of a project type's style files and navigation buttons.
#include <functional>
#include <string>
#include <vector>

#include "convert/Conversion.h"

namespace pv {

struct AppState;
struct CollectionItem;

// Called as images of the pass are done (done of total).
using ConversionProgress = std::function<void(int done, int total)>;

// One enabled output size of a build.
struct OutputSizeBox {
  int width = 0;
  int height = 0;
  std::string prefix;
};
// One image of the build and its outputs, in the order of the sizes.
struct ImageConversion {
  CollectionItem* item = nullptr;
  std::vector<SizeOutput> outputs;
};

// Creates the image folder and the album folders, names every image's
// outputs and records them (outputPaths in the order of sizes, imageNumber)
// in the collection. Converts nothing.
std::vector<ImageConversion> planConversions(AppState& state, const std::string& outputFolder,
                                             const std::vector<OutputSizeBox>& sizes);
// Converts the given images on one worker per core, every size of an image
// from one decode, until done or cancelled.
void convertPlanned(const AppState& state, std::vector<ImageConversion*> work, const ConversionProgress& progress = {});
// The conversion loop of one size: planConversions and convertPlanned.
void convertAllImages(AppState& state, const std::string& outputFolder, int boxWidth, int boxHeight,
                      const std::string& prefix, const ConversionProgress& progress = {});
// The two copies return the paths of the files they wrote or found already
// holding the same bytes.
std::vector<std::string> copyProjectTypeFiles(AppState& state, const std::string& outputFolder);
std::vector<std::string> copyControlSet(AppState& state, const std::string& outputFolder);

}  // namespace pv
