#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/ItemCollection.h"
#include "util/FileSystem.h"
#include "util/Text.h"

#include <cstring>
#include <sstream>

using namespace pv;

namespace {

CollectionItem& image(ItemCollection& items, const std::string& name, const std::string& album) {
  auto item = std::make_unique<CollectionItem>();
  item->name = name;
  item->albumPath = album;
  items.list.push_back(std::move(item));
  return *items.list.back();
}

std::vector<std::string> names(const ItemCollection& items) {
  std::vector<std::string> r;
  for (auto& i : items.list) r.push_back(i->albumPath + "|" + i->name);
  return r;
}

// The rectangle of non-black pixels of a thumbnail: x, y, w, h.
std::array<int, 4> pictureArea(FIBITMAP* thumb) {
  int minX = 80, minY = 48, maxX = -1, maxY = -1;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 80; ++x) {
      RGBQUAD c = pvtest::pixelAt(thumb, x, y);
      if (c.rgbRed || c.rgbGreen || c.rgbBlue) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

}  // namespace

TEST(Collection, AlbumPathsDeleteAndRename) {
  ItemCollection items;
  EXPECT_TRUE(items.itemsIn("/").empty());
  EXPECT_EQ(items.albumPaths(), std::vector<std::string>{"/"});

  CollectionItem& a = items.addAlbum("/", "A");
  image(items, "1", "/A");
  image(items, "2", "/A");
  items.addAlbum("/A", "B");
  image(items, "3", "/A/B");
  CollectionItem& a2 = items.addAlbum("/", "A2");
  image(items, "4", "/A2");
  image(items, "top", "/");
  EXPECT_EQ(items.albumPaths(), (std::vector<std::string>{"/", "/A", "/A/B", "/A2"}));
  EXPECT_EQ(items.itemsIn("/A").size(), 3u);
  EXPECT_FALSE(items.isAlbumEmpty("/A/B"));
  EXPECT_TRUE(items.isAlbumEmpty("/A/C"));

  items.renameAlbum(a, "C");
  EXPECT_EQ(names(items), (std::vector<std::string>{"/|C", "/C|1", "/C|2", "/C|B", "/C/B|3", "/|A2", "/A2|4", "/|top"}));

  // Deleting /C takes its images and its sub-album, and spares the neighbour A2.
  items.deleteAlbum(a);
  EXPECT_EQ(names(items), (std::vector<std::string>{"/|A2", "/A2|4", "/|top"}));

  // Renaming /A2 leaves an album of the same name deeper down alone.
  items.addAlbum("/X", "A2");
  image(items, "5", "/X/A2");
  items.renameAlbum(a2, "Z");
  EXPECT_EQ(names(items), (std::vector<std::string>{"/|Z", "/Z|4", "/|top", "/X|A2", "/X/A2|5"}));

  CollectionItem& top = *items.list[2];
  items.deleteAlbum(top);  // not an album: nothing happens
  items.removeImage(*items.list[0]);  // an album: not removed by removeImage
  EXPECT_EQ(items.size(), 5u);
  items.removeImage(top);
  EXPECT_EQ(items.size(), 4u);

  items.removeAlbumEntry("/X", "A2");
  EXPECT_EQ(names(items), (std::vector<std::string>{"/|Z", "/Z|4", "/X/A2|5"}));  // contents untouched

  items.swapItems(*items.list[0], *items.list[2]);
  EXPECT_EQ(names(items), (std::vector<std::string>{"/X/A2|5", "/Z|4", "/|Z"}));
  items.clear();
  EXPECT_EQ(items.size(), 0u);
}

TEST(Collection, AlbumNamesAndDescriptions) {
  EXPECT_EQ(cleanAlbumName(" a/b? "), "ab");
  EXPECT_EQ(cleanAlbumName("<>|"), "");
  EXPECT_EQ(cleanAlbumName(".."), "");
  EXPECT_EQ(cleanAlbumName(" . "), "");
  EXPECT_EQ(cleanAlbumName("..Rom"), "..Rom");

  ItemCollection items;
  CollectionItem& album = items.addAlbum("/Urlaub", "Berge");
  album.caption = "Gipfel";
  EXPECT_EQ(describeItem(album), "Album: Berge\nParent: /Urlaub\nCaption: Gipfel");
  CollectionItem& img = image(items, "a.jpg", "/");
  img.formatName = "JPEG Image Format";
  img.width = 640;
  img.height = 480;
  EXPECT_EQ(describeItem(img), "Image: a.jpg\nFormat: JPEG Image Format (640*480)\nCaption: ");
  EXPECT_EQ(albumFullPath(album), "/Urlaub/Berge");
  EXPECT_EQ(albumFullPath(items.addAlbum("/", "Top")), "/Top");
}

TEST(Collection, ThumbnailsAreLetterboxedOnBlack) {
  pvtest::ScratchDir dir;
  std::string pano = dir.file("pano.png"), portrait = dir.file("portrait.png");
  ASSERT_TRUE(pvtest::writeTestImage(pano, 1600, 400));
  ASSERT_TRUE(pvtest::writeTestImage(portrait, 300, 400));
  ItemCollection items;
  CollectionItem* p = items.addImage(pano, "pano.png", "/", {});
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->width, 1600);
  EXPECT_EQ(p->formatName, "Portable Network Graphics");
  EXPECT_EQ(FreeImage_GetBPP(p->thumbnail.get()), 32u);
  EXPECT_EQ(pictureArea(p->thumbnail.get()), (std::array<int, 4>{0, 14, 80, 20}));
  CollectionItem* q = items.addImage(portrait, "portrait.png", "/", {});
  EXPECT_EQ(pictureArea(q->thumbnail.get()), (std::array<int, 4>{22, 0, 36, 48}));

