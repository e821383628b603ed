#include "pages/ScriptSlideshow.h"

#include <cerrno>
#include <cstring>

#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

SlideshowScript slideshowScript(const PageInputs& in) {
  const ProjectSettings& s = in.settings;
  const auto slides = imageEntries(in);
  SlideshowScript out;
  std::string& p = out.program;
  // Slides with high-resolution pictures name them for the browser to choose;
  // without any, the program stays as it always was.
  std::vector<std::optional<PictureChoice>> choices;
  bool anyChoice = false;
  for (const PageEntry* e : slides) {
    choices.push_back(pictureChoice(in.outputFolder, *e, 0));
    anyChoice = anyChoice || choices.back();
  }
  p += format("var PicoVand_speed=%d;\nvar PicoVand_pic = 0;\nvar PicoVand_playing=0;\n", s.slideDurationMs);
  p += "PicoVand_imgarray = new Array();\nPicoVand_comarray = new Array();\nPicoVand_lnkarray = new Array();\n"
       "PicoVand_altarray = new Array();\n";
  // Paths and captions go into string literals: escaped, so a quote, a
  // backslash or a line break in a caption cannot end the script early.
  for (size_t i = 0; i < slides.size(); ++i) {
    const PageEntry& e = *slides[i];
    const CollectionItem& r = *e.record;
    if (anyChoice)
      p += format("PicoVand_imgarray[%zu]=new PicoVand_img('%s', '%s', '%s');\n", i,
                  escapeJsString(webPath(e, 0)).c_str(), choices[i] ? escapeJsString(choices[i]->srcset).c_str() : "",
                  choices[i] ? escapeJsString(choices[i]->sizes).c_str() : "");
    else
      p += format("PicoVand_imgarray[%zu]=new PicoVand_img('%s');\n", i, escapeJsString(webPath(e, 0)).c_str());
    if (e.pictures.size() >= 2) {
      p += format("PicoVand_lnkarray[%zu]=\"%s\";\n", i, escapeJsString(webPath(e, 1)).c_str());
      out.noLink = false;
    }
    // Shown as text: an empty caption keeps its line with a no-break space.
    p += format("PicoVand_comarray[%zu]=\"%s\";\n", i,
                r.caption.empty() ? "\\u00a0" : escapeJsString(r.caption).c_str());
    p += format("PicoVand_altarray[%zu]=\"%s\";\n", i, escapeJsString(pictureAlt(r)).c_str());
  }
  if (!slides.empty()) {
    out.firstImage = slides[0]->pictures.empty() ? std::string() : slides[0]->pictures[0];
    out.firstCaption = slides[0]->record->caption;
    out.firstAlt = pictureAlt(*slides[0]->record);
    out.firstChoice = choices[0];
  }
  p += "var PicoVand_nopic = PicoVand_imgarray.length;\n";
  if (s.sizeBWidth != 0)
    p += "function PicoVand_openimg()\n"
         "{PicoVandWindow = window.open(PicoVand_lnkarray[PicoVand_pic],\"PicoVandWindow\","
         "\"location=no,toolbar=no,status=yes,resizable=yes\");\n"
         "PicoVandWindow.focus();}\n";
  // A slide's picture is fetched only when it or a neighbour is shown, so
  // opening the page costs the first picture and the two beside it, and the
  // next one is in the cache before the show (or its cross-fade) needs it.
  // Every element whose id begins with the slideshow's ids is updated: a
  // page may show the slideshow more than once.
  if (anyChoice)
    p += "function PicoVand_img(image_location, image_srcset, image_sizes)\n"
         "{this.location = image_location; this.srcset = image_srcset; this.sizes = image_sizes;"
         " this.image_item = null;}\n";
  else
    p += "function PicoVand_img(image_location)\n"
         "{this.location = image_location; this.image_item = null;}\n";
  // The candidates go in before the address, so that the browser fetches
  // only the one it chooses.
  p += "function PicoVand_load(i)\n"
       "{if (PicoVand_nopic == 0) return; var o = PicoVand_imgarray[(i + PicoVand_nopic) % PicoVand_nopic];\n"
       "if (!o.image_item) {o.image_item = new Image(); ";
  if (anyChoice) p += "o.image_item.sizes = o.sizes; o.image_item.srcset = o.srcset; ";
  p += "o.image_item.src = o.location;}}\n"
       "function PicoVand_getimg(imageObj) \n"
       "{return(imageObj.location)}\n"
       "function PicoVand_each(id, f)\n"
       "{var e = document.querySelectorAll('[id^=\"' + id + '\"]'); for (var k = 0; k < e.length; k++) f(e[k]);}\n"
       "function PicoVand_show()\n"
       "{PicoVand_each('PicoVand_Image', function (e) {";
  if (anyChoice) p += "e.sizes = PicoVand_imgarray[PicoVand_pic].sizes; e.srcset = PicoVand_imgarray[PicoVand_pic].srcset;\n";
  p += "e.src = PicoVand_getimg(PicoVand_imgarray[PicoVand_pic]);\n"
       "e.alt = PicoVand_altarray[PicoVand_pic];});\n"
       "PicoVand_load(PicoVand_pic + 1); PicoVand_load(PicoVand_pic - 1);}\n";
  p += "window.addEventListener('load', function () {PicoVand_load(1); PicoVand_load(-1);});\n"
       "function PicoVand_changetext(src, txt)\n"
       "{PicoVand_each(src, function (e) {e.textContent = txt;});}\n"
       "function PicoVand_update() \n";
  if (s.crossFade)
    p += "{PicoVand_fadeout(); setTimeout ('PicoVand_fadein()',200);}\n";
  else
    p += "{PicoVand_show();\n"
         "PicoVand_changetext('PicoVand_Comment', PicoVand_comarray[PicoVand_pic]);\n"
         "PicoVand_changetext('PicoVand_Counter', (PicoVand_pic+1) + '/' + PicoVand_nopic);}\n";
  p += "function PicoVand_gofirst()\n"
       "{PicoVand_pic = 0; PicoVand_update();}\n"
       "function PicoVand_golast() \n"
       "{PicoVand_pic = PicoVand_nopic-1; PicoVand_update();}\n"
       "function PicoVand_goback() \n"
       "{PicoVand_pic = (PicoVand_pic-1+PicoVand_nopic) % PicoVand_nopic; PicoVand_update();}\n"
       "function PicoVand_gonext() \n"
       "{PicoVand_pic = (PicoVand_pic+1) % PicoVand_nopic; PicoVand_update();}\n"
       "function PicoVand_play() \n"
       "{PicoVand_gonext();\n"
       "if (PicoVand_playing==0){PicoVand_timerID = setTimeout(\"PicoVand_timer('PicoVand_Image')\", "
       "PicoVand_speed); PicoVand_playing=1;}}\n"
       "function PicoVand_stop() \n"
       "{if (PicoVand_playing==1){clearTimeout(PicoVand_timerID); PicoVand_playing=0;}}\n"
       "function PicoVand_timer() \n"
       "{PicoVand_pic = (PicoVand_pic+1) % PicoVand_nopic; PicoVand_update();\n"
       "PicoVand_timerID = setTimeout(\"PicoVand_timer('PicoVand_Image')\", PicoVand_speed);}\n"
       "function PicoVand_trans(trans) \n"
       "{PicoVand_each('PicoVand_Image', function (e) {e.style.opacity = (trans/100);});}\n";
  p += gestureScript("PicoVand_goback()", "PicoVand_gonext()");
  if (s.crossFade)
    p += "function PicoVand_fadeout()\n"
         "{for(i=0;i<=100;i+=5) {setTimeout(\"PicoVand_trans(\"+(100-i)+\")\",(i*2));}}\n"
         "function PicoVand_fadein()\n"
         "{PicoVand_show();\n"
         "for(i=0;i<=100;i+=5) {setTimeout(\"PicoVand_trans(\"+i+\")\",(i*2));}"
         "PicoVand_changetext('PicoVand_Counter', (PicoVand_pic+1) + '/' + PicoVand_nopic);\n"
         "PicoVand_changetext('PicoVand_Comment', PicoVand_comarray[PicoVand_pic]);\n}";
  return out;
}

