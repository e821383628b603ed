#include <gtest/gtest.h>

#include "TestSupport.h"
#include "settings/Ini.h"
#include "settings/PageValues.h"
#include "settings/ProjectSettings.h"
#include "util/FileSystem.h"
#include "util/Text.h"

using namespace pv;

TEST(Ini, ReadsWithProfileSemantics) {
  pvtest::ScratchDir dir;
  std::string longValue(300, 'x');
  std::string path = dir.write("a.ini",
                               "; comment\r\n[Lang]\r\n de =  Album Eins  \r\nID=1001abc\r\n[image]\nSIZEAX=-5\nEMPTY=\n"
                               "LONG=" + longValue + "\n");
  IniFile ini = IniFile::load(path);
  EXPECT_EQ(ini.text("LANG", "DE", "n/a"), "Album Eins");
  EXPECT_EQ(ini.integer("lang", "id", 0), 1001);          // stops at the first non-digit
  EXPECT_EQ(ini.integer("IMAGE", "SIZEAX", 7), 0);        // no leading digit
  EXPECT_EQ(ini.integer("IMAGE", "MISSING", 7), 7);
  EXPECT_EQ(ini.text("IMAGE", "EMPTY", "d"), "");
  EXPECT_EQ(ini.text("IMAGE", "MISSING", " "), "");       // defaults are trimmed too
  EXPECT_EQ(ini.text("IMAGE", "LONG", "").size(), 259u);
  EXPECT_EQ(IniFile::load(dir.file("missing.ini")).text("LANG", "DE", "n/a"), "n/a");
}

TEST(Ini, WritingOneKeyKeepsEveryOtherByte) {
  pvtest::ScratchDir dir;
  const std::string original = "; keep me\r\n[IPTC]\r\nTITLE = old\r\n\r\n[Other]\r\nX=1\r\n";
  std::string path = dir.write("c.ini", original);

  ASSERT_TRUE(writeProfileString(path, "iptc", "title", "new"));
  std::string content;
  readWholeFile(path, content);
  EXPECT_EQ(content, "; keep me\r\n[IPTC]\r\nTITLE =new\r\n\r\n[Other]\r\nX=1\r\n");

  ASSERT_TRUE(writeProfileString(path, "IPTC", "AUTHOR", "Me"));
  readWholeFile(path, content);
  EXPECT_EQ(content, "; keep me\r\n[IPTC]\r\nTITLE =new\r\nAUTHOR=Me\r\n\r\n[Other]\r\nX=1\r\n");

  ASSERT_TRUE(writeProfileString(path, "FOLDER", "PROJECT", "/home/u/Web/"));
  readWholeFile(path, content);
  EXPECT_EQ(content, "; keep me\r\n[IPTC]\r\nTITLE =new\r\nAUTHOR=Me\r\n\r\n[Other]\r\nX=1\r\n[FOLDER]\r\n"
                     "PROJECT=/home/u/Web/\r\n");
  EXPECT_EQ(readProfileString(path, "Folder", "Project", ""), "/home/u/Web/");

  std::string fresh = dir.file("sub-missing.ini");
  ASSERT_TRUE(writeProfileString(fresh, "IPTC", "CAPTION", "<IMAGE>"));
  readWholeFile(fresh, content);
  EXPECT_EQ(content, "[IPTC]\nCAPTION=<IMAGE>\n");
  // The first value written makes the file's folders (nothing is made before).
  ASSERT_TRUE(writeProfileString(dir.file("no/such/folder/x.ini"), "A", "B", "C"));
  readWholeFile(dir.file("no/such/folder/x.ini"), content);
  EXPECT_EQ(content, "[A]\nB=C\n");
}

TEST(ProjectType, FamiliesAndTests) {
  EXPECT_TRUE(isOwnTemplate(2002));
  EXPECT_FALSE(isOwnTemplate(2000));
  EXPECT_FALSE(isOwnTemplate(3000));
  EXPECT_TRUE(isGroupNode(3000));
  EXPECT_FALSE(isBatchConversion(3000));
  EXPECT_TRUE(isBatchConversion(3001));
  EXPECT_TRUE(isGroupNode(0));
  EXPECT_TRUE(isJavaScriptFreeForbidden(2003));
  EXPECT_TRUE(isJavaScriptFreeForbidden(5999));
  EXPECT_FALSE(isJavaScriptFreeForbidden(2002));
  EXPECT_FALSE(isJavaScriptFreeForbidden(6001));
  EXPECT_EQ(familyOf(1001), ProjectFamily::WebAlbum);
  EXPECT_EQ(familyOf(7003), ProjectFamily::SlideAlbum);
  EXPECT_EQ(familyOf(6001), ProjectFamily::PreviewSlideshow);
  EXPECT_EQ(familyOf(5001), ProjectFamily::ScriptSlideshow);
  EXPECT_EQ(familyOf(4001), ProjectFamily::Slideshow);
  EXPECT_EQ(familyOf(3002), ProjectFamily::None);
  EXPECT_EQ(familyOf(7000), ProjectFamily::None);
}

