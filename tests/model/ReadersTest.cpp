// Files FreeImage's own readers refuse or misread, written here byte by
// byte with known pixels, read back through the one way the program loads
// a photo.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "ImageFileWriters.h"
#include "PhoneAndCameraFiles.h"
#include "TestSupport.h"
#include "model/ImageHeaders.h"
#include "model/ItemCollection.h"
#include "model/Image.h"
#include "model/ReaderGuards.h"

using namespace pv;
using namespace pvtest;

namespace {

using Expected = std::function<std::array<int, 3>(int x, int y)>;

// Every pixel of the 24-bit form within 1 of the expected colour.
void expectPixels(FIBITMAP* image, int w, int h, const Expected& expected, const std::string& what) {
  ImagePtr rgb = to24Bits(ImagePtr(FreeImage_Clone(image)));
  ASSERT_NE(rgb, nullptr) << what;
  ASSERT_EQ(int(FreeImage_GetWidth(rgb.get())), w) << what;
  ASSERT_EQ(int(FreeImage_GetHeight(rgb.get())), h) << what;
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      RGBQUAD c = pvtest::pixelAt(rgb.get(), x, y);
      std::array<int, 3> e = expected(x, y);
      if (std::abs(c.rgbRed - e[0]) > 1 || std::abs(c.rgbGreen - e[1]) > 1 || std::abs(c.rgbBlue - e[2]) > 1) {
        if (wrong++ < 3)
          ADD_FAILURE() << what << " at " << x << "," << y << ": " << int(c.rgbRed) << " " << int(c.rgbGreen) << " "
                        << int(c.rgbBlue) << " instead of " << e[0] << " " << e[1] << " " << e[2];
      }
    }
}

ImagePtr load(const pvtest::ScratchDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.write(name, bytes);
  return loadImageFile(path, formatFromFileName(path));
}

std::array<int, 3> fromPalette(const std::vector<std::uint32_t>& palette, int index) {
  const std::uint32_t c = palette[size_t(index)];
  return {int(c >> 16), int((c >> 8) & 0xFF), int(c & 0xFF)};
}

}  // namespace

