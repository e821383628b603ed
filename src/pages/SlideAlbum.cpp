#include "pages/SlideAlbum.h"

#include "app/AppState.h"
#include "pages/AlbumWalk.h"
#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "settings/Text.h"

namespace pv {

bool writeSlideAlbum(AppState& state, const std::string& outputFolder) {
  if (!readPresetTemplate(state, "webalb.html")) return false;
  albumPageWalk(state, withSlash(outputFolder), "/", 0, -1, writeSlideAlbumPage);
  return true;
}

void writeSlideAlbumPage(AppState& state, const AlbumPage& p) {
  const ProjectSettings& s = state.settings;
  std::string page = s.pageScratch;
  replaceToken(page, "CORVANE_PICOVAND_JAVA_CODE", s.sizeBWidth != 0 ? windowOpenerScript("PicoVand_opensld") : "");
  replaceToken(page, "CORVANE_PICOVAND_TITLE", s.projectName);
  replaceToken(page, "CORVANE_PICOVAND_FOLDER", albumTitle(s, p.albumPath));

  const int maximum = p.maximum == 0 ? 999999 : p.maximum;
  const auto& list = state.items.list;
  int slot = 0;
  for (size_t j = p.start; j < list.size() && slot < maximum; ++j) {
    const CollectionItem& r = *list[j];
    if (r.albumPath != p.albumPath) continue;
    replaceToken(page, format("PCV_%03d_COMMENT", slot), "<p>" + (r.caption.empty() ? "&nbsp;" : r.caption) + "</p>");
    std::string cell;
    if (r.isAlbum)
      cell = format("<a href=\"%s\"><img src=\"%s/folder.gif\" border=\"0\"><br>%s</a>",
                    pageFileName(s, r.firstPageNumber).c_str(), encodeWebPath(templateImageFolder(s)).c_str(),
                    r.name.c_str());
    else
      cell = format("<a href=\"%s\" target=\"_blank\" onclick=\"PicoVand_opensld(this.href); return false\">"
                    "<img src=\"%s\" border=\"0\"></a>",
                    slidePageFileName(s, int(j)).c_str(), webPath(r, 0).c_str());
    replaceSlotToken(page, format("PCV_%03d", slot), cell);
    fillExifSlot(page, r.isAlbum ? nullptr : &r, slot);
    ++slot;
  }
  for (int k = slot; k < s.columns * s.rowsPerPage; ++k) {
    replaceToken(page, format("PCV_%03d_COMMENT", k), "&nbsp;<br>");
    replaceSlotToken(page, format("PCV_%03d", k), "&nbsp;<br>");
    fillExifSlot(page, nullptr, k);
  }

  const auto name = [&](int n) { return pageFileName(s, n); };
  replaceToken(page, "CORVANE_PICOVAND_NAV123", pageNumberLinks(s, p.first, p.last, p.current));
  replaceToken(page, "CORVANE_PICOVAND_NAVHOME", p.parent != -1 ? name(0) : "#");
  replaceToken(page, "CORVANE_PICOVAND_NAVUP", p.parent != -1 && p.current != 0 ? name(p.parent) : "#");
  replaceToken(page, "CORVANE_PICOVAND_NAVBACK", p.current == p.first ? "#" : name(p.current - 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVNEXT", p.current == p.last ? "#" : name(p.current + 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVFIRST", name(p.first));
  replaceToken(page, "CORVANE_PICOVAND_NAVLAST", name(p.last));
  finishTemplatePage(state, p.outputFolder + name(p.current), page);
}

}  // namespace pv
