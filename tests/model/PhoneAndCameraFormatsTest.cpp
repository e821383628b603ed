// HEIF, AVIF, WebP, camera RAW and the last Windows bitmap layouts: files
// written here with known pixels, read back the one way the program loads a
// photo, and checked against independent readers.
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

#include "ImageFileWriters.h"
#include "PhoneAndCameraFiles.h"
#include "TestSupport.h"
#include "convert/Conversion.h"
#include "model/FolderImport.h"
#include "model/HeifReader.h"
#include "model/Image.h"
#include "model/ImageHeaders.h"
#include "model/ItemCollection.h"
#include "model/Metadata.h"
#include "state/AppState.h"

using namespace pv;
using namespace pvtest;

namespace {

bool near(RGBQUAD c, std::array<int, 3> e, int tolerance) {
  return std::abs(c.rgbRed - e[0]) <= tolerance && std::abs(c.rgbGreen - e[1]) <= tolerance &&
         std::abs(c.rgbBlue - e[2]) <= tolerance;
}

std::string identifySize(const std::string& path) { return run("identify -format '%w %h' '" + path + "' 2>/dev/null"); }

}  // namespace

TEST(PhoneFormats, HeicIsTurnedByItsOwnTransformOnceAndKeepsItsMetadata) {
  ScratchDir dir;
  const int w = 64, h = 48;
  HeifLook look;
  look.orientation = heif_orientation_rotate_90_cw;
  // The EXIF block says "turn" as well; the file's transform has done it.
  look.exif = exifBlock(6, "Testkamera GmbH", "Modell 7", "2024:05:06 07:08:09", "Abend am See");
  look.xmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
             "<rdf:Description xmlns:dc='http://purl.org/dc/elements/1.1/' dc:format='image/heic'/>"
             "</rdf:RDF></x:xmpmeta>";
  const std::string path = dir.file("turned.heic");
  ASSERT_TRUE(writeHeif(path, w, h, quadrants, look));
  EXPECT_EQ(identifySize(path), "48 64");  // ImageMagick applies the transform as well
  EXPECT_EQ(exiftoolTag(path, "Model"), "Modell 7");

  const FREE_IMAGE_FORMAT fif = formatFromFileName(path);
  ASSERT_NE(fif, FIF_UNKNOWN);
  EXPECT_EQ(fif, heifFormat());
  LoadedImage loaded = loadUpright(path, fif, 0);
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(loaded.fullWidth, 48);
  EXPECT_EQ(loaded.fullHeight, 64);
  // Turned a quarter clockwise: the upright (x, y) shows the written (y, h - 1 - x).
  for (int y = 4; y < 64; y += 8)
    for (int x = 4; x < 48; x += 8)
      EXPECT_TRUE(near(pixelAt(loaded.image.get(), x, y), quadrants(y, h - 1 - x), 24)) << x << "," << y;

  EXPECT_EQ(exifOrientation(loaded.image.get()), 1);
  ImageMetadata m = readImageMetadata(loaded.image.get(), path, {true, true, true, false});
  EXPECT_EQ(m.exifMake, "Testkamera GmbH");
  EXPECT_EQ(m.exifModel, exiftoolTag(path, "Model"));
  EXPECT_EQ(m.exifDateTime, "2024:05:06 07:08:09");
  EXPECT_EQ(m.caption, "Abend am See");
  FITAG* xmp = nullptr;
  EXPECT_TRUE(FreeImage_GetMetadata(FIMD_XMP, loaded.image.get(), "XMLPacket", &xmp) && xmp);

  ItemCollection items;
  CollectionItem* item = items.addImage(path, "turned.heic", "/", {});
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->formatName, "High Efficiency Image File Format");
  EXPECT_EQ(item->width, 48);
  EXPECT_EQ(item->height, 64);

  // Adding reads the boxes only: with its coded picture wiped out, the file
  // no longer decodes but still gives its upright size and its metadata
  // (the picture comes first in the data box, the EXIF block after it).
  std::string bytes;
  ASSERT_TRUE(readWholeFile(path, bytes));
  const size_t coded = bytes.rfind("mdat"), exif = bytes.find(std::string("II*\0", 4), coded);
  ASSERT_NE(exif, std::string::npos);
  std::fill(bytes.begin() + std::ptrdiff_t(coded + 4), bytes.begin() + std::ptrdiff_t(exif - 4), '\0');
  const std::string wiped = dir.write("wiped.heic", bytes);
  EXPECT_EQ(loadUpright(wiped, fif, 0).image, nullptr);
  const CollectionItem* header = items.addImage(wiped, "wiped.heic", "/", {true, true, true, false});
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->width, 48);
  EXPECT_EQ(header->height, 64);
  EXPECT_EQ(header->exifModel, "Modell 7");
  EXPECT_EQ(header->caption, "Abend am See");
}

