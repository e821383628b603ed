#pragma once
// Adding whole folders, optionally with their sub-folders as albums.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "model/ItemCollection.h"

namespace pv {

// The image types of the folder dialog: list text and accepted endings.
struct ImageTypeFilter {
  const char* text;
  std::vector<std::string> endings;
};
const std::vector<ImageTypeFilter>& imageTypeFilters();
// The endings of type index, none for an index outside the list.
std::vector<std::string> endingsOfType(int index);

struct FolderImportRequest {
  std::string folder;
  std::string albumPath = "/";
  bool includeSubfolders = false;
  bool albumsFromSubfolders = false;
  std::vector<std::string> endings;
  CaptionSources sources;
};

using ImportProgress = AddProgress;

// Walks the folder (by name order; hidden entries skipped), adds every file
// with a matching ending (read on every core, added in walk order) and, on
// request, creates an album per sub-folder.
// Albums that end up without content are removed again, deepest first.
// Stops between entries when abort is set; what was added stays.
int importFolderTree(ItemCollection& items, const FolderImportRequest& request, const std::atomic<bool>& abort,
                     const ImportProgress& progress = {});

// The album name a folder becomes: its name before the last ".", unless
// nothing stands before it; cleaned like an entered album name.
std::string albumNameForFolder(const std::string& folderName);

}  // namespace pv
