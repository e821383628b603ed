// Paints the demo photos: synthetic landscapes, coasts, forests and city
// lights, with the haze, glow, grain and vignette of a real camera picture.
// Usage: scenes OUTPUT_FOLDER   (writes one JPEG per scene, by name)
#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb {
  float r = 0, g = 0, b = 0;
};
Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }
Rgb hex(uint32_t v) { return {float(v >> 16 & 255) / 255, float(v >> 8 & 255) / 255, float(v & 255) / 255}; }
float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float smooth(float a, float b, float x) {
  float t = clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

struct Picture {
  int w, h;
  std::vector<Rgb> px;
  Picture(int w_, int h_) : w(w_), h(h_), px(size_t(w_) * size_t(h_)) {}
  Rgb& at(int x, int y) { return px[size_t(y) * size_t(w) + size_t(x)]; }
  // Paints every pixel from its position (x and y from 0 to 1, y downwards).
  void paint(const std::function<Rgb(float, float, Rgb)>& f) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = f(float(x) / float(w), float(y) / float(h), at(x, y));
  }
};

// Value noise with smooth interpolation, and its fractal sum.
uint32_t hash(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
float lattice(int x, int y, uint32_t seed) { return float(hash(x, y, seed) & 0xFFFFFF) / float(0xFFFFFF); }
float noise(float x, float y, uint32_t seed) {
  int xi = int(std::floor(x)), yi = int(std::floor(y));
  float fx = x - float(xi), fy = y - float(yi);
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float a = lattice(xi, yi, seed), b = lattice(xi + 1, yi, seed);
  float c = lattice(xi, yi + 1, seed), d = lattice(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}
float fbm(float x, float y, uint32_t seed, int octaves = 5) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += noise(x, y, seed + uint32_t(i) * 17) * amp;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}
// A mountain ridge: the top of the range at x (0 top .. 1 bottom), craggier
// for higher sharpness.
float ridge(float x, uint32_t seed, float base, float height, float sharpness = 1) {
  float n = 0, amp = 1, norm = 0, f = 2.2f;
  for (int i = 0; i < 6; ++i) {
    float v = noise(x * f, 0.5f, seed + uint32_t(i) * 31);
    n += (sharpness * (1 - std::fabs(v * 2 - 1)) + (1 - sharpness) * v) * amp;
    norm += amp;
    amp *= 0.48f;
    f *= 2.1f;
  }
  const float v = n / norm;
  return base - height * v * v * 1.25f;
}

void sky(Picture& p, Rgb top, Rgb horizon, float horizonY) {
  p.paint([&](float, float y, Rgb) { return mix(top, horizon, std::pow(clamp01(y / horizonY), 1.6f)); });
}
void clouds(Picture& p, uint32_t seed, float cover, float bottom, Rgb lit, Rgb shade, float stretch = 3) {
  p.paint([&](float x, float y, Rgb c) {
    if (y > bottom) return c;
    float n = fbm(x * stretch, y * stretch * 2.5f, seed);
    float d = smooth(1 - cover, 1 - cover + 0.25f, n) * smooth(bottom, bottom * 0.6f, y);
    float light = fbm(x * stretch + 0.05f, y * stretch * 2.5f - 0.08f, seed);
    return mix(c, mix(shade, lit, clamp01(0.4f + (n - light) * 4)), d * 0.9f);
  });
}
void sun(Picture& p, float sx, float sy, float radius, Rgb colour, float glow) {
  const float aspect = float(p.w) / float(p.h);
  p.paint([&](float x, float y, Rgb c) {
    float d = std::hypot((x - sx) * aspect, y - sy);
    float disc = smooth(radius, radius * 0.85f, d);
    float halo = glow * std::exp(-d * 6) + glow * 0.5f * std::exp(-d * 18);
    return mix(c, colour, clamp01(disc + halo));
  });
}
// A mountain range in front of whatever is painted: rock faces lit from the
// left, snow near the ridge, hazier when farther.
void range(Picture& p, uint32_t seed, float base, float height, Rgb near, Rgb haze, float hazeAmount, float sharpness,
           float snowLine = 0, Rgb snow = {}) {
  std::vector<float> top(size_t(p.w));
  for (int x = 0; x < p.w; ++x) top[size_t(x)] = ridge(float(x) / float(p.w), seed, base, height, sharpness);
  p.paint([&](float x, float y, Rgb c) {
    const float below = y - top[std::min(size_t(p.w - 1), size_t(x * float(p.w)))];
    if (below < 0) return c;
    auto relief = [&](float u) { return fbm(u * 9, y * 6, seed + 3, 5); };
    const float lit = std::clamp(0.9f + (relief(x - 0.003f) - relief(x + 0.003f)) * 9, 0.5f, 1.3f);
    const float grain = fbm(x * 40, y * 40, seed + 5, 3);
    Rgb rock = near * (lit * (0.85f + grain * 0.25f));
    if (below < snowLine * (0.4f + grain * 0.6f) * (lit > 0.8f ? 1.0f : 0.6f)) rock = mix(rock, snow * lit, 0.9f);
    return mix(rock, haze, hazeAmount * (1 - smooth(0.0f, 0.5f, below) * 0.4f));
  });
}
// Water below horizonY mirrors the picture above it, with ripples.
void water(Picture& p, float horizonY, uint32_t seed, Rgb tint, float tintAmount) {
  const int hy = int(horizonY * float(p.h));
  for (int y = hy; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      float fy = float(y - hy) / float(p.h - hy + 1);
      float ripple = (noise(float(x) * 0.02f, float(y) * 0.35f / (0.15f + fy), seed) - 0.5f) * (6 + 40 * fy);
      int mx = std::clamp(x + int(ripple), 0, p.w - 1);
      int my = std::clamp(2 * hy - y + int(ripple * 0.3f), 0, hy - 1);
      Rgb m = p.at(mx, my);
      p.at(x, y) = mix(m * 0.82f, tint, tintAmount + fy * 0.25f);
    }
}
void blur(Picture& p, int radius) {
  if (radius < 1) return;
  std::vector<Rgb> tmp(p.px.size());
  for (int pass = 0; pass < 2; ++pass) {
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        Rgb s;
        int n = 0;
        for (int k = -radius; k <= radius; ++k) {
          int xx = pass == 0 ? std::clamp(x + k, 0, p.w - 1) : x;
          int yy = pass == 1 ? std::clamp(y + k, 0, p.h - 1) : y;
          s = s + p.at(xx, yy);
          ++n;
        }
        tmp[size_t(y) * size_t(p.w) + size_t(x)] = s * (1.0f / float(n));
      }
    p.px.swap(tmp);
  }
}
// Soft round lights, as out-of-focus points of light photograph.
void bokeh(Picture& p, uint32_t seed, int count, float minR, float maxR, const std::vector<Rgb>& colours, float yFrom,
           float yTo, float strength) {
  const float aspect = float(p.w) / float(p.h);
  for (int i = 0; i < count; ++i) {
    float cx = lattice(i, 1, seed), cy = yFrom + (yTo - yFrom) * lattice(i, 2, seed);
    float r = minR + (maxR - minR) * lattice(i, 3, seed);
    Rgb col = colours[hash(i, 4, seed) % colours.size()];
    int x0 = std::max(0, int((cx - r / aspect) * float(p.w))), x1 = std::min(p.w - 1, int((cx + r / aspect) * float(p.w)));
    int y0 = std::max(0, int((cy - r) * float(p.h))), y1 = std::min(p.h - 1, int((cy + r) * float(p.h)));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        float d = std::hypot((float(x) / float(p.w) - cx) * aspect, float(y) / float(p.h) - cy) / r;
        float a = smooth(1.0f, 0.9f, d) * (0.55f + 0.45f * d) * strength;
        p.at(x, y) = p.at(x, y) + col * a;
      }
  }
}
// What the camera adds: a darker rim and fine grain.
void camera(Picture& p, uint32_t seed, float vignette, float grain) {
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      float dx = float(x) / float(p.w) - 0.5f, dy = float(y) / float(p.h) - 0.5f;
      float v = 1 - vignette * (dx * dx + dy * dy) * 2.2f;
      float g = (lattice(x, y, seed) - 0.5f) * grain;
      Rgb& c = p.at(x, y);
      c = c * v + Rgb{g, g, g};
    }
}

