#include "convert/Conversion.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <climits>
#include <iterator>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "state/AppState.h"
#include "convert/GpsData.h"
#include "convert/Resample.h"
#include "convert/WebFormats.h"
#include "model/Encoding.h"
#include "model/Image.h"
#include "util/FileSystem.h"
#include "settings/Product.h"

namespace pv {

namespace {

// trunc(dividend / divisor) in single precision: the float quotients decide
// the exact output size.
int truncatedQuotient(int dividend, float divisor) {
  float v = float(dividend) / divisor;
  return v < float(INT_MAX) ? int(v) : INT_MAX;
}

// The size of the source's aspect ratio that fits the box; with snap, a side
// one pixel off the box edge is put on it.
BoxSize fitQuotients(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool snap) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  BoxSize size{boxWidth, truncatedQuotient(sourceHeight, float(sourceWidth) / float(boxWidth))};
  if (snap && size.height == boxHeight - 1) size.height = boxHeight;
  if (snap && size.height - 1 == boxHeight) size.height = boxHeight;
  if (size.height > boxHeight) {
    size.height = boxHeight;
    size.width = truncatedQuotient(sourceWidth, float(sourceHeight) / float(boxHeight));
    if (snap && size.width == boxWidth - 1) size.width = boxWidth;
    if (snap && size.width - 1 == boxWidth) size.width = boxWidth;
  }
  return size;
}

// FreeImage's format of each output format; AVIF is encoded by libheif.
FREE_IMAGE_FORMAT outputFormat(int imageFormat) {
  static constexpr FREE_IMAGE_FORMAT kFormats[] = {FIF_JPEG, FIF_PNG, FIF_BMP, FIF_TIFF, FIF_GIF, FIF_WEBP, FIF_UNKNOWN};
  static_assert(std::size(kFormats) == kImageFormatCount);
  return imageFormat >= 0 && imageFormat < kImageFormatCount ? kFormats[imageFormat] : FIF_JPEG;
}

FREE_IMAGE_FILTER scalingFilter(int resizeFilter) {
  switch (resizeFilter) {
    case 1: return FILTER_BICUBIC;
    case 2: return FILTER_BILINEAR;
    case 3: return FILTER_BSPLINE;
    default: return FILTER_BOX;
  }
}

// Output is written to a temporary file beside its destination and renamed
// over it only when complete, so a failed save leaves neither a partial file
// nor a damaged older output behind.
std::string temporaryBeside(const std::string& destination) {
  static std::atomic<unsigned> counter{0};
  return destination + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// 0 when the temporary file became destination, else the system's reason.
int finishReplacing(bool written, const std::string& temporary, const std::string& destination) {
  int error = written ? 0 : errno ? errno : EIO;
  if (written && std::rename(temporary.c_str(), destination.c_str()) == 0) return 0;
  if (written) error = errno;
  std::remove(temporary.c_str());
  return error;
}

ImagePtr to32Bits(ImagePtr image) {
  if (!image || (FreeImage_GetImageType(image.get()) == FIT_BITMAP && FreeImage_GetBPP(image.get()) == 32))
    return image;
  return ImagePtr(FreeImage_ConvertTo32Bits(image.get()));
}

// A reduced decode is still at least this size, in percent of the output
// size, in both directions, so the filter has the detail to work with.
// About twice: a 4000 x 3000 photo halved to 2000 x 1500 still serves a
// 1024 x 768 output (1.95 times), which is indistinguishable from a full
// decode and saves most of the work.
constexpr long long kDecodeMarginPercent = 190;

// The longer side at which a JPEG stored w x h with the given EXIF
// orientation must at least be decoded to keep that margin over every output
// size; 0 when only the full size will do.
// FreeImage divides by d when longSide >= d * hint, so a hint of
// ceil(longSide * margin * out / side) keeps side / d >= margin * out.
int jpegDecodeSide(long long w, long long h, int orientation, int rotation, const std::vector<SizeOutput*>& outputs) {
  if (orientation >= 5) std::swap(w, h);
  if (rotation % 180 != 0) std::swap(w, h);
  const long long longSide = std::max(w, h);
  auto needed = [&](long long output, long long side) {
    return (kDecodeMarginPercent * output * longSide + 100 * side - 1) / (100 * side);
  };
  long long hint = 0;
  for (const SizeOutput* o : outputs) {
    BoxSize out = fitIntoBox(int(w), int(h), o->boxWidth, o->boxHeight);
    if (out.width <= 0 || out.height <= 0) continue;
    hint = std::max({hint, needed(out.width, w), needed(out.height, h)});
  }
  return hint > 0 && 2 * hint <= longSide ? int(hint) : 0;
}

// The longer side the largest output of a camera RAW stored w x h needs,
// whichever way the picture lies: its embedded preview serves when it is at
// least that large. 0 (a full development) when an output keeps the full size.
int rawDecodeSide(int w, int h, const std::vector<SizeOutput*>& outputs) {
  int side = 0;
  for (const SizeOutput* o : outputs) {
    if (o->boxWidth == kCopyBoxSide && o->boxHeight == kCopyBoxSide) return 0;
    for (const BoxSize out : {fitIntoBox(w, h, o->boxWidth, o->boxHeight), fitIntoBox(h, w, o->boxWidth, o->boxHeight)})
      side = std::max({side, out.width, out.height});
  }
  return side;
}

// The source upright, with the user's flips and rotation, decoded once at the
// scale the largest of the outputs needs.
LoadedImage transformedSource(const std::string& path, FREE_IMAGE_FORMAT fif, int rotation, bool flipHorizontal,
                              bool flipVertical, const std::vector<SizeOutput*>& outputs) {
  DecodeSideFor sideFor;
  if (fif == FIF_JPEG)
    sideFor = [&](int w, int h, int orientation) { return jpegDecodeSide(w, h, orientation, rotation, outputs); };
  if (fif == FIF_RAW) sideFor = [&](int w, int h, int) { return rawDecodeSide(w, h, outputs); };
  LoadedImage loaded = loadUpright(path, fif, sideFor);
  // 24 bits before the transform: the same pixels, and FreeImage rotates
  // every 24-bit image while it refuses some palettes.
  loaded.image = applyUserTransform(to24Bits(std::move(loaded.image)), flipHorizontal, flipVertical, rotation);
  if (rotation % 180 != 0) std::swap(loaded.fullWidth, loaded.fullHeight);
  return loaded;
}

// A scaled output serves as the source of a smaller one when it is at least
// this size, in percent of the smaller, in both directions. Resampling twice
// loses more than the decoder's reduction does (the box filter most), hence
// more than the decode margin.
constexpr long long kResampleMarginPercent = 300;

// Of the images made so far (the decoded source first, then the scaled ones
// from the largest down), the smallest scaled one that still has the margin
// of detail over w x h; the decoded source when none has.
FIBITMAP* resamplingSource(const std::vector<ImagePtr>& made, int w, int h) {
  FIBITMAP* best = made.front().get();
  for (size_t i = 1; i < made.size(); ++i) {
    const long long cw = FreeImage_GetWidth(made[i].get()), ch = FreeImage_GetHeight(made[i].get());
    if (100 * cw >= kResampleMarginPercent * w && 100 * ch >= kResampleMarginPercent * h) best = made[i].get();
  }
  return best;
}

struct Point {
  int x, y;
};

// The top-left corner of a w x h watermark on a W x H image; a
// high-resolution output (density 2) keeps its distances at twice the size.
Point watermarkCorner(const AppState& state, int W, int H, int w, int h, int density) {
  const int dx = state.watermarkOffsetX * density, dy = state.watermarkOffsetY * density;
  switch (state.watermarkPosition) {
    case 0: return {(W - w) / 2, (H - h) / 2};
    case 1: return {dx, dy};
    case 2: return {(W - w) / 2, dy};
    case 3: return {W - dx - w, dy};
    case 4: return {0, (H - h) / 2};
    case 5: return {W - w, (H - h) / 2};
    case 6: return {dx, H - dy - h};
    case 7: return {(W - w) / 2, H - dy - h};
    case 8: return {W - dx - w, H - dy - h};
    default: return {0, 0};
  }
}

// The watermark prepared for this box: the last size whose box it is; for a
// high-resolution output (density 2) its twice as large twin.
FIBITMAP* watermarkFor(const AppState& state, int boxWidth, int boxHeight, int density) {
  FIBITMAP* mark = nullptr;
  for (int i = 0; i < 3; ++i)
    if (state.watermarkBoxes[2 * i] == boxWidth && state.watermarkBoxes[2 * i + 1] == boxHeight)
      mark = density == 2 ? state.watermarkTwins[i].get() : state.watermarkScaled[i].get();
  return mark;
}

// The watermark of a size's box (boxWidth x boxHeight), on the output of
// that size or, at density 2, on its high-resolution output. FreeImage
// refuses a paste that does not fit; the image then stays without.
void pasteWatermark(const AppState& state, ImagePtr& image, int boxWidth, int boxHeight, int density) {
  if (state.watermarkFile.empty()) return;
  FIBITMAP* mark = watermarkFor(state, boxWidth, boxHeight, density);
  if (!mark) return;
  const int W = int(FreeImage_GetWidth(image.get())), H = int(FreeImage_GetHeight(image.get()));
  const Point at =
      watermarkCorner(state, W, H, int(FreeImage_GetWidth(mark)), int(FreeImage_GetHeight(mark)), density);
  // prepareWatermarks keeps a watermark with transparency at 32 bits only.
  if (FreeImage_GetBPP(mark) != 32) {
    FreeImage_Paste(image.get(), mark, at.x, at.y, state.watermarkTransparency);
    return;
  }
  ImagePtr canvas(FreeImage_Allocate(W, H, 32));
  if (!canvas || !FreeImage_Paste(canvas.get(), mark, at.x, at.y, state.watermarkTransparency)) return;
  ImagePtr merged(FreeImage_Composite(canvas.get(), FALSE, nullptr, image.get()));
  if (merged) image = std::move(merged);
}

// What the source brought along (EXIF with its orientation, the decoder's
// size notes, XMP, IPTC) no longer describes the output.
void clearMetadata(FIBITMAP* image) {
  for (int model = FIMD_COMMENTS; model <= FIMD_EXIF_RAW; ++model)
    FreeImage_SetMetadata(FREE_IMAGE_MDMODEL(model), image, nullptr, nullptr);
}

// The program that wrote a picture, as its metadata names it.
std::string programText() { return std::string(kProductName) + " " + kProductVersion + " (" + kMakerAddress + ")"; }

// The texts a WebP or AVIF output carries: those of a JPEG, without IPTC's
// Windows-1252 (EXIF and XMP hold UTF-8 here).
CaptionTexts captionTexts(const AppState& state, const std::string& caption) {
  auto orCaption = [&](const std::string& setting) { return setting == "<IMAGE>" ? caption : setting; };
  return {orCaption(state.jpegComment), orCaption(state.iptcCaption), state.iptcTitle, state.iptcAuthor,
          state.iptcCopyright, programText()};
}

// A text or a whole metadata block as FreeImage's writers take it: one tag of
// the model. The length given is the value alone: FreeImage stores what it
// is given, and a counted terminating zero would end up in the file.
void attachBlock(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key, FREE_IMAGE_MDTYPE type,
                 const std::string& block) {
  if (block.empty()) return;
  FITAG* tag = FreeImage_CreateTag();
  if (!tag) return;
  FreeImage_SetTagKey(tag, key);
  FreeImage_SetTagType(tag, type);
  FreeImage_SetTagCount(tag, DWORD(block.size()));
  FreeImage_SetTagLength(tag, DWORD(block.size()));
  if (FreeImage_SetTagValue(tag, block.data())) FreeImage_SetMetadata(model, image, key, tag);
  FreeImage_DeleteTag(tag);
}

// 0 when saved, else the system's reason. The image is encoded in memory
// and written by us: FreeImage does not check its file's close, so a full
// disk would pass as a short file. A twin's JPEG gets Huffman tables fitted
// to it, a few percent less for phones; the other sizes keep the faster
// standard tables.
int saveImage(const AppState& state, FIBITMAP* image, const std::string& destination, const std::string& caption,
              bool twin) {
  const int quality = twin ? twinQuality(state.settings.jpegQuality) : state.settings.jpegQuality;
  const int imageFormat = state.settings.imageFormat;
  const FREE_IMAGE_FORMAT fif = outputFormat(imageFormat);
  clearMetadata(image);
  if (imageFormat == kAvif || imageFormat == kWebp) {
    const CaptionTexts texts = captionTexts(state, caption);
    const auto encode = imageFormat == kAvif ? encodeAvif : encodeWebp;
    const std::string file = encode(image, quality, captionExif(texts), captionXmp(texts));
    if (file.empty()) return EIO;
    return writeFileAtomically(destination, file) ? 0 : errno;
  }
  int flags = 0;
  if (fif == FIF_JPEG) {
    writeImageMetadata(state, image, caption);
    flags = quality | (twin ? JPEG_OPTIMIZE : 0);
  }
  ImagePtr quantised;
  if (fif == FIF_GIF) {
    quantised.reset(FreeImage_ColorQuantize(image, FIQ_WUQUANT));
    if (!quantised) return ENOMEM;
    image = quantised.get();
  }
  std::unique_ptr<FIMEMORY, void (*)(FIMEMORY*)> memory(FreeImage_OpenMemory(), FreeImage_CloseMemory);
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!memory || !FreeImage_SaveToMemory(fif, image, memory.get(), flags) ||
      !FreeImage_AcquireMemory(memory.get(), &data, &size))
    return EIO;
  return writeFileAtomically(destination, std::string(reinterpret_cast<const char*>(data), size)) ? 0 : errno;
}

// IIM allows 2000 bytes for the longest field, the caption; FreeImage writes
// a plain 15-bit length, and the whole block must fit one JPEG marker.
constexpr size_t kIptcTextLimit = 2000;
constexpr size_t kCommentLimit = 65533;

// The text cut to at most limit bytes, never inside a UTF-8 sequence.
std::string cutText(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

// IPTC carries no character set of its own and is read as Latin-1, so
// Windows-1252 wherever the text has a form there.
std::string iptcText(const std::string& utf8) {
  std::string text = cutText(utf8, kIptcTextLimit);
  std::optional<std::string> legacy = utf8ToWindows1252(text);
  return legacy ? *legacy : text;
}

}  // namespace

BoxSize fitIntoBox(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool enlarge) {
  if (!enlarge && sourceWidth > 0 && sourceHeight > 0 && sourceWidth <= boxWidth && sourceHeight <= boxHeight)
    return {sourceWidth, sourceHeight};
  BoxSize size = fitQuotients(sourceWidth, sourceHeight, boxWidth, boxHeight, true);
  // A very narrow picture would otherwise get a side of 0: no file, and
  // pages linking to nothing.
  if (size.width > 0 || size.height > 0) {
    size.width = std::max(size.width, 1);
    size.height = std::max(size.height, 1);
  }
  return size;
}

BoxSize twinSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight, bool enlarge) {
  const BoxSize single = fitIntoBox(sourceWidth, sourceHeight, boxWidth, boxHeight, enlarge);
  const BoxSize twin = fitIntoBox(sourceWidth, sourceHeight, 2 * boxWidth, 2 * boxHeight, false);
  if (2 * (long long)twin.width < 3 * (long long)single.width) return {};
  return twin;
}

