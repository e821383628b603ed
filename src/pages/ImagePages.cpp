#include "pages/ImagePages.h"

#include <functional>

#include "pages/PageEngine.h"
#include "pages/Template.h"
#include "pages/WriterSupport.h"
#include "util/Text.h"

namespace pv {

namespace {

using PageName = std::function<std::string(int)>;

// The picture of a page, linked to a larger size when the record has it.
std::string linkedImage(const std::string& folder, const PageEntry& e, size_t shown, size_t large) {
  std::string out;
  const bool linked = e.pictures.size() > large;
  if (linked)
    out += format("<a href=\"%s\" target=\"_blank\" onclick=\"PicoVand_openimg(this.href); return false\">",
                  webPath(e, large).c_str());
  out += pictureTag(folder, e, shown);
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

// With pictures for sharp screens the strip's pictures come after the page's
// photo, so a phone on a slow network shows the photo sooner; without, the
// pages stay as they were.
Fetch stripFetch(const ProjectSettings& s) { return s.hidpi ? Fetch::Last : Fetch::WithPage; }

std::string stripEntry(const ProjectSettings& s, const std::string& folder,
                       const std::vector<const PageEntry*>& images, int j) {
  if (j < 0 || j >= int(images.size())) return "&nbsp;";
  return format("<a href=\"%s\">", pageFileName(s, j).c_str()) + pictureTag(folder, *images[j], 0, stripFetch(s)) +
         "</a>";
}

using PageFiller = std::function<void(std::string& page, int i, int n, const PageEntry& e)>;

// One page per entry from a fresh copy of the template.
bool writeEachPage(const PageInputs& in, PageSink& sink, const char* templateName,
                   const std::vector<const PageEntry*>& entries, const PageName& name, const PageFiller& fill) {
  const std::optional<std::string> pageTemplate = presetTemplate(in.settings, templateName);
  if (!pageTemplate) return false;
  const int n = int(entries.size());
  for (int i = 0; i < n; ++i) {
    std::string page = *pageTemplate;
    fill(page, i, n, *entries[i]);
    finishTemplatePage(in.settings, sink, in.outputFolder + name(i), page);
  }
  return true;
}

}  // namespace

bool writeImagePages(const PageInputs& in, PageSink& sink) {
  const ProjectSettings& s = in.settings;
  const PageName name = [&](int k) { return pageFileName(s, k); };
  return writeEachPage(in, sink, "htmlsld.html", imageEntries(in), name,
                       [&](std::string& page, int i, int n, const PageEntry& e) {
                         fillHead(page, s, s.sizeBWidth != 0, i, n, *e.record);
                         replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(in.outputFolder, e, 0, 1));
                         fillExifSlot(page, e.record, 0);
                         fillNavigation(page, pageNumberLinks(s, 0, n - 1, i), i, n, name);
                       });
}

bool writePreviewPages(const PageInputs& in, PageSink& sink) {
  const ProjectSettings& s = in.settings;
  const std::string& folder = in.outputFolder;
  const PageName name = [&](int k) { return pageFileName(s, k); };
  const auto images = imageEntries(in);
  return writeEachPage(
      in, sink, "sldprv.html", images, name, [&](std::string& page, int i, int n, const PageEntry& e) {
        fillHead(page, s, s.sizeCWidth != 0, i, n, *e.record);
        fillExifSlot(page, e.record, 0);
        replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(folder, e, 1, 2));
        fillNavigation(page, pageNumberLinks(s, 0, n - 1, i), i, n, name);
        replaceToken(page, "PCV_PREV_C", pictureTag(folder, e, 0, stripFetch(s)));
        for (int k = 1; k <= 9; ++k) {
          replaceToken(page, format("PCV_PREV_R%d", k), stripEntry(s, folder, images, i - k));
          replaceToken(page, format("PCV_PREV_F%d", k), stripEntry(s, folder, images, i + k));
        }
      });
}

bool writeSlidePages(const PageInputs& in, PageSink& sink) {
  const ProjectSettings& s = in.settings;
  const PageName name = [&](int k) { return slidePageFileName(s, k); };
  std::vector<const PageEntry*> entries;
  for (const PageEntry& e : in.entries) entries.push_back(&e);
  return writeEachPage(in, sink, "htmlsld.html", entries, name,
                       [&](std::string& page, int j, int n, const PageEntry& e) {
                         fillHead(page, s, s.sizeCWidth != 0, j, n, *e.record);
                         replaceToken(page, "CORVANE_PICOVAND_IMAGE", linkedImage(in.outputFolder, e, 1, 2));
                         fillExifSlot(page, e.record->isAlbum ? nullptr : e.record, 0);
                         fillNavigation(page, slidePageNumberLinks(s, 0, n - 1, j), j, n, name);
                       });
}

}  // namespace pv