TEST(Readers, BitmapsWithLongHeadersBitFieldsAndRuns) {
  pvtest::ScratchDir dir;
  const Expected rgb8 = [](int x, int y) { return std::array<int, 3>{v8(x, y, 0), v8(x, y, 1), v8(x, y, 2)}; };
  auto bgr = [](int x, int y) { return std::string{char(v8(x, y, 2)), char(v8(x, y, 1)), char(v8(x, y, 0))}; };

  for (std::uint32_t header : {52u, 56u, 108u, 124u}) {
    Bmp b;
    b.headerSize = header;
    b.pixels = bmpRows(5, 3, 3, bgr);
    ImagePtr dib = load(dir, "v" + std::to_string(header) + ".bmp", b.file());
    ASSERT_NE(dib, nullptr) << header;
    expectPixels(dib.get(), 5, 3, rgb8, "24-bit, header " + std::to_string(header));
  }
  {  // stored top-down
    Bmp b;
    b.height = -3;
    b.pixels = bmpRows(5, -3, 3, bgr);
    ImagePtr dib = load(dir, "topdown.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), 5, 3, rgb8, "top-down");
  }
  const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x123456, 0xFEDCBA};
  for (std::uint32_t header : {108u, 124u}) {  // 8-bit palette, fewer colours than 256
    Bmp b;
    b.headerSize = header;
    b.bits = 8;
    b.palette = palette;
    b.pixels = bmpRows(5, 3, 1, [](int x, int y) { return std::string(1, char((x + 2 * y) % 7)); });
    ImagePtr dib = load(dir, "p" + std::to_string(header) + ".bmp", b.file());
    ASSERT_NE(dib, nullptr) << header;
    expectPixels(dib.get(), 5, 3, [&](int x, int y) { return fromPalette(palette, (x + 2 * y) % 7); }, "palette");
  }
  {  // 32 bits with an alpha mask: the alpha survives
    Bmp b;
    b.bits = 32;
    b.compression = 3;
    b.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    b.pixels = bmpRows(5, 3, 4, [&](int x, int y) { return bgr(x, y) + char(40 * x + y); });
    ImagePtr dib = load(dir, "bgra.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(FreeImage_GetBPP(dib.get()), 32u);
    expectPixels(dib.get(), 5, 3, rgb8, "32-bit bit fields");
    EXPECT_EQ(pvtest::pixelAt(dib.get(), 4, 2).rgbReserved, 40 * 4 + 2);
  }
  {  // 16 bits, 5-6-5 masks after a 40-byte header; and 4-4-4-4 with alpha in a V5 header
    Bmp b;
    b.headerSize = 40;
    b.bits = 16;
    b.compression = 3;
    b.masksAfterHeader = true;
    b.masks = {0xF800, 0x07E0, 0x001F, 0};
    b.pixels = bmpRows(5, 3, 2, [](int x, int y) { return le(std::uint32_t(v16(x, y, 0)), 2); });
    ImagePtr dib = load(dir, "565.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), 5, 3, [](int x, int y) {
      const int p = v16(x, y, 0);
      return std::array<int, 3>{int(std::lround((p >> 11) * 255.0 / 31)), int(std::lround(((p >> 5) & 63) * 255.0 / 63)),
                                int(std::lround((p & 31) * 255.0 / 31))};
    }, "5-6-5");
    b.headerSize = 124;
    b.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    dib = load(dir, "4444.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), 5, 3, [](int x, int y) {
      const int p = v16(x, y, 0);
      return std::array<int, 3>{((p >> 8) & 15) * 17, ((p >> 4) & 15) * 17, (p & 15) * 17};
    }, "4-4-4-4");
    EXPECT_EQ(pvtest::pixelAt(dib.get(), 0, 0).rgbReserved, (v16(0, 0, 0) >> 12) * 17);
  }
  {  // run-length encoded, 8 bits: runs, a literal stretch, a move and skipped pixels
    Bmp b;
    b.headerSize = 40;
    b.width = 6;
    b.bits = 8;
    b.compression = 1;
    b.palette = palette;
    b.pixels = std::string("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00", 10)  // bottom row: 1 1 1 2 3 4
               + std::string("\x02\x05\x00\x02\x02\x01", 6)                 // 5 5, then 2 right and 1 up
               + std::string("\x02\x01\x00\x01", 4);                        // 1 1, end
    const int rows[3][6] = {{0, 0, 0, 0, 1, 1}, {5, 5, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};  // top row first
    ImagePtr dib = load(dir, "rle8.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), 6, 3, [&](int x, int y) { return fromPalette(palette, rows[y][x]); }, "RLE8");
  }
  {  // run-length encoded, 4 bits, in a V5 header
    Bmp b;
    b.width = 5;
    b.height = 2;
    b.bits = 4;
    b.compression = 2;
    b.palette = palette;
    b.pixels = std::string("\x05\x12\x00\x00", 4)             // bottom row: 1 2 1 2 1
               + std::string("\x00\x03\x34\x50\x02\x66", 6)  // literal 3 4 5, then 6 6
               + std::string("\x00\x01", 2);
    const int rows[2][5] = {{3, 4, 5, 6, 6}, {1, 2, 1, 2, 1}};
    ImagePtr dib = load(dir, "rle4.bmp", b.file());
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), 5, 2, [&](int x, int y) { return fromPalette(palette, rows[y][x]); }, "RLE4");
  }
}

