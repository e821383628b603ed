#include <map>

#include "WriterFixture.h"
#include "pages/OwnPages.h"

using namespace pv;
using pvtest::contains;
using pvtest::occurrences;

namespace {

struct OwnPages : pvtest::WriterFixture {
  OwnPages() {
    s.presetNumber = 2001;
    s.columns = 3;
    s.rowsPerPage = 2;
    s.tableBorder = 1;
    s.cellSpacing = 2;
    s.cellPadding = 4;
    s.backgroundColor = kStandard;
    s.borderColor = "#abcdef";
    s.ownTemplatePage = dir.write("mine.htm", "<html><body>\r\n<h1>Meine Seite</h1>\r\n##PICOVAND##\r\n</body></html>");
  }
  // The gallery fragment of a written page.
  std::string fragment(const std::string& name) const {
    const std::string p = page(name);
    size_t b = p.find("<!-- begin Pico Vand -->"), e = p.find("<!-- end Pico Vand -->");
    return b == std::string::npos || e == std::string::npos ? std::string() : p.substr(b, e - b);
  }
  // The pages written; the stylesheet lies in the image folder.
  size_t pagesWritten() const {
    size_t n = 0;
    for (const pv::DirEntry& e : pv::listDirectory(out)) n += pv::endsWith(e.name, ".htm") ? 1 : 0;
    return n;
  }
  std::string styleSheet() const { return page("images/_pcv_" + std::to_string(s.presetNumber) + "/gallery.css"); }
};

// A navigation cell: a linked button names what it does (album pages count
// pages, per-image pages pictures) and back and next carry their relation.
std::string button(const std::string& graphic, int target, bool perImage = false) {
  const std::map<std::string, std::pair<const char*, const char*>> names = {
      {"home.gif", {"Startseite", "Startseite"}}, {"first.gif", {"Erste Seite", "Erstes Bild"}},
      {"rev.gif", {"Vorherige Seite", "Vorheriges Bild"}}, {"for.gif", {"N&auml;chste Seite", "N&auml;chstes Bild"}},
      {"last.gif", {"Letzte Seite", "Letztes Bild"}}, {"up.gif", {"&Uuml;bergeordnetes Album", ""}}};
  const auto& n = names.at(graphic);
  const std::string img = "<img src=\"images/_ctrl_0101/" + graphic + "\" alt=\"" +
                          (target < 0 ? "" : perImage ? n.second : n.first) + "\" border=\"0\">";
  const std::string rel = graphic == "rev.gif" ? " rel=\"prev\"" : graphic == "for.gif" ? " rel=\"next\"" : "";
  const std::string link = target < 0 ? img : pv::format("<a href=\"pcv%05d.htm\"", target) + rel + ">" + img + "</a>";
  return "<td>" + link + "</td>\n";
}

}  // namespace

