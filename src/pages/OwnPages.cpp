#include "pages/OwnPages.h"

#include <cerrno>
#include <cstring>

#include "pages/AlbumWalk.h"
#include "pages/PageEngine.h"
#include "pages/ScriptSlideshow.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "util/FileSystem.h"
#include "settings/Product.h"
#include "util/Text.h"

namespace pv {

namespace {

constexpr const char* kPlaceholder = "##PICOVAND##";
constexpr const char* kOpenWinCall = " onclick=\"PicoVandOpenWin (this.href); return false\"";

std::optional<std::string> readOwnPage(const ProjectSettings& s) {
  std::string text;
  if (!loadTemplate(s.ownTemplatePage, text) || text.find(kPlaceholder) == std::string::npos) return std::nullopt;
  return text;
}

// The gallery's look is a stylesheet beside the pages that the fragment
// links: HTML5 takes a stylesheet link in the body but no style element
// there, and style attributes could neither hold the link and hover rules
// of fonts and colours nor let the user's own CSS win over the table's look
// as it did over the old table attributes. The rules that stand for those
// attributes (border, cellspacing, cellpadding, width, height, bgcolor,
// bordercolor, align, valign, center) give what browsers made of them and
// sit in a cascade layer, which every rule of the user's page outranks, as
// it outranked the attributes; a browser older than cascade layers (2022)
// shows a plain table. The font and colour rules stay outside the layer, as
// they were; their .PicoVandNAV still meets the cells' PicovandNAV only where
// a page without doctype compares class names regardless of case.
constexpr const char* kStyleSheet = "gallery.css";

// cellWidth: the share in per cent of each album table cell, 0 for none;
// middleWidth: that of the navigation bar's page-number cell.
std::string styleSheet(const ProjectSettings& s, int cellWidth, int middleWidth) {
  std::string table = s.tableWidth != 0 ? format("width: %dpx;", s.tableWidth) : std::string("width: 100%;");
  table += format(" border-spacing: %dpx;", s.cellSpacing);
  if (isChosen(s.backgroundColor)) table += format(" background-color: %s;", s.backgroundColor.c_str());
  std::string cell = format("padding: %dpx;", s.cellPadding);
  if (cellWidth > 0) cell += format(" width: %d%%;", cellWidth);
  // A border of n pixels is n pixels outset around the table and one inset
  // around each cell; with a border colour both are solid in that colour.
  if (s.tableBorder > 0) {
    const bool coloured = isChosen(s.borderColor);
    table += coloured ? format(" border: %dpx solid %s;", s.tableBorder, s.borderColor.c_str())
                      : format(" border: %dpx outset;", s.tableBorder);
    cell += coloured ? " border: 1px solid; border-color: inherit;" : " border: 1px inset; border-color: inherit;";
  }
  return "@layer PicoVand {\n"
         ".PicoVandTable {" + table + "}\n"
         ".PicoVandTable > tbody > tr > td {" + cell + "}\n"
         ".PicoVandTable > tbody > tr > td[colspan] {width: 100%;}\n"
         ".PicoVandTitle {text-align: left;}\n"
         ".PicoVandPosition {text-align: right;}\n" +
         format(".PicoVandPicture {height: %dpx;}\n", s.sizeAHeight + 2 * s.cellPadding + 2) +
         ".PicoVandCenter {text-align: center;}\n"
         ".PicoVandBar {width: 100%; border-spacing: 5px;}\n"
         ".PicoVandBar > tbody > tr > td {width: 1%; padding: 0; text-align: center; vertical-align: middle;}\n" +
         format(".PicoVandBar > tbody > tr > td.PicovandNAV {width: %d%%;}\n", middleWidth) + "}\n" +
         galleryStyleRules(s);
}

// Written like the preset stylesheets, only when it changed, and recorded
// with the pages.
void writeStyleSheet(const PageInputs& in, PageSink& sink, int cellWidth, int middleWidth) {
  const ProjectSettings& s = in.settings;
  const std::string folder = in.outputFolder + templateImageFolder(s) + "/";
  if (makeDirectories(folder) && writeFileIfDifferent(folder + kStyleSheet, styleSheet(s, cellWidth, middleWidth)))
    sink.written.push_back(folder + kStyleSheet);
  else
    sink.failures.push_back(folder + kStyleSheet + ": " + std::strerror(errno));
}

std::string styleSheetLink(const ProjectSettings& s) {
  const std::string href = encodeWebPath(templateImageFolder(s) + "/" + kStyleSheet);
  return format("<link rel=\"stylesheet\" href=\"%s\">\n", href.c_str());
}

constexpr const char* kGalleryTable = "<table class=\"PicoVandCSS PicoVandTable\">";

// The fragment is finished on its own (the user's page is never touched but
// for the credit block), then put into a copy of the user's page.
void writeOwnPage(const ProjectSettings& s, const std::string& user, PageSink& sink, const std::string& path,
                  std::string fragment, bool mayStrip) {
  if (mayStrip && s.noJavaScript) fragment = stripScripts(fragment);
  normalizePage(fragment);
  // Every copy of the fragment after the first gets ids of its own, so a page
  // that holds the placeholder twice keeps its ids unique and the slideshow
  // script, which updates every element whose id begins with its ids, runs
  // both copies.
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
  writePage(sink, path, page);
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
  return "<td>" + button + "</td>\n";
}

std::string linkedPicture(const std::string& folder, const PageEntry& e, Fetch fetch = Fetch::WithPage) {
  const std::string img = pictureTag(folder, e, 0, fetch);
  if (e.pictures.size() < 2) return img;
  return format("<a href=\"%s\"%s>", webPath(e, 1).c_str(), kOpenWinCall) + img + "</a>";
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

constexpr const char* kNavTable = "<table class=\"PicoVandCSS PicoVandBar\">\n<tr>\n";

// The image row of the per-image and slideshow tables; its height (the
// stylesheet's) fits the largest picture of size A with the cell's padding.
constexpr const char* kImageRowStart =
    "<tr>\n<td class=\"PicoVandPicture\" colspan=\"2\">\n<div class=\"PicoVandCenter\">\n";

// The title and the position of the per-image and slideshow tables.
std::string headRow(const ProjectSettings& s, const std::string& position) {
  return "<tr>\n<td class=\"PicoVandTitle\">" + escapeAttribute(s.projectName) + "</td>\n<td class=\"PicoVandPosition\">" + position +
         "</td></tr>\n";
}

// The navigation row's outer cell carries no height: the row takes the
// height of the control set's buttons, whatever set was chosen.
constexpr const char* kNavRowStart = "<tr>\n<td colspan=\"2\">\n";

void writeOwnAlbumPage(const PageInputs& in, const std::string& user, const AlbumWalk& walk,
                       const std::vector<AlbumSummary>& albums, const AlbumPage& p, PageSink& sink) {
  const ProjectSettings& s = in.settings;
  std::string f = "\n<!-- begin Pico Vand -->\n" + openWinScript(" ");
  f += styleSheetLink(s);
  f += std::string(kGalleryTable) + "\n";
  f += format("<tr><td colspan=\"%d\">\n", s.columns);
  f += escapeAttribute(p.albumPath == "/" ? s.projectName : p.albumPath) + "\n</td></tr>\n";

  int col = 0, shown = 0;
  for (size_t i : p.entries) {
    const CollectionItem& r = *in.entries[i].record;
    ++shown;
    const Fetch fetch = shown > 2 * s.columns ? Fetch::WhenNear : Fetch::WithPage;
    if (col == 0) f += "<tr>\n";
    f += "<td class=\"PicovandNAV\"><div class=\"PicoVandCenter\">";
    if (r.isAlbum && s.albumCovers)
      f += coverTile(in, albums, i, pageFileName(s, walk.firstPage[i]), fetch);
    else if (r.isAlbum)
      f += format("<a href=\"%s\"><img src=\"%s/folder.gif\" alt=\"%s\" border=\"0\"><br>%s</a>",
                  pageFileName(s, walk.firstPage[i]).c_str(), encodeWebPath(templateImageFolder(s)).c_str(),
                  escapeAttribute(r.name).c_str(), escapeAttribute(r.name).c_str());
    else
      f += linkedPicture(in.outputFolder, in.entries[i], fetch);
    f += "</div></td>\n";
    if (col + 1 == s.columns) {
      f += "</tr>\n";
      col = 0;
    } else {
      ++col;
    }
  }
  if (col != 0) {
    for (; col < s.columns; ++col) f += "<td class=\"PicoVandCenter\">&nbsp;</td>";
    f += "</tr>\n";
  }

  if (!(p.parent == -1 && p.first == p.current && p.current == p.last)) {
    f += format("<tr><td colspan=\"%d\"><div class=\"PicoVandCenter\">\n", s.columns);
    f += kNavTable;
    f += buttonCell(s, "home.gif", "Startseite", p.parent != -1 ? 0 : -1);
    f += buttonCell(s, "first.gif", "Erste Seite", p.current != p.first ? p.first : -1);
    f += buttonCell(s, "rev.gif", "Vorherige Seite", p.current - 1 >= p.first ? p.current - 1 : -1, "prev");
    f += "<td class=\"PicovandNAV\">\n" + pageNumberLinks(s, p.first, p.last, p.current) + "</td>\n";
    f += buttonCell(s, "for.gif", "N&auml;chste Seite", p.current + 1 <= p.last ? p.current + 1 : -1, "next");
    f += buttonCell(s, "last.gif", "Letzte Seite", p.current != p.last ? p.last : -1);
    f += buttonCell(s, "up.gif", "&Uuml;bergeordnetes Album", p.parent);
    f += "</tr></table>\n\n</div></td></tr>\n";
  }
  f += "</table>\n<!-- end Pico Vand -->\n";
  writeOwnPage(s, user, sink, in.outputFolder + pageFileName(s, p.current), std::move(f), true);
}

}  // namespace

bool writeOwnAlbum(const PageInputs& in, PageSink& sink) {
  const std::optional<std::string> user = readOwnPage(in.settings);
  if (!user) return false;
  const int columns = in.settings.columns;
  if (columns <= 0) return true;  // no table to lay out, so no page
  writeStyleSheet(in, sink, 100 / columns, 94);
  const AlbumWalk walk = walkAlbums(in.entries, columns, in.settings.rowsPerPage);
  const std::vector<AlbumSummary> albums = in.settings.albumCovers ? summarizeAlbums(in.entries)
                                                                    : std::vector<AlbumSummary>();
  for (const AlbumPage& p : walk.pages) writeOwnAlbumPage(in, *user, walk, albums, p, sink);
  return true;
}

bool writeOwnImagePages(const PageInputs& in, PageSink& sink) {
  const std::optional<std::string> user = readOwnPage(in.settings);
  if (!user) return false;
  const ProjectSettings& s = in.settings;
  const std::string& folder = in.outputFolder;
  writeStyleSheet(in, sink, 0, 96);
  const auto images = imageEntries(in);
  const int n = int(images.size());
  for (int i = 0; i < n; ++i) {
    const PageEntry& e = *images[i];
    const CollectionItem& r = *e.record;
    std::string f = "\n<!-- begin Pico Vand -->\n" + openWinScript("");
    f += styleSheetLink(s);
    f += std::string(kGalleryTable) + "\n";
    f += headRow(s, format("%d/%d", i + 1, n));
    f += kImageRowStart + linkedPicture(folder, e) + "</div></td></tr>\n";
    if (!r.caption.empty())
      f += "<tr>\n<td colspan=\"2\">\n<div class=\"PicoVandCenter\">" + escapeAttribute(r.caption) + "</div></td></tr>\n";
    f += kNavRowStart;
    f += kNavTable;
    f += buttonCell(s, "first.gif", "Erstes Bild", i != 0 ? 0 : -1);
    f += buttonCell(s, "rev.gif", "Vorheriges Bild", i != 0 ? i - 1 : -1, "prev");
    f += "<td class=\"PicovandNAV\">\n" + pageNumberLinks(s, 0, n - 1, i) + "</td>\n";
    f += buttonCell(s, "for.gif", "N&auml;chstes Bild", i != n - 1 ? i + 1 : -1, "next");
    f += buttonCell(s, "last.gif", "Letztes Bild", i != n - 1 ? n - 1 : -1);
    f += "</tr></table>\n";
    f += "</td></tr></table>\n<!-- end Pico Vand -->\n";
    writeOwnPage(s, *user, sink, folder + pageFileName(s, i), std::move(f), true);
  }
  return true;
}

bool writeOwnSlideshow(const PageInputs& in, PageSink& sink) {
  const std::optional<std::string> user = readOwnPage(in.settings);
  if (!user) return false;
  const ProjectSettings& s = in.settings;
  const SlideshowScript script = slideshowScript(in);
  const size_t n = imageEntries(in).size();
  writeStyleSheet(in, sink, 0, 94);
  std::string f = std::string("\n<!-- Corvane Pico Vand ") + kMakerAddress + " -->\n<!-- begin Pico Vand -->\n";
  f += "<script type=\"text/javascript\">\n<!--\n" + script.program + "//-->\n</script>\n";
  f += styleSheetLink(s);
  f += kGalleryTable;
  f += headRow(s, format("<p><span id=\"PicoVand_Counter\">%d/%zu</span><p>\n", 1, n));
  f += kImageRowStart + slideshowImageTag(script.noLink, script.firstImage, script.firstAlt, script.firstChoice) + "</div></td></tr>\n";
  f += "<tr>\n<td colspan=\"2\">\n<div class=\"PicoVandCenter\"><p><span id=\"PicoVand_Comment\">" +
       escapeAttribute(script.firstCaption) + "</span></p>\n</div></td></tr>\n";
  f += kNavRowStart;
  f += kNavTable;
  const auto control = [&](const char* graphic, const char* call, const char* name) {
    f += std::string("<td><a href=\"#\" onClick=\"") + call + "\">" +
         format("<img src=\"%s\" alt=\"%s\" border=\"0\"></a>\n", buttonImage(s, graphic).c_str(), name) + "</td>\n";
  };
  control("pause.gif", "PicoVand_stop();", "Diashow anhalten");
  control("for.gif", "PicoVand_play();", "Diashow starten");
  f += "<td class=\"PicovandNAV\">&nbsp;</td>\n";
  control("first.gif", "PicoVand_gofirst();", "Erstes Bild");
  control("back.gif", "PicoVand_goback();", "Vorheriges Bild");
  control("next.gif", "PicoVand_gonext();", "N&auml;chstes Bild");
  control("last.gif", "PicoVand_golast();", "Letztes Bild");
  f += "</tr></table>\n";
  f += "</td></tr></table>\n<!-- end Pico Vand -->\n";
  // No script removal here: the slideshow is nothing without its program.
  writeOwnPage(s, *user, sink, in.outputFolder + pageFileName(s, 0), std::move(f), false);
  return true;
}

}  // namespace pv