TEST(PhoneFormats, DeepHeicAndAvifKeepTheirAlphaInEightBits) {
  ScratchDir dir;
  const int w = 40, h = 30;
  // Debian's AV1 encoder writes no deeper AVIF, so the 10-bit file is HEVC.
  for (const auto& [name, compression, bits] : {std::tuple{"deep.heic", heif_compression_HEVC, 10},
                                                std::tuple{"alpha.avif", heif_compression_AV1, 8}}) {
    HeifLook look;
    look.compression = compression;
    look.bits = bits;
    look.alpha = true;
    const std::string path = dir.file(name);
    ASSERT_TRUE(writeHeif(path, w, h, gradient, look)) << name;
    EXPECT_EQ(run("identify -format '%w %h %z' '" + path + "' 2>/dev/null"), "40 30 " + std::to_string(bits));

    LoadedImage loaded = loadUpright(path, formatFromFileName(path), 0);
    ASSERT_NE(loaded.image, nullptr) << name;
    ASSERT_EQ(FreeImage_GetBPP(loaded.image.get()), 32u);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const RGBQUAD c = pixelAt(loaded.image.get(), x, y);
        wrong += !near(c, gradient(x, y), 16);
        // Opaque on the left half, half clear on the right.
        wrong += std::abs(int(c.rgbReserved) - (x < w / 2 ? 255 : 128)) > 16;
      }
    EXPECT_EQ(wrong, 0) << name;
  }
  ItemCollection items;
  EXPECT_EQ(items.addImage(dir.file("alpha.avif"), "alpha.avif", "/", {})->formatName, "AV1 Image File Format");
}

TEST(PhoneFormats, WebpStillAndFirstFrameOfAnAnimation) {
  ScratchDir dir;
  const std::string still = dir.file("still.webp");
  ASSERT_TRUE(writeTestImage(still, 30, 20, FIF_WEBP, 90));
  LoadedImage loaded = loadUpright(still, formatFromFileName(still), 0);
  ASSERT_NE(loaded.image, nullptr);
  EXPECT_EQ(identifySize(still), "30 20");
  EXPECT_EQ(loaded.fullWidth, 30);
  // writeTestImage: red rises to the right, green to the top.
  EXPECT_TRUE(near(pixelAt(loaded.image.get(), 29, 0), {255, 255, 40}, 24));
  EXPECT_TRUE(near(pixelAt(loaded.image.get(), 0, 19), {0, 0, 40}, 24));

  // Two frames, red then blue: the gallery shows the first.
  const std::string red = dir.file("red.png"), blue = dir.file("blue.png"), animated = dir.file("anim.webp");
  for (const auto& [file, colour] : {std::pair{red, 0xFF0000u}, std::pair{blue, 0x0000FFu}}) {
    ImagePtr dib(FreeImage_Allocate(16, 16, 24));
    RGBQUAD c{BYTE(colour & 0xFF), BYTE((colour >> 8) & 0xFF), BYTE(colour >> 16), 0};
    FreeImage_FillBackground(dib.get(), &c);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, dib.get(), file.c_str()));
  }
  run("img2webp -loop 0 -lossless '" + red + "' '" + blue + "' -o '" + animated + "' 2>/dev/null");
  ASSERT_NE(run("webpmux -info '" + animated + "'").find("Number of frames: 2"), std::string::npos);
  LoadedImage first = loadUpright(animated, formatFromFileName(animated), 0);
  ASSERT_NE(first.image, nullptr);
  EXPECT_TRUE(near(pixelAt(first.image.get(), 8, 8), {255, 0, 0}, 2));

  ItemCollection items;
  EXPECT_EQ(items.addImage(still, "still.webp", "/", {})->formatName, "WebP Image Format");
}

