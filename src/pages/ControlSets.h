#pragma once
// The navigation control sets an own web page can use: each described by a
// "*.config" file (section CTRL) in the control-set folder, its buttons and
// preview picture in the sub-folder named by its number in four digits.
#include <string>
#include <vector>

#include "model/Image.h"

namespace pv {

// The set a gallery uses until the user clicks another.
inline constexpr int kDefaultControlSet = 101;

struct ControlSetEntry {
  int id = 0;        // ID: the set's number
  std::string name;  // DE: display name
  int sizeX = 0;     // SIZEX, SIZEY: button size in pixels
  int sizeY = 0;
  std::string text;         // the list entry: name, dimension and format
  std::string previewPath;  // the set's "_pcv.bmp"
};

// One entry per description file of ctrlFolder, in the order of the folder
// listing.
std::vector<ControlSetEntry> listControlSets(const std::string& ctrlFolder);

// The preview picture as the list shows it: 80 x 48 pixels, 32 bits, magenta
// (255, 0, 255) transparent. Null when the file cannot be read.
ImagePtr loadControlSetPreview(const std::string& path);

}  // namespace pv
