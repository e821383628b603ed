#include "WriterFixture.h"
#include "pages/ScriptSlideshow.h"

using namespace pv;
using pvtest::contains;
using pvtest::occurrences;

namespace {

struct ScriptSlideshow : pvtest::WriterFixture {
  ScriptSlideshow() {
    s.presetNumber = 5001;
    templateFile(
        "javasld.html",
        "<html><head><script type=\"text/javascript\">\r\nCORVANE_PICOVAND_JAVA_CODE\r\n</script></head>"
        "<body bgcolor=\"CORVANE_PICOVAND_BACKCOLOR\"><h1>CORVANE_PICOVAND_TITLE</h1>"
        "<link href=\"pcv_image_folder/pcv.css\"><span id=\"PicoVand_Counter\">CORVANE_PICOVAND_CURRENTIMAGE</span>"
        "CORVANE_PICOVAND_IMAGE<span id=\"PicoVand_Comment\">CORVANE_PICOVAND_COMMENT</span></body></html>");
  }
};

}  // namespace

TEST_F(ScriptSlideshow, ArraysLinksAndImageTag) {
  image("/", "eins", 1);
  album("/", "Ferien");  // no picture of its own: not a slide
  image("/", "", 2);
  image("/Ferien", "drei", 1);
  SlideshowScript script = slideshowScript(inputs());
  const std::string& p = script.program;
  EXPECT_EQ(p.substr(0, 62), "var PicoVand_speed=3000;\nvar PicoVand_pic = 0;\nvar PicoVand_pl");
  EXPECT_TRUE(contains(p,
                       "PicoVand_imgarray[0]=new PicoVand_img('images/pcva00000.jpg');\n"
                       "PicoVand_comarray[0]=\"eins\";\n"
                       "PicoVand_altarray[0]=\"eins\";\n"
                       "PicoVand_imgarray[1]=new PicoVand_img('images/pcva00001.jpg');\n"
                       "PicoVand_lnkarray[1]=\"images/pcvb00001.jpg\";\n"
                       "PicoVand_comarray[1]=\"\\u00a0\";\n"
                       "PicoVand_altarray[1]=\"img1\";\n"  // no caption: the file name
                       "PicoVand_imgarray[2]=new PicoVand_img('images/Ferien/pcva00002.jpg');\n"
                       "PicoVand_comarray[2]=\"drei\";\n"
                       "PicoVand_altarray[2]=\"drei\";\n"
                       "var PicoVand_nopic"));
  EXPECT_EQ(occurrences(p, "]=new PicoVand_img("), 3);
  EXPECT_EQ(occurrences(p, "\nPicoVand_lnkarray["), 1);
  EXPECT_TRUE(contains(p, "function PicoVand_openimg()\n"));
  EXPECT_FALSE(script.noLink);
  EXPECT_EQ(script.firstImage, "images/pcva00000.jpg");
  EXPECT_EQ(script.firstCaption, "eins");
  EXPECT_EQ(slideshowImageTag(false, script.firstImage, script.firstAlt),
            "<a href=\"javascript:PicoVand_openimg()\"><img name=\"PicoVand_Image\" id=\"PicoVand_Image\" "
            "src=\"images/pcva00000.jpg\" alt=\"eins\" border=\"0\"></a>\n");

  s.sizeBWidth = 0;
  pictures[state.items.list[2].get()].resize(1);
  s.slideDurationMs = 5000;
  script = slideshowScript(inputs());
  EXPECT_TRUE(script.noLink);
  EXPECT_FALSE(contains(script.program, "PicoVand_lnkarray[") || contains(script.program, "PicoVand_openimg"));
  EXPECT_TRUE(contains(script.program, "var PicoVand_speed=5000;\n"));
  EXPECT_EQ(slideshowImageTag(true, script.firstImage, script.firstAlt),
            "<img name=\"PicoVand_Image\" id=\"PicoVand_Image\" src=\"images/pcva00000.jpg\" alt=\"eins\" "
            "border=\"0\">\n");
}