int twinQuality(int quality) { return std::max(1, quality * 3 / 5); }

void writeImageMetadata(const AppState& state, FIBITMAP* image, const std::string& caption) {
  auto orCaption = [&](const std::string& setting) { return setting == "<IMAGE>" ? caption : setting; };
  attachBlock(image, FIMD_COMMENTS, "Comment", FIDT_ASCII, cutText(orCaption(state.jpegComment), kCommentLimit));
  attachBlock(image, FIMD_IPTC, "Caption-Abstract", FIDT_ASCII, iptcText(orCaption(state.iptcCaption)));
  attachBlock(image, FIMD_IPTC, "ObjectName", FIDT_ASCII, iptcText(state.iptcTitle));
  attachBlock(image, FIMD_IPTC, "By-line", FIDT_ASCII, iptcText(state.iptcAuthor));
  attachBlock(image, FIMD_IPTC, "CopyrightNotice", FIDT_ASCII, iptcText(state.iptcCopyright));
  attachBlock(image, FIMD_IPTC, "OriginatingProgram", FIDT_ASCII, iptcText(programText()));
}

bool convertImage(const AppState& state, int rotation, bool flipHorizontal, bool flipVertical,
                  const std::string& sourcePath, int boxWidth, int boxHeight, const std::string& destinationPath,
                  const std::string& caption) {
  std::vector<SizeOutput> outputs{{boxWidth, boxHeight, destinationPath}};
  return convertImageSizes(state, rotation, flipHorizontal, flipVertical, sourcePath, outputs, caption);
}