TEST(Capture, CleansPrefixesNamesAndCopiesValues) {
  pvtest::ScratchDir dir;
  AppState state(pvtest::scratchEnvironment(dir));
  ImagePageValues image;
  ProjectPageValues project;
  CreatePageValues create;
  image.sizes[0].prefix = "x";
  image.sizes[1].prefix = "";
  image.sizes[2].prefix = "x";
  image.imageFolder = "???";
  image.watermarkFile = "/w.png";
  image.transparency = 77;
  project.style[kBackgroundRow].value = "#112233";
  project.style[kForegroundRow].value = "#445566";
  project.displayTime = 3000;
  create.projectName = "Urlaub:2011";

  captureSettings(state, image, project, create);
  const ProjectSettings& s = state.settings;
  EXPECT_EQ(s.prefixA, "pcva");
  EXPECT_EQ(s.prefixB, "pcvb");
  EXPECT_EQ(s.prefixC, "pcvc");
  EXPECT_EQ(s.imageFolderName, "images");
  EXPECT_EQ(s.projectName, "Urlaub2011");
  EXPECT_EQ(s.fileTag, "pcv");
  EXPECT_EQ(s.backgroundColor, "#112233");
  EXPECT_EQ(s.borderColor, "#445566");
  EXPECT_EQ(s.slideDurationMs, 3000);
  EXPECT_EQ(state.watermarkFile, "/w.png");
  EXPECT_EQ(state.watermarkTransparency, 77);
  // The page keeps what the user typed; only the copy is cleaned.
  EXPECT_EQ(image.sizes[0].prefix, "x");

  for (auto [entered, stored] : {std::pair{"my:pics", "mypics"}, {"<>", "images"}, {"..", "images"}, {"a.b", "a.b"}}) {
    image.imageFolder = entered;
    captureSettings(state, image, project, create);
    EXPECT_EQ(state.settings.imageFolderName, stored) << entered;
  }
  std::string prefixes[3] = {"x", "y", "y"};
  normalisePrefixes(prefixes, true);
  EXPECT_EQ(prefixes[1], "PCVB");
  std::string distinct[3] = {"a", "", "../c"};
  normalisePrefixes(distinct);
  EXPECT_EQ(distinct[1], "pcvb");
  EXPECT_EQ(distinct[2], "..c");  // no way out of the image folder
  std::string onlySlashes[3] = {"//", "b", "c"};
  normalisePrefixes(onlySlashes);
  EXPECT_EQ(onlySlashes[0], "pcva");
}

TEST(ImagePage, SizeChoicesAndRanges) {
  ImagePageValues v;
  chooseSize(v, kSizeB, 2);  // "(Orginalbild)"
  EXPECT_EQ(v.sizes[kSizeB].width, 9999);
  EXPECT_EQ(v.sizes[kSizeB].height, 9999);
  EXPECT_FALSE(v.sizes[kSizeB].fieldsEnabled);
  chooseSize(v, kSizeB, 1);  // "(Benutzer)"
  EXPECT_EQ(v.sizes[kSizeB].width, 0);
  EXPECT_TRUE(v.sizes[kSizeB].fieldsEnabled);
  chooseSize(v, kSizeA, 10);  // row A has no original entry: index 10 is "640 x 480"
  EXPECT_EQ(sizeChoices(kSizeA)[10], "640 x 480");
  EXPECT_EQ(v.sizes[kSizeA].width, 640);
  EXPECT_EQ(v.sizes[kSizeA].height, 480);
  chooseSize(v, kSizeA, 0);
  EXPECT_EQ(v.sizes[kSizeA].width, 0);
  EXPECT_FALSE(v.sizes[kSizeA].fieldsEnabled);

  v.sizes[kSizeA].width = 12345;
  EXPECT_TRUE(clampField(settingsField("widthA"), {&v, nullptr}));
  EXPECT_EQ(v.sizes[kSizeA].width, 9999);
  v.transparency = 0;
  EXPECT_TRUE(clampField(settingsField("transparency"), {&v, nullptr}));
  EXPECT_EQ(v.transparency, 1);
  v.watermarkSize = 400;
  clampField(settingsField("watermarkSize"), {&v, nullptr});
  EXPECT_EQ(v.watermarkSize, 100);
  v.offsetX = 0;
  EXPECT_FALSE(clampField(settingsField("offsetX"), {&v, nullptr}));
  v.offsetY = 201;
  clampField(settingsField("offsetY"), {&v, nullptr});
  EXPECT_EQ(v.offsetY, 200);
}