TEST(Readers, TiffDepthsAndLayoutsFreeImageRefuses) {
  pvtest::ScratchDir dir;
  const int w = 7, h = 5;
  {  // 16-bit grey stays grey up to the 24-bit step, scaled rather than cut
    std::string strip;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) strip += le(std::uint32_t(v16(x, y, 0)), 2);
    ImagePtr dib = load(dir, "grey16.tif", tiffFile(tiffTags(w, h, {16}, 1), {strip}));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(FreeImage_GetColorType(dib.get()), FIC_MINISBLACK);
    expectPixels(dib.get(), w, h, [](int x, int y) {
      const int g = to8(v16(x, y, 0));
      return std::array<int, 3>{g, g, g};
    }, "16-bit grey");
    // Added to the collection through the same reduction.
    ItemCollection items;
    const CollectionItem* item = items.addImage(dir.file("grey16.tif"), "grey16.tif", "/", {});
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->width, w);
  }
  {  // 16-bit RGB
    std::string strip;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) strip += le(std::uint32_t(v16(x, y, c)), 2);
    ImagePtr dib = load(dir, "rgb16.tif", tiffFile(tiffTags(w, h, {16, 16, 16}, 2), {strip}));
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), w, h, [](int x, int y) {
      return std::array<int, 3>{to8(v16(x, y, 0)), to8(v16(x, y, 1)), to8(v16(x, y, 2))};
    }, "16-bit RGB");
  }
  {  // 12-bit grey and RGB, packed
    auto v12 = [](int x, int y, int c) { return std::uint32_t(v16(x, y, c) >> 4); };
    auto scaled = [&](int x, int y, int c) { return int(std::lround(v12(x, y, c) * 255.0 / 4095.0)); };
    ImagePtr grey = load(dir, "grey12.tif", tiffFile(tiffTags(w, h, {12}, 1), {packedRows(w, h, 1, 12, v12)}));
    ASSERT_NE(grey, nullptr);
    expectPixels(grey.get(), w, h, [&](int x, int y) {
      return std::array<int, 3>{scaled(x, y, 0), scaled(x, y, 0), scaled(x, y, 0)};
    }, "12-bit grey");
    ImagePtr rgb =
        load(dir, "rgb12.tif", tiffFile(tiffTags(w, h, {12, 12, 12}, 2), {packedRows(w, h, 3, 12, v12)}));
    ASSERT_NE(rgb, nullptr);
    expectPixels(rgb.get(), w, h, [&](int x, int y) {
      return std::array<int, 3>{scaled(x, y, 0), scaled(x, y, 1), scaled(x, y, 2)};
    }, "12-bit RGB");
  }
  {  // 32-bit float grey and RGB, values outside 0..1 clamped
    auto f = [](int x, int y, int c) { return float(v8(x, y, c)) / 255.0f * 1.2f - 0.1f; };
    auto expected = [&](int x, int y, int c) { return int(std::lround(std::clamp(f(x, y, c), 0.0f, 1.0f) * 255.0)); };
    std::string grey, rgb;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        grey += floatBytes(f(x, y, 0), false);
        for (int c = 0; c < 3; ++c) rgb += floatBytes(f(x, y, c), false);
      }
    ImagePtr g = load(dir, "greyf.tif", tiffFile(tiffTags(w, h, {32}, 1, 3), {grey}));
    ASSERT_NE(g, nullptr);
    expectPixels(g.get(), w, h, [&](int x, int y) {
      return std::array<int, 3>{expected(x, y, 0), expected(x, y, 0), expected(x, y, 0)};
    }, "float grey");
    ImagePtr c = load(dir, "rgbf.tif", tiffFile(tiffTags(w, h, {32, 32, 32}, 2, 3), {rgb}));
    ASSERT_NE(c, nullptr);
    expectPixels(c.get(), w, h, [&](int x, int y) {
      return std::array<int, 3>{expected(x, y, 0), expected(x, y, 1), expected(x, y, 2)};
    }, "float RGB");
  }
  {  // tiled, one plane per channel, the right and bottom tiles partly outside the picture
    const int tw = 20, th = 18, tile = 16;
    std::vector<TiffEntry> tags = tiffTags(tw, th, {8, 8, 8}, 2);
    tags.erase(std::remove_if(tags.begin(), tags.end(), [](const TiffEntry& e) { return e.tag == 278; }), tags.end());
    tags.push_back({284, 3, {2}});
    tags.push_back({322, 3, {std::uint32_t(tile)}});
    tags.push_back({323, 3, {std::uint32_t(tile)}});
    std::vector<std::string> tiles;
    for (int c = 0; c < 3; ++c)
      for (int ty = 0; ty < th; ty += tile)
        for (int tx = 0; tx < tw; tx += tile) {
          std::string t;
          for (int y = ty; y < ty + tile; ++y)
            for (int x = tx; x < tx + tile; ++x) t += char(x < tw && y < th ? v8(x, y, c) : 0);
          tiles.push_back(t);
        }
    ImagePtr dib = load(dir, "tiled.tif", tiffFile(tags, tiles, true));
    ASSERT_NE(dib, nullptr);
    expectPixels(dib.get(), tw, th, [](int x, int y) {
      return std::array<int, 3>{v8(x, y, 0), v8(x, y, 1), v8(x, y, 2)};
    }, "tiled planar");
  }
}