// ---- The scenes ----

void dawnLake(Picture& p) {
  sky(p, hex(0x3b5d8f), hex(0xf2b27a), 0.5f);
  sun(p, 0.68f, 0.3f, 0.028f, hex(0xfff1c8), 0.55f);
  clouds(p, 11, 0.55f, 0.32f, hex(0xf7c9a0), hex(0x7d6a86));
  range(p, 12, 0.5f, 0.22f, hex(0x6f7f9e), hex(0xd9a98c), 0.55f, 0.8f);
  range(p, 13, 0.53f, 0.14f, hex(0x34425a), hex(0xb58c84), 0.3f, 0.6f);
  water(p, 0.55f, 14, hex(0x1d2c40), 0.12f);
  range(p, 15, 1.04f, 0.12f, hex(0x1e2a22), hex(0x1e2a22), 0.0f, 0.3f);
  camera(p, 16, 0.35f, 0.035f);
}
void snowPeaks(Picture& p) {
  sky(p, hex(0x1f5fa8), hex(0xa9cdf0), 0.6f);
  clouds(p, 21, 0.3f, 0.45f, hex(0xffffff), hex(0xaab8cc), 2);
  range(p, 22, 0.62f, 0.45f, hex(0x7a7f8c), hex(0xc4d6ea), 0.35f, 1.0f, 0.16f, hex(0xf4f8ff));
  range(p, 23, 0.78f, 0.3f, hex(0x4d4f58), hex(0xa9bfd8), 0.15f, 0.95f, 0.08f, hex(0xeef3fb));
  range(p, 24, 1.02f, 0.12f, hex(0x3c4a33), hex(0x3c4a33), 0.0f, 0.4f);
  camera(p, 25, 0.3f, 0.03f);
}
void alpenglow(Picture& p) {
  sky(p, hex(0x2a3566), hex(0xe8a0a6), 0.55f);
  range(p, 31, 0.6f, 0.4f, hex(0x8a6f86), hex(0xe4b0b6), 0.3f, 1.0f, 0.2f, hex(0xffd2d0));
  range(p, 32, 0.85f, 0.25f, hex(0x3a3348), hex(0x9c7f99), 0.2f, 0.9f, 0.05f, hex(0xd8b8c8));
  camera(p, 33, 0.4f, 0.03f);
}
void meadow(Picture& p) {
  sky(p, hex(0x4a86c8), hex(0xd7e8f5), 0.45f);
  clouds(p, 41, 0.45f, 0.42f, hex(0xffffff), hex(0x9fb0c4));
  range(p, 42, 0.46f, 0.2f, hex(0x7d8fa8), hex(0xbcd0e4), 0.55f, 0.9f, 0.06f, hex(0xf2f6fb));
  p.paint([&](float x, float y, Rgb c) {
    float hill = 0.5f + 0.05f * std::sin(x * 5 + 1) + 0.03f * std::sin(x * 13);
    if (y < hill) return c;
    float n = fbm(x * 30, y * 60, 43, 4);
    Rgb grass = mix(hex(0x6f9a35), hex(0x3d6b22), n) * (0.8f + 0.3f * (y - hill));
    float flower = smooth(0.78f, 0.84f, fbm(x * 90, y * 140, 44, 2)) * smooth(hill, 0.75f, y);
    Rgb petal = (hash(int(x * 90), int(y * 140), 45) & 1) ? hex(0xf5e35a) : hex(0xffffff);
    return mix(grass, petal, flower);
  });
  camera(p, 46, 0.3f, 0.03f);
}
void seaOfClouds(Picture& p) {
  sky(p, hex(0x21407a), hex(0xf6c18a), 0.55f);
  sun(p, 0.3f, 0.52f, 0.03f, hex(0xfff0c0), 0.6f);
  range(p, 51, 0.62f, 0.35f, hex(0x394663), hex(0xd9a78b), 0.35f, 1.0f, 0.04f, hex(0xf3d6c3));
  p.paint([&](float x, float y, Rgb c) {
    float top = 0.6f + 0.04f * (fbm(x * 6, 0.3f, 52) - 0.5f);
    if (y < top) return c;
    float n = fbm(x * 8, y * 14, 53);
    return mix(hex(0xf4d2b8), hex(0x9d8ea8), clamp01((y - top) * 1.6f + (0.5f - n) * 0.6f));
  });
  camera(p, 54, 0.35f, 0.03f);
}
void aurora(Picture& p) {
  sky(p, hex(0x040b1c), hex(0x15304a), 0.62f);
  p.paint([&](float x, float y, Rgb c) {
    float star = lattice(int(x * 1200), int(y * 800), 61) > 0.9975f ? 0.9f : 0;
    float band = 0.22f + 0.12f * std::sin(x * 5.5f + 1.2f) + 0.05f * (fbm(x * 3, 0.1f, 62) - 0.5f);
    float curtain = std::exp(-std::pow((y - band) * 9, 2)) * (0.5f + 0.8f * fbm(x * 40, y * 3, 63, 3));
    float tail = std::exp(-std::max(0.0f, band - y) * 14) * (y < band ? 1.0f : 0.0f) * 0.5f;
    Rgb green = hex(0x3dff9c), violet = hex(0x9b5cff);
    return c + Rgb{star, star, star} + mix(green, violet, clamp01((band - y) * 6)) * clamp01(curtain + tail * curtain);
  });
  range(p, 64, 0.66f, 0.12f, hex(0x05080e), hex(0x05080e), 0, 0.6f);
  water(p, 0.68f, 65, hex(0x0d1a26), 0.15f);
  p.paint([&](float x, float y, Rgb c) {
    float shore = 0.88f + 0.03f * std::sin(x * 7);
    return y > shore ? mix(hex(0xc6d3e6), hex(0x8ea3bf), fbm(x * 20, y * 20, 66)) * 0.45f : c;
  });
  camera(p, 67, 0.45f, 0.05f);
}
void lavender(Picture& p) {
  sky(p, hex(0x5d8fd0), hex(0xf4dfc4), 0.42f);
  clouds(p, 71, 0.4f, 0.38f, hex(0xfff8ef), hex(0xa7a6c0), 2.5f);
  p.paint([&](float x, float y, Rgb c) {
    const float horizon = 0.45f;
    if (y < horizon) return c;
    float depth = (y - horizon) / (1 - horizon);
    float row = std::sin(((x - 0.5f) / (0.02f + depth)) * 9.0f);
    float n = fbm(x * 80, y * 50, 72, 3);
    Rgb bloom = mix(hex(0x7a5ab8), hex(0x5a3f96), n), soil = hex(0x6b5a3a) * (0.6f + n * 0.4f);
    return mix(mix(soil, bloom, smooth(-0.2f, 0.4f, row)), hex(0xc9b8d8), (1 - depth) * 0.5f);
  });
  p.paint([&](float x, float y, Rgb c) {  // a lone tree on the horizon
    float dx = (x - 0.72f) * 1.5f, crown = std::hypot(dx, y - 0.39f);
    bool trunk = std::fabs(x - 0.72f) < 0.003f && y > 0.4f && y < 0.455f;
    float leaves = smooth(0.045f, 0.04f, crown + (fbm(x * 60, y * 60, 73) - 0.5f) * 0.02f);
    return trunk ? hex(0x2b2218) : mix(c, hex(0x233018), leaves);
  });
  camera(p, 74, 0.3f, 0.03f);
}
void sunsetBeach(Picture& p) {
  sky(p, hex(0x2b3f73), hex(0xff9a4d), 0.55f);
  clouds(p, 81, 0.35f, 0.45f, hex(0xffb070), hex(0x6a4a6a), 4);
  sun(p, 0.5f, 0.54f, 0.04f, hex(0xffe6a0), 0.8f);
  water(p, 0.56f, 82, hex(0x3a2a48), 0.15f);
  p.paint([&](float x, float y, Rgb c) {
    float shore = 0.8f + 0.04f * std::sin(x * 6 + 0.5f) + 0.01f * std::sin(x * 31);
    if (y < shore) return c;
    float wet = smooth(shore + 0.03f, shore, y);
    Rgb sand = mix(hex(0xc9945e), hex(0x8a5f3c), fbm(x * 40, y * 40, 83)) * 0.75f;
    return mix(sand, c * 0.9f + hex(0x402020) * 0.2f, wet * 0.7f);
  });
  camera(p, 84, 0.4f, 0.03f);
}
void dunes(Picture& p) {
  sky(p, hex(0x2d6fb8), hex(0xe9d9c0), 0.45f);
  for (int layer = 0; layer < 4; ++layer) {
    float base = 0.45f + 0.14f * float(layer), amp = 0.06f + 0.02f * float(layer);
    uint32_t seed = 91 + uint32_t(layer);
    p.paint([&](float x, float y, Rgb c) {
      float phase = x * (4 + float(layer)) + float(layer) * 1.7f;
      float top = base - amp * (0.5f + 0.5f * std::sin(phase)) - 0.02f * fbm(x * 5, 0, seed);
      if (y < top) return c;
      bool lit = std::cos(phase) > -0.2f;
      Rgb sand = lit ? hex(0xe2a867) : hex(0xa3653a);
      float ripples = 0.04f * std::sin((x * 300 + y * 900) + 8 * fbm(x * 6, y * 6, seed));
      return sand * (0.85f + 0.15f * float(layer) / 3 + ripples);
    });
  }
  camera(p, 95, 0.3f, 0.03f);
}
void calmSea(Picture& p) {
  sky(p, hex(0x3f7cc4), hex(0xdfeaf2), 0.5f);
  clouds(p, 101, 0.5f, 0.48f, hex(0xffffff), hex(0x9aa7b8), 2.5f);
  p.paint([&](float x, float y, Rgb c) {
    if (y < 0.5f) return c;
    float d = (y - 0.5f) * 2;
    float wave = fbm(x * 20 / (0.1f + d), y * 120 / (0.1f + d), 102, 3);
    float sparkle = wave > 0.72f ? (wave - 0.72f) * 3 * (1 - d) : 0;
    return mix(hex(0x5d8eb2), hex(0x1d4a6e), d) * (0.85f + wave * 0.3f) + Rgb{sparkle, sparkle, sparkle};
  });
  camera(p, 103, 0.3f, 0.03f);
}
void lighthouse(Picture& p) {  // portrait
  sky(p, hex(0x345f9c), hex(0xe8c9a8), 0.62f);
  clouds(p, 111, 0.4f, 0.5f, hex(0xfff2e2), hex(0x8b8fa8), 3);
  water(p, 0.64f, 112, hex(0x1f3550), 0.2f);
  p.paint([&](float x, float y, Rgb c) {  // the cliff and the tower on it
    float cliff = 0.72f - 0.25f * smooth(0.9f, 0.3f, x) + 0.015f * (fbm(x * 12, 0, 113) - 0.5f);
    if (x < 0.75f && y > cliff) return hex(0x4a5a3a) * (0.7f + 0.4f * fbm(x * 30, y * 30, 114));
    float cx = 0.38f, half = 0.035f + 0.02f * smooth(0.25f, 0.5f, y);
    if (std::fabs(x - cx) < half && y > 0.25f && y < 0.5f) {
      bool red = int((y - 0.25f) * 40) % 2 == 0;
      float shade = 0.75f + 0.35f * (cx - x) / half;
      return (red ? hex(0xc0392b) : hex(0xf3f0ea)) * shade;
    }
    if (std::fabs(x - cx) < 0.03f && y > 0.2f && y <= 0.25f) return y < 0.22f ? hex(0x2c2c2c) : hex(0xfff3b0);
    return c;
  });
  camera(p, 115, 0.35f, 0.03f);
}
void skyline(Picture& p) {
  sky(p, hex(0x060a1a), hex(0x2a2450), 0.6f);
  const float river = 0.7f;
  for (int layer = 0; layer < 2; ++layer) {
    uint32_t seed = 121 + uint32_t(layer);
    p.paint([&](float x, float y, Rgb c) {
      int b = int(x * (40 + 25 * float(layer)));
      float top = river - (0.08f + 0.25f * lattice(b, 0, seed) * lattice(b, 1, seed)) * (layer ? 0.7f : 1.0f);
      if (y < top || y >= river) return c;
      Rgb wall = layer ? hex(0x0b0d18) : hex(0x151a2e);
      int wx = int(x * 420), wy = int(y * 260);
      bool window = wx % 3 < 2 && wy % 2 == 0 && lattice(wx / 3, wy / 2, seed + 7) > 0.62f;
      return window ? mix(hex(0xffd27a), hex(0xbfe3ff), lattice(wx, wy, seed)) * 0.9f : wall;
    });
  }
  water(p, river, 123, hex(0x05060c), 0.25f);
  camera(p, 124, 0.45f, 0.045f);
}
void cityLights(Picture& p) {
  sky(p, hex(0x0a0a14), hex(0x1c1430), 1.0f);
  bokeh(p, 131, 70, 0.03f, 0.09f, {hex(0xffb347), hex(0xff5e5e), hex(0x7fd1ff), hex(0xfff0b0)}, 0.15f, 0.85f, 0.35f);
  blur(p, 3);
  camera(p, 132, 0.5f, 0.04f);
}
// A row of trees standing on groundY, faded into the fog colour by fog.
void trees(Picture& p, uint32_t seed, int count, float height, float groundY, bool spruce, Rgb trunk, Rgb leavesA,
           Rgb leavesB, float fog, Rgb fogColour) {
  const float aspect = float(p.w) / float(p.h);
  for (int i = 0; i < count; ++i) {
    const float tx = lattice(i, 0, seed), h = height * (0.7f + 0.5f * lattice(i, 1, seed));
    const float top = groundY - h, width = h * 0.012f, crown = h * (spruce ? 0.22f : 0.3f);
    const int x0 = std::max(0, int((tx - crown / aspect * 1.3f) * float(p.w)));
    const int x1 = std::min(p.w - 1, int((tx + crown / aspect * 1.3f) * float(p.w)));
    for (int py = std::max(0, int(top * float(p.h))); py < std::min(p.h, int(groundY * float(p.h))); ++py)
      for (int px = x0; px <= x1; ++px) {
        const float x = float(px) / float(p.w), y = float(py) / float(p.h), dx = (x - tx) * aspect;
        const float edge = fbm(x * 90, y * 90, seed + uint32_t(i), 3);
        bool leaf;
        if (spruce) {
          float depth = (y - top) / h;  // branches widen downwards, in tiers
          leaf = std::fabs(dx) < crown * depth * (0.75f + 0.35f * edge) * (0.8f + 0.2f * std::sin(depth * 40)) &&
                 depth < 0.9f;
        } else {
          leaf = std::hypot(dx, (y - top - crown) * 0.9f) < crown * (0.75f + 0.5f * edge) && y < groundY - h * 0.3f;
        }
        Rgb& c = p.at(px, py);
        if (leaf)
          c = mix(mix(leavesA, leavesB, edge) * (0.75f + 0.4f * (0.5f - dx / crown * 0.5f)), fogColour, fog);
        else if (std::fabs(dx) < width * (1 + 0.6f * (y - top) / h) && y > top + (spruce ? 0.85f * h : crown))
          c = mix(trunk * (0.8f + 0.4f * (dx > 0 ? 0 : 1)), fogColour, fog);
      }
  }
}

