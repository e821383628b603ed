#pragma once
// The slideshow that runs in the browser on a single page: every image and
// caption in script arrays, first/back/next/last, play and stop, an optional
// cross-fade. The own-page slideshow embeds the same program.
#include <optional>
#include <string>

#include "pages/PageEngine.h"

namespace pv {

struct SlideshowScript {
  std::string program;
  std::string firstImage;    // web path of the first slide, empty without slides
  std::string firstCaption;  // as typed, empty without slides
  std::string firstAlt;      // the first picture's alt text
  std::optional<PictureChoice> firstChoice;  // the first picture with its high-resolution one
  bool noLink = true;        // no slide opens a larger image
};

// The program for the images of the entries (albums have no pictures and
// are left out), from slideDurationMs, crossFade and sizeBWidth.
SlideshowScript slideshowScript(const PageInputs& in);
// The slide's image element, wrapped in the link that opens the larger
// image unless noLink; with srcset and sizes where the first picture has a
// high-resolution one.
std::string slideshowImageTag(bool noLink, const std::string& firstImage, const std::string& firstAlt,
                              const std::optional<PictureChoice>& firstChoice = std::nullopt);
// Script that turns the arrow keys and a left or right swipe into back and
// next, where back and next are script statements. It registers itself once
// per page, however often it is included.
std::string gestureScript(const char* back, const char* next);
// Fills the preset's "javasld.html" and writes it as page 0. False when the
// template cannot be read.
bool writeScriptSlideshow(const PageInputs& in, PageSink& sink);

}  // namespace pv