TEST(ProjectPage, RangesCaptionRulesColoursFonts) {
  ProjectPageValues v;
  v.columns = 0;
  EXPECT_TRUE(clampField(settingsField("columns"), {nullptr, &v}));
  EXPECT_EQ(v.columns, 1);
  v.rowsPerPage = 0;
  EXPECT_FALSE(clampField(settingsField("rowsPerPage"), {nullptr, &v}));
  v.displayTime = 3;
  clampField(settingsField("displayTime"), {nullptr, &v});
  EXPECT_EQ(v.displayTime, 1000);
  v.tableBorder = 11;
  clampField(settingsField("tableBorder"), {nullptr, &v});
  EXPECT_EQ(v.tableBorder, 10);

  tickCaptionSource(v, CaptionSource::FileName, true);
  EXPECT_TRUE(v.captions.captionFromFileName);
  EXPECT_FALSE(v.captions.captionFromIptc || v.captions.captionFromJpegComment || v.captions.captionFromExif);
  tickCaptionSource(v, CaptionSource::Exif, true);
  EXPECT_FALSE(v.captions.captionFromFileName);
  tickCaptionSource(v, CaptionSource::Iptc, true);
  EXPECT_TRUE(v.captions.captionFromExif && v.captions.captionFromIptc);

  EXPECT_EQ(parseColourText("  #a0b1c2 "), 0xA0B1C2u);
  EXPECT_EQ(parseColourText("#GG0000"), 0u);  // an unreadable pair gives 0
  EXPECT_FALSE(parseColourText("(Standard)"));
  EXPECT_FALSE(parseColourText("red"));
  EXPECT_EQ(colourText(0x0a0bff), "#0A0BFF");

  EXPECT_EQ(fontChoiceFor("times"), "Times New Roman");
  EXPECT_EQ(fontChoiceFor("Fira Sans"), "Fira Sans");
}

TEST(CreatePage, NameTypingAndFolderChoice) {
  pvtest::ScratchDir dir;
  AppState state(pvtest::scratchEnvironment(dir));
  CreatePageValues v;
  setupCreatePage(v, state.settings.projectsFolder);
  EXPECT_EQ(v.projectName.size(), 14u);
  typeProjectName(v, "Urlaub:2011");
  EXPECT_EQ(v.projectName, "Urlaub_2011");
  EXPECT_EQ(v.outputFolder, state.settings.projectsFolder + "Urlaub_2011");

  chooseProjectFolder(state, v, dir.path() + "web");
  EXPECT_EQ(v.projectFolder, dir.path() + "web/");
  EXPECT_EQ(v.outputFolder, dir.path() + "web/Urlaub_2011");
  // The next start begins with the chosen folder.
  AppState next(pvtest::scratchEnvironment(dir));
  EXPECT_EQ(next.settings.projectsFolder, dir.path() + "web/");
}

// Files are read whole in one piece: every byte of a large file, a file
// whose size the system does not know beforehand, and nothing of a folder
// or a missing file.
TEST(Files, ReadWholeFileTakesEveryByte) {
  pvtest::ScratchDir dir;
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7919 % 251);
  ASSERT_TRUE(writeWholeFile(dir.file("big.bin"), big));
  std::string read = "old";
  ASSERT_TRUE(readWholeFile(dir.file("big.bin"), read));
  EXPECT_EQ(read, big);
  ASSERT_TRUE(readWholeFile("/proc/self/status", read));  // reported as 0 bytes long
  EXPECT_NE(read.find("VmHWM:"), std::string::npos);
  EXPECT_FALSE(readWholeFile(dir.path(), read));
  EXPECT_FALSE(readWholeFile(dir.file("missing"), read));
  EXPECT_TRUE(read.empty());
}
