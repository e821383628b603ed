#pragma once
// The project's albums and images: one flat ordered list. Albums are records
// too; the tree exists only through the albumPath strings. List order is the
// image order of every gallery.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/Image.h"
#include "model/Metadata.h"

namespace pv {

struct CollectionItem {
  std::string sourcePath;
  std::string name;
  bool isAlbum = false;
  int width = 0;
  int height = 0;
  std::string albumPath;
  ImagePtr thumbnail;  // 80 x 48, 32 bits; images only
  std::string formatName;
  std::string caption;
  std::string exifDateTime;
  std::string exifFNumber;
  std::string exifFocalLength;
  std::string exifIsoSpeed;
  std::string exifExposureTime;
  std::string exifMake;
  std::string exifModel;
  int rotation = 0;  // degrees counter-clockwise: 0, 90, 180 or 270
  bool flipHorizontal = false;
  bool flipVertical = false;
  bool sourceMissing = false;  // the file was gone when the project was opened or built
  bool damaged = false;        // readable only in part: found cut short when added
  // The photo the user chose to stand for the album it lies in, on that
  // album's tile. Kept on the photo, so it follows it through any
  // reordering and an album's rename, and goes when the photo goes.
  bool albumCover = false;
};

inline constexpr int kThumbnailWidth = 80;
inline constexpr int kThumbnailHeight = 48;

// The characters an album name may not hold.
inline constexpr std::string_view kAlbumNameForbidden = "/\\\"'<>:*?|";
// The name as entered, cleaned: forbidden characters removed, white space
// trimmed. Empty when nothing usable is left, which includes "." and ".."
// (such a folder would point at or above its parent).
std::string cleanAlbumName(std::string_view entered);

// The full path of an album record: "/" + name at the top level.
std::string albumFullPath(const CollectionItem& album);
// True when path is folder itself or lies below it.
bool isWithinAlbum(const std::string& path, const std::string& folder);

// A file to add: its path, its name as found on disk, the album it goes into.
struct ImageToAdd {
  std::string sourcePath;
  std::string fileName;
  std::string albumPath;
};
// Called after each image appended, with the number appended so far.
using AddProgress = std::function<void(int added, const std::string& path)>;

// Reads the files on every core and returns their records in the given
// order (null for a file of unknown type; 0 x 0 for one that cannot be
// read). Size, caption and EXIF texts come from the header and metadata
// blocks; pixels are decoded only for the thumbnails, when asked for.
// progress is called on the calling thread for each record in order. Stops
// when abort is set: the list then ends at the first file not read.
std::vector<std::unique_ptr<CollectionItem>> readImageRecords(const std::vector<ImageToAdd>& files,
                                                             const CaptionSources& sources, bool withThumbnails,
                                                             const std::atomic<bool>& abort,
                                                             const AddProgress& progress = {});

class ItemCollection {
 public:
  // The records in list order. Writers read and set fields directly.
  std::vector<std::unique_ptr<CollectionItem>> list;

  // Reads the file and appends an image with its thumbnail; null when
  // FreeImage does not know the extension. An undecodable file is still
  // added, 0 x 0 with a black thumbnail.
  CollectionItem* addImage(const std::string& sourcePath, const std::string& fileName, const std::string& albumPath,
                           const CaptionSources& sources);
  // Adds many files with their thumbnails, read on every core, appended in
  // the given order (files of unknown type skipped). Stops when abort is set; what was added stays.
  int addImages(const std::vector<ImageToAdd>& files, const CaptionSources& sources, const std::atomic<bool>& abort,
                const AddProgress& progress = {});
  CollectionItem& addAlbum(const std::string& parentPath, const std::string& name);
  void removeImage(const CollectionItem& item);
  void deleteAlbum(const CollectionItem& item);
  void renameAlbum(CollectionItem& item, const std::string& newName);
  void setCaption(CollectionItem& item, const std::string& text);
  // Makes the image the cover of the album it lies in (the album's other
  // images lose the mark), or with on false takes its mark away.
  void setAlbumCover(CollectionItem& item, bool on);
  void swapItems(const CollectionItem& a, const CollectionItem& b);
  void rotateLeft(CollectionItem& item);
  void rotateRight(CollectionItem& item);
  void toggleFlipHorizontal(CollectionItem& item);
  void toggleFlipVertical(CollectionItem& item);
  std::vector<CollectionItem*> itemsIn(const std::string& path) const;
  std::vector<std::string> albumPaths() const;
  bool isAlbumEmpty(const std::string& fullPath) const;
  void removeAlbumEntry(const std::string& parentPath, const std::string& name);
  void clear();

  size_t size() const { return list.size(); }
  bool contains(const CollectionItem& item) const { return indexOf(item) >= 0; }
  long indexOf(const CollectionItem& item) const;
};

// The image records from list index from on whose file could not be
// decoded (added 0 x 0, they get no output files): what an add or import
// reports to the user when it is done.
std::vector<const CollectionItem*> unreadableImages(const ItemCollection& items, size_t from = 0);
// The images a build can make pictures of: read when added, file still there.
std::vector<const CollectionItem*> buildableImages(const ItemCollection& items);

// The text of a row of the album page's list.
std::string describeItem(const CollectionItem& item);

// The format name shown for a FreeImage format; the file name tells AVIF
// from HEIF and names the kind of camera RAW.
std::string formatNameOf(FREE_IMAGE_FORMAT fif, const std::string& fileName);

// The thumbnail rule: the image letterboxed on black into 80 x 48, fitted by
// the stated single-precision quotients from the picture's full size.
ImagePtr makeThumbnail(FIBITMAP* image, int fullWidth, int fullHeight);
ImagePtr blackThumbnail();
// Thumbnail of the source file with the record's transform, read afresh.
ImagePtr thumbnailFromFile(const CollectionItem& item);

}  // namespace pv