TEST_F(ScriptSlideshow, CrossFadeDecidesTheUpdateAndTheEnd) {
  image();
  s.crossFade = false;
  std::string plain = slideshowScript(inputs()).program;
  EXPECT_FALSE(contains(plain, "fade"));
  EXPECT_TRUE(contains(plain, "function PicoVand_update() \n{PicoVand_show();"));
  s.crossFade = true;
  std::string fading = slideshowScript(inputs()).program;
  EXPECT_TRUE(fading.ends_with("PicoVand_changetext('PicoVand_Comment', PicoVand_comarray[PicoVand_pic]);\n}"));
  EXPECT_TRUE(contains(fading, "{PicoVand_fadeout(); setTimeout ('PicoVand_fadein()',200);}\n"));
  EXPECT_TRUE(contains(fading, "(i*2));}PicoVand_changetext('PicoVand_Counter'"));
}

TEST_F(ScriptSlideshow, UserTextsCannotBreakTheScript) {
  album("/", "50% & A#1");
  image("/50% & A#1", "Sie sagte \"Käse\" \\ und\nging's </script>", 2);
  SlideshowScript script = slideshowScript(inputs());
  EXPECT_TRUE(
      contains(script.program, "PicoVand_imgarray[0]=new PicoVand_img('images/50%25%20%26%20A%231/pcva00000.jpg');"));
  EXPECT_TRUE(
      contains(script.program, "PicoVand_comarray[0]=\"Sie sagte \\\"Käse\\\" \\\\ und\\nging\\'s \\x3C/script>\";\n"));
  EXPECT_FALSE(contains(script.program, "</script>"));
  EXPECT_EQ(script.firstCaption, "Sie sagte \"Käse\" \\ und\nging's </script>");  // the page shows it as typed
  EXPECT_TRUE(contains(slideshowImageTag(true, script.firstImage, script.firstAlt),
                       "src=\"images/50%25%20%26%20A%231/pcva00000.jpg\" "
                       "alt=\"Sie sagte &quot;Käse&quot; \\ und\nging's &lt;/script&gt;\""));
}

TEST_F(ScriptSlideshow, WritesOnlyTheStartPage) {
  image("/", "");
  image("/", "zwei");
  s.noJavaScript = true;  // not for this family: the page would show nothing without its script
  s.backgroundColor = "#102030";
  ASSERT_TRUE(writeScriptSlideshow(inputs(), sink));
  EXPECT_EQ(pvtest::WriterFixture::pagesWritten(), 1u);
  const std::string p = page("pcv00000.htm");
  EXPECT_TRUE(contains(p, "<script type=\"text/javascript\">\nvar PicoVand_speed=3000;"));
  EXPECT_TRUE(contains(p, "PicoVand_comarray[0]=\"\\u00a0\";"));
  EXPECT_TRUE(contains(p, "<span id=\"PicoVand_Comment\"></span>"));  // the page's own caption stays empty
  EXPECT_TRUE(contains(p, "<span id=\"PicoVand_Counter\">1/2</span>"));
  EXPECT_TRUE(contains(p, "<h1>Reise</h1><link href=\"images/_pcv_5001/pcv.css\">"));
  EXPECT_TRUE(contains(p, "bgcolor=\"#102030\""));
  EXPECT_TRUE(contains(p, "href=\"javascript:PicoVand_openimg()\""));

  state.items.clear();
  ASSERT_TRUE(writeScriptSlideshow(inputs(), sink));
  const std::string empty = page("pcv00000.htm");
  EXPECT_TRUE(contains(empty, "id=\"PicoVand_Image\" src=\"\" alt=\"\" border=\"0\">"));
  EXPECT_TRUE(contains(empty, ">1/0<"));

  s.presetNumber = 5002;
  EXPECT_FALSE(writeScriptSlideshow(inputs(), sink));
}
