#include "WriterFixture.h"
#include "pages/ImagePages.h"
#include "pages/SlideAlbum.h"

using namespace pv;
using pvtest::contains;

namespace {

// Every token of a page-per-image template, each between tildes so a test can
// read one value with field().
const char* const kSlideTemplate =
    "<html><head><script type=\"text/javascript\">CORVANE_PICOVAND_JAVA_CODE</script></head><body>\n"
    "~T:CORVANE_PICOVAND_TITLE~C:CORVANE_PICOVAND_CURRENTIMAGE~M:CORVANE_PICOVAND_COMMENT~I:CORVANE_PICOVAND_IMAGE"
    "~E:PCV_EXIF_MAKE_0 PCV_EXIF_ISO_0~N:CORVANE_PICOVAND_NAV123~B:CORVANE_PICOVAND_NAVBACK"
    "~X:CORVANE_PICOVAND_NAVNEXT~F:CORVANE_PICOVAND_NAVFIRST~L:CORVANE_PICOVAND_NAVLAST~\n</body></html>";

std::string field(const std::string& page, const std::string& key) {
  size_t b = page.find("~" + key + ":");
  if (b == std::string::npos) return "<missing>";
  b += key.size() + 2;
  return page.substr(b, page.find('~', b) - b);
}

// Page-number labels as shown, the current one in brackets: "2 3 [4] 5".
std::string numbers(std::string links) {
  replaceAll(links, "[<span aria-current=\"page\">", "[");
  std::string out;
  for (size_t i = 0; i < links.size(); ++i)
    if ((links[i] == '>' || links[i] == '[') && i + 1 < links.size() && isdigit((unsigned char)links[i + 1])) {
      size_t j = i + 1;
      while (isdigit((unsigned char)links[j])) ++j;
      out += (out.empty() ? "" : " ") + std::string(links[i] == '[' ? "[" : "") + links.substr(i + 1, j - i - 1) +
             (links[i] == '[' ? "]" : "");
    }
  return out;
}

struct ImagePages : pvtest::WriterFixture {
  ImagePages() {
    s.presetNumber = 4001;
    templateFile("htmlsld.html", kSlideTemplate);
  }
};

}  // namespace

