// The reduced JPEG decode the conversion and the thumbnails use, against
// FreeImage's own reader with the same size hint.
#include <gtest/gtest.h>

#include "ConversionTestSupport.h"
#include "TestSupport.h"
#include "model/Image.h"

using namespace pv;

namespace {

LoadedImage decodedAt(const std::string& path, int side) {
  return loadUpright(path, FIF_JPEG, DecodeSideFor([side](int, int, int) { return side; }));
}

}  // namespace

TEST(JpegDecode, ShrunkDecodeGivesFreeImagesPixelsForEveryKindOfJpeg) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  // Grey, and CMYK (left to FreeImage's reader), besides the photos.
  const std::string grey = dir.file("grey.jpg"), cmyk = dir.file("cmyk.jpg");
  ImagePtr colour(FreeImage_Load(FIF_JPEG, pvtest::photo("portrait_nikon_d70s.jpg").c_str()));
  ImagePtr greyPixels(FreeImage_ConvertToGreyscale(colour.get()));
  ASSERT_TRUE(FreeImage_Save(FIF_JPEG, greyPixels.get(), grey.c_str(), 90));
  ASSERT_EQ(pvtest::run("convert '" + pvtest::photo("portrait_nikon_d70s.jpg") + "' -colorspace CMYK '" + cmyk +
                        "' && echo ok"),
            "ok\n");
  std::vector<std::string> files = {grey, cmyk};
  for (const char* name : {"exif_canon_g9_imagedescription.jpg", "exif_nikon_d300_progressive.jpeg",
                           "iptc_caption_nikon_d1x_reagan.jpg", "large_9mp_nokia_8_3.jpg", "orientation6_canon_sx60.jpg",
                           "portrait_nikon_d70s.jpg", "broken_truncated.jpg"})
    files.push_back(pvtest::photo(name));
  for (const std::string& path : files) {
    for (int side : {0, 100, 300, 1000}) {
      SCOPED_TRACE(path + " at " + std::to_string(side));
      const LoadedImage ours = decodedAt(path, side);
      ImagePtr reference(FreeImage_Load(FIF_JPEG, path.c_str(), JPEG_EXIFROTATE | (side << 16)));
      ASSERT_TRUE(ours.image && reference);
      ImagePtr a = to24Bits(ImagePtr(FreeImage_Clone(ours.image.get())));
      ImagePtr b = to24Bits(ImagePtr(FreeImage_Clone(reference.get())));
      EXPECT_EQ(pvtest::meanAbsDiff(a.get(), b.get()), 0.0);
      // The full size, upright, whatever the reduction.
      const LoadedImage full = loadUpright(path, FIF_JPEG);
      EXPECT_EQ(ours.fullWidth, full.fullWidth);
      EXPECT_EQ(ours.fullHeight, full.fullHeight);
      EXPECT_EQ(ours.damaged, path.find("broken") != std::string::npos);
    }
  }
}

TEST(JpegDecode, NotAJpegOrCutInTheHeaderGivesNoPicture) {
  pvtest::ScratchDir dir;
  ASSERT_TRUE(pvtest::writeTestImage(dir.file("a.jpg"), 640, 480, FIF_JPEG));
  const std::string whole = pvtest::bytesOf(dir.file("a.jpg"));
  EXPECT_FALSE(decodedAt(dir.write("head.jpg", whole.substr(0, 40)), 16).image);
  EXPECT_FALSE(decodedAt(dir.write("text.jpg", "not a picture at all"), 16).image);
  // Cut after the header: the rest is grey and the picture says it is damaged.
  const LoadedImage cut = decodedAt(dir.write("cut.jpg", whole.substr(0, whole.size() * 3 / 4)), 16);
  ASSERT_TRUE(cut.image);
  EXPECT_TRUE(cut.damaged);
  EXPECT_EQ(cut.fullWidth, 640);
}
