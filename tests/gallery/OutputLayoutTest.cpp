#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

#include "ConversionTestSupport.h"
#include "state/AppState.h"
#include "convert/Conversion.h"
#include "gallery/OutputLayout.h"

using namespace pv;

namespace {

struct Build {
  Build() {
    ProjectSettings& s = state.settings;
    s.imageFolderName = "images";
    s.imageFormat = 0;
    s.jpegQuality = 85;
    s.resizeFilter = 2;
    out = dir.path() + "out/";
  }
  CollectionItem& image(const std::string& source, const std::string& album = "/") {
    auto item = std::make_unique<CollectionItem>();
    item->sourcePath = source;
    item->name = fileNameOf(source);
    item->albumPath = album;
    state.items.list.push_back(std::move(item));
    return *state.items.list.back();
  }
  // A picture of its own size for every image, so each output differs.
  std::string picture(int n) {
    const std::string path = dir.file("src" + std::to_string(n) + ".png");
    pvtest::writeTestImage(path, 120 + 17 * n, 90 + 5 * n);
    return path;
  }
  std::vector<const CollectionItem*> records() const {
    std::vector<const CollectionItem*> r;
    for (auto& i : state.items.list) r.push_back(i.get());
    return r;
  }
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
  std::string out;
};

std::vector<std::vector<std::string>> picturesOf(const std::vector<ImageConversion>& plan) {
  std::vector<std::vector<std::string>> r;
  for (const ImageConversion& c : plan) r.push_back(c.pictures);
  return r;
}
std::vector<int> numbersOf(const std::vector<ImageConversion>& plan) {
  std::vector<int> r;
  for (const ImageConversion& c : plan) r.push_back(c.number);
  return r;
}

std::pair<int, int> sizeOfFile(const std::string& path) {
  ImagePtr dib = pvtest::loadFile(path);
  return dib ? std::make_pair(int(FreeImage_GetWidth(dib.get())), int(FreeImage_GetHeight(dib.get())))
             : std::make_pair(-1, -1);
}

}  // namespace

