#include <gtest/gtest.h>

#include "TestSupport.h"
#include "pages/ControlSets.h"

using namespace pv;

TEST(ControlSets, ListedFromTheirDescriptionFiles) {
  pvtest::ScratchDir dir;
  dir.write("b.config", "[CTRL]\r\nDE=Blau rund\r\nID=205\r\nSIZEX=24\r\nSIZEY=18px\r\n");
  dir.write("A.CONFIG", "[ctrl]\nde=  Klassisch  \nid=101\n");
  dir.write("readme.txt", "[CTRL]\nID=7\n");
  dir.write("old.config.bak", "[CTRL]\nID=8\n");
  dir.write("x.config/0001/_pcv.bmp", "");  // a folder, not a description
  dir.write("empty.config", "");
  const auto sets = listControlSets(dir.path());
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0].id, 101);
  EXPECT_EQ(sets[0].text, "Name: Klassisch\nDimension: 0 * 0\nFormat: Graphics Interchange Format (*.gif)");
  EXPECT_EQ(sets[0].previewPath, dir.path() + "0101/_pcv.bmp");
  EXPECT_EQ(sets[1].name, "Blau rund");
  EXPECT_EQ(sets[1].sizeX, 24);
  EXPECT_EQ(sets[1].sizeY, 18);
  EXPECT_EQ(sets[2].name, "n/a");
  EXPECT_EQ(sets[2].previewPath, dir.path() + "0000/_pcv.bmp");
  EXPECT_TRUE(listControlSets(dir.file("none/")).empty());
}

TEST(ControlSets, PreviewWithMagentaTransparent) {
  pvtest::ScratchDir dir;
  ImagePtr bmp(FreeImage_Allocate(160, 96, 24));
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 160; ++x) {
      RGBQUAD c{};
      c.rgbRed = 255;
      c.rgbBlue = x < 80 ? 255 : 0;  // left half magenta, right half red
      FreeImage_SetPixelColor(bmp.get(), x, y, &c);
    }
  ASSERT_TRUE(FreeImage_Save(FIF_BMP, bmp.get(), dir.file("_pcv.bmp").c_str()));
  ImagePtr preview = loadControlSetPreview(dir.file("_pcv.bmp"));
  ASSERT_TRUE(preview);
  EXPECT_EQ(FreeImage_GetWidth(preview.get()), 80u);
  EXPECT_EQ(FreeImage_GetHeight(preview.get()), 48u);
  EXPECT_EQ(FreeImage_GetBPP(preview.get()), 32u);
  EXPECT_EQ(pvtest::pixelAt(preview.get(), 10, 20).rgbReserved, 0);
  RGBQUAD red = pvtest::pixelAt(preview.get(), 70, 20);
  EXPECT_EQ(red.rgbReserved, 255);
  EXPECT_EQ(red.rgbRed, 255);
  EXPECT_EQ(red.rgbBlue, 0);
  EXPECT_FALSE(loadControlSetPreview(dir.file("missing.bmp")));
  EXPECT_FALSE(loadControlSetPreview(dir.write("broken.bmp", "BM not really")));
}

TEST(ControlSets, TheInstalledSetTheDialogStartsWith) {
  const std::string ctrl = pvtest::sourceFolder() + "resources/CTRL/";
  const auto sets = listControlSets(ctrl);
  const ControlSetEntry* start = nullptr;
  for (const auto& set : sets)
    if (set.id == kDefaultControlSet) start = &set;
  ASSERT_NE(start, nullptr);
  EXPECT_TRUE(loadControlSetPreview(start->previewPath));
  for (const char* button :
       {"home.gif", "first.gif", "rev.gif", "for.gif", "last.gif", "up.gif", "back.gif", "next.gif", "pause.gif"})
    EXPECT_TRUE(fileExists(ctrl + "0101/" + button)) << button;
}