void autumnForest(Picture& p) {
  sky(p, hex(0xcfd6d8), hex(0xf2e6c8), 0.9f);
  const Rgb fog = hex(0xe8dcc0);
  trees(p, 141, 26, 0.55f, 0.82f, false, hex(0x4a3a2e), hex(0xd08a3a), hex(0xb86a2a), 0.65f, fog);
  trees(p, 142, 16, 0.7f, 0.88f, false, hex(0x3a2a1e), hex(0xd2691e), hex(0xe0a030), 0.35f, fog);
  p.paint([&](float x, float y, Rgb c) {  // leaf litter and a beam of light
    if (y > 0.86f + 0.02f * std::sin(x * 9)) c = mix(hex(0xb0602d), hex(0x6b3a1e), fbm(x * 60, y * 60, 145)) * 0.9f;
    float beam = smooth(0.07f, 0.0f, std::fabs(x - 0.25f - y * 0.35f)) * 0.22f;
    return c + hex(0xfff0c0) * beam;
  });
  trees(p, 143, 4, 0.95f, 1.02f, false, hex(0x2a1e14), hex(0xc0501a), hex(0x8a3a12), 0.0f, fog);
  camera(p, 146, 0.4f, 0.035f);
}
void flowers(Picture& p) {
  p.paint([&](float x, float y, Rgb) {
    return mix(hex(0x8fbf5a), hex(0x2e5a1c), clamp01(y * 0.8f + fbm(x * 4, y * 4, 151) * 0.4f));
  });
  bokeh(p, 152, 40, 0.04f, 0.1f, {hex(0xfff6c0), hex(0xd8f0a0)}, 0.0f, 0.6f, 0.25f);
  blur(p, 6);
  const float aspect = float(p.w) / float(p.h);
  struct Bloom {
    float x, y, r;
    Rgb colour;
  };
  const Bloom blooms[] = {{0.3f, 0.55f, 0.12f, hex(0xe8443a)}, {0.62f, 0.62f, 0.09f, hex(0xf2c230)},
                          {0.8f, 0.45f, 0.07f, hex(0xe8443a)}, {0.15f, 0.78f, 0.06f, hex(0xffffff)}};
  for (const Bloom& b : blooms)
    p.paint([&](float x, float y, Rgb c) {
      if (y > b.y && std::fabs(x - b.x) < 0.004f) return hex(0x3c6e1e);  // stem
      float dx = (x - b.x) * aspect, dy = y - b.y, d = std::hypot(dx, dy);
      float angle = std::atan2(dy, dx);
      float petals = b.r * (0.75f + 0.25f * std::fabs(std::cos(angle * 3)));
      if (d < b.r * 0.22f) return hex(0x3a2a10) * (0.8f + fbm(x * 200, y * 200, 153) * 0.4f);
      if (d < petals) return b.colour * (0.7f + 0.4f * (1 - d / petals));
      return c;
    });
  camera(p, 154, 0.35f, 0.03f);
}
void mistyForest(Picture& p) {
  sky(p, hex(0xaeb8b4), hex(0xe4e8e2), 1.0f);
  const Rgb fog = hex(0xdfe4df);
  for (int layer = 0; layer < 4; ++layer)
    trees(p, 161 + uint32_t(layer), 14 + 6 * layer, 0.45f + 0.12f * float(layer), 0.72f + 0.1f * float(layer), true,
          hex(0x2a2a22), hex(0x24382c), hex(0x1a2a20), 0.82f - 0.25f * float(layer), fog);
  p.paint([&](float x, float y, Rgb c) {  // moss on the ground
    return y > 0.97f ? mix(hex(0x40553a), hex(0x2a3a26), fbm(x * 40, y * 40, 165)) : c;
  });
  camera(p, 166, 0.35f, 0.03f);
}

