#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "model/ItemCollection.h"
#include "util/Text.h"

using namespace pv;

namespace {

std::string captionOf(const std::string& path, CaptionSources sources) {
  ItemCollection items;
  CollectionItem* item = items.addImage(path, fileNameOf(path), "/", sources);
  return item ? item->caption : "<not added>";
}

std::string copyPhoto(const pvtest::ScratchDir& dir, const std::string& photo, const std::string& name) {
  std::string to = dir.file(name);
  copyFileReplacing(pvtest::photo(photo), to);
  return to;
}

constexpr CaptionSources kAll{true, true, true, false};

}  // namespace

TEST(Metadata, CaptionSourcesInTheirOrder) {
  PV_REQUIRE_PHOTOS();
  std::string three = pvtest::photo("comment_iptc_description_all_different.jpg");
  EXPECT_EQ(captionOf(three, kAll), "yelimS green faced dude (iptc caption)");
  EXPECT_EQ(captionOf(three, {false, true, true, false}), "This is a jpeg comment, about the green smiley.");
  EXPECT_EQ(captionOf(three, {false, false, true, false}), "Well it is a smiley that happens to be green");
  EXPECT_EQ(captionOf(three, {false, false, false, false}), "");
  EXPECT_EQ(captionOf(three, {true, true, true, true}), "comment_iptc_description_all_different");

  pvtest::ScratchDir dir;
  // An IPTC caption of blanks only lets the JPEG comment through.
  std::string blank = copyPhoto(dir, "comment_iptc_description_all_different.jpg", "blank.jpg");
  pvtest::run("exiftool -q -overwrite_original '-Caption-Abstract=   ' '" + blank + "'");
  ASSERT_EQ(pvtest::exiftoolTag(blank, "Caption-Abstract", "-b"), "   ");
  EXPECT_EQ(captionOf(blank, kAll), "This is a jpeg comment, about the green smiley.");

  // The EXIF description alone, with only IPTC and comment allowed: no caption.
  std::string exifOnly = copyPhoto(dir, "comment_iptc_description_all_different.jpg", "exif.jpg");
  pvtest::run("exiftool -q -overwrite_original -IPTC:all= -Comment= '" + exifOnly + "'");
  EXPECT_EQ(captionOf(exifOnly, {true, true, false, false}), "");
  EXPECT_EQ(captionOf(exifOnly, kAll), "Well it is a smiley that happens to be green");

  // A real comment, trimmed; and the file name without its last extension.
  EXPECT_EQ(captionOf(pvtest::photo("exif_kodak_dc210_comment.jpg"), kAll),
            "Lovely smoke effect here, of which I'm secretly very proud.");
  EXPECT_EQ(captionOf(copyPhoto(dir, "exif_casio_exm2.jpg", "IMG_0815.JPG"), {false, false, false, true}), "IMG_0815");
  EXPECT_EQ(captionOf(copyPhoto(dir, "exif_casio_exm2.jpg", "holiday.photo.jpg"), {false, false, false, true}),
            "holiday.photo");
  // A file that is gone cannot give its name; the undecodable one still can.
  EXPECT_EQ(captionOf(dir.file("gone.jpg"), {false, false, false, true}), "");
  EXPECT_EQ(captionOf(pvtest::photo("broken_no_ihdr.png"), {false, false, false, true}), "broken_no_ihdr");
}

TEST(Metadata, IptcCaptionsInLegacyAndUtf8Encodings) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  std::string legacy = copyPhoto(dir, "exif_casio_exm2.jpg", "legacy.jpg");
  // Written as Windows-1252 without a character-set record, as old software does.
  pvtest::run("exiftool -q -overwrite_original -charset iptc=cp1252 '-Caption-Abstract=Grüße – Köln' '" + legacy + "'");
  EXPECT_EQ(captionOf(legacy, kAll), "Grüße – Köln");

  // UTF-8 captions stay as they are; a TIFF's caption is read as well.
  std::string jpeg = captionOf(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), kAll);
  EXPECT_EQ(jpeg, trimWhite(pvtest::exiftoolTag(pvtest::photo("iptc_caption_nikon_d1x_reagan.jpg"), "Caption-Abstract", "-b")));
  std::string tiff = captionOf(pvtest::photo("tiff_rgba8_exif_iptc_reagan.tiff"), kAll);
  EXPECT_EQ(tiff.substr(0, 18), "040621-N-6536T-062");
  EXPECT_NE(tiff.find("Straits of Magellan"), std::string::npos);
}