  // The user's transform: four right turns come back to the first picture.
  RGBQUAD before = pvtest::pixelAt(q->thumbnail.get(), 24, 2);
  items.rotateRight(*q);
  EXPECT_EQ(q->rotation, 270);
  EXPECT_EQ(pictureArea(q->thumbnail.get()), (std::array<int, 4>{8, 0, 64, 48}));  // now 400 x 300
  for (int i = 0; i < 3; ++i) items.rotateRight(*q);
  EXPECT_EQ(q->rotation, 0);
  EXPECT_EQ(pvtest::pixelAt(q->thumbnail.get(), 24, 2).rgbRed, before.rgbRed);
  items.rotateLeft(*q);
  EXPECT_EQ(q->rotation, 90);

  // Mirroring left-right puts the red end of the gradient on the left.
  items.rotateRight(*p);
  items.rotateLeft(*p);
  EXPECT_GT(pvtest::pixelAt(p->thumbnail.get(), 78, 24).rgbRed, 200);
  items.toggleFlipHorizontal(*p);
  EXPECT_TRUE(p->flipHorizontal);
  EXPECT_GT(pvtest::pixelAt(p->thumbnail.get(), 1, 24).rgbRed, 200);
  items.toggleFlipVertical(*p);
  EXPECT_TRUE(p->flipVertical);
}

TEST(Collection, UnknownCorruptAndRepeatedFiles) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  ItemCollection items;
  EXPECT_EQ(items.addImage(dir.write("notes.txt", "hello"), "notes.txt", "/", {}), nullptr);
  EXPECT_EQ(items.addImage(dir.path() + "sub", "sub", "/", {}), nullptr);  // a folder has no image type

  CollectionItem* broken = items.addImage(pvtest::photo("broken_no_ihdr.png"), "broken_no_ihdr.png", "/", {});
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(broken->width, 0);
  EXPECT_EQ(broken->height, 0);
  EXPECT_EQ(pictureArea(broken->thumbnail.get())[2], -80);  // all black
  items.rotateRight(*broken);  // rebuilding from an undecodable file stays black
  EXPECT_NE(broken->thumbnail, nullptr);

  CollectionItem* missing = items.addImage(dir.file("gone.jpg"), "gone.jpg", "/", {});
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->width, 0);

  std::string bmp = pvtest::photo("bmpsuite_rgb24.bmp");
  CollectionItem* first = items.addImage(bmp, "bmpsuite_rgb24.bmp", "/", {});
  CollectionItem* second = items.addImage(bmp, "bmpsuite_rgb24.bmp", "/", {});
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(items.indexOf(*second), items.indexOf(*first) + 1);
  EXPECT_EQ(first->width, 127);
  EXPECT_EQ(first->height, 64);
  EXPECT_EQ(first->formatName, "Windows Bitmap");

  for (auto [file, format] : {std::pair{"palette_transparent.gif", "Graphics Interchange Format"},
                              {"psd_rgb8_2layers_hopper.psd", "Adobe Photoshop"},
                              {"tiff_rgba8_exif_iptc_reagan.tiff", "Tagged Image File Format"},
                              {"broken_truncated.jpg", "JPEG Image Format"}}) {
    CollectionItem* i = items.addImage(pvtest::photo(file), file, "/", {});
    ASSERT_NE(i, nullptr) << file;
    EXPECT_EQ(i->formatName, format);
    EXPECT_GT(i->width, 0) << file;
  }
}

