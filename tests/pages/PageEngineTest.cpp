#include <gtest/gtest.h>

#include "TestSupport.h"
#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "util/Text.h"

using namespace pv;

namespace {
ProjectSettings pageSettings() {
  ProjectSettings s;
  s.fileTag = "pcv";
  s.projectName = "Reise";
  s.imageFolderName = "images";
  s.presetNumber = 1003;
  s.controlSet = 101;
  return s;
}
}  // namespace

TEST(PageEngine, TemplatesKeepEveryByteButCarriageReturnsBeforeLineFeeds) {
  pvtest::ScratchDir dir;
  std::string raw = std::string("a\r\nb\xFF") + '\0' + "c\rd\r\n";
  std::string path = dir.write("t.html", raw);
  std::string text;
  ASSERT_TRUE(loadTemplate(path, text));
  EXPECT_EQ(text, std::string("a\nb\xFF") + '\0' + "c\rd\n");
  EXPECT_FALSE(loadTemplate(dir.file("missing.html"), text));
  EXPECT_EQ(text, "");
}

TEST(PageEngine, TokensAndSlotTokens) {
  std::string t = "PCV_001 PCV_0011 x PCV_001";
  EXPECT_EQ(replaceToken(t, "PCV_001", "<b>PCV_001</b>"), 3);  // the inserted value is not scanned again
  EXPECT_EQ(t, "<b>PCV_001</b> <b>PCV_001</b>1 x <b>PCV_001</b>");
  std::string exif = "PCV_EXIF_MAKE_1 PCV_EXIF_MAKE_12 PCV_EXIF_MAKE_1.";
  EXPECT_EQ(replaceSlotToken(exif, "PCV_EXIF_MAKE_1", "Canon"), 2);
  EXPECT_EQ(exif, "Canon PCV_EXIF_MAKE_12 Canon.");

  CollectionItem img;
  img.exifMake = "Nikon";
  img.exifIsoSpeed = "200";
  std::string page = "PCV_EXIF_MAKE_12|PCV_EXIF_ISO_12|PCV_EXIF_FOCAL_12|PCV_EXIF_MAKE_1|PCV_EXIF_MODEL_2";
  fillExifSlot(page, &img, 12);
  fillExifSlot(page, nullptr, 1);
  EXPECT_EQ(page, "Nikon|ISO 200|&nbsp;|&nbsp;|PCV_EXIF_MODEL_2");  // a missing value is a blank cell
  CollectionItem album;
  album.isAlbum = true;
  page = "PCV_EXIF_ISO_0 PCV_EXIF_DATE_0";
  fillExifSlot(page, &album, 0);
  EXPECT_EQ(page, "&nbsp; &nbsp;");
}

TEST(PageEngine, PageNumberLinks) {
  ProjectSettings s = pageSettings();
  EXPECT_EQ(pageNumberLinks(s, 0, 0, 0), "[<span aria-current=\"page\">1</span>]\n");
  EXPECT_EQ(pageNumberLinks(s, 0, 2, 1),
            "<a href=\"pcv00000.htm\">1</a> \n | [<span aria-current=\"page\">2</span>]\n | <a href=\"pcv00002.htm\">3</a> \n");
  auto shown = [&](int first, int last, int current) {
    std::string links = pageNumberLinks(s, first, last, current), out;
    replaceAll(links, "[<span aria-current=\"page\">", "[");
    for (size_t i = 0; i < links.size(); ++i)
      if (links[i] == '>' || links[i] == '[') {
        size_t j = i + 1;
        while (j < links.size() && isdigit((unsigned char)links[j])) ++j;
        if (j > i + 1) out += (links[i] == '[' ? "[" : "") + links.substr(i + 1, j - i - 1) + (links[i] == '[' ? "] " : " ");
      }
    return out;
  };
  EXPECT_EQ(shown(0, 9, 0), "[1] 2 3 4 5 6 7 8 9 ");
  EXPECT_EQ(shown(0, 9, 9), "2 3 4 5 6 7 8 9 [10] ");
  EXPECT_EQ(shown(10, 30, 25), "12 13 14 15 [16] 17 18 19 20 ");
  EXPECT_EQ(shown(10, 30, 29), "13 14 15 16 17 18 19 [20] 21 ");
  EXPECT_NE(pageNumberLinks(s, 10, 30, 25).find("href=\"pcv00021.htm\">12<"), std::string::npos);
  EXPECT_EQ(slidePageNumberLinks(s, 0, 1, 0), "[<span aria-current=\"page\">1</span>]\n | <a href=\"pcv-sld-00001.htm\">2</a> \n");
}

TEST(PageEngine, NamesTitlesAndStyleBlock) {
  ProjectSettings s = pageSettings();
  EXPECT_EQ(pageFileName(s, 7), "pcv00007.htm");
  EXPECT_EQ(slidePageFileName(s, 123456), "pcv-sld-123456.htm");
  EXPECT_EQ(templateImageFolder(s), "images/_pcv_1003");
  EXPECT_EQ(controlFolder(s), "images/_ctrl_0101/");

  EXPECT_EQ(albumTitle(s, "/"), "Reise");
  EXPECT_EQ(albumTitle(s, " /Urlaub/Berge "), "Reise - Urlaub - Berge");
  std::string longPath = "/" + std::string(59, 'x');
  EXPECT_EQ(albumTitle(s, longPath), "..." + longPath.substr(20));
  std::string mid = "/" + std::string(36, 'y');  // fits alone, not with the project name
  EXPECT_EQ(albumTitle(s, mid), mid);
  // The tail starts on a whole character: the "ü" that the cut would split goes.
  EXPECT_EQ(albumTitle(s, "/\xC3\xBC" + std::string(39, 'q')), "..." + std::string(39, 'q'));

  s.textFont = "Georgia";
  s.textSize = kStandard;
  s.textColor = "#333333";
  s.linkColor = "";
  std::string style = galleryStyleRules(s);
  EXPECT_EQ(style.find('<'), std::string::npos);  // rules for a stylesheet file, no markup
  EXPECT_NE(style.find(".PicoVandCSS {font-family:Georgia; color:#333333; }\n"), std::string::npos);
  EXPECT_NE(style.find(".PicoVandNAV a:hover {text-decoration:none; font-family:Georgia; }\n"), std::string::npos);
  EXPECT_EQ(style.find("(Standard)"), std::string::npos);
  EXPECT_EQ(windowOpenerScript("PicoVand_opensld").substr(0, 32), "function PicoVand_opensld(x)\n{Pi");
}

