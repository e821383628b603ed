#include "convert/Resample.h"

#include <emmintrin.h>
#include <tmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace pv {

namespace {

// Weights in fixed point, 16 bits each, so that the products of weights and
// 8-bit values are 16 by 16 bits, which the vector units do directly; sums
// of up to a few hundred taps stay well inside 32 bits.
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;

double filterWidth(FREE_IMAGE_FILTER filter) {
  switch (filter) {
    case FILTER_BOX: return 0.5;
    case FILTER_BILINEAR: return 1.0;
    default: return 2.0;
  }
}

double filterValue(FREE_IMAGE_FILTER filter, double x) {
  x = std::fabs(x);
  switch (filter) {
    case FILTER_BOX: return x <= 0.5 ? 1.0 : 0.0;
    case FILTER_BILINEAR: return x < 1.0 ? 1.0 - x : 0.0;
    case FILTER_BSPLINE: {
      if (x < 1.0) return (4.0 + x * x * (-6.0 + 3.0 * x)) / 6.0;
      const double t = 2.0 - x;
      return x < 2.0 ? t * t * t / 6.0 : 0.0;
    }
    default: {
      // Mitchell and Netravali's cubic with B = C = 1/3.
      constexpr double b = 1.0 / 3.0, c = 1.0 / 3.0;
      constexpr double p0 = (6 - 2 * b) / 6, p2 = (-18 + 12 * b + 6 * c) / 6, p3 = (12 - 9 * b - 6 * c) / 6;
      constexpr double q0 = (8 * b + 24 * c) / 6, q1 = (-12 * b - 48 * c) / 6, q2 = (6 * b + 30 * c) / 6,
                       q3 = (-b - 6 * c) / 6;
      if (x < 1.0) return p0 + x * x * (p2 + x * p3);
      return x < 2.0 ? q0 + x * (q1 + x * (q2 + x * q3)) : 0.0;
    }
  }
}

// For each output position the first source position it reads and the
// weights of the following ones, `window` of them (zero-padded).
struct Weights {
  int window = 0;
  std::vector<int> first;
  std::vector<std::int16_t> weight;
};

// The windows and weights FreeImage computes (the filter stretched by the
// reduction when shrinking, each output's weights normalised to one), rounded
// to fixed point so that they still sum to exactly one.
Weights weightsFor(FREE_IMAGE_FILTER filter, int sourceSize, int targetSize) {
  const double scale = double(targetSize) / double(sourceSize);
  const double width = scale < 1.0 ? filterWidth(filter) / scale : filterWidth(filter);
  const double filterScale = std::min(scale, 1.0);
  const int reach = 2 * int(std::ceil(width)) + 1;
  // Each output's fixed-point weights from its first source position on,
  // without the zeros at either end: they would only cost time.
  std::vector<int> start(static_cast<size_t>(targetSize));
  std::vector<std::vector<std::int16_t>> taps(static_cast<size_t>(targetSize));
  std::vector<double> exact(static_cast<size_t>(reach));
  int window = 1;
  for (int u = 0; u < targetSize; ++u) {
    const double center = double(u) / scale + 0.5 / scale;
    const int left = std::max(0, int(center - width + 0.5));
    const int right = std::min(int(center + width + 0.5), sourceSize);
    const int count = std::max(0, std::min(right - left, reach));
    double total = 0;
    for (int i = 0; i < count; ++i) {
      exact[size_t(i)] = filterScale * filterValue(filter, filterScale * (double(left + i) + 0.5 - center));
      total += exact[size_t(i)];
    }
    std::vector<std::int16_t>& out = taps[size_t(u)];
    int sum = 0;
    size_t largest = 0;
    for (int i = 0; i < count; ++i) {
      const double normalised = total > 0 ? exact[size_t(i)] / total : exact[size_t(i)];
      out.push_back(std::int16_t(std::lround(normalised * kOne)));
      sum += out.back();
      if (std::abs(out.back()) > std::abs(out[largest])) largest = out.size() - 1;
    }
    if (total > 0 && !out.empty()) out[largest] = std::int16_t(out[largest] + kOne - sum);
    size_t skipped = 0;
    while (skipped < out.size() && out[skipped] == 0) ++skipped;
    out.erase(out.begin(), out.begin() + long(skipped));
    while (!out.empty() && out.back() == 0) out.pop_back();
    start[size_t(u)] = left + int(skipped);
    window = std::max(window, int(out.size()));
  }
  Weights w;
  w.window = window;
  w.first.resize(size_t(targetSize));
  w.weight.assign(size_t(targetSize) * size_t(window), 0);
  for (int u = 0; u < targetSize; ++u) {
    // A window running past the last source position starts early instead.
    w.first[size_t(u)] = std::max(0, std::min(start[size_t(u)], sourceSize - window));
    const int shift = start[size_t(u)] - w.first[size_t(u)];
    std::copy(taps[size_t(u)].begin(), taps[size_t(u)].end(), &w.weight[size_t(u) * size_t(window) + size_t(shift)]);
  }
  return w;
}

inline BYTE clampedByte(std::int32_t sum) {
  const std::int32_t v = (sum + kOne / 2) >> kWeightBits;
  return BYTE(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Two 16-bit weights side by side in every 32-bit lane, for the multiply-adds.
__m128i weightPair(std::int16_t a, std::int16_t b) {
  return _mm_set1_epi32(int(std::uint32_t(std::uint16_t(a)) | std::uint32_t(std::uint16_t(b)) << 16));
}

// One target row from the taps' source rows, 16 bytes at a time: the bytes
// of two rows side by side in 16-bit lanes, so that one multiply-add gives
// four sums of two taps, kept in registers over all taps, then rounded,
// shifted and clamped as clampedByte does.
void resampleRow(const std::vector<const BYTE*>& rows, const std::int16_t* weight, BYTE* out, size_t bytes) {
  const int taps = int(rows.size());
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi32(kOne / 2);
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    __m128i sum[4] = {zero, zero, zero, zero};
    for (int k = 0; k < taps; k += 2) {
      const bool pair = k + 1 < taps;
      const __m128i weights = weightPair(weight[k], pair ? weight[k + 1] : 0);
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[size_t(k)] + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[size_t(pair ? k + 1 : k)] + i));
      const __m128i low = _mm_unpacklo_epi8(a, b), high = _mm_unpackhi_epi8(a, b);
      sum[0] = _mm_add_epi32(sum[0], _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weights));
      sum[1] = _mm_add_epi32(sum[1], _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weights));
      sum[2] = _mm_add_epi32(sum[2], _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weights));
      sum[3] = _mm_add_epi32(sum[3], _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weights));
    }
    for (__m128i& s : sum) s = _mm_srai_epi32(_mm_add_epi32(s, half), kWeightBits);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(sum[0], sum[1]), _mm_packs_epi32(sum[2], sum[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
  }
  for (; i < bytes; ++i) {
    std::int32_t sum = 0;
    for (int k = 0; k < taps; ++k) sum += weight[k] * rows[size_t(k)][i];
    out[i] = clampedByte(sum);
  }
}

