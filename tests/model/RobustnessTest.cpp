#include <gtest/gtest.h>

#include <random>

#include "ImageFileWriters.h"
#include "PhoneAndCameraFiles.h"
#include "TestSupport.h"
#include "model/Image.h"
#include "model/ImageHeaders.h"
#include "model/ItemCollection.h"
#include "model/ReaderGuards.h"

#include <cstring>

using namespace pv;

namespace {

// Damaged copies of a real file: bytes flipped, runs overwritten, the file
// cut short or a chunk duplicated. The same seed gives the same files.
std::vector<std::string> mutations(const std::string& original, unsigned seed, int count) {
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string m = original;
    auto at = [&] { return std::uniform_int_distribution<size_t>(0, m.size() - 1)(rng); };
    switch (i % 4) {
      case 0:  // a few random bytes anywhere, headers included
        for (int k = 0; k < 1 + int(rng() % 8); ++k) m[at()] = char(rng());
        break;
      case 1: {  // a run of 0xFF or 0x00, as a broken card reader leaves
        size_t p = at(), n = std::min<size_t>(m.size() - p, 1 + rng() % 64);
        std::fill_n(m.begin() + long(p), n, char(rng() % 2 ? 0xFF : 0x00));
        break;
      }
      case 2:  // cut short
        m.resize(at());
        break;
      default: {  // a stretch repeated, which shifts every offset behind it
        size_t p = at(), n = std::min<size_t>(m.size() - p, 1 + rng() % 256);
        m.insert(at(), m.substr(p, n));
      }
    }
    out.push_back(std::move(m));
  }
  return out;
}

// Adds count damaged copies of original, each checked to be added whole;
// returns how many still decoded.
int addDamagedCopies(ItemCollection& items, const pvtest::ScratchDir& dir, const std::string& original,
                     const std::string& ext, unsigned seed, int count) {
  const CaptionSources all{true, true, true, false};
  int decoded = 0, k = 0;
  for (const std::string& m : mutations(original, seed, count)) {
    std::string path = dir.write("m" + std::to_string(seed) + "-" + std::to_string(k++) + ext, m);
    CollectionItem* item = items.addImage(path, fileNameOf(path), "/", all);
    EXPECT_NE(item, nullptr) << path;  // a known extension is always added
    if (!item) continue;
    EXPECT_NE(item->thumbnail, nullptr);
    EXPECT_TRUE((item->width == 0) == (item->height == 0));
    decoded += item->width > 0;
    items.rotateRight(*item);  // the thumbnail is rebuilt from the damaged file
  }
  return decoded;
}

}  // namespace

TEST(Robustness, DamagedFilesNeverTakeTheProgramDown) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  ItemCollection items;
  const CaptionSources all{true, true, true, false};
  int added = 0, decoded = 0;
  const char* sources[] = {"exif_nikon_d300_progressive.jpeg", "iptc_caption_nikon_d1x_reagan.jpg",
                           "watermark_rgba.png", "palette_transparent.gif", "tiff_rgba8_exif_iptc_reagan.tiff",
                           "psd_rgb8_2layers_hopper.psd", "bmpsuite_rgb24.bmp"};
  for (const char* name : {"broken_truncated.jpg", "broken_no_ihdr.png"}) {
    ASSERT_NE(items.addImage(pvtest::photo(name), name, "/", all), nullptr);
    ++added;
  }
  unsigned seed = 1;
  for (const char* name : sources) {
    std::string original;
    ASSERT_TRUE(readWholeFile(pvtest::photo(name), original)) << name;
    std::string ext = std::string(name).substr(std::string(name).find_last_of('.'));
    decoded += addDamagedCopies(items, dir, original, ext, seed++, 44);
    added += 44;
  }
  EXPECT_EQ(items.size(), size_t(added));
  EXPECT_GT(decoded, 0);  // many damaged files still show something
}