std::string gestureScript(const char* back, const char* next) {
  return format(
      "if (!window.PicoVand_gestures) {\n"
      "window.PicoVand_gestures = 1;\n"
      "document.addEventListener('keydown', function (e) {\n"
      "if (e.altKey || e.ctrlKey || e.metaKey || e.shiftKey) return;\n"
      "if (e.key === 'ArrowLeft') %s; else if (e.key === 'ArrowRight') %s;});\n"
      "var PicoVand_x = null, PicoVand_y = 0;\n"
      "document.addEventListener('touchstart', function (e) {\n"
      "if (e.touches.length != 1) {PicoVand_x = null; return;}\n"
      "PicoVand_x = e.touches[0].clientX; PicoVand_y = e.touches[0].clientY;}, {passive: true});\n"
      "document.addEventListener('touchend', function (e) {\n"
      "if (PicoVand_x === null) return;\n"
      "var dx = e.changedTouches[0].clientX - PicoVand_x, dy = e.changedTouches[0].clientY - PicoVand_y;\n"
      "PicoVand_x = null;\n"
      "if (Math.abs(dx) < 40 || Math.abs(dx) < 1.5 * Math.abs(dy)) return;\n"
      "if (dx > 0) %s; else %s;}, {passive: true});\n"
      "}\n",
      back, next, back, next);
}

