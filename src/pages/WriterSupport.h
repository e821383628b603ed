#pragma once
// Steps the page writers share.
#include <optional>
#include <string>
#include <vector>

#include "pages/AlbumWalk.h"
#include "pages/PageEngine.h"

namespace pv {

// The entries that are shown as pictures, in list order. Albums have no
// pictures, so the writers that show one picture per slide leave them out.
std::vector<const PageEntry*> imageEntries(const PageInputs& in);

// Picture k of the entry as it goes into href or src; empty when the entry
// has no such picture.
std::string webPath(const PageEntry& entry, size_t k);

// The preset's template name with its image-folder token filled; nothing
// when the template cannot be read.
std::optional<std::string> presetTemplate(const ProjectSettings& s, const char* name);

// The last steps of a page filled from a preset template: its first script
// removed when the gallery is to do without JavaScript, normalised, written,
// then its colour and font tokens filled in the written file.
void finishTemplatePage(const ProjectSettings& s, PageSink& sink, const std::string& path, std::string& page);

// The tile of album entry i when albums have covers: its cover photo (size
// A; the template's folder picture when no photo lies below it), its name
// and the number of its photos, all one link to link; its picture fetched
// as fetch says.
std::string coverTile(const PageInputs& in, const std::vector<AlbumSummary>& albums, size_t i,
                      const std::string& link, Fetch fetch);

}  // namespace pv
