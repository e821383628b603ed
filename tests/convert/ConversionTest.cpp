#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "ConversionTestSupport.h"
#include "state/AppState.h"
#include "convert/Conversion.h"
#include "model/Encoding.h"
#include "util/FileSystem.h"
#include "settings/Product.h"
#include "settings/ProjectSettings.h"

using namespace pv;

namespace {

// A state for converting into a scratch folder: bilinear, JPEG quality 85.
struct Converter {
  explicit Converter(int imageFormat = 1) {
    state.settings.imageFormat = imageFormat;
    state.settings.jpegQuality = 85;
    state.settings.resizeFilter = 2;
  }
  std::string convert(const std::string& source, int boxWidth, int boxHeight, const std::string& name,
                      int rotation = 0, bool flipH = false, bool flipV = false, const std::string& caption = "") {
    EXPECT_TRUE(convertImage(state, rotation, flipH, flipV, source, boxWidth, boxHeight, dir.file(name), caption));
    return dir.file(name);
  }
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
};

std::pair<int, int> fit(int w, int h, int bw, int bh) {
  BoxSize s = fitIntoBox(w, h, bw, bh);
  return {s.width, s.height};
}

std::pair<int, int> sizeOf(FIBITMAP* dib) {
  return dib ? std::make_pair(int(FreeImage_GetWidth(dib)), int(FreeImage_GetHeight(dib))) : std::make_pair(-1, -1);
}

// A one-colour 24-bit picture.
std::string writePlain(const std::string& path, int w, int h, BYTE grey) {
  ImagePtr dib(FreeImage_Allocate(w, h, 24));
  for (int y = 0; y < h; ++y) memset(FreeImage_GetScanLine(dib.get(), y), grey, size_t(3 * w));
  FreeImage_Save(FIF_PNG, dib.get(), path.c_str());
  return path;
}

// The rectangle x, y, w, h (top-left origin) of the pixels brighter than 128.
std::array<int, 4> brightArea(FIBITMAP* dib) {
  const int W = int(FreeImage_GetWidth(dib)), H = int(FreeImage_GetHeight(dib));
  int minX = W, minY = H, maxX = -1, maxY = -1;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (pvtest::pixelAt(dib, x, y).rgbGreen > 128) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
  if (maxX < 0) return {0, 0, 0, 0};
  return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

std::string originatingProgram() {
  return std::string(kProductName) + " " + kProductVersion + " (" + kMakerAddress + ")";
}

}  // namespace

TEST(FitIntoBox, KeepsTheAspectSnapsOnePixelAndEnlarges) {
  EXPECT_EQ(fit(4000, 3000, 640, 480), std::make_pair(640, 480));
  EXPECT_EQ(fit(3000, 4000, 640, 480), std::make_pair(360, 480));
  EXPECT_EQ(fit(1000, 667, 640, 480), std::make_pair(640, 426));
  // A computed height of 479 or 481 lands on the edge; 482 does not.
  EXPECT_EQ(fit(640, 479, 640, 480), std::make_pair(640, 480));
  EXPECT_EQ(fit(640, 481, 640, 480), std::make_pair(640, 480));
  EXPECT_EQ(fit(640, 482, 640, 480), std::make_pair(637, 480));
  // The width of a tall source: trunc(151 / (728 / 480)) = 99, snapped.
  EXPECT_EQ(fit(151, 728, 100, 480), std::make_pair(100, 480));
  EXPECT_EQ(fit(200, 100, 640, 480), std::make_pair(640, 320));
  // Single precision decides: 100 / (128 / 480) is 374.99998 in float.
  EXPECT_EQ(fit(100, 128, 640, 480), std::make_pair(374, 480));
  EXPECT_EQ(fit(4000, 3000, 640, 0), std::make_pair(0, 0));
  // A very narrow picture keeps a side of one pixel, either way round.
  EXPECT_EQ(fit(2000, 4, 160, 120), std::make_pair(160, 1));
  EXPECT_EQ(fit(4, 2000, 160, 120), std::make_pair(1, 120));
}

TEST(Conversion, VeryNarrowPictureStillGetsItsFile) {
  Converter c(0);
  const std::string source = c.dir.file("strip.png");
  ASSERT_TRUE(pvtest::writeTestImage(source, 2000, 4));
  ImagePtr out = pvtest::loadFile(c.convert(source, 160, 120, "strip.jpg"));
  EXPECT_EQ(sizeOf(out.get()), std::make_pair(160, 1));
}

TEST(Conversion, EveryFormatAtItsSizeWithoutTheSourcesMetadata) {
  PV_REQUIRE_PHOTOS();
  // 640 x 480 with EXIF and IPTC keywords.
  const std::string source = pvtest::photo("exif_nokia_n70_iptc_keywords.jpg");
  const FREE_IMAGE_FORMAT expected[] = {FIF_JPEG, FIF_PNG, FIF_BMP, FIF_TIFF, FIF_GIF};
  for (int f = 0; f < 5; ++f) {
    SCOPED_TRACE(kImageExtensions[f]);
    Converter c(f);
    c.state.iptcTitle = "Titel";
    c.state.jpegComment = "Kommentar";
    const std::string out = c.convert(source, 160, 100, std::string("out.") + kImageExtensions[f]);
    EXPECT_EQ(FreeImage_GetFileType(out.c_str()), expected[f]);
    EXPECT_EQ(sizeOf(pvtest::loadFile(out).get()), std::make_pair(133, 100));
    const std::string tags = pvtest::run("exiftool -m -s -IPTC:all -XMP:all -EXIF:all -Comment '" + out + "'");
    if (f == 0)
      EXPECT_EQ(pvtest::sortedLines(tags),
                "ApplicationRecordVersion        : 2\nComment                         : Kommentar\n"
                "ObjectName                      : Titel\nOriginatingProgram              : " + originatingProgram() + "\n");
    else if (f != 3)
      EXPECT_EQ(tags, "");
    else  // a TIFF's own directory shows as EXIF; nothing of the camera's may be there
      EXPECT_EQ(tags.find("Nokia"), std::string::npos) << tags;
  }
}

TEST(Conversion, CaptionAndIptcAsAnIndependentReaderSeesThem) {
  PV_REQUIRE_PHOTOS();
  Converter c(0);
  c.state.iptcCaption = "<IMAGE>";
  c.state.jpegComment = "<IMAGE>";
  c.state.iptcTitle = "Köln bei Nacht";
  c.state.iptcAuthor = "Jörg Müller";
  c.state.iptcCopyright = "© 2024 Jörg Müller";
  const std::string caption = "Grüße aus Köln – Dom";
  // The source brings EXIF, IPTC (caption, keywords, city), XMP and ICC.
  const std::string out = c.convert(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), 100, 100, "a.jpg", 0, false,
                                    false, caption);