TEST(OutputLayout, NamesFoldersAndNumbersInListOrder) {
  Build b;
  b.image(b.picture(0));
  b.state.items.addAlbum("/", "A");
  b.image(b.picture(1));
  b.image(b.picture(2), "/A");
  b.state.items.addAlbum("/A", "B");  // empty, still gets its folder
  const std::vector<ImageConversion> passes[2] = {convertAllImages(b.state, b.dir.path() + "out", 64, 48, "pcva"),
                                                  convertAllImages(b.state, b.out, 32, 32, "pcvc")};

  using Paths = std::vector<std::string>;
  EXPECT_EQ(picturesOf(passes[0]), (std::vector<Paths>{{"images/pcva00000.jpg"}, {"images/pcva00001.jpg"},
                                                       {"images/A/pcva00002.jpg"}}));
  EXPECT_EQ(picturesOf(passes[1]), (std::vector<Paths>{{"images/pcvc00000.jpg"}, {"images/pcvc00001.jpg"},
                                                       {"images/A/pcvc00002.jpg"}}));
  EXPECT_EQ(numbersOf(passes[1]), (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(directoryExists(b.out + "images/A/B"));
  // Every file where its path says, a JPEG of the fitted size.
  const std::pair<int, int> sizes[3][2] = {{{64, 48}, {32, 24}}, {{64, 44}, {32, 22}}, {{64, 41}, {32, 20}}};
  for (size_t i = 0; i < 3; ++i)
    for (size_t pass = 0; pass < 2; ++pass) {
      EXPECT_TRUE(passes[pass][i].outputs[0].written);
      const std::string file = b.out + passes[pass][i].pictures[0];
      EXPECT_EQ(FreeImage_GetFileType(file.c_str()), FIF_JPEG) << file;
      EXPECT_EQ(sizeOfFile(file), sizes[i][pass]) << file;
    }
}

// The plan is the planning's answer: asked twice it gives the same names and
// numbers, and the records it read are as they were (nothing converted yet).
TEST(OutputLayout, PlanningReturnsThePlanAndLeavesTheRecords) {
  Build b;
  b.state.items.addAlbum("/", "A");
  b.image(b.picture(0), "/A").caption = "eins";
  b.image(b.picture(1));
  const auto describe = [&b] {
    std::vector<std::string> r;
    for (auto& i : b.state.items.list) r.push_back(describeItem(*i) + "|" + i->albumPath + "|" + i->sourcePath);
    return r;
  };
  const std::vector<std::string> before = describe();
  const std::vector<OutputSizeBox> sizes{{64, 48, "pcva"}, {9999, 9999, "pcvc"}};
  const std::vector<ImageConversion> one = planConversions(b.state.settings, b.records(), b.out, sizes);
  const std::vector<ImageConversion> two = planConversions(b.state.settings, b.records(), b.out, sizes);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(picturesOf(one), picturesOf(two));
  EXPECT_EQ(picturesOf(one), (std::vector<std::vector<std::string>>{{"images/A/pcva00000.jpg", "images/A/pcvc00000.jpg"},
                                                                    {"images/pcva00001.jpg", "images/pcvc00001.jpg"}}));
  EXPECT_EQ(numbersOf(two), (std::vector<int>{0, 1}));
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(one[i].item, b.state.items.list[i + 1].get());
    ASSERT_EQ(one[i].outputs.size(), 2u);
    EXPECT_EQ(one[i].outputs[1].destination, b.out + one[i].pictures[1]);
    EXPECT_FALSE(one[i].outputs[0].written || one[i].outputs[1].written);
    EXPECT_FALSE(fileExists(one[i].outputs[0].destination));
  }
  EXPECT_EQ(describe(), before);
}

TEST(OutputLayout, WorkersWriteWhatOneThreadWrites) {
  PV_REQUIRE_PHOTOS();
  Build b;
  b.state.iptcCaption = "<IMAGE>";
  b.state.watermarkFile = pvtest::photo("watermark_rgba.png");
  b.state.watermarkPosition = 8;
  b.state.settings.sizeAWidth = 200, b.state.settings.sizeAHeight = 150;
  ASSERT_TRUE(prepareWatermarks(b.state));
  const char* photos[] = {"exif_canon_g9_imagedescription.jpg", "portrait_nikon_d70s.jpg",
                          "orientation6_canon_sx60.jpg", "palette_transparent.gif", "psd_rgb8_2layers_hopper.psd",
                          "tiff_rgba8_exif_iptc_reagan.tiff", "bmpsuite_rgb24.bmp"};
  int n = 0;
  for (const char* p : photos) {
    CollectionItem& item = b.image(pvtest::photo(p));
    item.rotation = 90 * (n % 4);
    item.flipHorizontal = n % 3 == 1;
    item.caption = "Bild " + std::to_string(n++);
  }
  for (int i = 0; i < 3; ++i) b.image(b.picture(i)).flipVertical = true;

  std::vector<std::pair<int, int>> reports;
  bool onCaller = true;
  const std::thread::id caller = std::this_thread::get_id();
  const std::vector<ImageConversion> first = convertAllImages(b.state, b.out, 200, 150, "pcva", [&](int done, int total) {
    reports.emplace_back(done, total);
    onCaller = onCaller && std::this_thread::get_id() == caller;
  });
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back(), std::make_pair(10, 10));
  for (size_t i = 1; i < reports.size(); ++i) EXPECT_LT(reports[i - 1].first, reports[i].first);
  EXPECT_TRUE(onCaller);

  // The same images one after the other on this thread.
  for (const ImageConversion& c : first) {
    const CollectionItem* item = c.item;
    const std::string single = b.dir.file("single.jpg");
    convertImage(b.state, item->rotation, item->flipHorizontal, item->flipVertical, item->sourcePath, 200, 150,
                 single, item->caption);
    const std::string parallel = b.out + c.pictures[0];
    ASSERT_TRUE(fileExists(parallel)) << parallel;
    EXPECT_EQ(pvtest::bytesOf(parallel), pvtest::bytesOf(single)) << item->name;
  }

  // Two sizes of each image from one decode, on the workers and on this thread.
  std::vector<ImageConversion> plan =
      planConversions(b.state.settings, b.records(), b.out, {{200, 150, "pcvx"}, {64, 48, "pcvy"}});
  std::vector<ImageConversion*> all;
  for (ImageConversion& c : plan) all.push_back(&c);
  convertPlanned(b.state, all);
  for (ImageConversion& c : plan) {
    std::vector<SizeOutput> single{{200, 150, b.dir.file("x.jpg")}, {64, 48, b.dir.file("y.jpg")}};
    convertImageSizes(b.state, c.item->rotation, c.item->flipHorizontal, c.item->flipVertical, c.item->sourcePath,
                      single, c.item->caption);
    for (size_t i = 0; i < 2; ++i) {
      EXPECT_TRUE(c.outputs[i].written) << c.outputs[i].destination;
      EXPECT_EQ(pvtest::bytesOf(c.outputs[i].destination), pvtest::bytesOf(single[i].destination)) << c.item->name;
    }
  }
  releaseWatermarks(b.state);
}