bool convertImageSizes(const AppState& state, int rotation, bool flipHorizontal, bool flipVertical,
                       const std::string& sourcePath, std::vector<SizeOutput>& outputs, const std::string& caption,
                       int threads) {
  std::vector<SizeOutput*> scaled;
  const FREE_IMAGE_FORMAT fif = formatFromFileName(sourcePath);
  // A source no browser is sure to show keeps its full size in the chosen
  // format instead of being copied.
  const bool copyable = !isSourceOnlyFormat(fif);
  auto copyBox = [](const SizeOutput& o) { return o.boxWidth == kCopyBoxSide && o.boxHeight == kCopyBoxSide; };
  for (SizeOutput& o : outputs) {
    o.written = false;
    if (copyBox(o) && copyable) {
      if (o.keep) continue;
      const std::string temporary = temporaryBeside(o.destination);
      // A copy whose GPS data cannot be taken out is not written at all.
      const bool copied = copyFileReplacing(sourcePath, temporary);
      const int copyError = copied ? 0 : errno ? errno : EIO;
      const bool stripped = copied && (!state.settings.stripGps || stripGpsData(temporary));
      o.error = finishReplacing(stripped, temporary, o.destination);
      if (!stripped) o.error = copyError;
      o.written = stripped && o.error == 0;
    } else {
      scaled.push_back(&o);
    }
  }
  if (std::all_of(scaled.begin(), scaled.end(), [](const SizeOutput* o) { return o->keep; })) return true;
  if (fif == FIF_UNKNOWN) return false;
  LoadedImage source = transformedSource(sourcePath, fif, rotation, flipHorizontal, flipVertical, scaled);
  if (!source.image) return true;
  for (SizeOutput* o : scaled) o->damaged = source.damaged;

  // Largest first, so that each smaller size can be resampled from a larger
  // one instead of from the whole decode. The order depends on the boxes
  // alone, so every output is the same whatever thread makes it.
  std::vector<std::pair<BoxSize, SizeOutput*>> sized;
  const bool enlarge = !state.settings.noEnlarge;
  for (SizeOutput* o : scaled) {
    BoxSize size;
    if (copyBox(*o)) {
      size = {source.fullWidth, source.fullHeight};
    } else if (o->twinOf >= 0) {
      const SizeOutput& single = outputs[size_t(o->twinOf)];
      size = twinSize(source.fullWidth, source.fullHeight, single.boxWidth, single.boxHeight, enlarge);
      o->skipped = size.width == 0;
    } else {
      size = fitIntoBox(source.fullWidth, source.fullHeight, o->boxWidth, o->boxHeight, enlarge);
    }
    if (size.width > 0 && size.height > 0) sized.emplace_back(size, o);
  }
  std::stable_sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) {
    return (long long)a.first.width * a.first.height > (long long)b.first.width * b.first.height;
  });
  std::vector<ImagePtr> made;
  made.push_back(std::move(source.image));
  for (size_t i = 0; i < sized.size(); ++i) {
    const auto& [size, output] = sized[i];
    FIBITMAP* from = resamplingSource(made, size.width, size.height);
    ImagePtr image = resampled(from, size.width, size.height, scalingFilter(state.settings.resizeFilter), threads);
    if (!image) continue;
    // The smaller sizes still to come may start from this one, before its
    // watermark; without a watermark, from the very picture saved.
    const bool marked = !output->keep && !state.watermarkFile.empty();
    const bool source = i + 1 < sized.size();
    if (marked && source)
      if (ImagePtr copy{FreeImage_Clone(image.get())}) made.push_back(std::move(copy));
    if (!output->keep) {
      if (output->twinOf >= 0) {
        const SizeOutput& single = outputs[size_t(output->twinOf)];
        pasteWatermark(state, image, single.boxWidth, single.boxHeight, 2);
      } else {
        pasteWatermark(state, image, output->boxWidth, output->boxHeight, 1);
      }
      output->error = saveImage(state, image.get(), output->destination, caption, output->twinOf >= 0);
      output->written = output->error == 0;
    }
    if (!marked && source) made.push_back(std::move(image));
  }
  return true;
}