// Rows from..to of the target from rows of the source, each a weighted sum
// of whole source rows.
void resampleRows(FIBITMAP* source, FIBITMAP* target, const Weights& w, int from, int to) {
  const int sourceRows = int(FreeImage_GetHeight(source));
  const size_t bytes = size_t(FreeImage_GetWidth(target)) * (FreeImage_GetBPP(target) / 8);
  std::vector<const BYTE*> rows;
  for (int y = from; y < to; ++y) {
    const int first = w.first[size_t(y)], taps = std::min(w.window, sourceRows - first);
    rows.clear();
    for (int k = 0; k < taps; ++k) rows.push_back(FreeImage_GetScanLine(source, first + k));
    resampleRow(rows, &w.weight[size_t(y) * size_t(w.window)], FreeImage_GetScanLine(target, y), bytes);
  }
}

// Pixel x of a target row from its window of the source row.
template <int Channels>
void resamplePixel(const BYTE* in, BYTE* out, const Weights& w, int window, int x) {
  const BYTE* pixels = in + size_t(w.first[size_t(x)]) * Channels;
  const std::int16_t* weight = &w.weight[size_t(x) * size_t(w.window)];
  std::int32_t sum[Channels] = {};
  for (int k = 0; k < window; ++k)
    for (int c = 0; c < Channels; ++c) sum[c] += weight[k] * pixels[k * Channels + c];
  for (int c = 0; c < Channels; ++c) out[x * Channels + c] = clampedByte(sum[c]);
}

// The same for a whole row, two taps of all channels of a pixel in one
// multiply-add of 16-bit lanes (the channels of pixels k and k + 1 side by
// side): the very same sums, about twice as fast as the plain loop.
template <int Channels>
__attribute__((target("ssse3"))) void resampleRowOfColumnsSsse3(const BYTE* in, int sourceColumns, BYTE* out,
                                                                int columns, const Weights& w, int window) {
  const __m128i pairs = Channels == 3 ? _mm_setr_epi8(0, -1, 3, -1, 1, -1, 4, -1, 2, -1, 5, -1, -1, -1, -1, -1)
                                      : _mm_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
  const __m128i half = _mm_set1_epi32(kOne / 2);
  for (int x = 0; x < columns; ++x) {
    const int first = w.first[size_t(x)];
    // Each load takes 8 bytes from pixel k on: a window that ends within the
    // last two pixels of the row takes the plain loop, so no load passes the row's end.
    if (first + window + 2 > sourceColumns) {
      resamplePixel<Channels>(in, out, w, window, x);
      continue;
    }
    const std::int16_t* weight = &w.weight[size_t(x) * size_t(w.window)];
    __m128i sum = _mm_setzero_si128();
    for (int k = 0; k < window; k += 2) {
      const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + size_t(first + k) * Channels));
      const __m128i weights = weightPair(weight[k], k + 1 < window ? weight[k + 1] : 0);
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_shuffle_epi8(bytes, pairs), weights));
    }
    // Rounded, shifted and clamped to 0..255 as clampedByte does.
    const __m128i value = _mm_srai_epi32(_mm_add_epi32(sum, half), kWeightBits);
    const __m128i bytesOut = _mm_packus_epi16(_mm_packs_epi32(value, value), value);
    const std::uint32_t pixel = std::uint32_t(_mm_cvtsi128_si32(bytesOut));
    std::memcpy(out + size_t(x) * Channels, &pixel, Channels);
  }
}