TEST(Robustness, DamagedFilesOfTheOwnReadersNeverTakeTheProgramDown) {
  // The layouts FreeImage alone cannot read, written here, then damaged.
  using namespace pvtest;
  pvtest::ScratchDir dir;
  const int w = 24, h = 16;
  auto bgra = [](int x, int y) { return std::string{char(v8(x, y, 2)), char(v8(x, y, 1)), char(v8(x, y, 0)), char(x)}; };
  Bmp v5;
  v5.width = w, v5.height = h, v5.bits = 32, v5.compression = 3;
  v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  v5.pixels = bmpRows(w, h, 4, bgra);
  Bmp rle8;
  rle8.width = w, rle8.height = h, rle8.bits = 8, rle8.compression = 1, rle8.palette = {0x102030, 0xFFEEDD, 0x00FF00};
  Bmp rle4 = rle8;
  rle4.bits = 4, rle4.compression = 2;
  for (int y = 0; y < h; ++y) {
    rle8.pixels += std::string{char(w / 2), char(y % 3), 0, 4, 1, 2, 0, 1, 0, 2, 3, 0, 0, 0};  // run, literal, move
    rle4.pixels += std::string{char(w / 2), char(0x12), 0, 4, char(0x21), char(0x02), 0, 0};
  }
  rle8.pixels += std::string("\0\1", 2);
  rle4.pixels += std::string("\0\1", 2);
  auto v12 = [](int x, int y, int c) { return std::uint32_t(v16(x, y, c) >> 4); };
  std::vector<TiffEntry> tiled = tiffTags(w, h, {16, 16, 16}, 2);
  tiled.erase(std::remove_if(tiled.begin(), tiled.end(), [](const TiffEntry& e) { return e.tag == 278; }), tiled.end());
  tiled.push_back({284, 3, {2}});
  tiled.push_back({322, 3, {16}});
  tiled.push_back({323, 3, {16}});
  std::vector<std::string> tiles(6, std::string(16 * 16 * 2, '\x5A'));
  std::string floats, planes;
  for (int i = 0; i < w * h; ++i) floats += floatBytes(float(i) / float(w * h), false);
  for (int i = 0; i < 3 * w * h; ++i) planes += be(std::uint32_t(i * 97), 2);
  std::string png;
  ASSERT_TRUE(pvtest::writeTestImage(dir.file("plain.png"), w, h));
  ASSERT_TRUE(readWholeFile(dir.file("plain.png"), png));
  // The phone and camera formats, with transforms, alpha, depth and metadata.
  std::string heic, avif, webp;
  HeifLook turned;
  turned.orientation = heif_orientation_rotate_270_cw;
  turned.exif = exifBlock(3, "Make", "Model", "2020:01:02 03:04:05", "Text");
  ASSERT_TRUE(writeHeif(dir.file("plain.heic"), w, h, gradient, turned));
  HeifLook deep;
  deep.compression = heif_compression_AV1;
  deep.alpha = true;
  ASSERT_TRUE(writeHeif(dir.file("plain.avif"), w, h, gradient, deep));
  ASSERT_TRUE(pvtest::writeTestImage(dir.file("plain.webp"), w, h, FIF_WEBP));
  ASSERT_TRUE(readWholeFile(dir.file("plain.heic"), heic) && readWholeFile(dir.file("plain.avif"), avif) &&
              readWholeFile(dir.file("plain.webp"), webp));
  // A grid of two tiles, as libavif's encoder writes it.
  std::string grid;
  ASSERT_TRUE(pvtest::writeTestImage(dir.file("wide.png"), 128, 64));
  pvtest::run("avifenc --grid 2x1 '" + dir.file("wide.png") + "' '" + dir.file("grid.avif") + "' >/dev/null 2>&1");
  ASSERT_TRUE(readWholeFile(dir.file("grid.avif"), grid));
  Bmp embedded;
  embedded.headerSize = 40, embedded.width = w, embedded.height = h, embedded.bits = 0, embedded.compression = 5;
  embedded.pixels = png;

  const std::pair<std::string, std::string> sources[] = {
      {".bmp", v5.file()},
      {".bmp", rle8.file()},
      {".bmp", rle4.file()},
      {".tif", tiffFile(tiffTags(w, h, {12, 12, 12}, 2), {packedRows(w, h, 3, 12, v12)})},
      {".tif", tiffFile(tiled, tiles, true)},
      {".tif", tiffFile(tiffTags(w, h, {32}, 1, 3), {floats})},
      {".psd", psdFile(w, h, 3, 16, 3, planes)},
      {".png", pngWithExif(png, exifOrientationBlock(6))},
      {".jpg", jpegWithApp1(dir, exifOrientationBlock(8))},
      {".heic", heic},
      {".avif", avif},
      {".avif", grid},
      {".webp", webp},
      {".dng", dngFile(64, 48, 6)},  // LibRaw takes no raw picture below 22 pixels
      {".bmp", embedded.file()},
  };
  ItemCollection items;
  int decoded = 0;
  unsigned seed = 100;
  for (const auto& [ext, original] : sources) {
    const int before = decoded;
    decoded += addDamagedCopies(items, dir, original, ext, seed++, 44);
    EXPECT_GT(decoded, before) << "no damaged copy of source " << seed - 100 << " decoded";
  }
  EXPECT_EQ(items.size(), std::size(sources) * 44);
}

