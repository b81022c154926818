#include "style.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace showkit {

Image glowingMask(const Field& mask, Rgba core, Rgba halo, int haloRadius, float haloStrength) {
  Field glow = mask;
  blur(glow, haloRadius, false);
  Field wide = mask;
  blur(wide, haloRadius * 3, false);
  Image out(mask.width, mask.height, {0, 0, 0, 0});
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      const float m = mask.at(x, y);
      const float g = clamp01((glow.at(x, y) * 1.6f + wide.at(x, y) * 0.9f) * haloStrength);
      // Colour: the core where the letters are, the halo around them; alpha carries the light.
      const float a = clamp01(m + g * (1 - m));
      const float k = a > 0 ? m / a : 0;
      Rgba c = mix(halo, core, k);
      c.a = a;
      out.at(x, y) = c;
    }
  return out;
}

void stamp(Field& canvas, const Field& mask, int x0, int y0) {
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      const int cx = x0 + x, cy = y0 + y;
      if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) continue;
      canvas.at(cx, cy) = std::max(canvas.at(cx, cy), mask.at(x, y));
    }
}

Masonry masonry(float x, float y, float blockWidth, float blockHeight, float joint,
                std::uint32_t seed, int periodX, bool irregular) {
  const float rowF = std::floor(y / blockHeight);
  const int row = static_cast<int>(rowF);
  const float shift = irregular ? hashUnit(row, 0, seed ^ 0x5eedu) * blockWidth
                                : ((row & 1) ? 0.5f * blockWidth : 0.0f);
  const float colF = std::floor((x + shift) / blockWidth);
  int col = static_cast<int>(colF);
  if (periodX > 0) col = ((col % periodX) + periodX) % periodX;
  const float u = (x + shift) - colF * blockWidth;  // position inside the block
  const float v = y - rowF * blockHeight;
  float left = u, right = blockWidth - u;
  std::uint32_t part = 0;
  if (irregular) {
    // Some joints move into the block, so that blocks differ in length; the joint stays
    // inside the cell, which keeps the pattern tiling.
    const float split = hashUnit(col, row, seed ^ 0x51u);
    if (split < 0.35f) {
      const float at = (0.35f + split) * blockWidth;
      part = u < at ? 0 : 1;
      left = u < at ? u : u - at;
      right = u < at ? at - u : blockWidth - u;
    }
  }
  const float edge = std::min(std::min(left, right), std::min(v, blockHeight - v));
  Masonry m;
  m.id = hash32(static_cast<std::uint32_t>(row) * 7919u ^ static_cast<std::uint32_t>(col) * 104729u ^
                part * 0x27d4eb2du ^ seed);
  m.shade = static_cast<float>(m.id & 0xffff) / 65535.0f;
  // Rounded, chipped edges: the bevel width wobbles along the joint.
  const float wobble = valueNoise(x * 0.21f, y * 0.21f, seed ^ 0x33u) * joint * 0.9f;
  m.height = smoothstep(joint * 0.5f, joint * 1.6f + wobble, edge);
  return m;
}

float caustics(float x, float y, std::uint32_t seed, int periodX, int periodY) {
  if (periodY < 0) periodY = periodX;
  // Warp the cells so that the network wobbles like light through ripples; the warp repeats
  // with the same periods as the cells.
  const float wx = x + 0.7f * (fbm(x, y, 3, seed ^ 0x91u, periodX, periodY) - 0.5f);
  const float wy = y + 0.7f * (fbm(x + 7.0f, y, 3, seed ^ 0x92u, periodX, periodY) - 0.5f);
  const Cells c = cellNoise(wx, wy, seed, periodX, periodY);
  const float ridge = c.f2 - c.f1;  // 0 on the borders between cells
  const float line = std::exp(-ridge * 9.0f);
  const float soft = std::exp(-ridge * 3.0f) * 0.35f;
  return clamp01(line * 0.85f + soft);
}