TEST(PageEngine, StripScriptsAndNormalize) {
  std::string page =
      "<head><SCRIPT type=\"text/javascript\">f()</SCRIPT><script type=\"text/javascript\">g()</script></head>"
      "<a onclick=\"PicoVand_openimg(this.href); return false\">x</a>"
      "<a onclick=\"PicoVand_opensld(this.href); return false\">y</a>"
      "<a onclick=\"picovand_openimg(this.href); return false\">z</a>";
  EXPECT_EQ(stripScripts(page),
            "<head><script type=\"text/javascript\">g()</script></head><a  >x</a>"
            "<a onclick=\"PicoVand_opensld(this.href); return false\">y</a>"
            "<a onclick=\"picovand_openimg(this.href); return false\">z</a>");

  std::string text = "<meta content=\"Microsoft FrontPage 4.0\" name=\"GENERATOR\">\t" + std::string(40, ' ') + "|" +
                     std::string(32, ' ') + "|\r\n\n\n  x";
  normalizePage(text);
  EXPECT_EQ(text, "<meta name=\"GENERATOR\" content=\"Corvane Pico Vand\">  | |\nx");
}

TEST(PageEngine, CreditGoesOnTheFirstWrittenPageOnly) {
  pvtest::ScratchDir dir;
  PageSink sink;
  std::string unwritable = "<html><body>x</body></html>";
  EXPECT_FALSE(writePage(sink, dir.file("no/such/dir/p.htm"), unwritable));
  EXPECT_FALSE(sink.creditPlaced);  // a page that could not be opened keeps the credit pending
  ASSERT_EQ(sink.failures.size(), 1u);
  EXPECT_TRUE(sink.failures[0].starts_with(dir.file("no/such/dir/p.htm") + ": ")) << sink.failures[0];

  std::string first = "<BODY>one</BODY>", second = "<body>two</body>";
  ASSERT_TRUE(writePage(sink, dir.file("a.htm"), first));
  ASSERT_TRUE(writePage(sink, dir.file("b.htm"), second));
  EXPECT_TRUE(sink.creditPlaced);
  EXPECT_EQ(sink.written, (std::vector<std::string>{dir.file("a.htm"), dir.file("b.htm")}));
  std::string a, b;
  readWholeFile(dir.file("a.htm"), a);
  readWholeFile(dir.file("b.htm"), b);
  EXPECT_NE(a.find("PicoVand"), std::string::npos);
  EXPECT_NE(a.find("</div></p></body>"), std::string::npos);
  EXPECT_EQ(a.find("</BODY>"), std::string::npos);
  EXPECT_EQ(b, "<body>two</body>");

  // A first page without a closing body tag uses the credit up: no page gets it.
  PageSink next;
  std::string bare = "no body", later = "<body></body>";
  writePage(next, dir.file("c.htm"), bare);
  writePage(next, dir.file("d.htm"), later);
  readWholeFile(dir.file("d.htm"), b);
  EXPECT_EQ(b, "<body></body>");
}

TEST(PageEngine, ColourTokensInWrittenFiles) {
  pvtest::ScratchDir dir;
  ProjectSettings s = pageSettings();
  s.borderColor = "#101010";
  s.backgroundColor = kStandard;
  s.textFont = "Verdana";
  s.textColor = "#202020";
  s.linkColor = "#303030";
  s.textSize = "12px";
  std::string css = dir.write("pcv.css", "a{color:CORVANE_PICOVAND_LINKCOLOR}\r\nb{background:CORVANE_PICOVAND_BACKCOLOR;"
                                         "font:CORVANE_PICOVAND_FONTSIZE CORVANE_PICOVAND_FONTTYPE}");
  ASSERT_TRUE(applyColourTokens(s, css));
  std::string out;
  readWholeFile(css, out);
  EXPECT_EQ(out, "a{color:#303030}\nb{background:(Standard);font:12px Verdana}");
  std::string plain = dir.write("plain.css", "a{}\r\n");
  EXPECT_TRUE(applyColourTokens(s, plain));
  readWholeFile(plain, out);
  EXPECT_EQ(out, "a{}\r\n");  // untouched
  EXPECT_FALSE(applyColourTokens(s, dir.file("missing.css")));
}

TEST(PageEngine, EscapesForLinksAndScripts) {
  EXPECT_EQ(encodeWebPath("images/50%/A#1/Rom & Paris/pcva00001.jpg"),
            "images/50%25/A%231/Rom%20%26%20Paris/pcva00001.jpg");
  EXPECT_EQ(encodeWebPath("images/Grüße/x.jpg"), "images/Gr%C3%BC%C3%9Fe/x.jpg");
  EXPECT_EQ(escapeJsString("Er sagte \"Hallo\"\nund 'tschüss' \\ </script>"),
            "Er sagte \\\"Hallo\\\"\\nund \\'tschüss\\' \\\\ \\x3C/script>");
  EXPECT_EQ(escapeJsString("a\xE2\x80\xA8z"), "a\\u2028z");
}