  // Dataset numbers as the standard gives them, and only ours.
  EXPECT_EQ(pvtest::sortedLines(pvtest::run("exiftool -m -s -D -IPTC:all -EXIF:all -XMP:all '" + out + "'")),
            "    0 ApplicationRecordVersion        : 2\n"
            "    5 ObjectName                      : Köln bei Nacht\n"
            "   65 OriginatingProgram              : " + originatingProgram() + "\n"
            "   80 By-line                         : Jörg Müller\n"
            "  116 CopyrightNotice                 : © 2024 Jörg Müller\n"
            "  120 Caption-Abstract                : " + caption + "\n");
  // Exactly the text: Windows-1252 in IPTC, UTF-8 in the comment, no zero byte.
  EXPECT_EQ(pvtest::dumpedBytes(out, "Tag 0x0078, IPTCApplication"), *utf8ToWindows1252(caption));
  EXPECT_EQ(pvtest::dumpedBytes(out, "JPEG COM"), caption);

  // A character without a Windows-1252 form keeps the caption in UTF-8; an
  // empty setting writes no tag, the program's name is always there.
  c.state.jpegComment.clear();
  const std::string far = c.convert(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), 100, 100, "b.jpg", 0, false,
                                    false, "Tokio 東京");
  EXPECT_EQ(pvtest::dumpedBytes(far, "Tag 0x0078, IPTCApplication"), "Tokio 東京");
  EXPECT_EQ(pvtest::dumpedBytes(far, "JPEG COM"), "<none>");
  c.state.iptcCaption.clear();
  const std::string none = c.convert(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), 100, 100, "c.jpg");
  EXPECT_EQ(pvtest::run("exiftool -m -s -s -s -Caption-Abstract -OriginatingProgram '" + none + "'"),
            originatingProgram() + "\n");

  // A caption too long for one JPEG marker still gives the image, with the
  // texts cut to what the format holds.
  c.state.iptcCaption = c.state.jpegComment = "<IMAGE>";
  const std::string huge = c.convert(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), 100, 100, "d.jpg", 0, false,
                                     false, std::string(70000, 'x'));
  EXPECT_EQ(pvtest::exiftoolTag(huge, "Caption-Abstract", "-b").size(), 2000u);
  EXPECT_EQ(pvtest::exiftoolTag(huge, "Comment", "-b").size(), 65533u);
}