void paintify(Image& image, std::uint32_t seed, float strokeLength) {
  const Image source = image;
  const int w = image.width(), h = image.height();
  const float scale = 4.0f / static_cast<float>(std::max(w, h));
  // The flow changes slowly: work it out on a coarse grid and interpolate.
  constexpr int kCell = 4;
  Field flowX(w / kCell + 2, h / kCell + 2), flowY(w / kCell + 2, h / kCell + 2);
  for (int y = 0; y < flowX.height; ++y)
    for (int x = 0; x < flowX.width; ++x) {
      const float angle = fbm(static_cast<float>(x * kCell) * scale, static_cast<float>(y * kCell) * scale, 3, seed) *
                          6.2831853f * 1.5f;
      flowX.at(x, y) = std::cos(angle);
      flowY.at(x, y) = std::sin(angle);
    }
  // Strokes are short: each is a straight dab along the flow at its pixel.
  const int steps = std::clamp(static_cast<int>(strokeLength / 3), 2, 5);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float gx = (static_cast<float>(x) + 0.5f) / kCell + 0.5f, gy = (static_cast<float>(y) + 0.5f) / kCell + 0.5f;
      const float dx = flowX.sample(gx, gy, false) * strokeLength / steps;
      const float dy = flowY.sample(gx, gy, false) * strokeLength / steps;
      Rgba sum = {0, 0, 0, 0};
      float weight = 0;
      for (int s = -steps; s <= steps; ++s) {
        if (s == 0) continue;
        const float k = 1.0f - static_cast<float>(std::abs(s) - 1) / steps;
        sum = sum + source.sample(static_cast<float>(x) + 0.5f + dx * s, static_cast<float>(y) + 0.5f + dy * s, false) * k;
        weight += k;
      }
      Rgba c = mix(source.at(x, y), sum * (1.0f / weight), 0.75f);
      // Canvas grain: a fine weave and a little bristle texture along the strokes.
      const float weave = (std::sin(static_cast<float>(x) * 1.7f) * std::sin(static_cast<float>(y) * 1.7f)) * 0.012f;
      const float grain = (hashUnit(x, y, seed ^ 0xabcu) - 0.5f) * 0.03f;
      const float bristle = (valueNoise(static_cast<float>(x) * 0.9f, static_cast<float>(y) * 0.12f, seed ^ 0x77u) - 0.5f) * 0.04f;
      const float d = 1 + weave + grain + bristle;
      c.r *= d;
      c.g *= d;
      c.b *= d;
      c.a = source.at(x, y).a;
      image.at(x, y) = c;
    }
}

float monkSilhouette(float x, float y, float footX, float footY, float size, bool facingRight) {
  // The outline in units of the figure's height, feet at the origin, y up, facing +x: the
  // hem trailing behind, hands folded in the sleeves, the hooded head bowed forward.
  static constexpr float kOutline[][2] = {
      {0.17f, 0.0f},   {0.14f, 0.24f},  {0.15f, 0.44f},  {0.20f, 0.50f},  {0.20f, 0.56f},
      {0.15f, 0.60f},  {0.13f, 0.69f},  {0.15f, 0.75f},  {0.17f, 0.83f},  {0.13f, 0.91f},
      {0.05f, 0.95f},  {-0.03f, 0.92f}, {-0.08f, 0.85f}, {-0.10f, 0.79f}, {-0.16f, 0.73f},
      {-0.17f, 0.55f}, {-0.19f, 0.30f}, {-0.25f, 0.0f}};
  constexpr int kPoints = sizeof(kOutline) / sizeof(kOutline[0]);
  float u = (x - footX) / size;
  const float v = (footY - y) / size;
  if (!facingRight) u = -u;
  if (u < -0.4f || u > 0.4f || v < -0.05f || v > 1.05f) return 0;
  bool inside = false;
  float nearest = 1e9f;
  for (int i = 0, j = kPoints - 1; i < kPoints; j = i++) {
    const float xi = kOutline[i][0], yi = kOutline[i][1], xj = kOutline[j][0], yj = kOutline[j][1];
    if ((yi > v) != (yj > v) && u < (xj - xi) * (v - yi) / (yj - yi) + xi) inside = !inside;
    nearest = std::min(nearest, segmentDistance(u, v, xi, yi, xj, yj));
  }
  const float signedPixels = (inside ? nearest : -nearest) * size;
  return clamp01(0.5f + signedPixels);
}

}  // namespace showkit