TEST(Robustness, GuardedReadersKeepPicturesAndCaptions) {
  PV_REQUIRE_PHOTOS();
  // The rebuilt PSD gives the very pixels FreeImage reads from the original.
  std::string psd = pvtest::photo("psd_rgb8_2layers_hopper.psd");
  ImagePtr direct(FreeImage_Load(FIF_PSD, psd.c_str(), 0));
  ImagePtr guarded = loadImageFile(psd, FIF_PSD);
  ASSERT_TRUE(direct && guarded);
  ASSERT_EQ(FreeImage_GetWidth(direct.get()), FreeImage_GetWidth(guarded.get()));
  ASSERT_EQ(FreeImage_GetBPP(direct.get()), FreeImage_GetBPP(guarded.get()));
  for (unsigned y = 0; y < FreeImage_GetHeight(direct.get()); ++y)
    ASSERT_EQ(0, std::memcmp(FreeImage_GetScanLine(direct.get(), int(y)), FreeImage_GetScanLine(guarded.get(), int(y)),
                             FreeImage_GetLine(direct.get())))
        << "row " << y;

  // The TIFF whose IPTC tag FreeImage cannot read safely still gives its
  // picture and its caption.
  std::string tiff = pvtest::photo("tiff_rgba8_exif_iptc_reagan.tiff");
  ImagePtr t = loadImageFile(tiff, FIF_TIFF);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(FreeImage_GetWidth(t.get()), 200u);
  ImageMetadata m = readImageMetadata(t.get(), tiff, {true, false, false, false});
  EXPECT_EQ(m.caption.substr(0, 18), "040621-N-6536T-062");
  EXPECT_EQ(m.exifModel, "NIKON D1X");
}

TEST(Robustness, PsdRowsThatDoNotDecodeExactlyAreRefused) {
  // A 2 x 1 grey PSD with one PackBits row.
  auto psd = [](const std::string& row) {
    std::string d = "8BPS";
    d += std::string("\0\1", 2) + std::string(6, '\0') + std::string("\0\1", 2);  // version 1, one channel
    d += std::string("\0\0\0\1", 4) + std::string("\0\0\0\2", 4);                  // height 1, width 2
    d += std::string("\0\x08\0\x01", 4);                                           // 8 bits, greyscale
    d += std::string(12, '\0');                                                    // no colour data, resources, layers
    d += std::string("\0\1", 2);                                                   // PackBits
    d += char(0);
    d += char(row.size());
    return d + row;
  };
  std::string clean;
  ASSERT_TRUE(rebuildPsd(psd(std::string("\x01\x10\x20", 3)), clean));  // two literal bytes
  EXPECT_EQ(clean.substr(clean.size() - 2), "\x10\x20");
  EXPECT_TRUE(rebuildPsd(psd(std::string("\xFF\x33", 2)), clean));     // one byte repeated twice
  EXPECT_FALSE(rebuildPsd(psd(std::string("\xFE\x33", 2)), clean));    // three bytes: too many
  EXPECT_FALSE(rebuildPsd(psd(std::string("\x05\x10", 2)), clean));    // literal run past the data
  EXPECT_FALSE(rebuildPsd(psd(std::string("\x00", 1)), clean));        // one byte short
  EXPECT_FALSE(rebuildPsd("8BPS", clean));
}