TEST(Readers, DeepPsdChannelsAreScaledToEightBits) {
  pvtest::ScratchDir dir;
  const int w = 6, h = 4;
  std::string grey, rgb16, rgbFloat;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) grey += be(std::uint32_t(v16(x, y, 0)), 2);
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        rgb16 += be(std::uint32_t(v16(x, y, c)), 2);
        rgbFloat += floatBytes(float(v8(x, y, c)) / 255.0f, true);
      }
  ImagePtr g = load(dir, "grey16.psd", psdFile(w, h, 1, 16, 1, grey));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(FreeImage_GetColorType(g.get()), FIC_MINISBLACK);
  expectPixels(g.get(), w, h, [](int x, int y) {
    const int v = to8(v16(x, y, 0));
    return std::array<int, 3>{v, v, v};
  }, "16-bit grey PSD");
  ImagePtr c = load(dir, "rgb16.psd", psdFile(w, h, 3, 16, 3, rgb16));
  ASSERT_NE(c, nullptr);
  expectPixels(c.get(), w, h, [](int x, int y) {
    return std::array<int, 3>{to8(v16(x, y, 0)), to8(v16(x, y, 1)), to8(v16(x, y, 2))};
  }, "16-bit RGB PSD");
  ImagePtr f = load(dir, "rgb32.psd", psdFile(w, h, 3, 32, 3, rgbFloat));
  ASSERT_NE(f, nullptr);
  expectPixels(f.get(), w, h, [](int x, int y) {
    return std::array<int, 3>{v8(x, y, 0), v8(x, y, 1), v8(x, y, 2)};
  }, "32-bit float PSD");
}

TEST(Readers, SharedReductionScalesDeepImagesAndKeepsGrey) {
  // Images as FreeImage's own readers hand them over (16-bit PNGs and TIFFs).
  ImagePtr grey(FreeImage_AllocateT(FIT_UINT16, 4, 1));
  const WORD greys[4] = {0, 257 * 100, 0x8080, 65535};
  std::memcpy(FreeImage_GetScanLine(grey.get(), 0), greys, sizeof greys);
  ImagePtr g = to24Bits(std::move(grey));
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(FreeImage_GetBPP(g.get()), 24u);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(pvtest::pixelAt(g.get(), x, 0).rgbGreen, to8(greys[x])) << x;

  ImagePtr rgba(FreeImage_AllocateT(FIT_RGBA16, 1, 1));
  *reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(rgba.get(), 0)) = {65535, 0x7F7F, 128, 65535};
  ImagePtr c = to24Bits(std::move(rgba));
  ASSERT_NE(c, nullptr);
  RGBQUAD p = pvtest::pixelAt(c.get(), 0, 0);
  EXPECT_EQ(int(p.rgbRed), 255);
  EXPECT_EQ(int(p.rgbGreen), 127);  // cutting the low byte would give 127 too; 0x7F80 rounds to 127
  EXPECT_EQ(int(p.rgbBlue), 0);     // 128 / 257 rounds down

  ImagePtr fl(FreeImage_AllocateT(FIT_FLOAT, 3, 1));
  const float fs[3] = {-0.5f, 0.5f, 7.0f};
  std::memcpy(FreeImage_GetScanLine(fl.get(), 0), fs, sizeof fs);
  ImagePtr f = to24Bits(std::move(fl));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(int(pvtest::pixelAt(f.get(), 0, 0).rgbRed), 0);
  EXPECT_EQ(int(pvtest::pixelAt(f.get(), 1, 0).rgbRed), 128);
  EXPECT_EQ(int(pvtest::pixelAt(f.get(), 2, 0).rgbRed), 255);  // not stretched to the picture's range
}