struct Scene {
  const char* file;
  int width, height;
  void (*paint)(Picture&);
  bool turned;  // stored on its side, to be shown upright by its EXIF orientation
};

bool save(const Picture& p, const std::string& path, bool turned) {
  FIBITMAP* dib = FreeImage_Allocate(p.w, p.h, 24);
  if (!dib) return false;
  for (int y = 0; y < p.h; ++y) {
    BYTE* line = FreeImage_GetScanLine(dib, p.h - 1 - y);
    for (int x = 0; x < p.w; ++x) {
      Rgb c = p.px[size_t(y) * size_t(p.w) + size_t(x)];
      auto byte = [](float v) { return BYTE(std::lround(std::pow(clamp01(v), 1 / 1.08f) * 255)); };
      line[x * 3 + FI_RGBA_RED] = byte(c.r);
      line[x * 3 + FI_RGBA_GREEN] = byte(c.g);
      line[x * 3 + FI_RGBA_BLUE] = byte(c.b);
    }
  }
  if (turned) {  // orientation 6 is shown turned by 90 degrees clockwise: store it turned the other way
    FIBITMAP* r = FreeImage_Rotate(dib, 90);
    FreeImage_Unload(dib);
    dib = r;
  }
  bool ok = FreeImage_Save(FIF_JPEG, dib, path.c_str(), 82 | JPEG_OPTIMIZE | JPEG_SUBSAMPLING_420);
  FreeImage_Unload(dib);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const Scene scenes[] = {
      {"polarlicht.jpg", 1200, 800, aurora, false},      {"lavendelfeld.jpg", 1200, 800, lavender, false},
      {"bergsee-morgen.jpg", 1200, 800, dawnLake, false}, {"almwiese.jpg", 1200, 800, meadow, false},
      {"wolkenmeer.jpg", 1200, 800, seaOfClouds, false},  {"schneegipfel.jpg", 1200, 800, snowPeaks, false},
      {"alpenglühen.jpg", 1200, 800, alpenglow, false},   {"strand-abend.jpg", 1200, 800, sunsetBeach, false},
      {"dünen.jpg", 1200, 800, dunes, false},             {"ruhige-see.jpg", 1200, 800, calmSea, false},
      {"leuchtturm.jpg", 800, 1200, lighthouse, true},    {"skyline.jpg", 1200, 800, skyline, false},
      {"lichter.jpg", 1200, 800, cityLights, false},      {"herbstwald.jpg", 1200, 800, autumnForest, false},
      {"blumenwiese.jpg", 1200, 800, flowers, false},     {"nebelwald.jpg", 1200, 800, mistyForest, false},
  };
  for (const Scene& s : scenes) {
    Picture p(s.width, s.height);
    s.paint(p);
    std::string path = std::string(argv[1]) + "/" + s.file;
    if (!save(p, path, s.turned)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
