// Pictures and pages of the data tree: control sets with their nine buttons
// and preview, sample pictures, the album picture and the information pages.
#include "DataSupport.h"
#include "model/Image.h"
#include "settings/Ini.h"

using namespace pv;
using pvdata::readText;
using pvdata::resources;

namespace {

struct Picture {
  int width = 0, height = 0;
  bool loaded = false;
};
Picture picture(const std::string& path, FREE_IMAGE_FORMAT fif) {
  ImagePtr img = loadImageFile(path, fif);
  if (!img) return {};
  return {int(FreeImage_GetWidth(img.get())), int(FreeImage_GetHeight(img.get())), true};
}

bool isMagenta(FIBITMAP* dib, unsigned x, unsigned y) {
  RGBQUAD c{};
  FreeImage_GetPixelColor(dib, x, y, &c);
  return c.rgbRed == 255 && c.rgbGreen == 0 && c.rgbBlue == 255;
}

}  // namespace

TEST(DataArtwork, ControlSetsHaveNineButtonsOfTheirSizeAndAPreview) {
  const std::string ctrl = resources() + "CTRL/";
  std::set<int> ids;
  for (const DirEntry& e : listDirectory(ctrl)) {
    if (e.isDirectory || !endsWith(e.name, ".config")) continue;
    SCOPED_TRACE(e.name);
    IniFile ini = IniFile::load(ctrl + e.name);
    const int id = ini.integer("CTRL", "ID", 0);
    const int w = ini.integer("CTRL", "SIZEX", 0), h = ini.integer("CTRL", "SIZEY", 0);
    EXPECT_TRUE(ids.insert(id).second) << "two sets with number " << id;
    EXPECT_NE(ini.text("CTRL", "DE", "n/a"), "n/a");
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    const std::string folder = ctrl + format("%04d", id) + "/";
    for (const char* b : {"home", "first", "rev", "for", "last", "up", "back", "next", "pause"}) {
      Picture p = picture(folder + b + ".gif", FIF_GIF);
      EXPECT_TRUE(p.loaded) << b;
      EXPECT_EQ(p.width, w) << b;
      EXPECT_EQ(p.height, h) << b;
    }
    ImagePtr preview = loadImageFile(folder + "_pcv.bmp", FIF_BMP);
    ASSERT_TRUE(preview);
    EXPECT_EQ(FreeImage_GetWidth(preview.get()), 80u);
    EXPECT_EQ(FreeImage_GetHeight(preview.get()), 48u);
    EXPECT_TRUE(isMagenta(preview.get(), 0, 0) && isMagenta(preview.get(), 79, 47)) << "magenta shows as transparent";
    EXPECT_FALSE(isMagenta(preview.get(), 40, 24)) << "the preview shows buttons";
  }
  EXPECT_TRUE(ids.count(101)) << "the dialog starts with set 101";
  EXPECT_GE(ids.size(), 3u);
}

TEST(DataArtwork, EveryGalleryPresetHasASamplePicture) {
  for (int n : pvdata::galleryPresets()) {
    Picture p = picture(resources() + "IMAGES/" + std::to_string(n) + ".jpg", FIF_JPEG);
    EXPECT_TRUE(p.loaded) << n;
    EXPECT_GE(p.width, 320) << n;
  }
  EXPECT_TRUE(picture(resources() + "IMAGES/tback.png", FIF_PNG).loaded);
  Picture folder = picture(resources() + "DRAFTS/folder.gif", FIF_GIF);
  EXPECT_TRUE(folder.loaded);
  EXPECT_GE(folder.width, 160) << "the album picture stands in a thumbnail slot";
}

TEST(DataArtwork, InformationPagesExplainSizesAndThePreviewHasItsPlaceholders) {
  for (int n : {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 2001, 2002, 2003, 3001}) {
    SCOPED_TRACE(n);
    std::string page = readText(resources() + "DE/" + std::to_string(n) + ".html");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    if (n != 0 && n != 2000 && n != 3000) {
      for (const char* size : {"Bild A", "Bild B", "Bild C"}) EXPECT_NE(page.find(size), std::string::npos) << size;
    }
    if (n >= 2000 && n < 3000) { EXPECT_NE(page.find("##PICOVAND##"), std::string::npos); }
  }
  std::string draft = readText(resources() + "DE/draft.html");
  for (const char* token : {"##DRAFT##", "##IMAGE##", "../IMAGES/tback.png"})
    EXPECT_NE(draft.find(token), std::string::npos) << token;
  // The example page for own templates is one the own-template dialog accepts.
  EXPECT_NE(readText(resources() + "DE/beispielseite.html").find("##PICOVAND##"), std::string::npos);
}
