#include "pages/WriterSupport.h"

#include <cerrno>
#include <cstring>

#include "state/AppState.h"
#include "pages/PageEngine.h"
#include "pages/Template.h"

namespace pv {

std::vector<const CollectionItem*> imageRecords(const ItemCollection& items) {
  std::vector<const CollectionItem*> out;
  for (const auto& r : items.list)
    if (!r->isAlbum) out.push_back(r.get());
  return out;
}

std::string webPath(const CollectionItem& record, size_t k) {
  return k < record.outputPaths.size() ? encodeWebPath(record.outputPaths[k]) : std::string();
}

bool readPresetTemplate(AppState& state, const char* name) {
  ProjectSettings& s = state.settings;
  std::string text;
  if (!loadTemplate(templatePath(s, name), text)) return false;
  replaceToken(text, "pcv_image_folder", encodeWebPath(templateImageFolder(s)));
  s.pageScratch = std::move(text);
  return true;
}

void finishTemplatePage(AppState& state, const std::string& path, std::string& page) {
  const ProjectSettings& s = state.settings;
  if (s.noJavaScript) page = stripScripts(page);
  normalizePage(page);
  if (writePage(state, path, page) && !applyColourTokens(s, path))
    state.writeFailures.push_back(path + ": " + std::strerror(errno));
}

}  // namespace pv