TEST(Conversion, ExifOrientationAppliedAndNotLeftInTheFile) {
  PV_REQUIRE_PHOTOS();
  // Stored 2048 x 1536 with orientation 6: shown 1536 x 2048.
  const std::string source = pvtest::photo("orientation6_canon_sx60.jpg");
  Converter png(1), jpeg(0);
  // 1536 / (2048 / 240) is 179.99998 in single precision.
  ImagePtr out = pvtest::loadFile(png.convert(source, 240, 240, "o.png"));
  ASSERT_EQ(sizeOf(out.get()), std::make_pair(179, 240));
  // FreeImage's own EXIF rotation as the reference picture.
  ImagePtr upright(FreeImage_Load(FIF_JPEG, source.c_str(), JPEG_EXIFROTATE));
  ImagePtr reference(FreeImage_Rescale(upright.get(), 179, 240, FILTER_BILINEAR));
  EXPECT_LT(pvtest::meanAbsDiff(out.get(), reference.get()), 3.0);

  const std::string j = jpeg.convert(source, 240, 240, "o.jpg");
  EXPECT_EQ(sizeOf(pvtest::loadFile(j).get()), std::make_pair(179, 240));
  EXPECT_EQ(pvtest::exiftoolTag(j, "Orientation"), "");
}

TEST(Conversion, MirrorFirstThenTurnCounterClockwise) {
  Converter c(1);
  // Red rises to the right, green to the top.
  const std::string source = c.dir.file("g.png");
  ASSERT_TRUE(pvtest::writeTestImage(source, 60, 40));
  ImagePtr out = pvtest::loadFile(c.convert(source, 40, 60, "t.png", 90, true, false));
  ASSERT_EQ(sizeOf(out.get()), std::make_pair(40, 60));
  // Mirrored, red rises to the left; turned left, that edge is the bottom
  // and the top edge (green) is on the left.
  RGBQUAD topLeft = pvtest::pixelAt(out.get(), 0, 0), bottomLeft = pvtest::pixelAt(out.get(), 0, 59),
          topRight = pvtest::pixelAt(out.get(), 39, 0);
  EXPECT_LT(topLeft.rgbRed, 30);
  EXPECT_GT(topLeft.rgbGreen, 225);
  EXPECT_GT(bottomLeft.rgbRed, 225);
  EXPECT_GT(bottomLeft.rgbGreen, 225);
  EXPECT_LT(topRight.rgbRed, 30);
  EXPECT_LT(topRight.rgbGreen, 30);
}

