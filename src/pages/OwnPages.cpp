#include "pages/OwnPages.h"

#include "app/AppState.h"
#include "pages/AlbumWalk.h"
#include "pages/PageEngine.h"
#include "pages/ScriptSlideshow.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "settings/Product.h"
#include "settings/Text.h"

namespace pv {

namespace {

constexpr const char* kPlaceholder = "##PICOVAND##";
constexpr const char* kOpenWinCall = " onclick=\"PicoVandOpenWin (this.href); return false\"";

bool readOwnPage(AppState& state) {
  std::string text;
  if (!loadTemplate(state.settings.ownTemplatePage, text) || text.find(kPlaceholder) == std::string::npos) return false;
  state.settings.pageScratch = std::move(text);
  return true;
}

// The fragment is finished on its own (the user's page is never touched but
// for the credit block), then put into a copy of the user's page.
void writeOwnPage(AppState& state, const std::string& path, std::string fragment, bool mayStrip) {
  const ProjectSettings& s = state.settings;
  if (mayStrip && s.noJavaScript) fragment = stripScripts(fragment);
  normalizePage(fragment);
  // Every copy of the fragment after the first gets ids of its own, so a page
  // that holds the placeholder twice keeps its ids unique and the slideshow
  // script, which updates every element whose id begins with its ids, runs
  // both copies.
  const std::string& user = s.pageScratch;
  const std::string_view placeholder = kPlaceholder;
  std::string page;
  size_t from = 0;
  int copy = 0;
  for (size_t at; (at = user.find(placeholder, from)) != std::string::npos; from = at + placeholder.size()) {
    page.append(user, from, at - from);
    std::string f = fragment;
    if (++copy > 1)
      for (const char* id : {"PicoVand_Image", "PicoVand_Counter", "PicoVand_Comment"})
        replaceAll(f, format("id=\"%s\"", id), format("id=\"%s_%d\"", id, copy));
    page += f;
  }
  page.append(user, from);
  writePage(state, path, page);
}

bool isChosenColour(const std::string& v) { return !v.empty() && v != kStandard; }

std::string tableHead(const ProjectSettings& s, const char* opening) {
  std::string out = format(opening, s.tableBorder, s.cellSpacing, s.cellPadding);
  out += s.tableWidth != 0 ? format(" width=\"%d\"", s.tableWidth) : " width=\"100%\"";
  if (isChosenColour(s.backgroundColor)) out += format(" bgcolor=\"%s\"", s.backgroundColor.c_str());
  if (isChosenColour(s.borderColor)) out += format(" bordercolor=\"%s\"", s.borderColor.c_str());
  return out;
}

std::string buttonImage(const ProjectSettings& s, const char* graphic) {
  return encodeWebPath(controlFolder(s) + graphic);
}

// A navigation button, linked to page target unless target is -1. A linked
// button's picture names what the link does; an unlinked one is decoration.
// The names are character references: the user's page may be in any encoding.
std::string buttonCell(const ProjectSettings& s, const char* graphic, const char* name, int target, const char* rel = "") {
  const std::string img = format("<img src=\"%s\" alt=\"%s\" border=\"0\">", buttonImage(s, graphic).c_str(),
                                 target < 0 ? "" : name);
  const std::string relation = *rel ? format(" rel=\"%s\"", rel) : std::string();
  const std::string button =
      target < 0 ? img : format("<a href=\"%s\"%s>", pageFileName(s, target).c_str(), relation.c_str()) + img + "</a>";
  return "<td width=\"1%\" valign=\"middle\" align=\"center\">" + button + "</td>\n";
}

std::string linkedPicture(const std::string& folder, const CollectionItem& r, bool lazy = false) {
  const std::string img = pictureTag(folder, r, 0, lazy);
  if (r.outputPaths.size() < 2) return img;
  return format("<a href=\"%s\"%s>", webPath(r, 1).c_str(), kOpenWinCall) + img + "</a>";
}

// The window opener of the album and per-image fragments; the two differ by
// one blank in the window.open call. The function body holds a block of its
// own, so it ends with two braces: with one the script does not parse and
// a click on a picture opens the large image in place of the gallery.
// The arrow keys and a swipe follow the buttons marked rel="prev" and
// rel="next"; without scripts the buttons alone lead on.
std::string openWinScript(const char* afterName) {
  return std::string(
             "<script type=\"text/javascript\">\nfunction PicoVandOpenWin (x) {\n"
             "{PicoVandWindow = window.open(x,\"PicoVandWindow\",") +
         afterName +
         "\"location=no,toolbar=no,status=yes,resizable=yes\");\nPicoVandWindow.focus(); }}\n"
         "function PicoVand_follow(rel)\n"
         "{var a = document.querySelector('a[rel=\"' + rel + '\"]'); if (a) location.href = a.href;}\n" +
         gestureScript("PicoVand_follow('prev')", "PicoVand_follow('next')") + "</script>\n";
}

constexpr const char* kNavTable =
    "<table class=\"PicoVandCSS\" border=\"0\" width=\"100%\" cellspacing=\"5\" cellpadding=\"0\">\n<tr>\n";

// The image row of the per-image and slideshow tables: tall enough for the
// largest picture of size A with the cell's padding around it.
std::string imageRowStart(const ProjectSettings& s) {
  return format("<tr>\n<td height=\"%d\" width=\"100%%\" colspan=\"2\">\n<center>\n",
                s.sizeAHeight + 2 * s.cellPadding + 2);
}

// The navigation row's outer cell carries no height: the row takes the
// height of the control set's buttons, whatever set was chosen.
constexpr const char* kNavRowStart = "<tr>\n<td width=\"100%\" colspan=\"2\">\n";

}  // namespace

bool writeOwnAlbum(AppState& state, const std::string& outputFolder) {
  if (!readOwnPage(state)) return false;
  albumPageWalk(state, withSlash(outputFolder), "/", 0, -1, writeOwnAlbumPage);
  return true;
}

void writeOwnAlbumPage(AppState& state, const AlbumPage& p) {
  const ProjectSettings& s = state.settings;
  std::string f = "\n<!-- begin Pico Vand -->\n" + openWinScript(" ");
  f += galleryStyleBlock(s);
  f += tableHead(s, "<table class=\"PicoVandCSS\" border=\"%d\" cellspacing=\"%d\" cellpadding=\"%d\"") + ">\n";
  f += format("<tr><td width=\"100%%\" colspan=\"%d\">\n", s.columns);
  f += (p.albumPath == "/" ? s.projectName : p.albumPath) + "\n</td></tr>\n";

  const int w = 100 / s.columns;
  const int maximum = p.maximum == 0 ? 999999 : p.maximum;
  const auto& list = state.items.list;
  int col = 0, shown = 0;
  for (size_t i = p.start; i < list.size() && shown < maximum; ++i) {
    const CollectionItem& r = *list[i];
    if (r.albumPath != p.albumPath) continue;
    ++shown;
    if (col == 0) f += "<tr>\n";
    f += format("<td class=\"PicovandNAV\" width=\"%d%%\"><center>", w);
    if (r.isAlbum)
      f += format("<a href=\"%s\"><img src=\"%s/folder.gif\" alt=\"%s\" border=\"0\"><br>%s</a>",
                  pageFileName(s, r.firstPageNumber).c_str(), encodeWebPath(templateImageFolder(s)).c_str(),
                  escapeAttribute(r.name).c_str(), r.name.c_str());
    else
      f += linkedPicture(p.outputFolder, r, shown > 2 * s.columns);
    f += "</td>\n";
    if (col + 1 == s.columns) {
      f += "</tr>\n";
      col = 0;
    } else {
      ++col;
    }
  }
  if (col != 0) {
    for (; col < s.columns; ++col) f += format("<td width=\"%d%%\" align=\"center\">&nbsp;</td>", w);
    f += "</tr>\n";
  }

  if (!(p.parent == -1 && p.first == p.current && p.current == p.last)) {
    f += format("<tr><td width=\"100%%\" colspan=\"%d\"><center>\n", s.columns);
    f += kNavTable;
    f += buttonCell(s, "home.gif", "Startseite", p.parent != -1 ? 0 : -1);
    f += buttonCell(s, "first.gif", "Erste Seite", p.current != p.first ? p.first : -1);
    f += buttonCell(s, "rev.gif", "Vorherige Seite", p.current - 1 >= p.first ? p.current - 1 : -1, "prev");
    f += "<td width=\"94%\" class=\"PicovandNAV\" valign=\"middle\" align=\"center\">\n" +
         pageNumberLinks(s, p.first, p.last, p.current) + "</td>\n";
    f += buttonCell(s, "for.gif", "N&auml;chste Seite", p.current + 1 <= p.last ? p.current + 1 : -1, "next");
    f += buttonCell(s, "last.gif", "Letzte Seite", p.current != p.last ? p.last : -1);
    f += buttonCell(s, "up.gif", "&Uuml;bergeordnetes Album", p.parent);
    f += "</tr></table>\n\n</center></td></tr>\n";
  }
  f += "</table>\n<!-- end Pico Vand -->\n";
  writeOwnPage(state, p.outputFolder + pageFileName(s, p.current), std::move(f), true);
}

bool writeOwnImagePages(AppState& state, const std::string& outputFolder) {
  if (!readOwnPage(state)) return false;
  const ProjectSettings& s = state.settings;
  const std::string folder = withSlash(outputFolder);
  const auto images = imageRecords(state.items);
  const int n = int(images.size());
  for (int i = 0; i < n; ++i) {
    const CollectionItem& r = *images[i];
    std::string f = "\n<!-- begin Pico Vand -->\n" + openWinScript("");
    f += galleryStyleBlock(s);
    f += tableHead(s, "<table class=\"PicoVandCSS\"  border=\"%d\" cellspacing=\"%d\" cellpadding=\"%d\"") + ">\n";
    f += "<tr>\n<td align=\"left\">" + s.projectName + "</td>\n<td align=\"right\">" + format("%d/%d", i + 1, n) +
         "</td></tr>\n";
    f += imageRowStart(s) + linkedPicture(folder, r) + "</center></td></tr>\n";
    if (!r.caption.empty())
      f += "<tr>\n<td width=\"100%\" colspan=\"2\">\n<center>" + r.caption + "</center></td></tr>\n";
    f += kNavRowStart;
    f += kNavTable;
    f += buttonCell(s, "first.gif", "Erstes Bild", i != 0 ? 0 : -1);
    f += buttonCell(s, "rev.gif", "Vorheriges Bild", i != 0 ? i - 1 : -1, "prev");
    f += "<td width=\"96%\" class=\"PicovandNAV\" valign=\"middle\" align=\"center\">\n" +
         pageNumberLinks(s, 0, n - 1, i) + "</td>\n";
    f += buttonCell(s, "for.gif", "N&auml;chstes Bild", i != n - 1 ? i + 1 : -1, "next");
    f += buttonCell(s, "last.gif", "Letztes Bild", i != n - 1 ? n - 1 : -1);
    f += "</tr></table>\n";
    f += "</td></tr></table>\n<!-- end Pico Vand -->\n";
    writeOwnPage(state, folder + pageFileName(s, i), std::move(f), true);
  }
  return true;
}

bool writeOwnSlideshow(AppState& state, const std::string& outputFolder) {
  if (!readOwnPage(state)) return false;
  const ProjectSettings& s = state.settings;
  const SlideshowScript script = slideshowScript(state);
  const size_t n = imageRecords(state.items).size();
  std::string f = std::string("\n<!-- Corvane Pico Vand ") + kMakerAddress + " -->\n<!-- begin Pico Vand -->\n";
  f += "<script type=\"text/javascript\">\n<!--\n" + script.program + "//-->\n</script>\n";
  f += galleryStyleBlock(s);
  f += tableHead(s, "<table class=\"PicoVandCSS\" border=\"%d\" cellspacing=\"%d\" cellpadding=\"%d\"") + ">";
  f += "<tr>\n<td align=\"left\">" + s.projectName + "</td>\n<td align=\"right\">" +
       format("<p><span id=\"PicoVand_Counter\">%d/%zu</span><p>\n", 1, n) + "</td></tr>\n";
  f += imageRowStart(s) + slideshowImageTag(script.noLink, script.firstImage, script.firstAlt) + "</center></td></tr>\n";
  f += "<tr>\n<td width=\"100%\" colspan=\"2\">\n<center><p><span id=\"PicoVand_Comment\">" + script.firstCaption +
       "</span></p>\n</center></td></tr>\n";
  f += kNavRowStart;
  f += kNavTable;
  const auto control = [&](const char* graphic, const char* call, const char* name) {
    f += std::string("<td width=\"1%\" valign=\"middle\" align=\"center\"><a href=\"#\" onClick=\"") + call + "\">" +
         format("<img src=\"%s\" alt=\"%s\" border=\"0\"></a>\n", buttonImage(s, graphic).c_str(), name) + "</td>\n";
  };
  control("pause.gif", "PicoVand_stop();", "Diashow anhalten");
  control("for.gif", "PicoVand_play();", "Diashow starten");
  f += "<td width=\"94%\" class=\"PicovandNAV\" valign=\"middle\" align=\"center\">&nbsp;</td>\n";
  control("first.gif", "PicoVand_gofirst();", "Erstes Bild");
  control("back.gif", "PicoVand_goback();", "Vorheriges Bild");
  control("next.gif", "PicoVand_gonext();", "N&auml;chstes Bild");
  control("last.gif", "PicoVand_golast();", "Letztes Bild");
  f += "</tr></table>\n";
  f += "</td></tr></table>\n<!-- end Pico Vand -->\n";
  // No script removal here: the slideshow is nothing without its program.
  writeOwnPage(state, withSlash(outputFolder) + pageFileName(s, 0), std::move(f), false);
  return true;
}

}  // namespace pv