TEST(OutputLayout, FormatsKnownFromSeveralThreadsAtOnce) {
  // Extensions FreeImage finds only in its lists, not by the format's name.
  const std::pair<const char*, FREE_IMAGE_FORMAT> names[] = {
      {"a.jpg", FIF_JPEG}, {"b.tif", FIF_TIFF}, {"c.jpe", FIF_JPEG}, {"d.jif", FIF_JPEG}};
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (const auto& [name, fif] : names)
    threads.emplace_back([&wrong, name = name, fif = fif] {
      for (int i = 0; i < 50000; ++i) wrong += formatFromFileName(name) != fif;
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
}

TEST(OutputLayout, CancelStopsConvertingButNamesEveryImage) {
  Build b;
  const int count = 24;
  for (int i = 0; i < count; ++i) b.image(b.picture(i));
  const std::vector<ImageConversion> cancelled =
      convertAllImages(b.state, b.out, 64, 48, "pcva", [&](int, int) { b.state.abortRequested = true; });
  int written = 0;
  for (int i = 0; i < count; ++i) {
    const bool there = fileExists(b.out + cancelled[size_t(i)].pictures[0]);
    EXPECT_EQ(cancelled[size_t(i)].outputs[0].written, there) << i;
    written += there;
  }
  EXPECT_GE(written, 1);
  EXPECT_LT(written, count);
  std::vector<int> expected(count);
  for (int i = 0; i < count; ++i) expected[size_t(i)] = i;
  EXPECT_EQ(numbersOf(cancelled), expected);
  EXPECT_EQ(cancelled[count - 1].pictures, std::vector<std::string>{"images/pcva00023.jpg"});

  // Cancelled before the pass: no file, but names and numbers all the same.
  const std::vector<ImageConversion> none = convertAllImages(b.state, b.out, 64, 48, "pcvb");
  EXPECT_EQ(none[count - 1].pictures, std::vector<std::string>{"images/pcvb00023.jpg"});
  for (int i = 0; i < count; ++i) EXPECT_FALSE(fileExists(b.out + none[size_t(i)].pictures[0]));
  EXPECT_EQ(numbersOf(none), expected);
}

TEST(OutputLayout, ProjectTypeFilesAndControlSet) {
  Build b;
  ProjectSettings& s = b.state.settings;
  s.draftsFolder = b.dir.path() + "drafts/";
  s.ctrlFolder = b.dir.path() + "ctrl/";
  s.presetNumber = 1001;
  s.backgroundColor = "#102030";
  s.textFont = "Verdana";
  b.dir.write("drafts/1001/pcv_image_folder/pcv.css", "body { background: CORVANE_PICOVAND_BACKCOLOR; }");
  b.dir.write("drafts/1001/pcv_image_folder/pcv2.css", "td { font-family: CORVANE_PICOVAND_FONTTYPE; }");
  b.dir.write("drafts/1001/pcv_image_folder/other.css", "CORVANE_PICOVAND_FONTTYPE");
  b.dir.write("drafts/1001/pcv_image_folder/back.gif", "GIF89a");
  b.dir.write("drafts/1001/pcv_image_folder/sub/inner.gif", "GIF89a");
  b.dir.write("drafts/folder.gif", "folder");
  b.dir.write("out/images/_pcv_1001/back.gif", "older");
  PageSink sink;
  copyProjectTypeFiles(s, b.out, sink);

  const std::string d = b.out + "images/_pcv_1001/";
  // The sink names what was written, in the order of the listing, the album folder icon last.
  EXPECT_EQ(sink.written, (std::vector<std::string>{d + "back.gif", d + "other.css", d + "pcv.css", d + "pcv2.css",
                                                    d + "folder.gif"}));
  EXPECT_TRUE(sink.failures.empty());
  std::vector<std::string> names;
  for (const DirEntry& e : listDirectory(d)) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"back.gif", "folder.gif", "other.css", "pcv.css", "pcv2.css"}));
  EXPECT_EQ(pvtest::bytesOf(d + "pcv.css"), "body { background: #102030; }");
  EXPECT_EQ(pvtest::bytesOf(d + "pcv2.css"), "td { font-family: Verdana; }");
  EXPECT_EQ(pvtest::bytesOf(d + "other.css"), "CORVANE_PICOVAND_FONTTYPE");
  EXPECT_EQ(pvtest::bytesOf(d + "back.gif"), "GIF89a");

  // Without albums and without a source folder nothing is made.
  s.presetNumber = 5001;
  s.albumsAllowed = false;
  PageSink nothing;
  copyProjectTypeFiles(s, b.out, nothing);
  EXPECT_FALSE(directoryExists(b.out + "images/_pcv_5001"));
  EXPECT_TRUE(nothing.written.empty());

  s.controlSet = 101;
  b.dir.write("ctrl/0101/next.gif", "n");
  b.dir.write("ctrl/0101/PREV.GIF", "p");
  b.dir.write("ctrl/0101/ctrl.config", "[CTRL]");
  b.dir.write("ctrl/0101/deep/x.gif", "x");
  PageSink buttons;
  copyControlSet(s, b.out, buttons);
  EXPECT_EQ(buttons.written.size(), 2u);
  names.clear();
  for (const DirEntry& e : listDirectory(b.out + "images/_ctrl_0101/")) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"PREV.GIF", "next.gif"}));
}