std::string slideshowImageTag(bool noLink, const std::string& firstImage, const std::string& firstAlt,
                              const std::optional<PictureChoice>& firstChoice) {
  const std::string choice =
      firstChoice ? format(" srcset=\"%s\" sizes=\"%s\"", firstChoice->srcset.c_str(), firstChoice->sizes.c_str())
                  : std::string();
  const std::string img =
      format("<img name=\"PicoVand_Image\" id=\"PicoVand_Image\" src=\"%s\"%s alt=\"%s\" border=\"0\">",
             encodeWebPath(firstImage).c_str(), choice.c_str(), escapeAttribute(firstAlt).c_str());
  return noLink ? img + "\n" : "<a href=\"javascript:PicoVand_openimg()\">" + img + "</a>\n";
}

bool writeScriptSlideshow(const PageInputs& in, PageSink& sink) {
  std::optional<std::string> pageTemplate = presetTemplate(in.settings, "javasld.html");
  if (!pageTemplate) return false;
  const ProjectSettings& s = in.settings;
  const SlideshowScript script = slideshowScript(in);
  std::string& page = *pageTemplate;
  replaceToken(page, "CORVANE_PICOVAND_JAVA_CODE", script.program);
  replaceToken(page, "CORVANE_PICOVAND_CURRENTIMAGE", format("1/%zu", imageEntries(in).size()));
  replaceToken(page, "CORVANE_PICOVAND_COMMENT", escapeAttribute(script.firstCaption));
  replaceToken(page, "CORVANE_PICOVAND_IMAGE", slideshowImageTag(script.noLink, script.firstImage, script.firstAlt, script.firstChoice));
  replaceToken(page, "CORVANE_PICOVAND_TITLE", escapeAttribute(s.projectName));
  // Scripts stay whatever noJavaScript says: without them this page shows nothing.
  normalizePage(page);
  const std::string path = in.outputFolder + pageFileName(s, 0);
  if (writePage(sink, path, page) && !applyColourTokens(s, path))
    sink.failures.push_back(path + ": " + std::strerror(errno));
  return true;
}

}  // namespace pv
