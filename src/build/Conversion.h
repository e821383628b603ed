#pragma once
// One source image into one output size: transform, fit, scale, watermark,
// metadata, save. The watermark is prepared once per size and build.
#include <FreeImage.h>

#include <string>

namespace pv {

struct AppState;

// A box of this width and height copies the source file unchanged.
inline constexpr int kCopyBoxSide = 9999;

struct BoxSize {
  int width = 0;
  int height = 0;
};
// The largest size of the source's aspect ratio in the box, a result one
// pixel off an edge snapped to it; small images are enlarged unless enlarge
// is false, then a source that fits the box keeps its own size.
BoxSize fitIntoBox(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool enlarge = true);

bool prepareWatermarks(AppState& state);
// False only when the source type is unknown; every other outcome is true.
bool convertImage(const AppState& state, int rotation, bool flipHorizontal, bool flipVertical,
                  const std::string& sourcePath, int boxWidth, int boxHeight, const std::string& destinationPath,
                  const std::string& caption);
void writeImageMetadata(const AppState& state, FIBITMAP* image, const std::string& caption);
void releaseWatermarks(AppState& state);

}  // namespace pv