TEST(CameraRaw, DngIsDevelopedUprightAndItsPreviewServesSmallSizes) {
  ScratchDir dir;
  const int w = 96, h = 64;
  const std::string path = dir.write("camera.dng", dngFile(w, h, 6));
  EXPECT_EQ(exiftoolTag(path, "SubIFD:ImageWidth"), "96");
  EXPECT_EQ(exiftoolTag(path, "Orientation", "-n"), "6");
  ASSERT_EQ(formatFromFileName(path), FIF_RAW);

  // Developed: the camera held it upright, so the bright right edge of the
  // sensor is the bottom of the picture.
  LoadedImage full = loadUpright(path, FIF_RAW, 0);
  ASSERT_NE(full.image, nullptr);
  EXPECT_EQ(full.fullWidth, 64);
  EXPECT_EQ(full.fullHeight, 96);
  ASSERT_EQ(int(FreeImage_GetWidth(full.image.get())), 64);
  EXPECT_GT(pixelAt(full.image.get(), 32, 90).rgbGreen, pixelAt(full.image.get(), 32, 5).rgbGreen + 60);

  // The preview of 48 x 32 (all green) serves a side of 48, turned as the
  // camera recorded; a side of 49 needs the development.
  LoadedImage preview = loadUpright(path, FIF_RAW, 48);
  ASSERT_NE(preview.image, nullptr);
  EXPECT_EQ(int(FreeImage_GetWidth(preview.image.get())), 32);
  EXPECT_EQ(int(FreeImage_GetHeight(preview.image.get())), 48);
  EXPECT_EQ(preview.fullWidth, 64);
  EXPECT_EQ(preview.fullHeight, 96);
  EXPECT_TRUE(near(pixelAt(preview.image.get(), 5, 5), {0, 200, 0}, 2));
  LoadedImage larger = loadUpright(path, FIF_RAW, 49);
  ASSERT_NE(larger.image, nullptr);
  EXPECT_EQ(int(FreeImage_GetHeight(larger.image.get())), 96);

  ItemCollection items;
  CollectionItem* item = items.addImage(path, "camera.dng", "/", {});
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->formatName, "Camera RAW (DNG)");
  EXPECT_EQ(item->width, 64);
  EXPECT_EQ(item->height, 96);

  // The camera's settings reach the record as they would from a JPEG
  // holding the same EXIF tags, copied there by exiftool.
  EXPECT_EQ(exiftoolTag(path, "ExposureTime"), "1/250");
  const std::string jpeg = dir.file("same.jpg");
  ASSERT_TRUE(writeTestImage(jpeg, 8, 8, FIF_JPEG));
  run("exiftool -q -overwrite_original -tagsFromFile '" + path + "' -exif:all '" + jpeg + "'");
  const CollectionItem* same = items.addImage(jpeg, "same.jpg", "/", {});
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(item->exifMake, "Testkamera");
  EXPECT_EQ(item->exifModel, "DNG 1");
  EXPECT_EQ(item->exifDateTime, "2023:08:14 18:30:05");
  EXPECT_EQ(same->exifExposureTime, exiftoolTag(path, "ExposureTime") + " sec");
  for (auto field : {&CollectionItem::exifMake, &CollectionItem::exifModel, &CollectionItem::exifDateTime,
                     &CollectionItem::exifExposureTime, &CollectionItem::exifFNumber, &CollectionItem::exifIsoSpeed,
                     &CollectionItem::exifFocalLength})
    EXPECT_EQ(item->*field, same->*field);
}

TEST(PhoneFormats, FullSizeOfASourceOnlyFormatIsConvertedNotCopied) {
  ScratchDir dir;
  HeifLook look;
  const std::string source = dir.file("photo.heic");
  ASSERT_TRUE(writeHeif(source, 40, 24, quadrants, look));
  AppState state{scratchEnvironment(dir)};
  state.settings.imageFormat = 0;
  state.settings.jpegQuality = 90;
  const std::string out = dir.file("photo.jpg");
  ASSERT_TRUE(convertImage(state, 0, false, false, source, kCopyBoxSide, kCopyBoxSide, out, ""));
  EXPECT_EQ(FreeImage_GetFileType(out.c_str()), FIF_JPEG);
  EXPECT_EQ(identifySize(out), "40 24");
}

