#include <gtest/gtest.h>

#include <cstdio>

#include "PageTestInputs.h"
#include "TestSupport.h"
#include "pages/WebAlbum.h"
#include "pages/Writers.h"
#include "util/Text.h"

using namespace pv;

namespace {

// A small album template: every token in a marked place, so a test can read
// back what each became.
std::string albumTemplate(int slots) {
  std::string t =
      "<html><head><title>CORVANE_PICOVAND_TITLE</title>\r\n"
      "<link rel=\"stylesheet\" href=\"pcv_image_folder/pcv.css\">\r\n"
      "<script type=\"text/javascript\">\r\nCORVANE_PICOVAND_JAVA_CODE</script>\r\n"
      "</head><body bgcolor=\"CORVANE_PICOVAND_BACKCOLOR\">\r\n"
      "<h1>CORVANE_PICOVAND_FOLDER</h1>\r\n<table>\r\n";
  for (int k = 0; k < slots; ++k)
    t += format("<td>slot%d={PCV_%03d} text%d={PCV_%03d_COMMENT} make%d={PCV_EXIF_MAKE_%d} iso%d={PCV_EXIF_ISO_%d}</td>\r\n",
                k, k, k, k, k, k, k, k);
  t += "</table>\r\n"
       "<a href=\"CORVANE_PICOVAND_NAVHOME\"><img src=\"pcv_image_folder/home.gif\"></a>\r\n"
       "<a href=\"CORVANE_PICOVAND_NAVUP\"><img src=\"pcv_image_folder/up.gif\"></a>\r\n"
       "home={CORVANE_PICOVAND_NAVHOME} up={CORVANE_PICOVAND_NAVUP} back={CORVANE_PICOVAND_NAVBACK} "
       "next={CORVANE_PICOVAND_NAVNEXT} first={CORVANE_PICOVAND_NAVFIRST} last={CORVANE_PICOVAND_NAVLAST}\r\n"
       "numbers={CORVANE_PICOVAND_NAV123}\r\n"
       "</body></html>\r\n";
  return t;
}

struct WebAlbumFixture : ::testing::Test {
  pvtest::ScratchDir dir;
  AppState state{pvtest::scratchEnvironment(dir)};
  std::string out;
  pvtest::Pictures pictures;
  PageSink sink;

  void SetUp() override {
    ProjectSettings& s = state.settings;
    s.draftsFolder = dir.path() + "DRAFTS/";
    s.presetNumber = 1001;
    s.fileTag = "pcv";
    s.projectName = "Reise";
    s.imageFolderName = "images";
    s.columns = 3;
    s.rowsPerPage = 2;
    s.sizeAWidth = 120;
    s.sizeBWidth = 640;
    s.backgroundColor = "#102030";
    out = dir.path() + "out/";
    makeDirectory(out);
    useTemplate(albumTemplate(6));
  }
  void useTemplate(const std::string& text) { dir.write("DRAFTS/1001/webalb.html", text); }

  // An image whose sizes A and B were written where the conversion puts them.
  CollectionItem& image(const std::string& album, const std::string& caption = "") {
    auto item = std::make_unique<CollectionItem>();
    int k = 0;
    for (auto& r : state.items.list) k += r->isAlbum ? 0 : 1;
    std::string folder = "images" + (album == "/" ? std::string() : album) + "/";
    pictures[item.get()] = {folder + format("pcva%05d.jpg", k), folder + format("pcvb%05d.jpg", k)};
    item->albumPath = album;
    item->caption = caption;
    item->name = format("foto%d.jpg", k);
    state.items.list.push_back(std::move(item));
    return *state.items.list.back();
  }
  void images(int n, const std::string& album) {
    for (int i = 0; i < n; ++i) image(album);
  }

  PageInputs inputs() const { return pvtest::pageInputs(state, out, pictures); }

  std::string page(int n) {
    std::string text;
    readWholeFile(out + format("pcv%05d.htm", n), text);
    return text;
  }
  // The value written between "name={" and the next "}".
  static std::string field(const std::string& page, const std::string& name) {
    size_t b = page.find(name + "={");
    if (b == std::string::npos) return "<missing>";
    b += name.size() + 2;
    return page.substr(b, page.find('}', b) - b);
  }
  int pagesWritten() {
    int n = 0;
    for (auto& e : listDirectory(out)) n += endsWith(e.name, ".htm") ? 1 : 0;
    return n;
  }
};

}  // namespace

