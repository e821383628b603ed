#pragma once
// The create command and the build it starts: capture and checks on the
// window's thread, then conversion, style files, pages and the closing
// statistics on a worker. No widgets here: the window and picovand-cli show
// the results and the progress.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/PageValues.h"

namespace pv {

struct AppState;
class ItemCollection;

// ---- The create command ----

enum class CreateStatus {
  Ready,         // captured and checked: start buildProject on outputFolder
  NeedsOwnPage,  // an own-page project without a page: ask for one, then run the command again
  Refused,       // show message under title; nothing is written
};
struct CreateCommand {
  CreateStatus status = CreateStatus::Refused;
  std::string outputFolder;  // ends in "/"
  std::string title;
  std::string message;
};

inline constexpr const char* kNoProjectTitle = "Kein Projekt gewählt";
inline constexpr const char* kNoProjectMessage = "Bitte wählen Sie zuerst ein Projekt im Bereich 'Projektauswahl' aus.";
inline constexpr const char* kBadProjectNameTitle = "Ungültiger Projektname";
inline constexpr const char* kBadProjectNameMessage =
    "Bitte geben Sie einen Projektnamen ein. Ein Name nur aus Punkten ist nicht möglich.";

// Takes the pages' values into the settings record and checks them; sets the
// create page's output folder. On Ready the cancel flag is cleared.
CreateCommand prepareBuild(AppState& state, const ImagePageValues& image, const ProjectPageValues& project,
                           CreatePageValues& create);

// ---- The build ----

// CheckOutputs compares the outputs of an earlier build with what this one
// would make; Convert makes every size of each image that changed.
enum class BuildStep { Watermarks, OutputFolder, CheckOutputs, Convert, StyleFiles, Pages, Statistics };
// Called on the build's thread whenever the step changes or an image is done.
// imagesDone counts the images finished, all their sizes, whether converted
// or kept from the earlier build; imagesReused counts the kept ones.
using BuildProgress = std::function<void(BuildStep step, int imagesDone, int imagesTotal, int imagesReused)>;

// Reuse keeps the outputs of an earlier build into the same folder whose
// inputs did not change; Full converts every image again.
enum class BuildMode { Reuse, Full };

// The files, folders and bytes below an output folder, its build record left out.
struct OutputCount {
  int files = 0;
  int folders = 0;
  std::int64_t bytes = 0;  // 64 bits: galleries of several GiB are common
};

struct BuildResult {
  bool ran = false;           // false: size A is off, nothing was done
  bool folderCreated = false; // false: the project folder is missing, nothing was written
  bool pagesWritten = false;  // the project type's page writers found their templates
  bool cancelled = false;
  int imagesConverted = 0;
  int imagesReused = 0;       // every size kept from the earlier build
  std::string previewPage;    // what the output page shows now; empty: leave it as it is
  std::vector<std::string> missingSources;  // images left out: their file is gone
  // A place below the output folder the build would write through that is
  // a link (or a file where a folder belongs): nothing was written.
  std::string linkInTheWay;
  // "path: reason" of every file the build could not write (a full disk, a
  // read-only folder). When a picture failed, no page was written: the
  // previous pages stay, and so does every file of the previous build.
  std::vector<std::string> failedWrites;
  // Images left out of the pages because they got no picture: the file
  // could not be read or converted.
  std::vector<std::string> withoutOutput;
  // After a cancel: the images left out because the build stopped before them.
  std::vector<std::string> notReached;
  // Images whose picture could be read only in part (a file cut short):
  // their pictures are partly grey.
  std::vector<std::string> damaged;
  // The start page was to be written as index.html too, but the output
  // folder holds an index.html that no build of ours wrote (or that was
  // changed since): it stays as it was.
  bool foreignIndexKept = false;
  // What the output folder holds when the build is done.
  OutputCount output;
};

// Runs the whole build into outputFolder (ending in "/"). Reads the settings,
// the watermark values and the collection and changes none of them: what it
// made is in the result. Polls state.abortRequested between images; a
// cancelled build still writes its pages. Clears the flag at the end.
// The folder's build record (BuildManifest.h) says what an earlier build
// wrote: unchanged images are kept, files that build wrote and this one does
// not are removed, and the new record is written last. Files the record
// does not name are never touched. The result is the same as a full build
// into an empty folder. Images whose source file is gone are left out (and
// named in missingSources) so no page links to a picture that was never written.
BuildResult buildProject(AppState& state, const std::string& outputFolder, const BuildProgress& progress = {},
                         BuildMode mode = BuildMode::Reuse);

// What a front end takes from a build that ran into its collection: each
// image is marked missing exactly when the build found its file gone, so
// the album page shows it and the search for missing photos finds it.
void markMissingSources(ItemCollection& items, const BuildResult& result);

// The start page of a build: page 0 in the output folder.
std::string startPagePath(const ProjectSettings& s, const std::string& outputFolder);

OutputCount countOutput(const std::string& outputFolder);

// The output page's four info lines from the statistics.
struct OutputInfo {
  std::string size;        // "Gesamtgröße der Daten: ... KB"
  std::string uploadTime;  // "Upload-Zeit: 128kbit>...min - 256kbit>...min - 1mbit>...min"
  std::string folder;      // "Ausgabeordner: ./<name>"
  std::string fileCount;   // "Anzahl der Dateien: ..."
};
OutputInfo outputInfo(const ProjectSettings& s, const OutputCount& count);

// ---- The create page's list of the files a build will write ----

struct PreviewColumn {
  const char* title;
  int width;
};
inline constexpr PreviewColumn kPreviewColumns[5] = {
    {"Input-File", 200}, {"Input-Format", 200}, {"Output-File", 100}, {"Output-Format", 200}, {"Folder", 200}};

struct PreviewRow {
  std::string inputFile;
  std::string inputFormat;
  std::string outputFile;
  std::string outputFormat;
  std::string folder;
};
// One row per image and produced size. Copies the format, the boxes and the
// prefixes (upper-case defaults) into the settings record first.
std::vector<PreviewRow> previewListRows(AppState& state, const ImagePageValues& image);

}  // namespace pv
