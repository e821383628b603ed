// The page templates and stylesheets of every gallery preset: the tokens
// their writers fill, nothing the writers leave behind, the script element
// the script-free option removes, and colour tokens that fall back to the
// design when nobody chose a colour.
#include <map>

#include "DataSupport.h"
#include "state/AppState.h"
#include "settings/Ini.h"
#include "settings/Presets.h"

using namespace pv;
using pvdata::count;
using pvdata::matches;
using pvdata::readText;
using pvdata::resources;

namespace {

std::string draftFolder(int n) { return resources() + "DRAFTS/" + std::to_string(n) + "/"; }

const std::set<std::string> kAlbumTokens = {
    "CORVANE_PICOVAND_JAVA_CODE", "CORVANE_PICOVAND_TITLE",    "CORVANE_PICOVAND_FOLDER",
    "CORVANE_PICOVAND_NAV123",    "CORVANE_PICOVAND_NAVHOME",  "CORVANE_PICOVAND_NAVUP",
    "CORVANE_PICOVAND_NAVBACK",   "CORVANE_PICOVAND_NAVNEXT",  "CORVANE_PICOVAND_NAVFIRST",
    "CORVANE_PICOVAND_NAVLAST",   "CORVANE_PICOVAND_COLUMNS",  "PCV_SLOT"};  // PCV_SLOT: the marks of the one slot
const std::set<std::string> kPageTokens = {
    "CORVANE_PICOVAND_JAVA_CODE", "CORVANE_PICOVAND_TITLE",   "CORVANE_PICOVAND_CURRENTIMAGE",
    "CORVANE_PICOVAND_COMMENT",   "CORVANE_PICOVAND_IMAGE",   "CORVANE_PICOVAND_NAV123",
    "CORVANE_PICOVAND_NAVBACK",   "CORVANE_PICOVAND_NAVNEXT", "CORVANE_PICOVAND_NAVFIRST",
    "CORVANE_PICOVAND_NAVLAST"};
const std::set<std::string> kScriptTokens = {"CORVANE_PICOVAND_JAVA_CODE", "CORVANE_PICOVAND_TITLE",
                                             "CORVANE_PICOVAND_CURRENTIMAGE", "CORVANE_PICOVAND_COMMENT",
                                             "CORVANE_PICOVAND_IMAGE"};

const std::regex kAnyToken("CORVANE_PICOVAND_[A-Z0-9_]+|PCV_[A-Z0-9_]+");
const std::regex kSlot("^PCV_([0-9]{3})(_COMMENT)?$");
const std::regex kExif("^PCV_EXIF_(MAKE|MODEL|DATE|ISO|FNUMBER|EXPOSURE|FOCAL)_(0|[1-9][0-9]*)$");
const std::regex kPreview("^PCV_PREV_(C|[RF][1-9])$");

const char* const kColourTokens[kStyleRowCount] = {
    "CORVANE_PICOVAND_BACKCOLOR", "CORVANE_PICOVAND_TABLECOLOR", "CORVANE_PICOVAND_FONTTYPE",
    "CORVANE_PICOVAND_FONTCOLOR", "CORVANE_PICOVAND_LINKCOLOR",  "CORVANE_PICOVAND_FONTSIZE"};

struct TemplateCase {
  int preset;
  std::string name;
  std::string text;
};
std::vector<TemplateCase> allTemplates() {
  std::vector<TemplateCase> out;
  for (int n : pvdata::galleryPresets())
    for (const std::string& name : pvdata::templateNames(n)) out.push_back({n, name, readText(draftFolder(n) + name)});
  return out;
}

// The first script element as the script-free option finds it.
std::string firstScript(const std::string& page) {
  std::string lower = toLower(page);
  size_t open = lower.find("<script type=\"text/javascript\">");
  size_t close = open == std::string::npos ? open : lower.find("</script>", open);
  return close == std::string::npos ? "" : page.substr(open, close + 9 - open);
}

// "selector { declarations }" rules of a stylesheet, comments removed and
// at-rule blocks flattened (their inner rules count like any other).
std::vector<std::pair<std::string, std::string>> cssRules(std::string css) {
  for (size_t a = css.find("/*"); a != std::string::npos; a = css.find("/*")) css.erase(a, css.find("*/", a) + 2 - a);
  std::vector<std::pair<std::string, std::string>> rules;
  size_t pos = 0;
  while (true) {
    size_t open = css.find('{', pos);
    if (open == std::string::npos) break;
    size_t close = css.find('}', open);
    size_t nested = css.find('{', open + 1);
    std::string selector = trimWhite(css.substr(pos, open - pos));
    if (nested != std::string::npos && nested < close) {  // @media and the like
      pos = open + 1;
      continue;
    }
    rules.push_back({selector, css.substr(open + 1, close - open - 1)});
    pos = close + 1;
    while (pos < css.size() && (css[pos] == '}' || isspace(static_cast<unsigned char>(css[pos])))) ++pos;
  }
  return rules;
}

std::vector<std::string> splitList(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (size_t c; (c = s.find(sep, pos)) != std::string::npos; pos = c + 1) out.push_back(trimWhite(s.substr(pos, c - pos)));
  out.push_back(trimWhite(s.substr(pos)));
  return out;
}

// Property -> value of each declaration of a rule.
std::vector<std::pair<std::string, std::string>> declarations(const std::string& block) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const std::string& d : splitList(block, ';')) {
    size_t colon = d.find(':');
    if (colon != std::string::npos) out.push_back({trimWhite(d.substr(0, colon)), trimWhite(d.substr(colon + 1))});
  }
  return out;
}

}  // namespace