TEST_F(WebAlbumFixture, EmptyProjectGivesOneEmptyStartPage) {
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 1);
  std::string p = page(0);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(field(p, format("slot%d", k)), "&nbsp;<br>");
    EXPECT_EQ(field(p, format("text%d", k)), "&nbsp;");
    EXPECT_EQ(field(p, format("make%d", k)), "&nbsp;");
  }
  EXPECT_EQ(field(p, "numbers"), "[<span aria-current=\"page\">1</span>]\n");
  EXPECT_EQ(field(p, "back"), "#");
  EXPECT_EQ(field(p, "next"), "#");
  EXPECT_EQ(field(p, "first"), "pcv00000.htm");
  EXPECT_NE(p.find("<title>Reise</title>"), std::string::npos);
  EXPECT_NE(p.find("<h1>Reise</h1>"), std::string::npos);
  EXPECT_NE(p.find("bgcolor=\"#102030\""), std::string::npos);  // colour pass on the written file
  EXPECT_NE(p.find("href=\"images/_pcv_1001/pcv.css\""), std::string::npos);
  EXPECT_EQ(p.find('\r'), std::string::npos);
}

TEST_F(WebAlbumFixture, ThirteenImagesOnThreePages) {
  images(13, "/");
  state.items.list[7]->caption = "Am Strand";
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 3);
  std::string p0 = page(0), p1 = page(1), p2 = page(2);
  EXPECT_EQ(field(p0, "back"), "#");
  EXPECT_EQ(field(p0, "next"), "pcv00001.htm");
  EXPECT_EQ(field(p1, "back"), "pcv00000.htm");
  EXPECT_EQ(field(p1, "next"), "pcv00002.htm");
  EXPECT_EQ(field(p2, "next"), "#");
  EXPECT_EQ(field(p2, "last"), "pcv00002.htm");
  EXPECT_EQ(field(p1, "numbers"),
            "<a href=\"pcv00000.htm\">1</a> \n| [<span aria-current=\"page\">2</span>]\n| <a href=\"pcv00002.htm\">3</a> \n");  // normalised

  // Page 1 holds images 6..11; image 7's caption is in slot 1.
  EXPECT_EQ(field(p1, "slot0"),
            "<a href=\"images/pcvb00006.jpg\" target=\"_blank\" onclick=\"PicoVand_openimg(this.href); return "
            "false\"><img src=\"images/pcva00006.jpg\" alt=\"foto6\" border=\"0\"></a>");
  EXPECT_EQ(field(p1, "text1"), "<p>Am Strand</p>");
  EXPECT_EQ(field(p1, "text0"), "<p>&nbsp;</p>");
  // Page 2: one entry, five empty slots.
  EXPECT_NE(field(p2, "slot0").find("pcva00012.jpg"), std::string::npos);
  for (int k = 1; k < 6; ++k) EXPECT_EQ(field(p2, format("slot%d", k)), "&nbsp;<br>") << k;
  EXPECT_NE(p0.find("function PicoVand_openimg(x)"), std::string::npos);
}

TEST_F(WebAlbumFixture, SubAlbumsLinkAndNavigate) {
  ProjectSettings& s = state.settings;
  s.noHomeFragment = "<a href=\"CORVANE_PICOVAND_NAVHOME\"><img src=\"pcv_image_folder/home.gif\"></a>";
  s.noUpFragment = "<a href=\"CORVANE_PICOVAND_NAVUP\"><img src=\"pcv_image_folder/up.gif\"></a>";
  images(2, "/");
  state.items.addAlbum("/", "Berge");
  images(8, "/Berge");
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 3);

  std::string top = page(0);
  EXPECT_EQ(field(top, "slot2"), "<a href=\"pcv00001.htm\"><img src=\"images/_pcv_1001/folder.gif\" alt=\"Berge\" border=\"0\"><br>Berge</a>");
  EXPECT_EQ(field(top, "slot3"), "&nbsp;<br>");
  // Top album: both button fragments are gone; the bare tokens fall back to "#".
  EXPECT_EQ(top.find("home.gif"), std::string::npos);
  EXPECT_EQ(top.find("up.gif"), std::string::npos);
  EXPECT_EQ(field(top, "home"), "#");
  EXPECT_EQ(field(top, "up"), "#");
  EXPECT_EQ(top.find("CORVANE_"), std::string::npos);

  for (int n : {1, 2}) {
    std::string sub = page(n);
    EXPECT_EQ(field(sub, "home"), "pcv00000.htm");
    EXPECT_EQ(field(sub, "up"), "pcv00000.htm");
    EXPECT_NE(sub.find("home.gif"), std::string::npos);
    EXPECT_NE(sub.find("<h1>Reise - Berge</h1>"), std::string::npos);
    EXPECT_EQ(field(sub, "first"), "pcv00001.htm");
    EXPECT_EQ(field(sub, "last"), "pcv00002.htm");
  }
  EXPECT_EQ(field(page(1), "back"), "#");
  EXPECT_EQ(field(page(2), "next"), "#");
  EXPECT_NE(field(page(2), "slot1").find("images/Berge/pcva00009.jpg"), std::string::npos);

  // The deepest album's first page is written first and alone carries the credit.
  EXPECT_NE(page(1).find("PicoVand"), std::string::npos);
  EXPECT_EQ(page(0).find("PicoVandCredit"), std::string::npos);
  EXPECT_EQ(page(2).find("PicoVandCredit"), std::string::npos);
}