TEST(Conversion, EveryDepthFreeImageReadsIsTurnedAndScaled) {
  Converter c(1);
  // FreeImage refuses to rotate 4-bit palettes and 16-bit colour, and has no
  // direct 24-bit form of a 16-bit grey.
  ImagePtr palette(FreeImage_Allocate(30, 20, 4));
  for (int i = 0; i < 16; ++i) FreeImage_GetPalette(palette.get())[i] = {BYTE(16 * i), BYTE(16 * i), BYTE(16 * i), 0};
  ImagePtr rgb565(FreeImage_Allocate(30, 20, 16, FI16_565_RED_MASK, FI16_565_GREEN_MASK, FI16_565_BLUE_MASK));
  ImagePtr grey16(FreeImage_AllocateT(FIT_UINT16, 30, 20));
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, palette.get(), c.dir.file("p4.png").c_str()));
  ASSERT_TRUE(FreeImage_Save(FIF_BMP, rgb565.get(), c.dir.file("c16.bmp").c_str()));
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, grey16.get(), c.dir.file("g16.png").c_str()));
  for (const char* name : {"p4.png", "c16.bmp", "g16.png"}) {
    ImagePtr out = pvtest::loadFile(c.convert(c.dir.file(name), 40, 60, std::string("out-") + name + ".png", 270));
    EXPECT_EQ(sizeOf(out.get()), std::make_pair(40, 60)) << name;
  }
}

TEST(Conversion, WatermarkScaledOncePerBoxAndPastedAtItsPlace) {
  Converter c(1);
  ProjectSettings& s = c.state.settings;
  s.sizeAWidth = 640, s.sizeAHeight = 480;
  s.sizeBWidth = 640, s.sizeBHeight = 480;
  s.sizeCWidth = kCopyBoxSide, s.sizeCHeight = kCopyBoxSide;
  c.state.watermarkFile = writePlain(c.dir.file("mark.png"), 200, 100, 255);
  c.state.watermarkSizePercent = 50;
  c.state.watermarkPosition = 8;
  c.state.watermarkOffsetX = c.state.watermarkOffsetY = 10;
  c.state.watermarkTransparency = 255;
  ASSERT_TRUE(prepareWatermarks(c.state));
  EXPECT_EQ(sizeOf(c.state.watermarkScaled[0].get()), std::make_pair(320, 160));
  EXPECT_EQ(sizeOf(c.state.watermarkScaled[1].get()), std::make_pair(320, 160));
  EXPECT_FALSE(c.state.watermarkScaled[2]);  // a copy box is no size to mark
  EXPECT_EQ(c.state.watermarkBoxes[4], 0);

  // Sizes A and B share the box: the B slot is the one used.
  c.state.watermarkScaled[0].reset(FreeImage_Allocate(10, 10, 24));
  const std::string source = writePlain(c.dir.file("black.png"), 1000, 667, 0);
  ImagePtr out = pvtest::loadFile(c.convert(source, 640, 480, "w.png"));
  ASSERT_EQ(sizeOf(out.get()), std::make_pair(640, 426));
  EXPECT_EQ(brightArea(out.get()), (std::array<int, 4>{310, 256, 320, 160}));
  EXPECT_EQ(pvtest::pixelAt(out.get(), 400, 300).rgbGreen, 254);  // blend factor 255 of 256

  // A watermark that does not fit is left off; the image is still written.
  c.state.watermarkOffsetX = 400;
  out = pvtest::loadFile(c.convert(source, 640, 480, "off.png"));
  ASSERT_TRUE(out);
  EXPECT_EQ(brightArea(out.get())[2], 0);

  releaseWatermarks(c.state);
  EXPECT_FALSE(c.state.watermarkScaled[1]);
  EXPECT_EQ(c.state.watermarkBoxes[0], 0);
  c.state.watermarkFile = c.dir.file("missing.png");
  EXPECT_FALSE(prepareWatermarks(c.state));
}