TEST(DataTemplates, HoldTheTokensTheirWriterFillsAndNoOther) {
  for (const TemplateCase& t : allTemplates()) {
    SCOPED_TRACE(std::to_string(t.preset) + "/" + t.name);
    const int family = t.preset / 1000;
    const bool album = t.name == "webalb.html";
    std::set<std::string> fixed = album ? kAlbumTokens : family == 5 ? kScriptTokens : kPageTokens;
    std::set<std::string> required = fixed;
    if (album && !IniFile::load(resources() + "CONFIG/" + std::to_string(t.preset) + ".config").integer("FOLDER", "SUB", 0)) {
      required.erase("CORVANE_PICOVAND_NAVHOME");
      required.erase("CORVANE_PICOVAND_NAVUP");
    }
    std::set<int> slots, commented, exifSlots;
    for (const std::string& token : matches(t.text, kAnyToken)) {
      std::smatch m;
      if (fixed.count(token)) continue;
      if (album && std::regex_match(token, m, kSlot)) {
        (m[2].matched ? commented : slots).insert(std::stoi(m[1]));
      } else if (family != 5 && std::regex_match(token, m, kExif)) {
        exifSlots.insert(std::stoi(m[2]));
      } else if (t.name == "sldprv.html" && std::regex_match(token, kPreview)) {
      } else {
        ADD_FAILURE() << "no writer fills " << token;
      }
    }
    for (const std::string& token : required) EXPECT_NE(t.text.find(token), std::string::npos) << token;
    if (album) {
      ASSERT_FALSE(slots.empty());
      EXPECT_EQ(*slots.rbegin() + 1, int(slots.size())) << "slots numbered from 000 without gaps";
      EXPECT_EQ(slots, commented) << "every slot has its caption";
      for (int s : exifSlots) EXPECT_TRUE(slots.count(s)) << "camera data of a missing slot " << s;
    } else {
      for (int s : exifSlots) EXPECT_EQ(s, 0) << "pages of one picture fill slot 0 only";
    }
    if (t.name == "sldprv.html") {
      for (const char* k : {"PCV_PREV_C", "PCV_PREV_R1", "PCV_PREV_F1"}) EXPECT_NE(t.text.find(k), std::string::npos) << k;
    }
  }
}

TEST(DataTemplates, AreUtf8Html5PagesForEveryScreen) {
  for (const TemplateCase& t : allTemplates()) {
    SCOPED_TRACE(std::to_string(t.preset) + "/" + t.name);
    EXPECT_TRUE(startsWith(t.text, "<!DOCTYPE html>"));
    size_t charset = t.text.find("<meta charset=\"utf-8\">");
    EXPECT_LT(charset, 1024u) << "the encoding must be declared early";
    EXPECT_NE(t.text.find("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"), std::string::npos);
    EXPECT_EQ(t.text.find('\r'), std::string::npos);
    EXPECT_EQ(t.text.find('\t'), std::string::npos);
    // Every graphic and stylesheet the page names is installed with it.
    for (const std::string& ref : matches(t.text, std::regex("pcv_image_folder/[A-Za-z0-9_.-]+"))) {
      EXPECT_TRUE(fileExists(draftFolder(t.preset) + ref)) << ref;
    }
    EXPECT_NE(t.text.find("pcv_image_folder/pcv.css"), std::string::npos);
    EXPECT_EQ(t.text.find("pcv_image_folder/pcv2.css") != std::string::npos,
              fileExists(draftFolder(t.preset) + "pcv_image_folder/pcv2.css"));
  }
}

TEST(DataTemplates, KeepAllScriptInTheOneElementTheScriptFreeOptionRemoves) {
  for (const TemplateCase& t : allTemplates()) {
    SCOPED_TRACE(std::to_string(t.preset) + "/" + t.name);
    std::string script = firstScript(t.text);
    ASSERT_FALSE(script.empty());
    EXPECT_NE(script.find("CORVANE_PICOVAND_JAVA_CODE"), std::string::npos);
    EXPECT_EQ(count(toLower(t.text), "<script"), 1) << "a second script would survive the script-free option";
    // The script program ends without a line break when cross-fading.
    EXPECT_NE(script.find("CORVANE_PICOVAND_JAVA_CODE\n"), std::string::npos);
    std::string rest = t.text;
    replaceAll(rest, script, "");
    if (t.preset / 1000 != 5) {
      EXPECT_FALSE(std::regex_search(rest, std::regex("\\son[a-z]+="))) << "script in an event handler outside it";
    }
  }
}

