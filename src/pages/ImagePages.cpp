#include "pages/ImagePages.h"

#include <functional>

#include "state/AppState.h"
#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

namespace {

using PageName = std::function<std::string(int)>;

// The picture of a page, linked to a larger size when the record has it.
std::string linkedImage(const std::string& folder, const CollectionItem& r, size_t shown, size_t large) {
  std::string out;
  const bool linked = r.outputPaths.size() > large;
  if (linked)
    out += format("<a href=\"%s\" target=\"_blank\" onclick=\"PicoVand_openimg(this.href); return false\">",
                  webPath(r, large).c_str());
  out += pictureTag(folder, r, shown);
  if (linked) out += "</a>";
  return out;
}

void fillHead(std::string& page, const ProjectSettings& s, bool opener, int i, int n, const CollectionItem& r) {
  replaceToken(page, "CORVANE_PICOVAND_JAVA_CODE", opener ? windowOpenerScript("PicoVand_openimg") : "");
  replaceToken(page, "CORVANE_PICOVAND_TITLE", escapeAttribute(s.projectName));
  replaceToken(page, "CORVANE_PICOVAND_CURRENTIMAGE", format("%d/%d", i + 1, n));
  replaceToken(page, "CORVANE_PICOVAND_COMMENT", r.caption.empty() ? "&nbsp;" : escapeAttribute(r.caption));
}

// Back and next stop at the ends ("#"); first and last always lead somewhere.
void fillNavigation(std::string& page, const std::string& numberLinks, int i, int n, const PageName& name) {
  replaceToken(page, "CORVANE_PICOVAND_NAV123", numberLinks);
  replaceToken(page, "CORVANE_PICOVAND_NAVBACK", i == 0 ? "#" : name(i - 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVNEXT", i == n - 1 ? "#" : name(i + 1));
  replaceToken(page, "CORVANE_PICOVAND_NAVFIRST", name(0));
  replaceToken(page, "CORVANE_PICOVAND_NAVLAST", name(n - 1));
}

std::string stripEntry(const ProjectSettings& s, const std::string& folder,
                       const std::vector<const CollectionItem*>& images, int j) {
  if (j < 0 || j >= int(images.size())) return "&nbsp;";
  return format("<a href=\"%s\">", pageFileName(s, j).c_str()) + pictureTag(folder, *images[j], 0) + "</a>";
}

using PageFiller = std::function<void(std::string& page, int i, int n, const CollectionItem& r)>;

// One page per record from a fresh copy of the template.
bool writeEachPage(AppState& state, const std::string& outputFolder, const char* templateName,
                   const std::vector<const CollectionItem*>& records, const PageName& name, const PageFiller& fill) {
  if (!readPresetTemplate(state, templateName)) return false;
  const std::string folder = withSlash(outputFolder);
  const int n = int(records.size());
  for (int i = 0; i < n; ++i) {
    std::string page = state.settings.pageScratch;
    fill(page, i, n, *records[i]);
    finishTemplatePage(state, folder + name(i), page);
  }
  return true;
}

}  // namespace

bool writeImagePages(AppState& state, const std::string& outputFolder) {
  const ProjectSettings& s = state.settings;
  const PageName name = [&](int k) { return pageFileName(s, k); };
  return writeEachPage(state, outputFolder, "htmlsld.html", imageRecords(state.items), name,
                       [&](std::string& page, int i, int n, const CollectionItem& r) {
                         fillHead(page, s, s.sizeBWidth != 0, i, n, r);
                         replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(outputFolder, r, 0, 1));
                         fillExifSlot(page, &r, 0);
                         fillNavigation(page, pageNumberLinks(s, 0, n - 1, i), i, n, name);
                       });
}

bool writePreviewPages(AppState& state, const std::string& outputFolder) {
  const ProjectSettings& s = state.settings;
  const PageName name = [&](int k) { return pageFileName(s, k); };
  const auto images = imageRecords(state.items);
  return writeEachPage(
      state, outputFolder, "sldprv.html", images, name, [&](std::string& page, int i, int n, const CollectionItem& r) {
        fillHead(page, s, s.sizeCWidth != 0, i, n, r);
        fillExifSlot(page, &r, 0);
        replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(outputFolder, r, 1, 2));
        fillNavigation(page, pageNumberLinks(s, 0, n - 1, i), i, n, name);
        replaceToken(page, "PCV_PREV_C", pictureTag(outputFolder, r, 0));
        for (int k = 1; k <= 9; ++k) {
          replaceToken(page, format("PCV_PREV_R%d", k), stripEntry(s, outputFolder, images, i - k));
          replaceToken(page, format("PCV_PREV_F%d", k), stripEntry(s, outputFolder, images, i + k));
        }
      });
}

bool writeSlidePages(AppState& state, const std::string& outputFolder) {
  const ProjectSettings& s = state.settings;
  const PageName name = [&](int k) { return slidePageFileName(s, k); };
  std::vector<const CollectionItem*> records;
  for (const auto& r : state.items.list) records.push_back(r.get());
  return writeEachPage(state, outputFolder, "htmlsld.html", records, name,
                       [&](std::string& page, int j, int n, const CollectionItem& r) {
                         fillHead(page, s, s.sizeCWidth != 0, j, n, r);
                         replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(outputFolder, r, 1, 2));
                         fillExifSlot(page, r.isAlbum ? nullptr : &r, 0);
                         fillNavigation(page, slidePageNumberLinks(s, 0, n - 1, j), j, n, name);
                       });
}

}  // namespace pv