TEST(PhoneFormats, EveryFrontEndKnowsTheNewTypes) {
  ScratchDir dir;
  HeifLook look;
  ASSERT_TRUE(writeHeif(dir.file("a.HEIC"), 16, 16, quadrants, look));
  look.compression = heif_compression_AV1;
  ASSERT_TRUE(writeHeif(dir.file("b.avif"), 16, 16, quadrants, look));
  ASSERT_TRUE(writeTestImage(dir.file("c.webp"), 16, 16, FIF_WEBP));
  dir.write("d.NEF", dngFile(32, 32, 1));
  dir.write("e.txt", "no picture");
  std::atomic<bool> abort{false};
  ItemCollection items;
  auto import = [&](int type) {
    ImportRequest request;
    request.sources = {{dir.path(), false, false}};
    request.endings = endingsOfType(type);
    return importPaths(items, request, abort).added;
  };
  EXPECT_EQ(import(0), 4);
  for (const char* type : {"High Efficiency", "AV1", "WebP", "Camera RAW"}) {
    int index = -1;
    for (size_t i = 0; i < imageTypeFilters().size(); ++i)
      if (std::string(imageTypeFilters()[i].text).find(type) == 0) index = int(i);
    ASSERT_GE(index, 0) << type;
    EXPECT_EQ(import(index), 1) << type;
  }
  const std::string filter = fileDialogFilter();
  for (const char* pattern : {"*.heic", "*.avif", "*.webp", "*.dng", "*.cr3", "*.raf"})
    EXPECT_NE(filter.find(pattern), std::string::npos) << pattern;
  EXPECT_EQ(formatFromFileName("x.CR3"), FIF_RAW);
}