TEST(DataTemplates, ScriptSlideshowHasItsCounterCaptionAndControls) {
  for (const TemplateCase& t : allTemplates()) {
    if (t.name != "javasld.html") continue;
    SCOPED_TRACE(t.preset);
    EXPECT_TRUE(std::regex_search(t.text, std::regex("id=\"PicoVand_Counter\"[^>]*>CORVANE_PICOVAND_CURRENTIMAGE<")));
    EXPECT_TRUE(std::regex_search(t.text, std::regex("id=\"PicoVand_Comment\"[^>]*>CORVANE_PICOVAND_COMMENT<")));
    EXPECT_EQ(t.text.find("PicoVand_Image"), std::string::npos) << "the writer brings the image element";
    for (const char* f : {"PicoVand_play()", "PicoVand_stop()", "PicoVand_gofirst()", "PicoVand_goback()",
                          "PicoVand_gonext()", "PicoVand_golast()"})
      EXPECT_NE(t.text.find(std::string("onclick=\"") + f + "\""), std::string::npos) << f;
  }
}

TEST(DataTemplates, TopAlbumFragmentsAreExactStretchesOfTheTemplate) {
  for (int n : pvdata::galleryPresets()) {
    if (n / 1000 != 1) continue;
    SCOPED_TRACE(n);
    IniFile ini = IniFile::load(resources() + "CONFIG/" + std::to_string(n) + ".config");
    std::string page = readText(draftFolder(n) + "webalb.html");
    const std::string folder = "images/_pcv_" + std::to_string(n);
    replaceAll(page, "pcv_image_folder", folder);
    for (auto [key, token] : {std::pair{"NOHOME", "CORVANE_PICOVAND_NAVHOME"}, {"NOUP", "CORVANE_PICOVAND_NAVUP"}}) {
      std::string fragment = ini.text("WEBALB", key, "");
      if (fragment.empty()) continue;
      replaceAll(fragment, "pcv_image_folder", folder);
      EXPECT_EQ(count(page, fragment), 1) << key << ": " << fragment;
      EXPECT_NE(fragment.find(token), std::string::npos) << key << " must take its button's link with it";
      // The navigation names its targets once more, for the stylesheet;
      // any other copy would stay behind.
      EXPECT_EQ(count(page, std::string("data-") + (key[2] == 'H' ? "home" : "up") + "=\"" + token + "\""), 1);
      EXPECT_EQ(count(page, token), 2) << "a further " << token << " would stay behind";
    }
  }
}

TEST(DataTemplates, ColourTokensOnlyWhereTheUserMayChooseAndWithTheDesignBehindThem) {
  for (int n : pvdata::galleryPresets()) {
    SCOPED_TRACE(n);
    pvtest::ScratchDir dir;
    AppState state(pvtest::scratchEnvironment(dir));
    ImagePageValues image;
    ProjectPageValues project;
    loadPreset(state, n, image, project);

    const std::string folder = draftFolder(n) + "pcv_image_folder/";
    const std::string design = readText(folder + "pcv.css");
    const std::string choices = readText(folder + "pcv2.css");
    for (const std::string& name : pvdata::templateNames(n))
      EXPECT_TRUE(matches(readText(draftFolder(n) + name), std::regex("CORVANE_PICOVAND_(TABLECOLOR|BACKCOLOR|FONT[A-Z]+|LINKCOLOR)")).empty());
    EXPECT_EQ(design.find("CORVANE_"), std::string::npos) << "the design sheet holds the design's own values";
    for (int row = 0; row < kStyleRowCount; ++row)
      EXPECT_EQ(choices.find(kColourTokens[row]) != std::string::npos, project.style[row].enabled)
          << kColourTokens[row] << ": a choice the user may make must show, and only those";

    // "(Standard)" makes a declaration invalid; the same property must then
    // have a value for the same selector in the design sheet.
    std::map<std::string, std::set<std::string>> designed;
    for (const auto& [selectors, block] : cssRules(design))
      for (const std::string& sel : splitList(selectors, ','))
        for (const auto& [prop, value] : declarations(block)) designed[sel].insert(prop);
    for (const auto& [selectors, block] : cssRules(choices)) {
      for (const auto& [prop, value] : declarations(block)) {
        if (value.find("CORVANE_") == std::string::npos) continue;
        EXPECT_FALSE(startsWith(prop, "--")) << "a custom property would take \"(Standard)\" as its value";
        if (prop != "color" && prop != "background-color" && prop != "font-family" && prop != "font-size") continue;
        for (const std::string& sel : splitList(selectors, ','))
          EXPECT_TRUE(designed[sel].count(prop)) << sel << " { " << prop << " } has no design value";
      }
    }
    for (const std::string& css : {design, choices}) EXPECT_EQ(count(css, "{"), count(css, "}"));
  }
}