TEST_F(WebAlbumFixture, UpOnASecondLevelAlbumLeadsToItsParent) {
  image("/");
  state.items.addAlbum("/", "A");
  state.items.addAlbum("/A", "B");
  images(7, "/A/B");
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  // Pages: 0 top, 1 album A, 2 and 3 album B.
  EXPECT_EQ(field(page(1), "slot0").find("<a href=\"pcv00002.htm\">"), 0u);
  for (int n : {2, 3}) {
    EXPECT_EQ(field(page(n), "up"), "pcv00001.htm");
    EXPECT_EQ(field(page(n), "home"), "pcv00000.htm");
  }
  EXPECT_EQ(field(page(3), "back"), "pcv00002.htm");
}

TEST_F(WebAlbumFixture, AllEntriesOnOnePageWhenRowsAreZero) {
  state.settings.rowsPerPage = 0;
  useTemplate(albumTemplate(9));
  images(4, "/");
  state.items.addAlbum("/", "Sub");
  images(8, "/Sub");
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 2);
  EXPECT_EQ(field(page(0), "slot4").find("<a href=\"pcv00001.htm\">"), 0u);
  std::string sub = page(1);
  EXPECT_NE(field(sub, "slot7").find("pcva00011.jpg"), std::string::npos);
  // Slots the template holds beyond the entries are emptied, never left as tokens.
  EXPECT_EQ(field(sub, "slot8"), "&nbsp;<br>");
  EXPECT_EQ(field(page(0), "slot5"), "&nbsp;<br>");
  EXPECT_EQ(page(0).find("PCV_"), std::string::npos);
  EXPECT_EQ(field(sub, "numbers"), "[<span aria-current=\"page\">1</span>]\n");
}

TEST_F(WebAlbumFixture, WithoutJavaScriptOrLargeSize) {
  images(1, "/");
  state.settings.noJavaScript = true;
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  std::string p = page(0);
  EXPECT_EQ(p.find("<script"), std::string::npos);
  EXPECT_EQ(p.find("onclick"), std::string::npos);
  EXPECT_NE(field(p, "slot0").find("<a href=\"images/pcvb00000.jpg\" target=\"_blank\" >"), std::string::npos);

  state.settings.noJavaScript = false;
  state.settings.sizeBWidth = 0;
  pictures[state.items.list[0].get()].resize(1);
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  p = page(0);
  EXPECT_EQ(field(p, "slot0"), "<img src=\"images/pcva00000.jpg\" alt=\"foto0\" border=\"0\">");
  EXPECT_EQ(p.find("PicoVand_openimg"), std::string::npos);
}

TEST_F(WebAlbumFixture, WebPathsArePercentEncoded) {
  state.settings.imageFolderName = "meine bilder";
  state.items.addAlbum("/", "50%");
  CollectionItem& img = image("/50%");
  pictures[&img] = {"meine bilder/50%/Rom & Paris#1.jpg", "meine bilder/50%/b.jpg"};
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  std::string sub = page(1);
  EXPECT_NE(sub.find("src=\"meine%20bilder/50%25/Rom%20%26%20Paris%231.jpg\""), std::string::npos);
  EXPECT_NE(sub.find("href=\"meine%20bilder/50%25/b.jpg\""), std::string::npos);
  EXPECT_NE(sub.find("href=\"meine%20bilder/_pcv_1001/pcv.css\""), std::string::npos);
  EXPECT_NE(field(page(0), "slot0").find("meine%20bilder/_pcv_1001/folder.gif\" alt=\"50%\" border=\"0\"><br>50%</a>"),
            std::string::npos);
  EXPECT_EQ(pictures[&img][0], "meine bilder/50%/Rom & Paris#1.jpg");  // stored paths stay plain
}

