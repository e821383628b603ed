// WebP and AVIF output and the high-resolution pictures, as independent
// readers (ImageMagick, exiftool) see them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "ConversionTestSupport.h"
#include "convert/Conversion.h"
#include "settings/Product.h"
#include "settings/ProjectSettings.h"
#include "state/AppState.h"
#include "util/FileSystem.h"

using namespace pv;

namespace {

struct Converter {
  explicit Converter(int imageFormat) {
    state.settings.imageFormat = imageFormat;
    state.settings.jpegQuality = 70;
    state.settings.resizeFilter = 2;
  }
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
};

// What ImageMagick reads from the file: "format width height".
std::string identified(const std::string& file) {
  return pvtest::run("identify -format '%m %w %h' '" + file + "' 2>/dev/null");
}

std::string plainPicture(const std::string& path, int w, int h, BYTE grey) {
  ImagePtr dib(FreeImage_Allocate(w, h, 24));
  for (int y = 0; y < h; ++y) memset(FreeImage_GetScanLine(dib.get(), y), grey, size_t(3 * w));
  FreeImage_Save(FIF_PNG, dib.get(), path.c_str());
  return path;
}

// x, y, w, h (top-left origin) of the pixels brighter than 128.
std::array<int, 4> brightArea(const std::string& file) {
  ImagePtr dib = pvtest::loadFile(file);
  if (!dib) return {-1, -1, -1, -1};
  const int W = int(FreeImage_GetWidth(dib.get())), H = int(FreeImage_GetHeight(dib.get()));
  int minX = W, minY = H, maxX = -1, maxY = -1;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (pvtest::pixelAt(dib.get(), x, y).rgbGreen > 128) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  if (maxX < 0) return {0, 0, 0, 0};
  return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

}  // namespace

TEST(WebFormats, DecodeElsewhereAndCarryTheCaptionTextsButNothingOfTheSource) {
  PV_REQUIRE_PHOTOS();
  // A phone photo with GPS, IPTC and XMP of its own: none of it may reach the output.
  const std::string source = pvtest::photo("portrait_nikon_d70s.jpg");
  const std::string program = std::string(kProductName) + " " + kProductVersion + " (" + kMakerAddress + ")";
  for (const auto& [format, magick] : {std::pair{kWebp, "WEBP"}, std::pair{kAvif, "HEIC"}}) {
    SCOPED_TRACE(kImageExtensions[format]);
    Converter c(format);
    c.state.iptcCaption = "<IMAGE>";
    c.state.jpegComment = "Kommentar: Grüße";
    c.state.iptcTitle = "Köln bei Nacht";
    c.state.iptcAuthor = "Jörg Müller";
    c.state.iptcCopyright = "© 2026 Jörg Müller";
    const std::string out = c.dir.file(std::string("out.") + kImageExtensions[format]);
    ASSERT_TRUE(convertImage(c.state, 0, false, false, source, 200, 200, out, "Dom & Rhein \"bei\" Nacht – 東京"));
    EXPECT_EQ(identified(out), std::string(magick) + " 132 200");
    EXPECT_EQ(pvtest::sortedLines(pvtest::run("exiftool -m -s -G1 -XMP:all -EXIF:all -IPTC:all -GPS:all '" + out +
                                              "' | grep -v XMPToolkit")),
              "[ExifIFD]       UserComment                     : Kommentar: Grüße\n"
              "[IFD0]          Artist                          : Jörg Müller\n"
              "[IFD0]          Copyright                       : © 2026 Jörg Müller\n"
              "[IFD0]          ImageDescription                : Dom & Rhein \"bei\" Nacht – 東京\n"
              "[IFD0]          Software                        : " + program + "\n"
              "[XMP-dc]        Creator                         : Jörg Müller\n"
              "[XMP-dc]        Description                     : Dom & Rhein \"bei\" Nacht – 東京\n"
              "[XMP-dc]        Rights                          : © 2026 Jörg Müller\n"
              "[XMP-dc]        Title                           : Köln bei Nacht\n"
              "[XMP-xmp]       CreatorTool                     : " + program + "\n");

    // Empty settings write no field; the program's name is always there.
    c.state.iptcCaption = c.state.jpegComment = c.state.iptcTitle = c.state.iptcAuthor = c.state.iptcCopyright = "";
    ASSERT_TRUE(convertImage(c.state, 0, false, false, source, 100, 100, out, "Bildunterschrift"));
    EXPECT_EQ(pvtest::sortedLines(pvtest::run("exiftool -m -s -s -s -ImageDescription -Description -Artist "
                                              "-Software -CreatorTool '" + out + "'")),
              program + "\n" + program + "\n");
  }
}

TEST(WebFormats, QualityDecidesTheBytes) {
  const pvtest::ScratchDir dir;
  const std::string source = dir.file("s.png");
  ASSERT_TRUE(pvtest::writeTestImage(source, 400, 300));
  for (int format : {kWebp, kAvif}) {
    Converter c(format);
    std::vector<std::uint64_t> sizes;
    for (int quality : {30, 95}) {
      c.state.settings.jpegQuality = quality;
      const std::string out = c.dir.file(std::to_string(quality));
      ASSERT_TRUE(convertImage(c.state, 0, false, false, source, 400, 300, out, ""));
      sizes.push_back(fileSizeOf(out));
    }
    EXPECT_LT(sizes[0], sizes[1]) << kImageExtensions[format];
  }
}

// Rows top to bottom and the colours in their channels, as ImageMagick reads
// them.
TEST(WebFormats, WebPKeepsRowsAndColoursInPlace) {
  Converter c(kWebp);
  c.state.settings.jpegQuality = 95;
  const std::string gradient = c.dir.file("gradient.png"), out = c.dir.file("out.webp");
  ASSERT_TRUE(pvtest::writeTestImage(gradient, 64, 48));
  ASSERT_TRUE(convertImage(c.state, 0, false, false, gradient, 64, 48, out, ""));
  // Red rises to the right, green to the top, blue is 40 throughout.
  EXPECT_EQ(pvtest::run("convert '" + out + "' -format '%[fx:round(p{2,2}.r*10)] %[fx:round(p{2,2}.g*10)] "
                        "%[fx:round(p{61,45}.r*10)] %[fx:round(p{61,45}.g*10)] %[fx:round(p{30,20}.b*255/20)]' "
                        "info: 2>/dev/null"),
            "0 10 10 0 2");
}

// A phone fetches the twins; they are written at a lower quality than the
// sizes themselves, which keep the chosen one (ImageMagick estimates it from
// the quantisation tables).
TEST(HighResolution, TwinsAreWrittenAtThreeFifthsOfTheQuality) {
  Converter c(kJpeg);
  c.state.settings.hidpi = true;
  const std::string source = pvtest::photo("exif_canon_powershot_sd300.jpg");
  for (int quality : {75, 90}) {
    SCOPED_TRACE(quality);
    c.state.settings.jpegQuality = quality;
    std::vector<SizeOutput> outputs{{400, 300, c.dir.file("a.jpg")}, {800, 600, c.dir.file("a-2x.jpg")}};
    outputs[1].twinOf = 0;
    ASSERT_TRUE(convertImageSizes(c.state, 0, false, false, source, outputs, ""));
    EXPECT_EQ(pvtest::run("identify -format '%w %Q' " + outputs[0].destination), "400 " + std::to_string(quality));
    EXPECT_EQ(pvtest::run("identify -format '%w %Q' " + outputs[1].destination),
              "800 " + std::to_string(quality * 3 / 5));
  }
}

TEST(HighResolution, TwiceTheBoxWhereTheSourceHasThePixelsNeverEnlarged) {
  Converter c(kPng);
  ProjectSettings& s = c.state.settings;
  s.hidpi = true;
  s.sizeAWidth = 400, s.sizeAHeight = 300;
  c.state.watermarkFile = plainPicture(c.dir.file("mark.png"), 200, 100, 255);
  c.state.watermarkSizePercent = 50;
  c.state.watermarkPosition = 1;
  c.state.watermarkOffsetX = 10, c.state.watermarkOffsetY = 6;
  c.state.watermarkTransparency = 255;
  ASSERT_TRUE(prepareWatermarks(c.state));

  struct Case {
    int w, h;            // the source
    int twinW, twinH;    // its high-resolution picture, 0 x 0: none
  };
  // Enough for twice; between one and a half and twice (its own size); less (none).
  for (const Case k : {Case{2000, 1500, 800, 600}, Case{700, 525, 700, 525}, Case{590, 442, 0, 0}}) {
    SCOPED_TRACE(std::to_string(k.w));
    const std::string source = plainPicture(c.dir.file(std::to_string(k.w) + ".png"), k.w, k.h, 0);
    std::vector<SizeOutput> outputs{{400, 300, c.dir.file("a.png")}, {800, 600, c.dir.file("a-2x.png")}};
    outputs[1].twinOf = 0;
    std::remove(outputs[1].destination.c_str());
    ASSERT_TRUE(convertImageSizes(c.state, 0, false, false, source, outputs, ""));
    EXPECT_EQ(identified(outputs[0].destination), "PNG 400 300");
    // The watermark fitted into the box (200 x 100 at half of 400 x 200) and
    // its distances from the edge, twice as large on the twice as large picture.
    EXPECT_EQ(brightArea(outputs[0].destination), (std::array<int, 4>{10, 6, 200, 100}));
    if (k.twinW == 0) {
      EXPECT_TRUE(outputs[1].skipped);
      EXPECT_FALSE(outputs[1].written);
      EXPECT_FALSE(fileExists(outputs[1].destination));
      continue;
    }
    EXPECT_TRUE(outputs[1].written);
    EXPECT_EQ(identified(outputs[1].destination), "PNG " + std::to_string(k.twinW) + " " + std::to_string(k.twinH));
    EXPECT_EQ(brightArea(outputs[1].destination), (std::array<int, 4>{20, 12, 400, 200}));
  }
  releaseWatermarks(c.state);
  EXPECT_FALSE(c.state.watermarkTwins[0]);
}
