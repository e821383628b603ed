#include "pages/WebAlbum.h"

#include <algorithm>
#include <string_view>

#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

namespace {

// What "pcv_image_folder" becomes: the template's graphics folder as a web path.
std::string imageFolderValue(const ProjectSettings& s) { return encodeWebPath(templateImageFolder(s)); }

// A preset fragment with its image-folder token filled as in the page, so it
// matches the stretch of template it copies.
std::string presetFragment(const ProjectSettings& s, const std::string& fragment) {
  std::string f = fragment;
  replaceToken(f, "pcv_image_folder", imageFolderValue(s));
  return f;
}

// The slots of the first two rows are on screen when the page opens: their
// pictures load at once, every later one only when it nears the screen.
Fetch fetchOfSlot(const ProjectSettings& s, int slot) {
  return slot >= 2 * std::max(s.columns, 2) ? Fetch::WhenNear : Fetch::WithPage;
}

// Thumbnail or folder icon of one entry, linked to where the kind's pictures
// lead or to the album's first page.
std::string slotText(const PageInputs& in, const AlbumWalk& walk, const std::vector<AlbumSummary>& albums, size_t i,
                     int slot, const AlbumPageKind& kind) {
  const ProjectSettings& s = in.settings;
  const PageEntry& e = in.entries[i];
  const CollectionItem& r = *e.record;
  const std::string link = r.isAlbum ? pageFileName(s, walk.firstPage[i]) : kind.pictureLink(s, e, i);
  if (r.isAlbum && s.albumCovers) return coverTile(in, albums, i, link, fetchOfSlot(s, slot));

  std::string text;
  if (!link.empty())
    text = r.isAlbum ? format("<a href=\"%s\">", link.c_str())
                     : format("<a href=\"%s\" target=\"_blank\" onclick=\"%s(this.href); return false\">",
                              link.c_str(), kind.opener);
  if (r.isAlbum)
    text += format("<img src=\"%s/folder.gif\" alt=\"%s\" border=\"0\"><br>", imageFolderValue(s).c_str(),
                   escapeAttribute(r.name).c_str()) +
            escapeAttribute(r.name);
  else
    text += pictureTag(in.outputFolder, e, 0, fetchOfSlot(s, slot));
  if (!link.empty()) text += "</a>";
  return text;
}

// The plain web album's pictures open their large size.
std::string largeImage(const ProjectSettings&, const PageEntry& e, size_t) { return webPath(e, 1); }

void fillEmptySlot(std::string& page, int k, const AlbumPageKind& kind) {
  replaceSlotToken(page, format("PCV_%03d_COMMENT", k), kind.emptyCaption);
  replaceSlotToken(page, format("PCV_%03d", k), "&nbsp;<br>");
  fillExifSlot(page, nullptr, k);
}

// The caption, picture and camera data of entry i in the tokens of slot;
// position is the entry's place on the page.
void fillSlot(std::string& text, const PageInputs& in, const AlbumWalk& walk, const std::vector<AlbumSummary>& albums,
              size_t i, int slot, int position, const AlbumPageKind& kind) {
  const CollectionItem& r = *in.entries[i].record;
  replaceSlotToken(text, format("PCV_%03d_COMMENT", slot),
                   r.caption.empty() ? "<p>&nbsp;</p>" : "<p>" + escapeAttribute(r.caption) + "</p>");
  replaceSlotToken(text, format("PCV_%03d", slot), slotText(in, walk, albums, i, position, kind));
  fillExifSlot(text, &r, slot);
}

// A template may give its slot 0 once, between these marks. The page then
// holds one copy of it per entry it shows and no empty slot, whatever the
// table size: a page shows its entries and nothing else.
constexpr std::string_view kSlotBegin = "<!--PCV_SLOT-->";
constexpr std::string_view kSlotEnd = "<!--/PCV_SLOT-->";

// The marked slot filled once for each entry of the page, each copy on its
// own, so a page of any length is filled in one pass. False, and the page
// unchanged, when the template holds its slots itself.
bool fillMarkedSlots(std::string& page, const PageInputs& in, const AlbumWalk& walk,
                     const std::vector<AlbumSummary>& albums, const AlbumPage& p, const AlbumPageKind& kind) {
  const size_t b = page.find(kSlotBegin);
  const size_t e = b == std::string::npos ? b : page.find(kSlotEnd, b);
  if (e == std::string::npos) return false;
  const std::string slot = page.substr(b + kSlotBegin.size(), e - b - kSlotBegin.size());
  std::string slots;
  for (size_t k = 0; k < p.entries.size(); ++k) {
    std::string copy = slot;
    fillSlot(copy, in, walk, albums, p.entries[k], 0, int(k), kind);
    slots += copy;
  }
  page.replace(b, e + kSlotEnd.size() - b, slots);
  return true;
}

void writeAlbumPage(const PageInputs& in, const AlbumWalk& walk, const std::vector<AlbumSummary>& albums,
                    const AlbumPage& p, const std::string& pageTemplate, const AlbumPageKind& kind, PageSink& sink) {
  const ProjectSettings& s = in.settings;
  const std::string path = in.outputFolder + pageFileName(s, p.current);

  std::string page = pageTemplate;
  // Filled before any text of the user's goes in, so no caption can hold it.
  replaceToken(page, "CORVANE_PICOVAND_COLUMNS", std::to_string(s.columns));
  replaceToken(page, "CORVANE_PICOVAND_JAVA_CODE", s.sizeBWidth != 0 ? windowOpenerScript(kind.opener) : "");
  replaceToken(page, "CORVANE_PICOVAND_TITLE", escapeAttribute(s.projectName));
  replaceToken(page, "CORVANE_PICOVAND_FOLDER", escapeAttribute(albumTitle(s, p.albumPath)));

  if (!fillMarkedSlots(page, in, walk, albums, p, kind)) {
    int slot = 0;
    for (size_t i : p.entries) {
      fillSlot(page, in, walk, albums, i, slot, slot, kind);
      ++slot;
    }
    // Every further slot the page holds is emptied, also beyond columns x rows
    // (all entries on one page, or a template with more slots than the table),
    // so no visitor ever sees a bare slot token.
    for (int k = slot; k < s.columns * s.rowsPerPage || page.find(format("PCV_%03d", k)) != std::string::npos; ++k)
      fillEmptySlot(page, k, kind);
  }

  replaceToken(page, "CORVANE_PICOVAND_NAV123", pageNumberLinks(s, p.first, p.last, p.current));

  // The top album has no home or up target: the preset's fragment (its
  // button markup) goes, or the token becomes "#".
  std::string home = "#", up = "#";
  if (p.parent != -1)
    home = pageFileName(s, 0);
  else if (kind.presetFragments && !s.noHomeFragment.empty())
    replaceToken(page, presetFragment(s, s.noHomeFragment), "&nbsp;");
  if (p.current != 0 && p.parent != -1)
    up = pageFileName(s, p.parent);
  else if (kind.presetFragments && !s.noUpFragment.empty())
    replaceToken(page, presetFragment(s, s.noUpFragment), "&nbsp;");
  replaceToken(page, "CORVANE_PICOVAND_NAVHOME", home);
  replaceToken(page, "CORVANE_PICOVAND_NAVUP", up);

  replaceToken(page, "CORVANE_PICOVAND_NAVBACK", p.current == p.first ? "#" : pageFileName(s, p.current - 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVNEXT", p.current == p.last ? "#" : pageFileName(s, p.current + 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVFIRST", pageFileName(s, p.first));
  replaceToken(page, "CORVANE_PICOVAND_NAVLAST", pageFileName(s, p.last));

  finishTemplatePage(s, sink, path, page);
}

}  // namespace

void writeAlbumPages(const PageInputs& in, const std::string& pageTemplate, const AlbumPageKind& kind, PageSink& sink) {
  const AlbumWalk walk = walkAlbums(in.entries, in.settings.columns, in.settings.rowsPerPage);
  const std::vector<AlbumSummary> albums = in.settings.albumCovers ? summarizeAlbums(in.entries)
                                                                    : std::vector<AlbumSummary>();
  for (const AlbumPage& p : walk.pages) writeAlbumPage(in, walk, albums, p, pageTemplate, kind, sink);
}

bool writeWebAlbum(const PageInputs& in, PageSink& sink) {
  const std::optional<std::string> page = presetTemplate(in.settings, "webalb.html");
  if (!page) return false;
  writeAlbumPages(in, *page, {"PicoVand_openimg", largeImage, "&nbsp;", true}, sink);
  return true;
}

}  // namespace pv