TEST(Collection, PhotosAreUprightAndDecodedSmall) {
  PV_REQUIRE_PHOTOS();
  ItemCollection items;
  // Stored 2048 x 1536 with orientation 6: the user sees a portrait.
  CollectionItem* turned = items.addImage(pvtest::photo("orientation6_canon_sx60.jpg"), "o6.jpg", "/", {});
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(turned->width, 1536);
  EXPECT_EQ(turned->height, 2048);
  EXPECT_EQ(pictureArea(turned->thumbnail.get())[2], 36);

  // A shrunk decode still records the full size and gives the same thumbnail
  // as decoding everything would.
  std::string large = pvtest::photo("large_9mp_nokia_8_3.jpg");
  CollectionItem* big = items.addImage(large, "large.jpg", "/", {});
  EXPECT_EQ(big->width, 4608);
  EXPECT_EQ(big->height, 1976);
  ImagePtr full(FreeImage_Load(FIF_JPEG, large.c_str(), 0));
  ImagePtr reference = makeThumbnail(full.get(), 4608, 1976);
  EXPECT_EQ(pictureArea(big->thumbnail.get()), pictureArea(reference.get()));
  double diff = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 80; ++x) {
      RGBQUAD a = pvtest::pixelAt(big->thumbnail.get(), x, y), b = pvtest::pixelAt(reference.get(), x, y);
      diff += std::abs(a.rgbRed - b.rgbRed) + std::abs(a.rgbGreen - b.rgbGreen) + std::abs(a.rgbBlue - b.rgbBlue);
    }
  EXPECT_LT(diff / (80 * 48 * 3), 6.0);
}

TEST(Collection, EveryExifOrientationComesOutUpright) {
  // FreeImage's own EXIF rotation on load serves as the independent reference.
  pvtest::ScratchDir dir;
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    std::string f = dir.file("o" + std::to_string(o) + ".jpg");
    ASSERT_TRUE(pvtest::writeTestImage(f, 64, 32, FIF_JPEG, 95));
    pvtest::run("exiftool -q -overwrite_original -n -Orientation=" + std::to_string(o) + " '" + f + "'");
    ImagePtr reference(FreeImage_Load(FIF_JPEG, f.c_str(), JPEG_EXIFROTATE));
    LoadedImage loaded = loadUpright(f, FIF_JPEG);
    ASSERT_TRUE(reference && loaded.image);
    EXPECT_EQ(exifOrientation(loaded.image.get()) == o || o == 1, true);
    ASSERT_EQ(FreeImage_GetWidth(loaded.image.get()), FreeImage_GetWidth(reference.get()));
    ASSERT_EQ(FreeImage_GetHeight(loaded.image.get()), FreeImage_GetHeight(reference.get()));
    EXPECT_EQ(loaded.fullWidth, int(FreeImage_GetWidth(reference.get())));
    EXPECT_EQ(loaded.fullHeight, int(FreeImage_GetHeight(reference.get())));
    int w = loaded.fullWidth, h = loaded.fullHeight;
    for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
      RGBQUAD a = pvtest::pixelAt(loaded.image.get(), x, y), b = pvtest::pixelAt(reference.get(), x, y);
      EXPECT_EQ(a.rgbRed, b.rgbRed);
      EXPECT_EQ(a.rgbGreen, b.rgbGreen);
    }
  }
}

