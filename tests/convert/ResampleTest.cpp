#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ConversionTestSupport.h"
#include "convert/Resample.h"

using namespace pv;

namespace {

// Smooth gradients, fine noise and hard black-white edges (where the
// bicubic filter overshoots and must be clamped), with a varying alpha at 32 bits.
ImagePtr testPicture(int w, int h, int bpp) {
  ImagePtr dib(FreeImage_Allocate(w, h, bpp));
  std::uint32_t state = 12345;
  const int step = bpp / 8;
  for (int y = 0; y < h; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib.get(), y);
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      const int noise = int(state >> 28) - 8;
      const bool edge = (x / 7 + y / 5) % 2 == 0 && x < w / 3;
      BYTE* p = line + x * step;
      p[FI_RGBA_RED] = BYTE(std::clamp(x * 255 / w + noise, 0, 255));
      p[FI_RGBA_GREEN] = edge ? 255 : 0;
      p[FI_RGBA_BLUE] = BYTE(std::clamp(y * 255 / h + noise, 0, 255));
      if (step == 4) p[FI_RGBA_ALPHA] = BYTE((x + y) % 256);
    }
  }
  return dib;
}

struct Difference {
  double psnr = 0;
  int largest = 256;
};

// Over every byte of two images of one size and depth.
Difference differenceOf(FIBITMAP* a, FIBITMAP* b) {
  Difference d;
  if (!a || !b || FreeImage_GetWidth(a) != FreeImage_GetWidth(b) || FreeImage_GetHeight(a) != FreeImage_GetHeight(b) ||
      FreeImage_GetBPP(a) != FreeImage_GetBPP(b))
    return d;
  const unsigned bytes = FreeImage_GetWidth(a) * FreeImage_GetBPP(a) / 8, h = FreeImage_GetHeight(a);
  double squares = 0;
  d.largest = 0;
  for (unsigned y = 0; y < h; ++y) {
    const BYTE* p = FreeImage_GetScanLine(a, int(y));
    const BYTE* q = FreeImage_GetScanLine(b, int(y));
    for (unsigned i = 0; i < bytes; ++i) {
      const int diff = int(p[i]) - int(q[i]);
      squares += diff * diff;
      d.largest = std::max(d.largest, std::abs(diff));
    }
  }
  const double mean = squares / (double(bytes) * h);
  d.psnr = mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
  return d;
}

}  // namespace

TEST(Resample, EveryFilterAndShapeWithinARoundingStepOfFreeImage) {
  const std::pair<int, int> sizes[] = {{97, 61},    // shrunk by 3.3 and 2.6
                                       {320, 100},  // width kept, height shrunk
                                       {150, 200},  // width shrunk, height kept
                                       {700, 450},  // enlarged
                                       {500, 90},   // wider, much lower
                                       {1, 1}};
  for (int bpp : {24, 32}) {
    ImagePtr source = testPicture(320, 200, bpp);
    for (FREE_IMAGE_FILTER filter : {FILTER_BOX, FILTER_BILINEAR, FILTER_BICUBIC, FILTER_BSPLINE}) {
      for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << bpp << " bits, filter " << filter << ", " << w << " x " << h);
        ImagePtr ours = resampled(source.get(), w, h, filter);
        ImagePtr reference(FreeImage_Rescale(source.get(), w, h, filter));
        const Difference d = differenceOf(ours.get(), reference.get());
        EXPECT_GE(d.psnr, 45.0);
        // The cubic filter overshoots at the edges; which pass clamps it
        // first moves single pixels by a few steps more.
        EXPECT_LE(d.largest, filter == FILTER_BICUBIC ? 12 : 2);
        // Bands of rows made side by side give the very same pixels.
        ImagePtr banded = resampled(source.get(), w, h, filter, 3);
        EXPECT_EQ(differenceOf(banded.get(), ours.get()).largest, 0);
      }
    }
  }
}