TEST_F(ImagePages, OnePagePerImageWithNavigation) {
  EXPECT_TRUE(writeImagePages(inputs(), sink));  // no images: no pages, still done
  EXPECT_EQ(pagesWritten(), 0u);

  image("/", "allein");
  ASSERT_TRUE(writeImagePages(inputs(), sink));
  std::string p = page("pcv00000.htm");
  EXPECT_EQ(field(p, "C"), "1/1");
  EXPECT_EQ(field(p, "N"), "[<span aria-current=\"page\">1</span>]\n");
  EXPECT_EQ(field(p, "B") + field(p, "X") + field(p, "F") + field(p, "L"), "##pcv00000.htmpcv00000.htm");

  for (int i = 1; i < 12; ++i) image("/", i == 5 ? "" : "Bild");
  // An album among the records has no picture: it gets no page and no number.
  state.items.list.insert(state.items.list.begin() + 3, std::make_unique<CollectionItem>());
  state.items.list[3]->isAlbum = true;
  state.items.list[6]->exifMake = "Nikon";
  state.items.list[6]->exifIsoSpeed = "200";
  ASSERT_TRUE(writeImagePages(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 12u);
  p = page("pcv00005.htm");
  EXPECT_EQ(field(p, "T"), "Reise");
  EXPECT_EQ(field(p, "C"), "6/12");
  EXPECT_EQ(field(p, "M"), "&nbsp;");
  EXPECT_EQ(field(p, "E"), "Nikon ISO 200");
  EXPECT_EQ(numbers(field(p, "N")), "2 3 4 5 [6] 7 8 9 10");
  EXPECT_EQ(field(p, "B") + " " + field(p, "X") + " " + field(p, "L"), "pcv00004.htm pcv00006.htm pcv00011.htm");
  EXPECT_EQ(field(p, "I"),
            "<a href=\"images/pcvb00005.jpg\" target=\"_blank\" "
            "onclick=\"PicoVand_openimg(this.href); return false\"><img src=\"images/pcva00005.jpg\" "
            "alt=\"img5\" border=\"0\"></a>");
  EXPECT_TRUE(contains(p, "function PicoVand_openimg(x)"));
  EXPECT_EQ(field(page("pcv00011.htm"), "X"), "#");
  EXPECT_FALSE(written("pcv00012.htm"));

  s.presetNumber = 4002;
  EXPECT_FALSE(writeImagePages(inputs(), sink));
}

TEST_F(ImagePages, WithoutJavaScriptOrLargeImages) {
  image("/", "a");
  s.noJavaScript = true;
  ASSERT_TRUE(writeImagePages(inputs(), sink));
  std::string p = page("pcv00000.htm");
  EXPECT_FALSE(contains(p, "<script"));
  EXPECT_FALSE(contains(p, "onclick"));
  EXPECT_TRUE(contains(p, "<a href=\"images/pcvb00000.jpg\" target=\"_blank\" >"));

  s.noJavaScript = false;
  s.sizeBWidth = 0;
  pictures[state.items.list[0].get()].resize(1);
  ASSERT_TRUE(writeImagePages(inputs(), sink));
  p = page("pcv00000.htm");
  EXPECT_TRUE(contains(p, "<script type=\"text/javascript\"></script>"));
  EXPECT_EQ(field(p, "I"), "<img src=\"images/pcva00000.jpg\" alt=\"a\" border=\"0\">");
}

TEST_F(ImagePages, PreviewStripLinksTheNeighbours) {
  s.presetNumber = 6001;
  s.sizeCWidth = 1024;
  std::string strip = "~P:PCV_PREV_C~";
  for (int k = 9; k >= 1; --k) strip += pv::format("R%d:PCV_PREV_R%d~", k, k);
  for (int k = 1; k <= 9; ++k) strip += pv::format("F%d:PCV_PREV_F%d~", k, k);
  templateFile("sldprv.html", std::string(kSlideTemplate) + strip);
  EXPECT_TRUE(writePreviewPages(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 0u);

  for (int i = 0; i < 5; ++i) image("/", "", i == 3 ? 2 : 3);
  album("/", "leer");
  ASSERT_TRUE(writePreviewPages(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 5u);
  std::string p = page("pcv00002.htm");
  EXPECT_EQ(field(p, "I"),
            "<a href=\"images/pcvc00002.jpg\" target=\"_blank\" onclick=\"PicoVand_openimg(this.href); "
            "return false\"><img src=\"images/pcvb00002.jpg\" alt=\"img2\" border=\"0\"></a>");
  EXPECT_EQ(field(p, "P"), "<img src=\"images/pcva00002.jpg\" alt=\"img2\" border=\"0\">");
  EXPECT_EQ(field(p, "R1"), "<a href=\"pcv00001.htm\"><img src=\"images/pcva00001.jpg\" alt=\"img1\" border=\"0\"></a>");
  EXPECT_EQ(field(p, "R2"), "<a href=\"pcv00000.htm\"><img src=\"images/pcva00000.jpg\" alt=\"img0\" border=\"0\"></a>");
  EXPECT_EQ(field(p, "F2"), "<a href=\"pcv00004.htm\"><img src=\"images/pcva00004.jpg\" alt=\"img4\" border=\"0\"></a>");
  for (int k = 3; k <= 9; ++k)
    EXPECT_EQ(field(p, pv::format("R%d", k)) + field(p, pv::format("F%d", k)), "&nbsp;&nbsp;");
  p = page("pcv00000.htm");
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(field(p, pv::format("R%d", k)), "&nbsp;");
  EXPECT_TRUE(contains(field(p, "F4"), "pcv00004.htm"));
  EXPECT_EQ(field(page("pcv00003.htm"), "I"), "<img src=\"images/pcvb00003.jpg\" alt=\"img3\" border=\"0\">");  // no size C

  // With pictures for sharp screens the strip waits for the page's photo.
  s.hidpi = true;
  ASSERT_TRUE(writePreviewPages(inputs(), sink));
  p = page("pcv00002.htm");
  EXPECT_EQ(field(p, "R1"), "<a href=\"pcv00001.htm\"><img src=\"images/pcva00001.jpg\" alt=\"img1\" "
                            "fetchpriority=\"low\" border=\"0\"></a>");
  EXPECT_EQ(field(p, "P"), "<img src=\"images/pcva00002.jpg\" alt=\"img2\" fetchpriority=\"low\" border=\"0\">");
  EXPECT_FALSE(contains(field(p, "I"), "fetchpriority"));
  s.hidpi = false;

  s.sizeCWidth = 0;
  ASSERT_TRUE(writePreviewPages(inputs(), sink));
  EXPECT_TRUE(contains(page("pcv00000.htm"), "<script type=\"text/javascript\"></script>"));
}

TEST_F(ImagePages, AlbumWithSlideshowNumbersEveryRecord) {
  s.presetNumber = 7001;
  s.sizeCWidth = 1024;
  s.columns = 3;
  s.rowsPerPage = 1;
  templateFile("webalb.html",
               "<script type=\"text/javascript\">CORVANE_PICOVAND_JAVA_CODE</script>~H:CORVANE_PICOVAND_NAVHOME"
               "~U:CORVANE_PICOVAND_NAVUP~D:CORVANE_PICOVAND_FOLDER~S0:PCV_000~S1:PCV_001~S2:PCV_002~K2:PCV_002_COMMENT"
               "~B:CORVANE_PICOVAND_NAVBACK~X:CORVANE_PICOVAND_NAVNEXT~");
  image("/", "erstes", 3);
  image("/", "", 2);
  album("/", "Berge");
  image("/Berge", "oben", 3);

  templateFile("htmlsld.html", kSlideTemplate);
  ASSERT_TRUE(writeSlideAlbum(inputs(), sink));
  ASSERT_TRUE(writeSlidePages(inputs(), sink));
  std::string top = page("pcv00000.htm");
  EXPECT_EQ(field(top, "S0"),
            "<a href=\"pcv-sld-00000.htm\" target=\"_blank\" onclick=\"PicoVand_opensld(this.href); "
            "return false\"><img src=\"images/pcva00000.jpg\" alt=\"erstes\" border=\"0\"></a>");
  EXPECT_TRUE(contains(field(top, "S1"), "href=\"pcv-sld-00001.htm\""));
  EXPECT_EQ(field(top, "S2"),
            "<a href=\"pcv00001.htm\"><img src=\"images/_pcv_7001/folder.gif\" alt=\"Berge\" border=\"0\"><br>Berge</a>");
  EXPECT_EQ(field(top, "H") + field(top, "U"), "##");
  EXPECT_TRUE(contains(top, "function PicoVand_opensld(x)"));
  std::string sub = page("pcv00001.htm");
  EXPECT_TRUE(contains(field(sub, "S0"), "href=\"pcv-sld-00003.htm\""));
  EXPECT_EQ(field(sub, "S1") + field(sub, "K2"), "&nbsp;<br>&nbsp;<br>");
  EXPECT_EQ(field(sub, "H") + " " + field(sub, "U") + " " + field(sub, "D"), "pcv00000.htm pcv00000.htm Reise - Berge");

  for (int j = 0; j < 4; ++j) EXPECT_TRUE(written(pv::format("pcv-sld-%05d.htm", j)));
  EXPECT_FALSE(written("pcv-sld-00004.htm"));
  std::string slide = page("pcv-sld-00002.htm");  // the album record's page shows no picture
  EXPECT_EQ(field(slide, "I") + field(slide, "C") + field(slide, "E"), "3/4&nbsp; &nbsp;");
  slide = page("pcv-sld-00000.htm");
  EXPECT_EQ(field(slide, "I"),
            "<a href=\"images/pcvc00000.jpg\" target=\"_blank\" onclick=\"PicoVand_openimg(this.href); "
            "return false\"><img src=\"images/pcvb00000.jpg\" alt=\"erstes\" border=\"0\"></a>");
  EXPECT_EQ(field(slide, "X") + " " + field(slide, "L") + " " + field(slide, "B"),
            "pcv-sld-00001.htm pcv-sld-00003.htm #");
  EXPECT_TRUE(contains(field(slide, "N"), "<a href=\"pcv-sld-00001.htm\">2</a>"));

  // The slideshow pages are written even when the album template is missing.
  s.presetNumber = 7002;
  templateFile("htmlsld.html", kSlideTemplate);
  EXPECT_FALSE(writeSlideAlbum(inputs(), sink));
  EXPECT_TRUE(writeSlidePages(inputs(), sink));
}

TEST_F(ImagePages, AlbumWithSlideshowNavigationAcrossPages) {
  s.presetNumber = 7001;
  s.columns = 2;
  s.rowsPerPage = 1;
  s.noJavaScript = true;
  templateFile("webalb.html",
               "<script type=\"text/javascript\">CORVANE_PICOVAND_JAVA_CODE</script>"
               "~S0:PCV_000~U:CORVANE_PICOVAND_NAVUP~H:CORVANE_PICOVAND_NAVHOME~N:CORVANE_PICOVAND_NAV123~");
  for (int i = 0; i < 3; ++i) image();
  album("/", "Tal");
  for (int i = 0; i < 23; ++i) image("/Tal");
  ASSERT_TRUE(writeSlideAlbum(inputs(), sink));
  std::string second = page("pcv00001.htm");
  EXPECT_EQ(field(second, "U") + field(second, "H"), "##");  // the top album has no parent on any page
  EXPECT_FALSE(contains(second, "<script"));
  EXPECT_TRUE(contains(field(second, "S0"), "onclick=\"PicoVand_opensld(this.href); return false\""));
  std::string tal = page("pcv00003.htm");  // Tal's second page
  EXPECT_EQ(field(tal, "U") + " " + field(tal, "H"), "pcv00000.htm pcv00000.htm");
  EXPECT_EQ(numbers(field(page("pcv00009.htm"), "N")), "4 5 6 7 [8] 9 10 11 12");

  templateFile("htmlsld.html", kSlideTemplate);
  ASSERT_TRUE(writeSlidePages(inputs(), sink));
  EXPECT_EQ(numbers(field(page("pcv-sld-00020.htm"), "N")), "17 18 19 20 [21] 22 23 24 25");
}
