#pragma once
// Adding what a user gives (files, folders, drops) to the collection: one
// walk, one reading pass and one policy for the files that are not taken.
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
// The same types as the filter of a file dialog: "text|*.a;*.b|...||".
std::string fileDialogFilter();
// The endings of type index, none for an index outside the list.
std::vector<std::string> endingsOfType(int index);

// Why a file was not taken, in the order the front ends report them.
enum class SkipReason {
  Unreadable,     // a picture that cannot be read
  Missing,        // a given path that does not exist
  NotPicture,     // no picture by its ending (a text file, a document)
  Video,          // a video: no still picture to take
  TypeNotRead,    // a picture of a type the import does not read
  TypeNotChosen,  // a picture of a type left out in the folder dialog
  Hidden,         // a name beginning with "." found in a folder
};
inline constexpr int kSkipReasons = 7;

struct NotTaken {
  std::string path;
  SkipReason reason;
  bool named = false;  // the user gave this path, it was not found in a folder
};

// A file or folder as the user gave it; the flags matter for folders only.
struct ImportSource {
  std::string path;
  bool withSubfolders = true;
  bool albums = false;  // each sub-folder becomes an album
};

struct ImportRequest {
  std::vector<ImportSource> sources;  // in the order given
  std::string albumPath = "/";        // where the images and new albums go
  // The endings taken from folders; a named file is taken whenever the
  // image library knows its type.
  std::vector<std::string> endings = endingsOfType(0);
  CaptionSources captions;
  // The gallery's output folder: left out wherever the walk meets it, or
  // every build would import the pictures of the one before.
  std::string outputFolder;
};

// What an import will do, found before any file is read: albums to create
// and files to add, in walk order, and what it leaves out.
struct ImportPlan {
  struct Step {
    std::string parent, album;  // an album to create, or
    int file = -1;              // the index of a file to add
  };
  std::vector<Step> steps;
  std::vector<ImageToAdd> files;
  std::vector<char> named;  // per file: given by the user, so kept even when unreadable
  std::vector<NotTaken> notTaken;
  std::vector<std::string> emptyFolders;     // given folders without a file to take
  std::vector<std::string> repeatedFolders;  // reached again through a link: walked once only
  std::vector<std::string> leftOut;          // the output folder, where the walk met it
};

struct ImportResult {
  int added = 0;  // records appended, unreadable named files included
  // Every file left out with its reason: those of the plan, then the
  // pictures found in folders that cannot be read.
  std::vector<NotTaken> notTaken;
  // Named files that cannot be read: kept as 0 x 0 records that get no
  // output files, so the user sees them in the list and can remove them.
  std::vector<std::string> keptUnreadable;
  // Pictures taken that are readable only in part (a JPEG cut short): the
  // gallery shows the rest of them grey.
  std::vector<std::string> damaged;
  std::vector<std::string> emptyFolders;
  std::vector<std::string> repeatedFolders;
  std::vector<std::string> leftOut;
  bool cancelled = false;
};

// Walks the given folders by name order. Stops between entries when abort is set.
ImportPlan planImport(const ImportRequest& request, const std::atomic<bool>& abort);
// Reads the plan's files (on every core, appended in walk order) and creates
// its albums; albums that end up without content are removed again. Stops
// when abort is set; what was added stays.
ImportResult carryOutImport(ItemCollection& items, const ImportPlan& plan, const ImportRequest& request,
                            const std::atomic<bool>& abort, const AddProgress& progress = {});
// Both steps.
ImportResult importPaths(ItemCollection& items, const ImportRequest& request, const std::atomic<bool>& abort,
                         const AddProgress& progress = {});

// The paths of each reason, indexed by the reason; unreadable files kept
// count with the unreadable ones left out.
std::vector<std::vector<std::string>> pathsByReason(const ImportResult& result);

// The album name a folder becomes: its name before the last ".", unless
// nothing stands before it; cleaned like an entered album name.
std::string albumNameForFolder(const std::string& folderName);

}  // namespace pv