namespace {

// Where the stored pixel (x, y) of a w x h picture lands when it is shown
// upright by the orientation.
std::pair<int, int> uprightPlace(int orientation, int x, int y, int w, int h) {
  if (orientation == 6) return {h - 1 - y, x};
  if (orientation == 8) return {y, w - 1 - x};
  return {x, y};
}

void expectUpright(const std::string& path, FREE_IMAGE_FORMAT fif, int orientation, FIBITMAP* stored) {
  const int w = int(FreeImage_GetWidth(stored)), h = int(FreeImage_GetHeight(stored));
  LoadedImage upright = loadUpright(path, fif);
  ASSERT_NE(upright.image, nullptr) << path;
  EXPECT_EQ(upright.fullWidth, h) << path;
  EXPECT_EQ(upright.fullHeight, w) << path;
  ImagePtr a = to24Bits(ImagePtr(FreeImage_Clone(upright.image.get())));
  ImagePtr b = to24Bits(ImagePtr(FreeImage_Clone(stored)));
  for (int y = 0; y < h; y += std::max(1, h / 7))
    for (int x = 0; x < w; x += std::max(1, w / 7)) {
      auto [ux, uy] = uprightPlace(orientation, x, y, w, h);
      RGBQUAD s = pvtest::pixelAt(b.get(), x, y), u = pvtest::pixelAt(a.get(), ux, uy);
      ASSERT_TRUE(s.rgbRed == u.rgbRed && s.rgbGreen == u.rgbGreen) << path << " at " << x << "," << y;
    }
}

}  // namespace

TEST(Readers, OrientationOfTiffPngWebpAndPsdIsHonoured) {
  pvtest::ScratchDir dir;
  for (int orientation : {6, 8}) {
    const std::string o = std::to_string(orientation);
    // A TIFF as a camera or scanner writes it, tall and narrow as in the field.
    const int w = 40, h = 470;
    std::string strip;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) strip += char(c == 0 ? x * 6 : c == 1 ? y / 2 : 40);
    std::vector<TiffEntry> tags = tiffTags(w, h, {8, 8, 8}, 2);
    tags.push_back({274, 3, {std::uint32_t(orientation)}});
    const std::string tiff = dir.write("o" + o + ".tif", tiffFile(tags, {strip}));
    ImagePtr storedTiff(FreeImage_Load(FIF_TIFF, tiff.c_str()));
    ASSERT_NE(storedTiff, nullptr);
    expectUpright(tiff, FIF_TIFF, orientation, storedTiff.get());

    // A PNG with an eXIf chunk after its header.
    const std::string plain = dir.file("plain" + o + ".png");
    ASSERT_TRUE(pvtest::writeTestImage(plain, 30, 20));
    std::string png;
    ASSERT_TRUE(readWholeFile(plain, png));
    const std::string pngPath = dir.write("o" + o + ".png", pngWithExif(png, exifOrientationBlock(orientation)));
    EXPECT_EQ(pvtest::exiftoolTag(pngPath, "Orientation", "-n"), o);  // the test file is what we think it is
    ImagePtr storedPng(FreeImage_Load(FIF_PNG, plain.c_str()));
    expectUpright(pngPath, FIF_PNG, orientation, storedPng.get());

    // A WebP, its orientation written by exiftool.
    const std::string webp = dir.file("o" + o + ".webp");
    ASSERT_TRUE(pvtest::writeTestImage(webp, 30, 20, FIF_WEBP, WEBP_LOSSLESS));
    ImagePtr storedWebp(FreeImage_Load(FIF_WEBP, webp.c_str()));
    pvtest::run("exiftool -q -overwrite_original -Orientation#=" + o + " '" + webp + "'");
    ASSERT_EQ(pvtest::exiftoolTag(webp, "Orientation", "-n"), o);
    expectUpright(webp, FIF_WEBP, orientation, storedWebp.get());

    // A PSD with an EXIF resource.
    std::string planes;
    for (int c = 0; c < 3; ++c)
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) planes += char(v8(x, y, c));
    std::string psd = psdFile(6, 4, 3, 8, 3, planes);
    const std::string exif = exifOrientationBlock(orientation);
    const std::string resource = "8BIM" + be(0x0422, 2) + be(0, 2) + be(std::uint32_t(exif.size()), 4) + exif;
    psd.replace(30, 4, be(std::uint32_t(resource.size()), 4) + resource);
    const std::string psdPath = dir.write("o" + o + ".psd", psd);
    ImagePtr storedPsd = load(dir, "plain" + o + ".psd", psdFile(6, 4, 3, 8, 3, planes));
    ASSERT_NE(storedPsd, nullptr);
    expectUpright(psdPath, FIF_PSD, orientation, storedPsd.get());
  }
}

