#include "model/ItemCollection.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "model/HeifReader.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

std::string cleanAlbumName(std::string_view entered) {
  std::string name = trimWhite(removeChars(entered, kAlbumNameForbidden));
  if (name.find_first_not_of('.') == std::string::npos) return {};
  return name;
}

std::string albumFullPath(const CollectionItem& album) {
  return album.albumPath == "/" ? "/" + album.name : album.albumPath + "/" + album.name;
}

bool isWithinAlbum(const std::string& path, const std::string& folder) {
  return path == folder || (startsWith(path, folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

std::string formatNameOf(FREE_IMAGE_FORMAT fif, const std::string& fileName) {
  if (fif != FIF_UNKNOWN && fif == heifFormat())
    return endsWithNoCase(fileName, ".avif") ? "AV1 Image File Format" : "High Efficiency Image File Format";
  if (fif == FIF_RAW) {
    const size_t dot = fileName.find_last_of('.');
    return "Camera RAW (" + toUpper(dot == std::string::npos ? std::string() : fileName.substr(dot + 1)) + ")";
  }
  switch (fif) {
    case FIF_BMP: return "Windows Bitmap";
    case FIF_JPEG: return "JPEG Image Format";
    case FIF_PNG: return "Portable Network Graphics";
    case FIF_TIFF: return "Tagged Image File Format";
    case FIF_PSD: return "Adobe Photoshop";
    case FIF_GIF: return "Graphics Interchange Format";
    case FIF_WEBP: return "WebP Image Format";
    default: return "Unknown";
  }
}

ImagePtr blackThumbnail() {
  ImagePtr canvas(FreeImage_Allocate(kThumbnailWidth, kThumbnailHeight, 32));
  return canvas;  // FreeImage_Allocate clears the pixels to zero
}

ImagePtr makeThumbnail(FIBITMAP* image, int fullWidth, int fullHeight) {
  ImagePtr canvas = blackThumbnail();
  if (!image || !canvas || fullWidth <= 0 || fullHeight <= 0) return canvas;
  // The quotients are single precision on purpose: they decide the exact size.
  float q = float(fullWidth) / 80.0f;
  int h = int(float(fullHeight) / q);
  int w = kThumbnailWidth;
  int x = 0, y = (kThumbnailHeight - h) / 2;
  if (h > kThumbnailHeight) {
    q = float(fullHeight) / 48.0f;
    w = int(float(fullWidth) / q);
    h = kThumbnailHeight;
    x = (kThumbnailWidth - w) / 2;
    y = 0;
  }
  if (w <= 0 || h <= 0) return canvas;
  ImagePtr rgb(FreeImage_GetBPP(image) == 24 ? FreeImage_Clone(image) : FreeImage_ConvertTo24Bits(image));
  if (!rgb) return canvas;
  ImagePtr scaled(FreeImage_Rescale(rgb.get(), w, h, FILTER_BOX));
  if (!scaled) return canvas;
  // Paste needs equal depths; the canvas is 32 bits.
  ImagePtr scaled32(FreeImage_ConvertTo32Bits(scaled.get()));
  if (scaled32) FreeImage_Paste(canvas.get(), scaled32.get(), x, y, 256);
  return canvas;
}

// A decode for the thumbnail needs no more than twice the box.
constexpr int kThumbnailDecodeSide = 2 * kThumbnailWidth;

ImagePtr thumbnailFromFile(const CollectionItem& item) {
  FREE_IMAGE_FORMAT fif = formatFromFileName(item.sourcePath);
  if (fif == FIF_UNKNOWN) return blackThumbnail();
  LoadedImage loaded = loadUpright(item.sourcePath, fif, kThumbnailDecodeSide);
  ImagePtr image = to24Bits(std::move(loaded.image));
  if (!image) return blackThumbnail();
  image = applyUserTransform(std::move(image), item.flipHorizontal, item.flipVertical, item.rotation);
  if (!image) return blackThumbnail();
  int w = loaded.fullWidth, h = loaded.fullHeight;
  if (item.rotation % 180 != 0) std::swap(w, h);
  return makeThumbnail(image.get(), w, h);
}

namespace {

// Size and metadata come from the file's header and metadata blocks: adding
// a photo decodes no pixels where its reader allows, unless a thumbnail is asked for.
std::unique_ptr<CollectionItem> readImageRecord(const ImageToAdd& file, const CaptionSources& sources,
                                                bool withThumbnail) {
  FREE_IMAGE_FORMAT fif = formatFromFileName(file.fileName.empty() ? file.sourcePath : file.fileName);
  if (fif == FIF_UNKNOWN) return nullptr;
  auto item = std::make_unique<CollectionItem>();
  const ImageHeader header = readImageHeader(file.sourcePath, fif);
  item->width = header.width;
  item->height = header.height;
  item->damaged = header.damaged;
  const ImagePtr& image = header.image;
  ImageMetadata m = readImageMetadata(image.get(), file.sourcePath, sources);
  item->caption = m.caption;
  item->exifDateTime = m.exifDateTime;
  item->exifFNumber = m.exifFNumber;
  item->exifFocalLength = m.exifFocalLength;
  item->exifIsoSpeed = m.exifIsoSpeed;
  item->exifExposureTime = m.exifExposureTime;
  item->exifMake = m.exifMake;
  item->exifModel = m.exifModel;
  item->formatName = formatNameOf(fif, file.fileName.empty() ? file.sourcePath : file.fileName);
  item->sourcePath = file.sourcePath;
  item->name = file.fileName;
  item->albumPath = file.albumPath;
  if (withThumbnail) item->thumbnail = item->width > 0 ? thumbnailFromFile(*item) : blackThumbnail();
  return item;
}

}  // namespace

std::vector<const CollectionItem*> unreadableImages(const ItemCollection& items, size_t from) {
  std::vector<const CollectionItem*> found;
  for (size_t i = from; i < items.list.size(); ++i)
    if (!items.list[i]->isAlbum && items.list[i]->width == 0) found.push_back(items.list[i].get());
  return found;
}

std::vector<const CollectionItem*> buildableImages(const ItemCollection& items) {
  std::vector<const CollectionItem*> found;
  for (const auto& item : items.list)
    if (!item->isAlbum && item->width > 0 && fileExists(item->sourcePath)) found.push_back(item.get());
  return found;
}

CollectionItem* ItemCollection::addImage(const std::string& sourcePath, const std::string& fileName,
                                         const std::string& albumPath, const CaptionSources& sources) {
  auto item = readImageRecord({sourcePath, fileName, albumPath}, sources, true);
  if (!item) return nullptr;
  list.push_back(std::move(item));
  return list.back().get();
}

std::vector<std::unique_ptr<CollectionItem>> readImageRecords(const std::vector<ImageToAdd>& files,
                                                             const CaptionSources& sources, bool withThumbnails,
                                                             const std::atomic<bool>& abort,
                                                             const AddProgress& progress) {
  std::vector<std::unique_ptr<CollectionItem>> read(files.size());
  if (files.empty()) return read;
  // Reading dominates, so every core reads files; the records are handed on
  // in the given order, exactly as reading them one by one would.
  std::vector<char> finished(files.size(), 0);
  std::atomic<size_t> next{0};
  std::mutex m;
  std::condition_variable changed;
  const unsigned threads = std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, unsigned(files.size()));
  unsigned running = threads;
  auto worker = [&] {
    for (size_t i; !abort && (i = next++) < files.size();) {
      auto item = readImageRecord(files[i], sources, withThumbnails);
      std::lock_guard<std::mutex> guard(m);
      read[i] = std::move(item);
      finished[i] = 1;
      changed.notify_all();
    }
    std::lock_guard<std::mutex> guard(m);
    --running;
    changed.notify_all();
  };
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

  // Reported on the calling thread as the front of the list arrives; a
  // cancel stops at once, dropping what was read ahead.
  size_t done = 0;
  int counted = 0;
  for (; done < files.size() && !abort; ++done) {
    std::unique_lock<std::mutex> lock(m);
    changed.wait(lock, [&] { return finished[done] || running == 0; });
    if (!finished[done]) break;
    lock.unlock();
    if (read[done] && progress) progress(++counted, files[done].sourcePath);
  }
  for (std::thread& t : pool) t.join();
  read.resize(done);
  return read;
}

int ItemCollection::addImages(const std::vector<ImageToAdd>& files, const CaptionSources& sources,
                              const std::atomic<bool>& abort, const AddProgress& progress) {
  int added = 0;
  for (std::unique_ptr<CollectionItem>& item : readImageRecords(files, sources, true, abort, progress))
    if (item) {
      list.push_back(std::move(item));
      ++added;
    }
  return added;
}

CollectionItem& ItemCollection::addAlbum(const std::string& parentPath, const std::string& name) {
  auto album = std::make_unique<CollectionItem>();
  album->isAlbum = true;
  album->albumPath = parentPath;
  album->name = name;
  list.push_back(std::move(album));
  return *list.back();
}

long ItemCollection::indexOf(const CollectionItem& item) const {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == &item) return long(i);
  return -1;
}

void ItemCollection::removeImage(const CollectionItem& item) {
  long i = indexOf(item);
  if (i >= 0 && !item.isAlbum) list.erase(list.begin() + i);
}

void ItemCollection::deleteAlbum(const CollectionItem& item) {
  if (!item.isAlbum || !contains(item)) return;
  const std::string full = albumFullPath(item);
  const CollectionItem* self = &item;
  std::erase_if(list, [&](const std::unique_ptr<CollectionItem>& r) {
    return r.get() == self || isWithinAlbum(r->albumPath, full);
  });
}

void ItemCollection::renameAlbum(CollectionItem& item, const std::string& newName) {
  if (!item.isAlbum || newName.empty() || !contains(item)) return;
  const std::string oldFull = albumFullPath(item);
  item.name = newName;
  const std::string newFull = albumFullPath(item);
  for (auto& r : list)
    if (isWithinAlbum(r->albumPath, oldFull)) r->albumPath = newFull + r->albumPath.substr(oldFull.size());
}

void ItemCollection::setCaption(CollectionItem& item, const std::string& text) { item.caption = text; }

void ItemCollection::setAlbumCover(CollectionItem& item, bool on) {
  if (item.isAlbum || !contains(item)) return;
  if (on)
    for (const auto& other : list)
      if (!other->isAlbum && other->albumPath == item.albumPath) other->albumCover = false;
  item.albumCover = on;
}

void ItemCollection::swapItems(const CollectionItem& a, const CollectionItem& b) {
  long i = indexOf(a), j = indexOf(b);
  if (i >= 0 && j >= 0) std::swap(list[size_t(i)], list[size_t(j)]);
}

namespace {
void rebuildThumbnail(CollectionItem& item) {
  item.thumbnail.reset();
  item.thumbnail = thumbnailFromFile(item);
}
}  // namespace

void ItemCollection::rotateLeft(CollectionItem& item) {
  if (item.isAlbum) return;
  item.rotation = (item.rotation + 90) % 360;
  rebuildThumbnail(item);
}

void ItemCollection::rotateRight(CollectionItem& item) {
  if (item.isAlbum) return;
  item.rotation = (item.rotation + 270) % 360;
  rebuildThumbnail(item);
}

void ItemCollection::toggleFlipHorizontal(CollectionItem& item) {
  if (item.isAlbum) return;
  item.flipHorizontal = !item.flipHorizontal;
  rebuildThumbnail(item);
}

void ItemCollection::toggleFlipVertical(CollectionItem& item) {
  if (item.isAlbum) return;
  item.flipVertical = !item.flipVertical;
  rebuildThumbnail(item);
}

std::vector<CollectionItem*> ItemCollection::itemsIn(const std::string& path) const {
  std::vector<CollectionItem*> r;
  for (auto& i : list)
    if (i->albumPath == path) r.push_back(i.get());
  return r;
}

std::vector<std::string> ItemCollection::albumPaths() const {
  std::vector<std::string> r{"/"};
  for (auto& i : list)
    if (i->isAlbum) r.push_back(albumFullPath(*i));
  return r;
}

bool ItemCollection::isAlbumEmpty(const std::string& fullPath) const {
  return std::none_of(list.begin(), list.end(), [&](auto& i) { return i->albumPath == fullPath; });
}

void ItemCollection::removeAlbumEntry(const std::string& parentPath, const std::string& name) {
  auto it = std::find_if(list.begin(), list.end(),
                         [&](auto& i) { return i->isAlbum && i->albumPath == parentPath && i->name == name; });
  if (it != list.end()) list.erase(it);
}

void ItemCollection::clear() { list.clear(); }

std::string describeItem(const CollectionItem& item) {
  if (item.isAlbum)
    return "Album: " + item.name + "\nParent: " + item.albumPath + "\nCaption: " + item.caption;
  const std::string mark = item.sourceMissing ? " (Datei nicht gefunden)" : "";
  return "Image: " + item.name + mark + "\nFormat: " + item.formatName + " (" + std::to_string(item.width) + "*" +
         std::to_string(item.height) + ")\nCaption: " + item.caption;
}

}  // namespace pv