// FreeImage's JPEG reader takes the counts and offsets of a Canon maker note
// on trust and reads past the segment when they claim too much. A small
// JPEG carries the EXIF block of a real Canon photo, whose maker-note
// entries are then damaged: every copy loads, and under the sanitizers
// (make test-asan) and valgrind nothing is read out of bounds.
TEST(Robustness, MakerNotesThatClaimTooMuchAreNeverRead) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  std::string canon, small;
  ASSERT_TRUE(readWholeFile(pvtest::photo("exif_canon_powershot_sd300.jpg"), canon));
  ASSERT_TRUE(pvtest::writeTestImage(dir.file("small.jpg"), 16, 16, FIF_JPEG));
  ASSERT_TRUE(readWholeFile(dir.file("small.jpg"), small));
  // The APP1 segment of the photo, marker and length included.
  const size_t app1 = canon.find("\xFF\xE1");
  ASSERT_NE(app1, std::string::npos);
  const size_t length = (std::uint8_t(canon[app1 + 2]) << 8) | std::uint8_t(canon[app1 + 3]);
  const std::string segment = canon.substr(app1, 2 + length);
  ASSERT_EQ(segment.substr(4, 6), std::string("Exif\0\0", 6));
  const size_t tiff = 10;  // where the TIFF data starts in the segment
  TiffView exif;
  ASSERT_TRUE(exif.open(std::string_view(segment).substr(tiff)));
  const std::uint32_t exifIfd = exif.tagValue(exif.firstDirectory(), 0x8769, 0);
  size_t note = 0, noteLength = 0;
  for (size_t k = 0, n = exif.number(exifIfd, 2); k < n; ++k) {
    const size_t e = exifIfd + 2 + 12 * k;
    if (exif.number(e, 2) == 0x927C) note = exif.number(e + 8, 4), noteLength = exif.number(e + 4, 4);
  }
  ASSERT_GT(noteLength, 14u) << "the photo carries a maker note";
  const std::string withNote = small.substr(0, 2) + segment + small.substr(2);

  // FreeImage alone reads the maker note; through the guard it never sees one.
  auto makerNoteTags = [](FIBITMAP* image) { return image ? FreeImage_GetMetadataCount(FIMD_EXIF_MAKERNOTE, image) : 0; };
  {
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(withNote.data())),
                                            DWORD(withNote.size()));
    ImagePtr direct(FreeImage_LoadFromMemory(FIF_JPEG, memory));
    FreeImage_CloseMemory(memory);
    EXPECT_GT(makerNoteTags(direct.get()), 0u);
    ImagePtr guarded = loadImageFile(dir.write("note.jpg", withNote), FIF_JPEG);
    ASSERT_NE(guarded, nullptr);
    EXPECT_EQ(makerNoteTags(guarded.get()), 0u);
  }

  // The note is a directory (Canon's layout): its entries' types, counts and
  // offsets damaged, one to three at a time.
  std::mt19937 rng(921);
  const size_t noteAt = 2 + tiff + note;  // in withNote
  const size_t entries = exif.number(note, 2);
  ItemCollection items;
  const CaptionSources all{true, true, true, false};
  for (int i = 0; i < 240; ++i) {
    std::string m = withNote;
    for (int k = 0; k < 1 + int(rng() % 3); ++k) {
      const size_t e = noteAt + 2 + 12 * (rng() % entries);
      const size_t field = (rng() % 3 == 0) ? 2 : (rng() % 2 ? 4 : 8);  // type, count or offset
      const std::uint32_t value = rng() % 4 == 0 ? 0xFFFFFFFFu : rng() % 2 ? rng() % 0x10000 : rng();
      for (size_t b = 0; b < (field == 2 ? 2u : 4u); ++b)
        m[e + field + b] = char(exif.bigEndian ? value >> (8 * ((field == 2 ? 1 : 3) - b)) : value >> (8 * b));
    }
    if (i % 5 == 0) m[noteAt + rng() % noteLength] = char(rng());  // and a byte anywhere in the note
    const std::string path = dir.write("n" + std::to_string(i) + ".jpg", m);
    LoadedImage loaded = loadUpright(path, FIF_JPEG);
    ASSERT_NE(loaded.image, nullptr) << path;
    EXPECT_EQ(loaded.fullWidth, 16);
    ASSERT_NE(items.addImage(path, fileNameOf(path), "/", all), nullptr);
  }
  EXPECT_EQ(items.size(), 240u);
}
