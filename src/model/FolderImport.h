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
  // The gallery's output folder: left out wherever the walk meets it, or
  // every build would import the pictures of the one before.
  std::string outputFolder;
};

using ImportProgress = AddProgress;

// What an import will do, found by walking the tree before any file is read:
// albums to create and files to add, in walk order.
struct FolderImportPlan {
  struct Step {
    std::string parent, album;  // an album to create, or
    int file = -1;              // the index of a file to add
  };
  std::vector<Step> steps;
  std::vector<ImageToAdd> files;
  // Folders left out because the walk had been there before (a link back
  // into the tree would otherwise repeat it without end).
  std::vector<std::string> skippedFolders;
  // The output folder, where the walk met it and left it out.
  std::vector<std::string> leftOut;
};

// Walks the folder (by name order; hidden entries skipped). Stops between
// entries when abort is set.
FolderImportPlan planFolderImport(const FolderImportRequest& request, const std::atomic<bool>& abort);
// Adds the plan's files (read on every core, added in walk order) and
// creates its albums; albums that end up without content are removed again,
// deepest first. Stops when abort is set; what was added stays.
int carryOutFolderImport(ItemCollection& items, const FolderImportPlan& plan, const CaptionSources& sources,
                         const std::atomic<bool>& abort, const ImportProgress& progress = {});
// Both steps: every file with a matching ending and, on request, an album
// per sub-folder.
int importFolderTree(ItemCollection& items, const FolderImportRequest& request, const std::atomic<bool>& abort,
                     const ImportProgress& progress = {});

// The album name a folder becomes: its name before the last ".", unless
// nothing stands before it; cleaned like an entered album name.
std::string albumNameForFolder(const std::string& folderName);

}  // namespace pv