// Columns of rows first..last of the target from columns of the source, pixel by pixel.
template <int Channels>
void resampleColumns(FIBITMAP* source, FIBITMAP* target, const Weights& w, int first, int last) {
  static const bool ssse3 = __builtin_cpu_supports("ssse3");
  const int columns = int(FreeImage_GetWidth(target));
  const int sourceColumns = int(FreeImage_GetWidth(source));
  const int window = std::min(w.window, sourceColumns);
  for (int y = first; y < last; ++y) {
    const BYTE* in = FreeImage_GetScanLine(source, y);
    BYTE* out = FreeImage_GetScanLine(target, y);
    if (ssse3) {
      resampleRowOfColumnsSsse3<Channels>(in, sourceColumns, out, columns, w, window);
    } else {
      for (int x = 0; x < columns; ++x) resamplePixel<Channels>(in, out, w, window, x);
    }
  }
}

// band(from, to) over rows 0..rows in as many bands as threads, each on a
// thread of its own but the first; bands of fewer than 32 rows are not worth one.
void inBands(int rows, int threads, const std::function<void(int, int)>& band) {
  const int bands = std::clamp(std::min(threads, rows / 32), 1, 64);
  std::vector<std::thread> helpers;
  for (int b = 1; b < bands; ++b) {
    try {
      helpers.emplace_back(band, rows * b / bands, rows * (b + 1) / bands);
    } catch (const std::system_error&) {
      band(rows * b / bands, rows * (b + 1) / bands);  // no thread to be had: this one does it
    }
  }
  band(0, rows / bands);
  for (std::thread& t : helpers) t.join();
}

ImagePtr allocateLike(FIBITMAP* model, int width, int height) {
  const unsigned bpp = FreeImage_GetBPP(model);
  return ImagePtr(FreeImage_Allocate(width, height, int(bpp), FreeImage_GetRedMask(model),
                                     FreeImage_GetGreenMask(model), FreeImage_GetBlueMask(model)));
}

}  // namespace

ImagePtr resampled(FIBITMAP* source, int width, int height, FREE_IMAGE_FILTER filter, int threads) {
  const unsigned bpp = source ? FreeImage_GetBPP(source) : 0;
  if (FreeImage_GetImageType(source) != FIT_BITMAP || (bpp != 24 && bpp != 32) || width < 1 || height < 1)
    return nullptr;
  const int sourceWidth = int(FreeImage_GetWidth(source)), sourceHeight = int(FreeImage_GetHeight(source));
  const Weights horizontal = weightsFor(filter, sourceWidth, width);
  const Weights vertical = weightsFor(filter, sourceHeight, height);
  // Each pass makes each target row from source rows alone, so bands of
  // target rows may be made side by side.
  auto columns = [&](FIBITMAP* from, FIBITMAP* to, int first, int last) {
    if (bpp == 24) resampleColumns<3>(from, to, horizontal, first, last);
    else resampleColumns<4>(from, to, horizontal, first, last);
  };
  auto rows = [&](FIBITMAP* from, FIBITMAP* to, int first, int last) {
    resampleRows(from, to, vertical, first, last);
  };
  auto allRows = [&](FIBITMAP* to, const std::function<void(int, int)>& band) {
    inBands(int(FreeImage_GetHeight(to)), threads, band);
  };
  // A side that keeps its size is not filtered at all (the smoothing filters
  // would blur it). The pass over whole rows is the cheap one: when
  // shrinking it goes first, so that the pixel-by-pixel pass has fewer rows
  // to do; when enlarging, last.
  if (width == sourceWidth && height == sourceHeight) return ImagePtr(FreeImage_Clone(source));
  ImagePtr out = allocateLike(source, width, height);
  if (!out) return nullptr;
  FIBITMAP* target = out.get();
  if (width == sourceWidth || height == sourceHeight) {
    allRows(target, [&](int first, int last) {
      if (width != sourceWidth) columns(source, target, first, last);
      else rows(source, target, first, last);
    });
    return out;
  }
  const bool rowsFirst = height <= sourceHeight;
  ImagePtr between = rowsFirst ? allocateLike(source, sourceWidth, height) : allocateLike(source, width, sourceHeight);
  if (!between) return nullptr;
  FIBITMAP* middle = between.get();
  if (rowsFirst) {
    allRows(target, [&](int first, int last) {
      rows(source, middle, first, last);
      columns(middle, target, first, last);
    });
  } else {
    allRows(middle, [&](int first, int last) { columns(source, middle, first, last); });
    allRows(target, [&](int first, int last) { rows(middle, target, first, last); });
  }
  return out;
}

}  // namespace pv
