#include "pages/WebAlbum.h"

#include <algorithm>

#include "state/AppState.h"
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

// Thumbnail or folder icon of one entry, linked to where the kind's pictures
// lead or to the album's first page.
// The slots of the first two rows are on screen when the page opens: their
// pictures load at once, every later one only when it nears the screen.
bool isBelowFirstScreen(const ProjectSettings& s, int slot) { return slot >= 2 * std::max(s.columns, 2); }

std::string slotText(const ProjectSettings& s, const std::string& outputFolder, const CollectionItem& r, size_t i,
                     int slot, const AlbumPageKind& kind) {
  const std::string link = r.isAlbum ? pageFileName(s, r.firstPageNumber) : kind.pictureLink(s, r, i);

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
    text += pictureTag(outputFolder, r, 0, isBelowFirstScreen(s, slot));
  if (!link.empty()) text += "</a>";
  return text;
}

// The plain web album's pictures open their large size.
std::string largeImage(const ProjectSettings&, const CollectionItem& r, size_t) {
  return r.outputPaths.size() >= 2 ? encodeWebPath(r.outputPaths[1]) : std::string();
}

void fillEmptySlot(std::string& page, int k, const AlbumPageKind& kind) {
  replaceSlotToken(page, format("PCV_%03d_COMMENT", k), kind.emptyCaption);
  replaceSlotToken(page, format("PCV_%03d", k), "&nbsp;<br>");
  fillExifSlot(page, nullptr, k);
}

}  // namespace

void writeAlbumPage(AppState& state, const AlbumPage& p) {
  writeAlbumPageOfKind(state, p, {"PicoVand_openimg", largeImage, "&nbsp;", true});
}

void writeAlbumPageOfKind(AppState& state, const AlbumPage& p, const AlbumPageKind& kind) {
  const ProjectSettings& s = state.settings;
  const auto& list = state.items.list;
  std::string page = s.pageScratch;
  const std::string path = p.outputFolder + pageFileName(s, p.current);

  replaceToken(page, "CORVANE_PICOVAND_JAVA_CODE", s.sizeBWidth != 0 ? windowOpenerScript(kind.opener) : "");
  replaceToken(page, "CORVANE_PICOVAND_TITLE", escapeAttribute(s.projectName));
  replaceToken(page, "CORVANE_PICOVAND_FOLDER", escapeAttribute(albumTitle(s, p.albumPath)));

  const int maximum = p.maximum == 0 ? 999999 : p.maximum;
  int slot = 0;
  for (size_t i = p.start; i < list.size() && slot < maximum; ++i) {
    const CollectionItem& r = *list[i];
    if (r.albumPath != p.albumPath) continue;
    replaceSlotToken(page, format("PCV_%03d_COMMENT", slot), r.caption.empty() ? "<p>&nbsp;</p>" : "<p>" + escapeAttribute(r.caption) + "</p>");
    replaceSlotToken(page, format("PCV_%03d", slot), slotText(s, p.outputFolder, r, i, slot, kind));
    fillExifSlot(page, &r, slot);
    ++slot;
  }
  // Every further slot the page holds is emptied, also beyond columns x rows
  // (all entries on one page, or a template with more slots than the table),
  // so no visitor ever sees a bare slot token.
  for (int k = slot; k < s.columns * s.rowsPerPage || page.find(format("PCV_%03d", k)) != std::string::npos; ++k)
    fillEmptySlot(page, k, kind);

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

  finishTemplatePage(state, path, page);
}

bool writeWebAlbum(AppState& state, const std::string& outputFolder) {
  if (!readPresetTemplate(state, "webalb.html")) return false;
  albumPageWalk(state, outputFolder, "/", 0, -1, writeAlbumPage);
  return true;
}

}  // namespace pv