namespace {

// The watermark fitted into the box, at its size in percent.
ImagePtr watermarkForBox(const AppState& state, FIBITMAP* mark, int bw, int bh) {
  const BoxSize fitted =
      fitQuotients(int(FreeImage_GetWidth(mark)), int(FreeImage_GetHeight(mark)), bw, bh, false);
  const int w = fitted.width * state.watermarkSizePercent / 100, h = fitted.height * state.watermarkSizePercent / 100;
  ImagePtr scaled(w > 0 && h > 0 ? FreeImage_Rescale(mark, w, h, FILTER_BILINEAR) : nullptr);
  if (!scaled) return scaled;
  // FreeImage pastes only between equal depths: 32 bits for the canvas of
  // the transparent path, 24 bits for the output image itself.
  return FreeImage_IsTransparent(scaled.get()) ? to32Bits(std::move(scaled)) : to24Bits(std::move(scaled));
}

}  // namespace

bool prepareWatermarks(AppState& state) {
  releaseWatermarks(state);
  if (state.watermarkFile.empty()) return false;
  const FREE_IMAGE_FORMAT fif = formatFromFileName(state.watermarkFile);
  if (fif == FIF_UNKNOWN) return false;
  ImagePtr mark = loadUpright(state.watermarkFile, fif).image;
  if (!mark) return false;
  const ProjectSettings& s = state.settings;
  const int boxes[3][2] = {{s.sizeAWidth, s.sizeAHeight}, {s.sizeBWidth, s.sizeBHeight}, {s.sizeCWidth, s.sizeCHeight}};
  for (int i = 0; i < 3; ++i) {
    const int bw = boxes[i][0], bh = boxes[i][1];
    if (bw == 0 || (i > 0 && bw == kCopyBoxSide && bh == kCopyBoxSide)) continue;
    state.watermarkBoxes[2 * i] = bw;
    state.watermarkBoxes[2 * i + 1] = bh;
    state.watermarkScaled[i] = watermarkForBox(state, mark.get(), bw, bh);
    if (s.hidpi && !(bw == kCopyBoxSide && bh == kCopyBoxSide))
      state.watermarkTwins[i] = watermarkForBox(state, mark.get(), 2 * bw, 2 * bh);
  }
  return true;
}

void releaseWatermarks(AppState& state) {
  for (ImagePtr& slot : state.watermarkScaled) slot.reset();
  for (ImagePtr& slot : state.watermarkTwins) slot.reset();
  std::fill(std::begin(state.watermarkBoxes), std::end(state.watermarkBoxes), 0);
}

}  // namespace pv