TEST(Collection, ManyFilesReadOnEveryCoreComeOutAsOneByOne) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  std::vector<ImageToAdd> files;
  for (const DirEntry& e : listDirectory(pvtest::photosFolder()))
    for (int copy = 0; copy < 3; ++copy) files.push_back({pvtest::photo(e.name), e.name, copy ? "/A" : "/"});
  const CaptionSources sources{true, true, true, false};
  ItemCollection sequential, parallel;
  for (const ImageToAdd& f : files) sequential.addImage(f.sourcePath, f.fileName, f.albumPath, sources);
  std::atomic<bool> abort{false};
  int reported = 0;
  int added = parallel.addImages(files, sources, abort, [&](int n, const std::string&) { reported = n; });
  ASSERT_EQ(size_t(added), sequential.size());  // MANIFEST.tsv and LICENSES.md are skipped
  EXPECT_EQ(reported, added);
  ASSERT_EQ(parallel.size(), sequential.size());
  for (size_t i = 0; i < sequential.size(); ++i) {
    const CollectionItem &a = *sequential.list[i], &b = *parallel.list[i];
    SCOPED_TRACE(a.name);
    EXPECT_EQ(a.sourcePath, b.sourcePath);
    EXPECT_EQ(a.albumPath, b.albumPath);
    EXPECT_EQ(a.caption, b.caption);
    EXPECT_EQ(a.exifModel, b.exifModel);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(0, std::memcmp(FreeImage_GetBits(a.thumbnail.get()), FreeImage_GetBits(b.thumbnail.get()),
                             FreeImage_GetPitch(a.thumbnail.get()) * kThumbnailHeight));
  }

  // Cancelled from the progress report: nothing more is appended.
  ItemCollection cancelled;
  int calls = 0;
  cancelled.addImages(files, sources, abort, [&](int, const std::string&) {
    if (++calls == 3) abort = true;
  });
  EXPECT_EQ(cancelled.size(), 3u);
  EXPECT_EQ(cancelled.addImages(files, sources, abort), 0);  // already cancelled: nothing starts
}

namespace {

std::vector<std::string> manifestPhotos() {
  std::string manifest;
  std::vector<std::string> names;
  if (!readWholeFile(pvtest::photo("MANIFEST.tsv"), manifest)) return names;
  std::istringstream lines(manifest);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && !startsWith(line, "file\t")) names.push_back(line.substr(0, line.find('\t')));
  return names;
}

// What adding a photo gave before it read headers only: the decoded,
// upright picture and the metadata it carries.
CollectionItem decodedRecord(const std::string& path, const CaptionSources& sources) {
  CollectionItem r;
  LoadedImage loaded = loadUpright(path, formatFromFileName(path));
  ImagePtr image = to24Bits(std::move(loaded.image));
  if (image) r.width = loaded.fullWidth, r.height = loaded.fullHeight;
  const ImageMetadata m = readImageMetadata(image.get(), path, sources);
  r.caption = m.caption;
  r.exifDateTime = m.exifDateTime, r.exifFNumber = m.exifFNumber, r.exifFocalLength = m.exifFocalLength;
  r.exifIsoSpeed = m.exifIsoSpeed, r.exifExposureTime = m.exifExposureTime;
  r.exifMake = m.exifMake, r.exifModel = m.exifModel;
  return r;
}

std::string recordText(const CollectionItem& r) {
  return format("%d x %d|%s|%s|%s|%s|%s|%s|%s|%s", r.width, r.height, r.caption.c_str(), r.exifDateTime.c_str(),
                r.exifFNumber.c_str(), r.exifFocalLength.c_str(), r.exifIsoSpeed.c_str(), r.exifExposureTime.c_str(),
                r.exifMake.c_str(), r.exifModel.c_str());
}

}  // namespace