TEST(Resample, AFlatColourStaysExactlyThatColour) {
  // Weights that do not sum to exactly one, or a rounding bias, shift a flat
  // area by a step; the overshooting cubic filter shows it most.
  for (BYTE value : {BYTE(0), BYTE(1), BYTE(128), BYTE(254), BYTE(255)}) {
    ImagePtr flat(FreeImage_Allocate(123, 77, 32));
    for (int y = 0; y < 77; ++y) std::memset(FreeImage_GetScanLine(flat.get(), y), value, 123 * 4);
    for (FREE_IMAGE_FILTER filter : {FILTER_BOX, FILTER_BICUBIC, FILTER_BSPLINE}) {
      ImagePtr smaller = resampled(flat.get(), 31, 50, filter), larger = resampled(flat.get(), 400, 301, filter);
      ASSERT_TRUE(smaller && larger);
      for (FIBITMAP* out : {smaller.get(), larger.get()})
        for (unsigned y = 0; y < FreeImage_GetHeight(out); ++y) {
          const BYTE* line = FreeImage_GetScanLine(out, int(y));
          for (unsigned i = 0; i < FreeImage_GetWidth(out) * 4; ++i) ASSERT_EQ(line[i], value) << int(filter);
        }
    }
  }
}

TEST(Resample, OnlyTrueColourImagesAndRealSizes) {
  ImagePtr grey(FreeImage_Allocate(40, 30, 8));
  EXPECT_FALSE(resampled(grey.get(), 20, 15, FILTER_BILINEAR));
  ImagePtr colour = testPicture(40, 30, 24);
  EXPECT_FALSE(resampled(colour.get(), 0, 15, FILTER_BILINEAR));
  EXPECT_FALSE(resampled(nullptr, 20, 15, FILTER_BILINEAR));
  // The same size is a copy, not the source itself.
  ImagePtr same = resampled(colour.get(), 40, 30, FILTER_BSPLINE);
  ASSERT_TRUE(same);
  EXPECT_NE(same.get(), colour.get());
  EXPECT_EQ(differenceOf(same.get(), colour.get()).largest, 0);
}

TEST(Resample, ThePixelsOfNoiseStayExactlyWhatThePlainLoopsMade) {
  // Fingerprints of what the plain loops made of noise, for both depths, a
  // smoothing and an overshooting filter, shrinking and enlarging. The
  // vector code must give the very same bytes: a gallery built before
  // would otherwise differ from the same gallery built again.
  struct Case {
    int bpp;
    FREE_IMAGE_FILTER filter;
    int width, height;
    std::uint64_t fingerprint;
  };
  const Case cases[] = {{24, FILTER_BILINEAR, 211, 150, 0x023f5b92653bed65ull},
                        {24, FILTER_BILINEAR, 1000, 700, 0x42b784dddde67898ull},
                        {24, FILTER_BICUBIC, 211, 150, 0x7a1d750aac495fe4ull},
                        {24, FILTER_BICUBIC, 1000, 700, 0x3478cb47b331043cull},
                        {32, FILTER_BILINEAR, 211, 150, 0xa186393cfd335bf8ull},
                        {32, FILTER_BILINEAR, 1000, 700, 0xa23d486f950cdfedull},
                        {32, FILTER_BICUBIC, 211, 150, 0x50a10c142fbbf5bbull},
                        {32, FILTER_BICUBIC, 1000, 700, 0xb56f11145566273dull}};
  for (const Case& c : cases) {
    ImagePtr noise(FreeImage_Allocate(517, 389, c.bpp));
    std::uint32_t seed = 12345;
    for (int y = 0; y < 389; ++y) {
      BYTE* line = FreeImage_GetScanLine(noise.get(), y);
      for (int x = 0; x < 517 * c.bpp / 8; ++x) {
        seed = seed * 1103515245u + 12345u;
        line[x] = BYTE((seed >> 16) ^ unsigned(x * 3 + y));
      }
    }
    ImagePtr out = resampled(noise.get(), c.width, c.height, c.filter);
    ASSERT_TRUE(out);
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a over the pixel bytes of every row
    for (int y = 0; y < c.height; ++y) {
      const BYTE* line = FreeImage_GetScanLine(out.get(), y);
      for (int x = 0; x < c.width * c.bpp / 8; ++x) hash = (hash ^ line[x]) * 1099511628211ull;
    }
    EXPECT_EQ(hash, c.fingerprint) << c.bpp << " bits, filter " << int(c.filter) << ", " << c.width << " x " << c.height;
  }
}
