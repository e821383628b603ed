#pragma once
// One source image into its output sizes: transform, fit, scale, watermark,
// metadata, save. The watermark is prepared once per size and build.
#include <FreeImage.h>

#include <string>
#include <vector>

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
// is false, then a source that fits the box keeps its own size. Neither side
// is less than 1 pixel.
BoxSize fitIntoBox(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool enlarge = true);

// The high-resolution picture of a source for a size's box: fitted into
// twice the box and never enlarged; 0 x 0 where that gives less than half as
// much width again as the size's own picture (not worth its bytes).
BoxSize twinSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool enlarge);
// The quality a high-resolution picture is written at: a screen shows it at
// half its pixels' size or less, where compression shows far less, and it is
// what phones fetch; three fifths of the chosen quality look the same there.
int twinQuality(int quality);

bool prepareWatermarks(AppState& state);
// False only when the source type is unknown; every other outcome is true.
bool convertImage(const AppState& state, int rotation, bool flipHorizontal, bool flipVertical,
                  const std::string& sourcePath, int boxWidth, int boxHeight, const std::string& destinationPath,
                  const std::string& caption);

// One output size of an image and the file it goes to.
struct SizeOutput {
  int boxWidth = 0;
  int boxHeight = 0;
  std::string destination;
  // The file already holds this output: it is made only as far as the
  // smaller sizes of the image need it, and not saved.
  bool keep = false;
  bool written = false;  // set by the conversion when the file was saved
  int error = 0;         // the system's reason (errno) when saving it failed
  bool damaged = false;  // set by the conversion: the source decoded only in part
  // A high-resolution output: the index, among the outputs of the same call,
  // of the output whose box it doubles. Never enlarged, and written only
  // where the source gives at least half as much width again as that output
  // has; its watermark is the one of that box, at twice the size and offsets.
  int twinOf = -1;
  // Set by the conversion (or by a build that knows it from the last one):
  // the source is too small for this high-resolution output, so it has no file.
  bool skipped = false;
};
// Every output of one image from a single decode: the source is decoded at
// the scale the largest output needs, and each smaller output is resampled
// from the smallest image already made that still has the detail it needs.
// An output's pixels therefore depend on the other boxes of the same call.
// False only when the source type is unknown. threads: the cores this
// conversion may use for its resizing (more than one where fewer images
// than cores are converted).
bool convertImageSizes(const AppState& state, int rotation, bool flipHorizontal, bool flipVertical,
                       const std::string& sourcePath, std::vector<SizeOutput>& outputs, const std::string& caption,
                       int threads = 1);
void writeImageMetadata(const AppState& state, FIBITMAP* image, const std::string& caption);
void releaseWatermarks(AppState& state);

}  // namespace pv