// Adding a photo reads only its header and metadata blocks, and the record
// is the one decoding the whole picture gives, for every shared photo and
// each caption source.
TEST(HeaderImport, GivesTheRecordsOfTheDecodingImport) {
  PV_REQUIRE_PHOTOS();
  const std::vector<std::string> photos = manifestPhotos();
  ASSERT_GE(photos.size(), 18u);
  std::vector<ImageToAdd> files;
  for (const std::string& name : photos) files.push_back({pvtest::photo(name), name, "/"});
  const CaptionSources iptcFirst{true, true, true, false}, commentOnly{false, true, false, false},
      exifOnly{false, false, true, false};
  std::atomic<bool> abort{false};
  for (const CaptionSources& sources : {iptcFirst, commentOnly, exifOnly}) {
    const auto records = readImageRecords(files, sources, false, abort);
    ASSERT_EQ(records.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      ASSERT_TRUE(records[i]) << photos[i];
      EXPECT_EQ(recordText(*records[i]), recordText(decodedRecord(files[i].sourcePath, sources))) << photos[i];
      EXPECT_FALSE(records[i]->thumbnail) << photos[i];
    }
  }
  // The portrait turned by its orientation tag, and the broken PNG unreadable.
  const auto records = readImageRecords(files, iptcFirst, false, abort);
  for (size_t i = 0; i < files.size(); ++i) {
    if (photos[i] == "orientation6_canon_sx60.jpg") EXPECT_EQ(recordText(*records[i]).substr(0, 11), "1536 x 2048");
    if (photos[i] == "broken_no_ihdr.png") EXPECT_EQ(records[i]->width, 0);
  }

  // JPEG, PNG, TIFF and PSD stop after the header.
  for (const char* name : {"large_9mp_nokia_8_3.jpg", "watermark_rgba.png", "tiff_rgba8_exif_iptc_reagan.tiff",
                           "psd_rgb8_2layers_hopper.psd"}) {
    const ImageHeader header = readImageHeader(pvtest::photo(name), formatFromFileName(name));
    ASSERT_TRUE(header.image) << name;
    EXPECT_FALSE(FreeImage_HasPixels(header.image.get())) << name;
  }
}

// A header-only read takes a JPEG's segments up to its scan and looks at its
// last two bytes; heads longer than its first read, pictures with data behind
// their end and pictures cut short give the records of the decoding read.
TEST(HeaderImport, LongHeadsTrailersAndCutsGiveTheDecodedRecords) {
  PV_REQUIRE_PHOTOS();
  std::string whole;
  ASSERT_TRUE(readWholeFile(pvtest::photo("exif_canon_powershot_sd300.jpg"), whole));
  // Five application segments nobody reads, 320 KB in all, before the EXIF block.
  std::string padding;
  for (int i = 0; i < 5; ++i) padding += std::string("\xFF\xEF\xFF\xFD", 4) + std::string(65531, char('a' + i));
  const std::string longHead = whole.substr(0, 2) + padding + whole.substr(2);
  pvtest::ScratchDir dir;
  const std::pair<std::string, std::string> variants[] = {
      {"long_head.jpg", longHead},
      {"long_head_trailer.jpg", longHead + "trailing bytes of another program"},
      {"long_head_cut.jpg", longHead.substr(0, longHead.size() - 5000)},
      {"cut_in_head.jpg", longHead.substr(0, 200000)}};
  std::vector<ImageToAdd> files;
  for (const auto& [name, bytes] : variants) {
    dir.write(name, bytes);
    files.push_back({dir.file(name), name, "/"});
  }
  std::atomic<bool> abort{false};
  const CaptionSources sources{true, true, true, false};
  const auto records = readImageRecords(files, sources, false, abort);
  ASSERT_EQ(records.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& name = files[i].fileName;
    if (name == "cut_in_head.jpg") {
      EXPECT_TRUE(!records[i] || records[i]->width == 0 || records[i]->damaged) << name;
      continue;
    }
    ASSERT_TRUE(records[i]) << name;
    EXPECT_EQ(recordText(*records[i]), recordText(decodedRecord(files[i].sourcePath, sources))) << name;
    EXPECT_NE(records[i]->exifModel, "") << name;
    EXPECT_EQ(records[i]->damaged, name == "long_head_cut.jpg") << name;
  }
}
