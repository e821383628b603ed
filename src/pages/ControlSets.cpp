#include "pages/ControlSets.h"

#include "util/FileSystem.h"
#include "settings/Ini.h"
#include "util/Text.h"

namespace pv {

std::vector<ControlSetEntry> listControlSets(const std::string& ctrlFolder) {
  const std::string folder = withSlash(ctrlFolder);
  std::vector<ControlSetEntry> out;
  for (const DirEntry& e : listDirectory(folder)) {
    if (e.isDirectory || !endsWithNoCase(e.name, ".config")) continue;
    const IniFile ini = IniFile::load(folder + e.name);
    ControlSetEntry set;
    set.name = ini.text("CTRL", "DE", "n/a");
    set.id = ini.integer("CTRL", "ID", 0);
    set.sizeX = ini.integer("CTRL", "SIZEX", 0);
    set.sizeY = ini.integer("CTRL", "SIZEY", 0);
    set.text = format("Name: %s\nDimension: %d * %d\nFormat: Graphics Interchange Format (*.gif)", set.name.c_str(),
                      set.sizeX, set.sizeY);
    set.previewPath = format("%s%04d/_pcv.bmp", folder.c_str(), set.id);
    out.push_back(std::move(set));
  }
  return out;
}

ImagePtr loadControlSetPreview(const std::string& path) {
  ImagePtr bmp = loadImageFile(path, FIF_BMP);
  ImagePtr out(bmp ? FreeImage_ConvertTo32Bits(bmp.get()) : nullptr);
  if (!out) return nullptr;
  const unsigned w = FreeImage_GetWidth(out.get()), h = FreeImage_GetHeight(out.get());
  for (unsigned y = 0; y < h; ++y) {
    BYTE* px = FreeImage_GetScanLine(out.get(), int(y));
    for (unsigned x = 0; x < w; ++x, px += 4) {
      const bool magenta = px[FI_RGBA_RED] == 255 && px[FI_RGBA_GREEN] == 0 && px[FI_RGBA_BLUE] == 255;
      px[FI_RGBA_ALPHA] = magenta ? 0 : 255;
    }
  }
  if (w != 80 || h != 48) out.reset(FreeImage_Rescale(out.get(), 80, 48, FILTER_BILINEAR));
  return out;
}

}  // namespace pv