TEST(Readers, BrokenExifBlockIsHiddenAndThePictureStillLoads) {
  pvtest::ScratchDir dir;
  // A directory claiming 40 entries in a block that ends after one.
  const std::string cut = "II" + le(42, 2) + le(8, 4) + le(40, 2) + le(0x0112, 2) + le(3, 2) + le(1, 4) + le(6, 4);
  // A directory of 65535 entries at the end of a short block: FreeImage
  // would read far past it.
  const std::string huge = "II" + le(42, 2) + le(8, 4) + le(0xFFFF, 2) + le(0x0112, 2) + le(3, 2) + le(1, 4) + le(6, 4);
  // A sound directory whose EXIF link points past the end.
  const std::string farLink = "II" + le(42, 2) + le(8, 4) + le(1, 2) + le(0x8769, 2) + le(4, 2) + le(1, 4) +
                              le(5000, 4) + le(0, 4);
  // A value of 64 bytes that lies 10 bytes inside the block.
  const std::string farValue = "II" + le(42, 2) + le(8, 4) + le(1, 2) + le(0x010E, 2) + le(2, 2) + le(64, 4) +
                               le(10, 4) + le(0, 4);
  for (const std::string& block : {cut, huge, farLink, farValue}) {
    std::string jpeg = jpegWithApp1(dir, block);
    std::string guarded = jpeg;
    EXPECT_TRUE(hideBrokenExif(guarded));
    EXPECT_EQ(guarded.size(), jpeg.size());
    const std::string path = dir.write("broken.jpg", jpeg);
    LoadedImage loaded = loadUpright(path, FIF_JPEG);
    ASSERT_NE(loaded.image, nullptr);
    EXPECT_EQ(loaded.fullWidth, 16);
  }
  // A sound block stays, and its orientation is applied.
  std::string sound = jpegWithApp1(dir, exifOrientationBlock(6));
  std::string copy = sound;
  EXPECT_FALSE(hideBrokenExif(copy));
  LoadedImage upright = loadUpright(dir.write("sound.jpg", sound), FIF_JPEG);
  EXPECT_EQ(upright.fullWidth, 12);
  EXPECT_EQ(upright.fullHeight, 16);
}

