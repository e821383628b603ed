#include "pages/WriterSupport.h"

#include <cerrno>
#include <cstring>

#include "pages/Template.h"
#include "util/Text.h"

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

std::string coverTile(const PageInputs& in, const std::vector<AlbumSummary>& albums, size_t i,
                      const std::string& link, Fetch fetch) {
  const AlbumSummary& album = albums[i];
  // The link's text names the album, so the picture itself needs no words.
  const std::string picture =
      album.cover >= 0 ? pictureTag(in.outputFolder, in.entries[size_t(album.cover)], 0, fetch, "")
                       : format("<img src=\"%s/folder.gif\" alt=\"\" border=\"0\">",
                                encodeWebPath(templateImageFolder(in.settings)).c_str());
  return format("<a class=\"pcv-album\" href=\"%s\">%s<br><span class=\"pcv-album-name\">%s</span> "
                "<span class=\"pcv-count\">%d %s</span></a>",
                link.c_str(), picture.c_str(), escapeAttribute(in.entries[i].record->name).c_str(), album.photos,
                album.photos == 1 ? "Bild" : "Bilder");
}

}  // namespace pv
