#pragma once
// Folders and names of a build's output, the conversion loop of one size and
// the copies of a project type's style files and navigation buttons.
#include <functional>
#include <string>
#include <vector>

#include "convert/Conversion.h"
#include "pages/PageEngine.h"

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
// One image of the build: its number in the file names, its pictures
// (below the output folder) and their conversions, in the order of the sizes.
// With high-resolution pictures, each scaled size also has one beside it
// ("pcva00012-2x.jpg": no name of a size ends in a letter before its
// extension); twinPictures names them in the order of the sizes, empty for a
// copied size, and their conversions follow those of the sizes.
struct ImageConversion {
  const CollectionItem* item = nullptr;
  int number = 0;
  std::vector<std::string> pictures;
  std::vector<std::string> twinPictures;
  std::vector<SizeOutput> outputs;
};

// Creates the image folder and the folders of the albums among records (in
// list order), and names the outputs of every image among them, in that
// order. Converts nothing and changes no record.
std::vector<ImageConversion> planConversions(const ProjectSettings& s, const std::vector<const CollectionItem*>& records,
                                             const std::string& outputFolder, const std::vector<OutputSizeBox>& sizes);
// Converts the given images on one worker per core, every size of an image
// from one decode, until done or cancelled.
void convertPlanned(const AppState& state, std::vector<ImageConversion*> work, const ConversionProgress& progress = {});
// The conversion loop of one size over every record of the collection:
// planConversions and convertPlanned. Returns the plan with what was written.
std::vector<ImageConversion> convertAllImages(const AppState& state, const std::string& outputFolder, int boxWidth,
                                              int boxHeight, const std::string& prefix,
                                              const ConversionProgress& progress = {});
// The two copies name in the sink the files they wrote or found already
// holding the same bytes, and those they could not write.
void copyProjectTypeFiles(const ProjectSettings& s, const std::string& outputFolder, PageSink& sink);
void copyControlSet(const ProjectSettings& s, const std::string& outputFolder, PageSink& sink);

}  // namespace pv