TEST(Readers, HeadersClaimingHugePicturesAreRefusedUndecoded) {
  pvtest::ScratchDir dir;
  const std::uint32_t big = 100000;
  std::string ihdr = "IHDR" + be(big, 4) + be(big, 4) + std::string("\x08\x02\0\0\0", 5);
  const std::string idat = "IDAT" + std::string("\x78\x9C\x03\0\0\0\0\x01", 8);
  // A real HEIC whose image extent claims 20000 x 20000.
  std::string heic;
  ASSERT_TRUE(writeHeif(dir.file("small.heic"), 32, 32, quadrants, HeifLook{}));
  ASSERT_TRUE(readWholeFile(dir.file("small.heic"), heic));
  const size_t ispe = heic.find("ispe");
  ASSERT_NE(ispe, std::string::npos);
  heic.replace(ispe + 8, 8, be(20000, 4) + be(20000, 4));
  const std::map<std::string, std::string> files = {
      {"bomb.heic", heic},
      {"bomb.webp", "RIFF" + le(4 + 18 + 8 + 64, 4) + "WEBPVP8X" + le(10, 4) + le(0, 4) + le(16383, 3) + le(16383, 3) +
                        "VP8L" + le(64, 4) + std::string(64, '\x2F')},
      // 225 megapixels: just over the limit, and decodable in 675 MB.
      {"large.bmp", "BM" + le(9000, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(15000, 4) + le(15000, 4) + le(1, 2) +
                        le(24, 2) + std::string(24, '\0') + std::string(9000, '\x55')},
      {"bomb.bmp", "BM" + le(9000, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(16383, 4) + le(65535, 4) + le(1, 2) +
                       le(24, 2) + std::string(24, '\0') + std::string(9000, '\x55')},
      {"bomb.png", "\x89PNG\r\n\x1A\n" + be(13, 4) + ihdr + be(crc32(ihdr), 4) + be(8, 4) + idat +
                       be(crc32(idat), 4) + be(0, 4) + "IEND" + be(crc32("IEND"), 4)},
      {"bomb.tif", tiffFile(tiffTags(int(big), int(big), {8}, 1), {std::string(1600, '\0')})},
      {"bomb-big.tif", "II+" + std::string(1, '\0') + le(8, 2) + le(0, 2) + le(16, 4) + le(0, 4) + le(2, 4) + le(0, 4) +
                           le(256, 2) + le(4, 2) + le(1, 4) + le(0, 4) + le(big, 4) + le(0, 4) + le(257, 2) + le(4, 2) +
                           le(1, 4) + le(0, 4) + le(big, 4) + le(0, 4) + le(0, 4) + le(0, 4) + std::string(1600, '\0')},
      {"bomb.psd", psdFile(30000, 30000, 1, 8, 1, std::string(1600, '\0'))},
      {"bomb.gif", "GIF89a" + le(16, 2) + le(16, 2) + std::string("\0\0\0", 3) + "," + le(0, 4) + le(65535, 2) +
                       le(65535, 2) + std::string("\0\x08\x02\x4C\x01\0;", 7)},
      {"bomb.jpg", std::string("\xFF\xD8stray\xFF\xC0", 9) + be(17, 2) + "\x08" + be(65535, 2) + be(65535, 2) +
                       std::string("\x03\x01\x11\0\x02\x11\0\x03\x11\0\xFF\xD9", 12)},
  };
  for (const auto& [name, bytes] : files) {
    const ClaimedSize claimed = claimedSize(bytes, formatFromFileName(name));
    EXPECT_GT(claimed.width * claimed.height, kMaxImagePixels) << name;
    dir.write(name, bytes);
  }
  // Decoding any of them takes hundreds of megabytes at least: a child
  // reads them all and reports how much its memory grew (exit 2 when by
  // more than 100 MB, 1 when anything was decoded). A limit on its address
  // space keeps a failure from taking the machine's memory; the sanitizers
  // reserve address space of their own, so there it is left off.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
#if !defined(__SANITIZE_ADDRESS__)
    unsigned long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    const rlim_t bytes = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
#endif
    int decoded = 0;
    for (const auto& [name, bytes] : files)
      decoded += loadUpright(dir.file(name), formatFromFileName(name)).image != nullptr;
    getrusage(RUSAGE_SELF, &after);
    _exit(decoded ? 1 : after.ru_maxrss - before.ru_maxrss > 100 * 1024 ? 2 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the reading child died";
  EXPECT_EQ(WEXITSTATUS(status), 0) << (WEXITSTATUS(status) == 2 ? "memory grew" : "a picture was decoded");

  // A picture of ordinary size is read as before.
  const std::string ok = dir.file("ok.png");
  ASSERT_TRUE(pvtest::writeTestImage(ok, 20, 10));
  EXPECT_NE(loadImageFile(ok, FIF_PNG), nullptr);
}
