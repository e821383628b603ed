#pragma once
// Steps the page writers share.
#include <string>
#include <vector>

#include "model/ItemCollection.h"

namespace pv {

struct AppState;

// The records that are shown as pictures, in list order. Albums have no
// outputs, so the writers that show one picture per slide leave them out.
std::vector<const CollectionItem*> imageRecords(const ItemCollection& items);

// outputPaths entry k as it goes into href or src; empty when the record has
// no such entry.
std::string webPath(const CollectionItem& record, size_t k);

// Reads the preset's template name into pageScratch and fills its
// image-folder token. False when the template cannot be read.
bool readPresetTemplate(AppState& state, const char* name);

// The last steps of a page filled from a preset template: its first script
// removed when the gallery is to do without JavaScript, normalised, written,
// then its colour and font tokens filled in the written file.
void finishTemplatePage(AppState& state, const std::string& path, std::string& page);

}  // namespace pv