TEST_F(OwnPages, AlbumTableRowsFillersAndNavigation) {
  s.tableWidth = 600;
  image("/", "nicht gezeigt");
  image("/", "", 1);
  album("/", "Rom & Paris");
  image("/");
  image("/Rom & Paris");
  ASSERT_TRUE(writeOwnAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 2u);

  const std::string user = page("pcv00000.htm");
  EXPECT_TRUE(user.starts_with("<html><body>\n<h1>Meine Seite</h1>\n\n<!-- begin Pico Vand -->"));
  EXPECT_TRUE(user.ends_with("<!-- end Pico Vand -->\n\n</body></html>"));
  const std::string top = fragment("pcv00000.htm");
  EXPECT_TRUE(contains(top,
                       "<link rel=\"stylesheet\" href=\"images/_pcv_2001/gallery.css\">\n"
                       "<table class=\"PicoVandCSS PicoVandTable\">\n<tr><td colspan=\"3\">\nReise\n</td></tr>\n"));
  EXPECT_TRUE(contains(top, "window.open(x,\"PicoVandWindow\", \"location=no"));
  EXPECT_TRUE(contains(top,
                       "<td class=\"PicovandNAV\"><div class=\"PicoVandCenter\"><a href=\"images/pcvb00000.jpg\" "
                       "onclick=\"PicoVandOpenWin (this.href); return false\"><img src=\"images/pcva00000.jpg\" "
                       "alt=\"nicht gezeigt\" border=\"0\"></a></div></td>\n"));
  EXPECT_TRUE(
      contains(top, "<div class=\"PicoVandCenter\"><img src=\"images/pcva00001.jpg\" alt=\"img1\" border=\"0\"></div>"));
  EXPECT_TRUE(contains(top,
                       "<div class=\"PicoVandCenter\"><a href=\"pcv00001.htm\"><img "
                       "src=\"images/_pcv_2001/folder.gif\" alt=\"Rom &amp; Paris\" border=\"0\"><br>Rom &amp; Paris</a>"
                       "</div></td>\n</tr>\n<tr>\n"));
  // 3 columns, 4 entries: the second row gets one picture and two fillers,
  // every cell a third of the table.
  EXPECT_TRUE(contains(top,
                       "</td>\n<td class=\"PicoVandCenter\">&nbsp;</td><td class=\"PicoVandCenter\">&nbsp;</td></tr>\n"
                       "</table>\n"));
  // The table settings are the stylesheet's: width, border in its colour,
  // spacing, padding, the column share; no background of "(Standard)".
  const std::string sheet = styleSheet();
  EXPECT_TRUE(contains(sheet, ".PicoVandTable {width: 600px; border-spacing: 2px; border: 1px solid #abcdef;}\n"));
  EXPECT_TRUE(contains(sheet, "{padding: 4px; width: 33%; border: 1px solid; border-color: inherit;}\n"));
  EXPECT_FALSE(contains(sheet, "background"));
  EXPECT_EQ(occurrences(top, "<tr>\n"), 2);
  EXPECT_FALSE(contains(top, "home.gif"));       // a top album on a single page has no navigation row
  // The album table shows no caption; the picture names itself with it.
  EXPECT_EQ(occurrences(top, "nicht gezeigt"), 1);

  const std::string sub = fragment("pcv00001.htm");
  EXPECT_TRUE(contains(sub, "\n/Rom &amp; Paris\n</td></tr>"));  // the album path as title
  EXPECT_TRUE(contains(sub, "src=\"images/Rom%20%26%20Paris/pcva00003.jpg\""));
  EXPECT_TRUE(
      contains(sub, "<tr>\n" + button("home.gif", 0) + button("first.gif", -1) + button("rev.gif", -1) +
                        "<td class=\"PicovandNAV\">\n[<span aria-current=\"page\">1</span>]\n</td>\n" + button("for.gif", -1) +
                        button("last.gif", -1) + button("up.gif", 0) + "</tr></table>\n</div></td></tr>\n</table>\n"));
}