TEST(Conversion, TransparentWatermarkComposited) {
  Converter c(1);
  c.state.settings.sizeAWidth = c.state.settings.sizeAHeight = 200;
  // 100 x 50, white; the left half opaque, the right half fully transparent.
  ImagePtr mark(FreeImage_Allocate(100, 50, 32));
  for (int y = 0; y < 50; ++y) {
    RGBQUAD* line = reinterpret_cast<RGBQUAD*>(FreeImage_GetScanLine(mark.get(), y));
    for (int x = 0; x < 100; ++x) line[x] = {255, 255, 255, BYTE(x < 50 ? 255 : 0)};
  }
  c.state.watermarkFile = c.dir.file("alpha.png");
  ASSERT_TRUE(FreeImage_Save(FIF_PNG, mark.get(), c.state.watermarkFile.c_str()));
  c.state.watermarkSizePercent = 50;  // fitted 200 x 100, so 100 x 50
  c.state.watermarkPosition = 1;
  c.state.watermarkOffsetX = c.state.watermarkOffsetY = 5;
  c.state.watermarkTransparency = 255;
  ASSERT_TRUE(prepareWatermarks(c.state));
  EXPECT_EQ(FreeImage_GetBPP(c.state.watermarkScaled[0].get()), 32u);

  ImagePtr out = pvtest::loadFile(c.convert(writePlain(c.dir.file("grey.png"), 400, 400, 64), 200, 200, "t.png"));
  ASSERT_EQ(FreeImage_GetBPP(out.get()), 24u);
  EXPECT_GT(pvtest::pixelAt(out.get(), 20, 30).rgbGreen, 240);   // opaque half
  EXPECT_EQ(pvtest::pixelAt(out.get(), 90, 30).rgbGreen, 64);    // transparent half
  EXPECT_EQ(pvtest::pixelAt(out.get(), 150, 150).rgbGreen, 64);  // beside the watermark
}

TEST(Conversion, CopyBoxCopiesTheSourceByteForByte) {
  PV_REQUIRE_PHOTOS();
  Converter c(0);
  const std::string source = pvtest::photo("watermark_rgba.png");
  const std::string out = c.dir.write("copy.jpg", "an older file");
  c.convert(source, kCopyBoxSide, kCopyBoxSide, "copy.jpg", 90, true, true);
  EXPECT_EQ(pvtest::bytesOf(out), pvtest::bytesOf(source));
  for (const DirEntry& e : pv::listDirectory(c.dir.path())) EXPECT_EQ(e.name.find(".tmp"), std::string::npos);
}

TEST(Conversion, ShrinkOnLoadMatchesTheFullDecode) {
  PV_REQUIRE_PHOTOS();
  // 4608 x 1976 into 320 x 240 gives 320 x 137: decoded at a quarter.
  const std::string source = pvtest::photo("large_9mp_nokia_8_3.jpg");
  Converter c(1);
  ImagePtr out = pvtest::loadFile(c.convert(source, 320, 240, "s.png"));
  ASSERT_EQ(sizeOf(out.get()), std::make_pair(320, 137));

  ImagePtr full(FreeImage_Load(FIF_JPEG, source.c_str(), 0));
  ImagePtr fromFull(FreeImage_Rescale(full.get(), 320, 137, FILTER_BILINEAR));
  full.reset();
  EXPECT_LE(pvtest::meanAbsDiff(out.get(), fromFull.get()), 2.0);
  // And it was the shrunk decode: within a rounding step of FreeImage's
  // scaling of FreeImage's decode at a quarter, much closer than to the full one.
  ImagePtr quarter(FreeImage_Load(FIF_JPEG, source.c_str(), 640 << 16));
  ASSERT_EQ(sizeOf(quarter.get()), std::make_pair(1152, 494));
  ImagePtr fromQuarter(FreeImage_Rescale(quarter.get(), 320, 137, FILTER_BILINEAR));
  EXPECT_LE(pvtest::meanAbsDiff(out.get(), fromQuarter.get()), 0.25);
  EXPECT_LT(pvtest::meanAbsDiff(out.get(), fromQuarter.get()) * 4, pvtest::meanAbsDiff(out.get(), fromFull.get()));
}

