#include "pages/WriterSupport.h"

#include <cerrno>
#include <cstring>

#include "pages/Template.h"

namespace pv {

std::vector<const PageEntry*> imageEntries(const PageInputs& in) {
  std::vector<const PageEntry*> out;
  for (const PageEntry& e : in.entries)
    if (!e.record->isAlbum) out.push_back(&e);
  return out;
}

std::string webPath(const PageEntry& entry, size_t k) {
  return k < entry.pictures.size() ? encodeWebPath(entry.pictures[k]) : std::string();
}

std::optional<std::string> presetTemplate(const ProjectSettings& s, const char* name) {
  std::string text;
  if (!loadTemplate(templatePath(s, name), text)) return std::nullopt;
  replaceToken(text, "pcv_image_folder", encodeWebPath(templateImageFolder(s)));
  return text;
}

void finishTemplatePage(const ProjectSettings& s, PageSink& sink, const std::string& path, std::string& page) {
  if (s.noJavaScript) page = stripScripts(page);
  normalizePage(page);
  if (writePage(sink, path, page) && !applyColourTokens(s, path))
    sink.failures.push_back(path + ": " + std::strerror(errno));
}

}  // namespace pv