TEST_F(OwnPages, AlbumPagesOfALongAlbum) {
  s.rowsPerPage = 1;
  for (int i = 0; i < 7; ++i) image();
  ASSERT_TRUE(writeOwnAlbum(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 3u);
  const std::string middle = fragment("pcv00001.htm");
  EXPECT_TRUE(contains(middle, button("home.gif", -1) + button("first.gif", 0) + button("rev.gif", 0)));
  EXPECT_TRUE(contains(middle, button("for.gif", 2) + button("last.gif", 2) + button("up.gif", -1)));
  const std::string last = fragment("pcv00002.htm");
  EXPECT_TRUE(contains(last, button("for.gif", -1) + button("last.gif", -1)));

  s.columns = 0;  // no table can be laid out: no page
  pvtest::ScratchDir other;
  EXPECT_TRUE(writeOwnAlbum(inputs(other.path()), sink));
  EXPECT_TRUE(pv::listDirectory(other.path()).empty());
}

TEST_F(OwnPages, OnePagePerImage) {
  s.presetNumber = 2002;
  image("/", "Am Meer");
  album("/", "Leer");
  image("/", "", 1);
  ASSERT_TRUE(writeOwnImagePages(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 2u);
  const std::string first = fragment("pcv00000.htm");
  EXPECT_TRUE(contains(first, "window.open(x,\"PicoVandWindow\",\"location=no"));
  EXPECT_TRUE(contains(first,
                       "<table class=\"PicoVandCSS PicoVandTable\">\n"
                       "<tr>\n<td class=\"PicoVandTitle\">Reise</td>\n<td class=\"PicoVandPosition\">1/2</td></tr>\n"
                       "<tr>\n<td class=\"PicoVandPicture\" colspan=\"2\">\n<div class=\"PicoVandCenter\">\n"
                       "<a href=\"images/pcvb00000.jpg\""));
  EXPECT_TRUE(contains(first, "<div class=\"PicoVandCenter\">Am Meer</div></td></tr>\n"));
  EXPECT_TRUE(contains(first, "<tr>\n<td colspan=\"2\">\n<table class=\"PicoVandCSS PicoVandBar\">"));
  // The picture's row is tall enough for size A and the padding.
  EXPECT_TRUE(contains(styleSheet(), ".PicoVandPicture {height: 100px;}"));
  EXPECT_TRUE(contains(first, button("first.gif", -1, true) + button("rev.gif", -1, true)));
  EXPECT_TRUE(contains(first, button("for.gif", 1, true) + button("last.gif", 1, true) + "</tr></table>\n</td></tr></table>\n"));
  const std::string second = fragment("pcv00001.htm");
  EXPECT_TRUE(contains(second, ">2/2<"));
  EXPECT_FALSE(contains(second, "Am Meer"));
  EXPECT_EQ(occurrences(second, "colspan=\"2\""), 2);  // an empty caption gives no caption row
  EXPECT_TRUE(contains(
      second, "<div class=\"PicoVandCenter\">\n<img src=\"images/pcva00001.jpg\" alt=\"img1\" border=\"0\"></div>"));

  s.noJavaScript = true;
  ASSERT_TRUE(writeOwnImagePages(inputs(), sink));
  const std::string plain = fragment("pcv00000.htm");
  EXPECT_FALSE(contains(plain, "<script"));
  EXPECT_FALSE(contains(plain, "onclick"));
  EXPECT_TRUE(contains(plain, "<a href=\"images/pcvb00000.jpg\" ><img"));
}

TEST_F(OwnPages, ScriptSlideshowFragment) {
  s.presetNumber = 2003;
  s.noJavaScript = true;  // the slideshow keeps its script regardless
  image("/", "");
  image("/", "zwei");
  ASSERT_TRUE(writeOwnSlideshow(inputs(), sink));
  EXPECT_EQ(pagesWritten(), 1u);
  const std::string p = page("pcv00000.htm");
  EXPECT_TRUE(contains(p, "\n<!-- Corvane Pico Vand https://"));
  const std::string f = fragment("pcv00000.htm");
  EXPECT_TRUE(contains(f, "<script type=\"text/javascript\">\n<!--\nvar PicoVand_speed=3000;"));
  EXPECT_TRUE(contains(f, "PicoVand_lnkarray[1]=\"images/pcvb00001.jpg\";"));
  EXPECT_TRUE(contains(f, "<table class=\"PicoVandCSS PicoVandTable\"><tr>\n<td class=\"PicoVandTitle\">Reise</td>"));
  EXPECT_TRUE(contains(f, "<span id=\"PicoVand_Counter\">1/2</span>"));
  EXPECT_TRUE(contains(f,
                       "<td class=\"PicoVandPicture\" colspan=\"2\">\n<div class=\"PicoVandCenter\">\n"
                       "<a href=\"javascript:PicoVand_openimg()\">"));
  // The caption row is there even with an empty caption.
  EXPECT_TRUE(contains(f, "<div class=\"PicoVandCenter\"><p><span id=\"PicoVand_Comment\"></span></p>"));
  EXPECT_TRUE(contains(
      f,
      "<a href=\"#\" onClick=\"PicoVand_stop();\"><img src=\"images/_ctrl_0101/pause.gif\" alt=\"Diashow anhalten\" "
      "border=\"0\"></a>\n"
      "</td>\n<td><a href=\"#\" onClick=\"PicoVand_play();\">"));
  EXPECT_TRUE(
      contains(f,
               "<td class=\"PicovandNAV\">&nbsp;</td>\n<td><a href=\"#\" onClick=\"PicoVand_gofirst();\">"));
  for (const char* call : {"PicoVand_goback", "PicoVand_gonext", "PicoVand_golast"}) EXPECT_TRUE(contains(f, call));
}

TEST_F(OwnPages, TheUsersPage) {
  image("/", "x");
  // Every placeholder gets the gallery; the rest of the page stays byte for byte.
  s.ownTemplatePage = dir.write("twice.htm", "<body>  ##PICOVAND##\t|##PICOVAND##</body>");
  ASSERT_TRUE(writeOwnImagePages(inputs(), sink));
  const std::string p = page("pcv00000.htm");
  EXPECT_EQ(occurrences(p, "<!-- begin Pico Vand -->"), 2);
  EXPECT_TRUE(p.starts_with("<body>  \n<!-- begin"));
  EXPECT_TRUE(contains(p, "<!-- end Pico Vand -->\n\t|\n<!-- begin"));

  pvtest::ScratchDir other;
  for (const std::string& bad :
       {std::string(), dir.file("missing.htm"), dir.write("lower.htm", "<body>##picovand##</body>")}) {
    s.ownTemplatePage = bad;
    EXPECT_FALSE(writeOwnAlbum(inputs(other.path()), sink)) << bad;
    EXPECT_FALSE(writeOwnImagePages(inputs(other.path()), sink)) << bad;
    EXPECT_FALSE(writeOwnSlideshow(inputs(other.path()), sink)) << bad;
  }
  EXPECT_TRUE(pv::listDirectory(other.path()).empty());
}