TEST(Conversion, AllSizesFromOneDecodeStayCloseToOneDecodeEach) {
  PV_REQUIRE_PHOTOS();
  // Every filter, each size of one call against the same size made alone
  // (decoded at its own scale), with a watermark on each.
  const std::string source = pvtest::photo("large_9mp_nokia_8_3.jpg");
  for (int filter = 0; filter < 4; ++filter) {
    SCOPED_TRACE(filter);
    Converter c(1);
    c.state.settings.resizeFilter = filter;
    c.state.watermarkFile = pvtest::photo("watermark_rgba.png");
    c.state.settings.sizeAWidth = 160, c.state.settings.sizeAHeight = 120;
    c.state.settings.sizeBWidth = 1024, c.state.settings.sizeBHeight = 768;
    c.state.settings.sizeCWidth = 400, c.state.settings.sizeCHeight = 400;
    ASSERT_TRUE(prepareWatermarks(c.state));
    std::vector<SizeOutput> outputs{{160, 120, c.dir.file("a.png")}, {1024, 768, c.dir.file("b.png")},
                                    {400, 400, c.dir.file("c.png")}};
    ASSERT_TRUE(convertImageSizes(c.state, 90, true, false, source, outputs, ""));
    for (const SizeOutput& o : outputs) {
      EXPECT_TRUE(o.written) << o.destination;
      ImagePtr together = pvtest::loadFile(o.destination);
      ImagePtr alone = pvtest::loadFile(c.convert(source, o.boxWidth, o.boxHeight, "alone.png", 90, true));
      ASSERT_EQ(sizeOf(together.get()), sizeOf(alone.get())) << o.destination;
      EXPECT_LE(pvtest::meanAbsDiff(together.get(), alone.get()), 2.0) << o.destination;
    }
    // An output the folder already holds is not written again.
    outputs[1].keep = true;
    std::remove(outputs[1].destination.c_str());
    ASSERT_TRUE(convertImageSizes(c.state, 90, true, false, source, outputs, ""));
    EXPECT_FALSE(fileExists(outputs[1].destination));
    EXPECT_TRUE(outputs[0].written && !outputs[1].written && outputs[2].written);
    releaseWatermarks(c.state);
  }
}

TEST(Conversion, BadSourcesAndDestinationsAreSkipped) {
  PV_REQUIRE_PHOTOS();
  for (int f : {0, 4}) {
    Converter c(f);
    c.dir.write("unknown.xyz", "data");
    EXPECT_FALSE(convertImage(c.state, 0, false, false, c.dir.file("unknown.xyz"), 100, 100, c.dir.file("u.jpg"), ""));
    EXPECT_FALSE(pv::fileExists(c.dir.file("u.jpg")));

    // A corrupt source leaves an older output as it was.
    c.dir.write("ihdr.jpg", "older output");
    c.convert(pvtest::photo("broken_no_ihdr.png"), 100, 100, "ihdr.jpg", 90, true);
    EXPECT_EQ(pvtest::bytesOf(c.dir.file("ihdr.jpg")), "older output");
    c.dir.write("empty.png", "");
    c.dir.write("noise.jpg", std::string("\xFF\xD8\xFF\xE1\x00\x10garbage", 14) + std::string(300, '\x55'));
    c.convert(c.dir.file("empty.png"), 100, 100, "e.jpg");
    c.convert(c.dir.file("noise.jpg"), 100, 100, "n.jpg");
    EXPECT_FALSE(pv::fileExists(c.dir.file("e.jpg")));
    EXPECT_FALSE(pv::fileExists(c.dir.file("n.jpg")));
    // What the decoder still makes of a truncated file is a whole image.
    const std::string t = c.convert(pvtest::photo("broken_truncated.jpg"), 50, 50, "t.jpg", 270, false, true);
    if (pv::fileExists(t)) {
      EXPECT_EQ(sizeOf(pvtest::loadFile(t).get()), std::make_pair(50, 50));
    }

    // A folder that does not exist, and a box without height: nothing, and
    // no temporary files either.
    c.convert(pvtest::photo("bmpsuite_rgb24.bmp"), 100, 100, "missing/x.jpg");
    c.convert(pvtest::photo("bmpsuite_rgb24.bmp"), 100, 0, "flat.jpg");
    EXPECT_FALSE(pv::fileExists(c.dir.file("flat.jpg")));
    for (const DirEntry& e : pv::listDirectory(c.dir.path())) EXPECT_EQ(e.name.find(".tmp"), std::string::npos);
  }
}