TEST(Metadata, ExifTextsMatchTheFile) {
  PV_REQUIRE_PHOTOS();
  for (const char* name : {"exif_canon_g9_imagedescription.jpg", "exif_nokia_n70_iptc_keywords.jpg",
                           "orientation6_canon_sx60.jpg", "exif_nikon_d300_progressive.jpeg"}) {
    SCOPED_TRACE(name);
    std::string path = pvtest::photo(name);
    ItemCollection items;
    CollectionItem* i = items.addImage(path, name, "/", kAll);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->exifMake, pvtest::exiftoolTag(path, "Make"));
    EXPECT_EQ(i->exifModel, pvtest::exiftoolTag(path, "Model"));
    EXPECT_EQ(i->exifDateTime, pvtest::exiftoolTag(path, "IFD0:ModifyDate"));
    EXPECT_EQ(i->exifIsoSpeed, pvtest::exiftoolTag(path, "ISO"));
    // FreeImage writes its own units: "F5.0", "7.4 mm", "1/1250 sec".
    ASSERT_FALSE(i->exifFNumber.empty());
    EXPECT_NEAR(std::stod(i->exifFNumber.substr(1)), std::stod(pvtest::exiftoolTag(path, "FNumber", "-n")), 0.05);
    EXPECT_NEAR(std::stod(i->exifFocalLength), std::stod(pvtest::exiftoolTag(path, "FocalLength", "-n")), 0.05);
    double num = 0, den = 1;
    ASSERT_GE(std::sscanf(i->exifExposureTime.c_str(), "%lf/%lf", &num, &den), 1) << i->exifExposureTime;
    EXPECT_NEAR(num / den, std::stod(pvtest::exiftoolTag(path, "ExposureTime", "-n")), 1e-4);
  }

  pvtest::ScratchDir dir;
  std::string png = dir.file("plain.png");
  ASSERT_TRUE(pvtest::writeTestImage(png, 20, 10));
  ItemCollection items;
  CollectionItem* p = items.addImage(png, "plain.png", "/", kAll);
  for (const std::string* s : {&p->exifDateTime, &p->exifFNumber, &p->exifFocalLength, &p->exifIsoSpeed,
                               &p->exifExposureTime, &p->exifMake, &p->exifModel})
    EXPECT_EQ(*s, "");
}

// Image programs sign files with their name and version in many wordings;
// a caption that mentions a program or ends in a year is still a caption.
TEST(Metadata, ProgramSignaturesAreTold) {
  for (const char* junk : {"comment in GIMP 2.4.5", "Created with GIMP 2.10.34", "File written by Adobe Photoshop\xC2\xA8 4.0",
                           "Edited with Paint.NET v3.36", "Processed by digiKam", "  made with ImageMagick 6.9.11-60 ",
                           "Optimized by IrfanView"})
    EXPECT_TRUE(isSoftwareComment(junk)) << junk;
  for (const char* caption : {"Sunset in Rome 2019", "Kurs: Bildbearbeitung mit GIMP am Abend", "GIMP workshop 2008 in Köln",
                              "Photoshop-Kurs im Rathaus", "Created with love in Paris", "Made in Italy 2009"})
    EXPECT_FALSE(isSoftwareComment(caption)) << caption;
}

// Comments that cameras and programs write by themselves never become a
// caption; a real text further down the order then wins. The files are
// written by exiftool, as a camera or a program would leave them.
TEST(Metadata, SoftwareCommentsAreNoCaptions) {
  PV_REQUIRE_PHOTOS();
  pvtest::ScratchDir dir;
  const std::string junk[] = {"OLYMPUS DIGITAL CAMERA         ",
                              "CREATOR: gd-jpeg v1.0 (using IJG JPEG v62), quality = 60\n",
                              "SANYO DIGITAL CAMERA", "LEAD Technologies Inc. V1.01", "Created with GIMP",
                              "AppleMark\n", " \t ", "comment in GIMP 2.4.5"};
  int n = 0;
  for (const std::string& text : junk) {
    SCOPED_TRACE(text);
    // The smiley holds a real description; with the comment the camera's
    // text, the description is the caption.
    std::string path = copyPhoto(dir, "comment_iptc_description_all_different.jpg", "c" + std::to_string(n++) + ".jpg");
    pvtest::run("exiftool -q -overwrite_original -IPTC:all= '-Comment=" + text + "' '" + path + "'");
    EXPECT_EQ(captionOf(path, kAll), "Well it is a smiley that happens to be green");
    // The same text as the description, with no comment: no caption at all.
    pvtest::run("exiftool -q -overwrite_original -Comment= '-ImageDescription=" + text + "' '" + path + "'");
    EXPECT_EQ(captionOf(path, kAll), "");
  }
  // A comment that merely mentions a camera maker is a caption.
  std::string real = copyPhoto(dir, "exif_kodak_dc210_comment.jpg", "real.jpg");
  pvtest::run("exiftool -q -overwrite_original '-Comment=Mit der OLYMPUS DIGITAL CAMERA am Hafen' '" + real + "'");
  EXPECT_EQ(captionOf(real, kAll), "Mit der OLYMPUS DIGITAL CAMERA am Hafen");
  // The shared photos' own comments stay captions.
  EXPECT_EQ(captionOf(pvtest::photo("exif_kodak_dc210_comment.jpg"), kAll),
            "Lovely smoke effect here, of which I'm secretly very proud.");
  EXPECT_EQ(captionOf(pvtest::photo("exif_canon_g9_imagedescription.jpg"), {false, false, true, false}),
            "El cielo sobre Berlin (Heaven above Berlin)");
  // The blank-only description of a real camera file gives no caption.
  EXPECT_EQ(captionOf(pvtest::photo("orientation6_canon_sx60.jpg"), kAll), "");
}