TEST(Readers, BitmapsWithTwoBitPalettesAndEmbeddedStreams) {
  ScratchDir dir;
  Bmp two;
  two.headerSize = 40;
  two.width = 6, two.height = 2, two.bits = 2;
  two.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // Bottom row first: indexes 0 1 2 3 0 1, then 3 2 1 0 3 2; rows padded to 4 bytes.
  two.pixels = std::string("\x1B\x10\0\0", 4) + std::string("\xE4\xE0\0\0", 4);
  const std::string twoPath = dir.write("two.bmp", two.file());
  ImagePtr dib = loadImageFile(twoPath, FIF_BMP);
  ASSERT_NE(dib, nullptr);
  const std::array<std::array<int, 3>, 4> colours = {{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};
  const int top[6] = {3, 2, 1, 0, 3, 2}, bottom[6] = {0, 1, 2, 3, 0, 1};
  for (int x = 0; x < 6; ++x) {
    EXPECT_TRUE(near(pixelAt(dib.get(), x, 0), colours[size_t(top[x])], 0)) << x;
    EXPECT_TRUE(near(pixelAt(dib.get(), x, 1), colours[size_t(bottom[x])], 0)) << x;
  }

  for (const auto& [compression, fif] : {std::pair{4u, FIF_JPEG}, std::pair{5u, FIF_PNG}}) {
    const std::string inner = dir.file("inner" + std::to_string(compression));
    ASSERT_TRUE(writeTestImage(inner, 24, 16, fif));
    Bmp b;
    b.headerSize = 40;
    b.width = 24, b.height = 16, b.bits = 0, b.compression = compression;
    ASSERT_TRUE(readWholeFile(inner, b.pixels));
    const std::string path = dir.write("embedded" + std::to_string(compression) + ".bmp", b.file());
    ImagePtr stream = loadImageFile(path, FIF_BMP);
    ASSERT_NE(stream, nullptr) << compression;
    EXPECT_EQ(FreeImage_GetWidth(stream.get()), 24u);
    EXPECT_TRUE(near(pixelAt(stream.get(), 23, 0), {255, 255, 40}, fif == FIF_JPEG ? 12 : 0)) << compression;
  }
}

TEST(CameraRaw, OrientationOfTheRawLayoutsThatAreNoPlainTiff) {
  auto box = [](const std::string& type, const std::string& body) {
    return be(std::uint32_t(8 + body.size()), 4) + type + body;
  };
  // CR3: the EXIF directory sits in the CMT1 box inside Canon's box of the movie box.
  const std::string canon = box("uuid", std::string(16, '\x85') + box("CNCV", "CanonCR3_001") +
                                            box("CMT1", exifOrientationBlock(8)));
  const std::string cr3 = box("ftyp", "crx " + be(1, 4) + "crx isom") + box("moov", box("mvhd", std::string(100, '\0')) + canon);
  EXPECT_EQ(embeddedOrientation(cr3, FIF_RAW), 8);
  // Olympus and Panasonic mark their TIFF layouts with numbers of their own.
  const std::string ifd = le(8, 4) + le(1, 2) + le(0x0112, 2) + le(3, 2) + le(1, 4) + le(6, 4) + le(0, 4);
  EXPECT_EQ(embeddedOrientation("IIRO" + ifd, FIF_RAW), 6);
  EXPECT_EQ(embeddedOrientation(std::string("IIU\0", 4) + ifd, FIF_RAW), 6);
  EXPECT_EQ(embeddedOrientation(box("ftyp", "crx ") + box("moov", ""), FIF_RAW), 1);
}

// The camera's texts and settings of the RAW layouts that are no plain
// TIFF, copied into an EXIF block that exiftool reads back as written.
TEST(CameraRaw, CameraSettingsOfTheOtherRawLayoutsReachTheExifBlock) {
  ScratchDir dir;
  auto box = [](const std::string& type, const std::string& body) {
    return be(std::uint32_t(8 + body.size()), 4) + type + body;
  };
  auto tiff = [](const std::vector<Tag>& tags) { return "II*" + std::string(1, '\0') + le(8, 4) + directoryAt(tags, 8, 0); };
  // CR3: make, model and date in the CMT1 box, the exposure in CMT2.
  const std::string canon =
      box("uuid", std::string(16, '\x85') + box("CNCV", "CanonCR3_001") +
                      box("CMT1", tiff({ascii(0x010F, "Canon"), ascii(0x0110, "Canon EOS R5"),
                                        ascii(0x0132, "2024:01:02 03:04:05"), shorts(0x0112, {8})})) +
                      box("CMT2", tiff({rational(33434, 1, 1000), rational(33437, 28, 10), shorts(34855, {3200}),
                                        rational(37386, 85, 1), ascii(0x927C, "maker note")})));
  const std::string cr3 = box("ftyp", "crx " + be(1, 4) + "crx isom") + box("moov", box("mvhd", std::string(100, '\0')) + canon);
  // Olympus, big-endian and marked with a number of its own: the make, and
  // the exposure in the EXIF directory the first one links to.
  const std::string orf = "MMOR" + be(8, 4) +                                            // header
                          be(2, 2) + be(0x010F, 2) + be(2, 2) + be(8, 4) + be(38, 4) +   // make at 38
                          be(0x8769, 2) + be(4, 2) + be(1, 4) + be(46, 4) + be(0, 4) +   // EXIF at 46
                          std::string("OLYMPUS\0", 8) +                                 //
                          be(1, 2) + be(33434, 2) + be(5, 2) + be(1, 4) + be(64, 4) + be(0, 4) + be(1, 4) + be(60, 4);
  const std::string cr3Block = rawExifBlock(cr3), orfBlock = rawExifBlock(orf);
  const std::string cr3File = dir.write("cr3.tif", cr3Block), orfFile = dir.write("orf.tif", orfBlock);
  EXPECT_EQ(exiftoolTag(cr3File, "Make"), "Canon");
  EXPECT_EQ(exiftoolTag(cr3File, "Model"), "Canon EOS R5");
  EXPECT_EQ(exiftoolTag(cr3File, "ModifyDate"), "2024:01:02 03:04:05");
  EXPECT_EQ(exiftoolTag(cr3File, "ExposureTime"), "1/1000");
  EXPECT_EQ(exiftoolTag(cr3File, "FNumber"), "2.8");
  EXPECT_EQ(exiftoolTag(cr3File, "ISO"), "3200");
  EXPECT_EQ(exiftoolTag(cr3File, "FocalLength"), "85.0 mm");
  EXPECT_EQ(exiftoolTag(cr3File, "Orientation"), "");  // the turn is read apart; it must not turn twice
  EXPECT_EQ(cr3Block.find("maker note"), std::string::npos);
  EXPECT_EQ(orfBlock.substr(0, 4), std::string("MM\0*", 4));
  EXPECT_EQ(exiftoolTag(orfFile, "Make"), "OLYMPUS");
  EXPECT_EQ(exiftoolTag(orfFile, "ExposureTime"), "1/60");
  // Values that lie outside the file are left out, not read.
  EXPECT_EQ(rawExifBlock(orf.substr(0, 40)).find("OLYMPUS"), std::string::npos);
  EXPECT_EQ(rawExifBlock(box("ftyp", "crx ") + box("moov", "")), "");
}

// A grid image (two tiles) and an image sequence (two frames), written by
// libavif's encoder: each is added and shown as its primary image, the grid
// whole, the sequence by its first frame.
TEST(PhoneFormats, GridImageAndImageSequenceReadAsTheirPrimaryImage) {
  ScratchDir dir;
  auto png = [&](const std::string& name, int w, int h, const std::function<unsigned(int x)>& colour) {
    ImagePtr dib(FreeImage_Allocate(w, h, 24));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const unsigned c = colour(x);
        RGBQUAD q{BYTE(c & 0xFF), BYTE((c >> 8) & 0xFF), BYTE(c >> 16), 0};
        FreeImage_SetPixelColor(dib.get(), unsigned(x), unsigned(y), &q);
      }
    EXPECT_TRUE(FreeImage_Save(FIF_PNG, dib.get(), dir.file(name).c_str()));
    return dir.file(name);
  };
  // Red on the left tile, blue on the right one.
  const std::string halves = png("halves.png", 128, 64, [](int x) { return x < 64 ? 0xFF0000u : 0x0000FFu; });
  const std::string red = png("red.png", 64, 48, [](int) { return 0xFF0000u; });
  const std::string blue = png("blue.png", 64, 48, [](int) { return 0x0000FFu; });
  const std::string grid = dir.file("grid.avif"), sequence = dir.file("sequence.avif");
  run("avifenc --grid 2x1 '" + halves + "' '" + grid + "' >/dev/null 2>&1");
  run("avifenc '" + red + "' '" + blue + "' '" + sequence + "' >/dev/null 2>&1");
  ASSERT_NE(run("heif-info '" + grid + "'").find("128x64"), std::string::npos);
  ASSERT_NE(run("heif-info '" + sequence + "'").find("avis"), std::string::npos);
  EXPECT_EQ(identifySize(grid), "128 64");
  EXPECT_EQ(identifySize(sequence), "64 48");

  ItemCollection items;
  const CollectionItem* gridItem = items.addImage(grid, "grid.avif", "/", {});
  const CollectionItem* sequenceItem = items.addImage(sequence, "sequence.avif", "/", {});
  ASSERT_NE(gridItem, nullptr);
  ASSERT_NE(sequenceItem, nullptr);
  EXPECT_EQ(gridItem->width, 128);
  EXPECT_EQ(gridItem->height, 64);
  EXPECT_EQ(sequenceItem->width, 64);
  EXPECT_EQ(sequenceItem->height, 48);

  LoadedImage whole = loadUpright(grid, formatFromFileName(grid), 0);
  ASSERT_NE(whole.image, nullptr);
  ASSERT_EQ(FreeImage_GetWidth(whole.image.get()), 128u);
  EXPECT_TRUE(near(pixelAt(whole.image.get(), 20, 30), {255, 0, 0}, 40));
  EXPECT_TRUE(near(pixelAt(whole.image.get(), 110, 30), {0, 0, 255}, 40));
  LoadedImage first = loadUpright(sequence, formatFromFileName(sequence), 0);
  ASSERT_NE(first.image, nullptr);
  EXPECT_TRUE(near(pixelAt(first.image.get(), 32, 24), {255, 0, 0}, 40));
}