TEST_F(WebAlbumFixture, ExifSlotsBeyondTenStayApart) {
  state.settings.columns = 4;
  state.settings.rowsPerPage = 3;
  useTemplate(albumTemplate(12));
  images(12, "/");
  for (int i = 0; i < 12; ++i) state.items.list[size_t(i)]->exifMake = format("M%d", i);
  state.items.list[11]->exifIsoSpeed = "400";
  state.items.addAlbum("/", "Sub");  // the 13th entry goes to page 1
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  std::string p = page(0);
  for (int k = 0; k < 12; ++k) EXPECT_EQ(field(p, format("make%d", k)), format("M%d", k));
  EXPECT_EQ(field(p, "iso11"), "ISO 400");
  EXPECT_EQ(field(p, "iso1"), "&nbsp;");
  // The album entry's EXIF cells are blank.
  EXPECT_EQ(field(page(1), "make0"), "&nbsp;");
  EXPECT_EQ(field(page(1), "iso0"), "&nbsp;");
}

TEST_F(WebAlbumFixture, MissingTemplateWritesNothing) {
  images(3, "/");
  std::filesystem::remove(dir.file("DRAFTS/1001/webalb.html"));
  EXPECT_FALSE(writeWebAlbum(inputs(), sink));
  EXPECT_FALSE(writeProjectPages(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 0);
  EXPECT_FALSE(sink.creditPlaced);

  state.settings.presetNumber = 3001;
  EXPECT_TRUE(writeProjectPages(inputs(), sink));  // batch conversion: no pages, nothing missing
  EXPECT_EQ(pagesWritten(), 0);
}

// The writers report what they wrote and what they could not write; the
// credit goes on the first page written, and stays pending past one that
// could not be.
TEST_F(WebAlbumFixture, TheSinkNamesThePagesWrittenAndTheFailures) {
  images(7, "/");
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_EQ(sink.written, (std::vector<std::string>{out + "pcv00000.htm", out + "pcv00001.htm"}));
  EXPECT_TRUE(sink.failures.empty());
  EXPECT_TRUE(sink.creditPlaced);
  EXPECT_NE(page(0).find("PicoVandCredit"), std::string::npos);
  EXPECT_EQ(page(1).find("PicoVandCredit"), std::string::npos);

  std::remove((out + "pcv00000.htm").c_str());
  makeDirectory(out + "pcv00000.htm");  // a folder where the first page goes
  PageSink again;
  ASSERT_TRUE(writeWebAlbum(inputs(), again));
  EXPECT_EQ(again.written, std::vector<std::string>{out + "pcv00001.htm"});
  ASSERT_EQ(again.failures.size(), 1u);
  EXPECT_TRUE(again.failures[0].starts_with(out + "pcv00000.htm: ")) << again.failures[0];
  EXPECT_NE(page(1).find("PicoVandCredit"), std::string::npos);
}

// A template that gives its slot once between marks: each page holds exactly
// the entries it shows, however large the table, and no empty slot.
TEST_F(WebAlbumFixture, AMarkedSlotIsRepeatedForEachEntryOfThePage) {
  useTemplate("<main style=\"--cols: CORVANE_PICOVAND_COLUMNS\">\n<!--PCV_SLOT--><figure>{PCV_000} "
              "{PCV_000_COMMENT} make={PCV_EXIF_MAKE_0} iso={PCV_EXIF_ISO_0}</figure>\n<!--/PCV_SLOT--></main>\n"
              "numbers={CORVANE_PICOVAND_NAV123}\n</body>\n");
  images(13, "/");
  for (int i = 0; i < 13; ++i) state.items.list[size_t(i)]->exifMake = format("M%d", i);
  state.items.list[1]->caption = "Spalten: CORVANE_PICOVAND_COLUMNS";  // a caption is text, never a token
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  auto figures = [](const std::string& p) {
    std::vector<std::string> out;
    for (size_t b = p.find("<figure>"); b != std::string::npos; b = p.find("<figure>", b + 1))
      out.push_back(p.substr(b + 8, p.find("</figure>", b) - b - 8));
    return out;
  };
  const std::vector<std::string> p0 = figures(page(0)), p2 = figures(page(2));
  ASSERT_EQ(p0.size(), 6u);
  EXPECT_NE(p0[1].find("<p>Spalten: CORVANE_PICOVAND_COLUMNS</p>"), std::string::npos);
  EXPECT_NE(p0[5].find("pcva00005.jpg"), std::string::npos);
  EXPECT_NE(p0[5].find("make={M5} iso={&nbsp;}"), std::string::npos) << p0[5];
  ASSERT_EQ(p2.size(), 1u) << "the last page holds its one entry and no empty slot";
  EXPECT_NE(p2[0].find("pcva00012.jpg"), std::string::npos);
  EXPECT_NE(page(0).find("--cols: 3\""), std::string::npos);
  EXPECT_EQ(page(0).find("PCV_"), std::string::npos);

  // Twelve columns of all entries on one page: more than slots ever stood in
  // a template, each with its own camera data.
  state.settings.columns = 12;
  state.settings.rowsPerPage = 0;
  images(140, "/");
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  const std::vector<std::string> all = figures(page(0));
  ASSERT_EQ(all.size(), 153u);
  EXPECT_NE(all[152].find("pcva00152.jpg"), std::string::npos);
  EXPECT_NE(all[11].find("make={M11}"), std::string::npos);
  EXPECT_NE(all[1].find("make={M1}"), std::string::npos);
  // The first two rows load at once, the rest as they near the screen.
  EXPECT_EQ(all[23].find("loading=\"lazy\""), std::string::npos);
  EXPECT_NE(all[24].find("loading=\"lazy\""), std::string::npos);
  EXPECT_NE(page(0).find("--cols: 12\""), std::string::npos);

  // An album without entries shows an empty grid.
  state.items.list.clear();
  pictures.clear();
  ASSERT_TRUE(writeWebAlbum(inputs(), sink));
  EXPECT_TRUE(figures(page(0)).empty());
  EXPECT_EQ(page(0).find("PCV_"), std::string::npos);
}

// With covers on, an album's tile shows a photo and the number of photos in
// it and below it, linked to the album; the mark follows the photo, not its place.
TEST_F(WebAlbumFixture, AlbumCoversShowTheFirstOrMarkedPhotoAndTheCount) {
  state.settings.albumCovers = true;
  image("/");
  state.items.addAlbum("/", "Rom & Paris");
  CollectionItem& first = image("/Rom & Paris");
  CollectionItem& second = image("/Rom & Paris");
  CollectionItem& third = image("/Rom & Paris");
  state.items.addAlbum("/Rom & Paris", "Nacht");
  image("/Rom & Paris/Nacht");
  state.items.addAlbum("/", "Leer");
  state.items.addAlbum("/", "Nur Unteralben");
  state.items.addAlbum("/Nur Unteralben", "Tief");
  pictures.erase(&image("/Nur Unteralben/Tief"));  // got no picture: neither cover nor counted
  image("/Nur Unteralben/Tief");

  auto tile = [](const std::string& page, const std::string& picture, const std::string& name, const std::string& count) {
    return "<a class=\"pcv-album\" href=\"" + page + "\"><img src=\"" + picture +
           "\" alt=\"\" border=\"0\"><br><span class=\"pcv-album-name\">" + name +
           "</span> <span class=\"pcv-count\">" + count + "</span></a>";
  };
  auto romCover = [&] {
    sink = {};
    EXPECT_TRUE(writeWebAlbum(inputs(), sink));
    return field(page(0), "slot1");
  };
  // Pages: 0 top, 1 Rom & Paris, 2 Nacht, 3 Leer, 4 Nur Unteralben, 5 Tief.
  EXPECT_EQ(romCover(), tile("pcv00001.htm", "images/Rom%20%26%20Paris/pcva00001.jpg", "Rom &amp; Paris", "4 Bilder"));
  EXPECT_EQ(field(page(0), "slot2"), tile("pcv00003.htm", "images/_pcv_1001/folder.gif", "Leer", "0 Bilder"));
  EXPECT_EQ(field(page(0), "slot3"),
            tile("pcv00004.htm", "images/Nur%20Unteralben/Tief/pcva00006.jpg", "Nur Unteralben", "1 Bild"));
  EXPECT_EQ(field(page(1), "slot3"), tile("pcv00002.htm", "images/Rom%20%26%20Paris/Nacht/pcva00004.jpg", "Nacht", "1 Bild"));

  // Unmarked, the cover is whatever photo comes first now.
  state.items.swapItems(first, second);
  EXPECT_NE(romCover().find("pcva00002.jpg"), std::string::npos);
  // A marked photo stays the cover wherever it moves, and marking another takes the mark from it.
  state.items.setAlbumCover(third, true);
  EXPECT_NE(romCover().find("pcva00003.jpg"), std::string::npos);
  state.items.swapItems(third, second);
  EXPECT_NE(romCover().find("pcva00003.jpg"), std::string::npos);
  state.items.setAlbumCover(first, true);
  EXPECT_FALSE(third.albumCover);
  EXPECT_NE(romCover().find("pcva00001.jpg"), std::string::npos);
  // The marked photo removed: the first photo again, one fewer counted.
  state.items.removeImage(first);
  EXPECT_EQ(romCover(), tile("pcv00001.htm", "images/Rom%20%26%20Paris/pcva00003.jpg", "Rom &amp; Paris", "3 Bilder"));
}
