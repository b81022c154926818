#include "noise.h"

#include <cmath>

namespace showkit {

namespace {

int wrap(int i, int period) {
  if (period <= 0) return i;
  const int m = i % period;
  return m < 0 ? m + period : m;
}

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace

std::uint32_t hash32(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

float hashUnit(int x, int y, std::uint32_t seed) {
  const std::uint32_t h = hash32(static_cast<std::uint32_t>(x) * 0x8da6b343U ^
                                 static_cast<std::uint32_t>(y) * 0xd8163841U ^ seed * 0x9e3779b9U);
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float hashUnit3(int x, int y, int z, std::uint32_t seed) {
  return hashUnit(x, y, hash32(static_cast<std::uint32_t>(z) * 0xcb1ab31fU ^ seed));
}

float valueNoise(float x, float y, std::uint32_t seed, int periodX, int periodY) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const float tx = fade(x - fx), ty = fade(y - fy);
  const int x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
  const int y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
  return lerp(lerp(hashUnit(x0, y0, seed), hashUnit(x1, y0, seed), tx),
              lerp(hashUnit(x0, y1, seed), hashUnit(x1, y1, seed), tx), ty);
}

float valueNoise3(float x, float y, float z, std::uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  const float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
  auto plane = [&](int z0) {
    return lerp(lerp(hashUnit3(ix, iy, z0, seed), hashUnit3(ix + 1, iy, z0, seed), tx),
                lerp(hashUnit3(ix, iy + 1, z0, seed), hashUnit3(ix + 1, iy + 1, z0, seed), tx), ty);
  };
  return lerp(plane(iz), plane(iz + 1), tz);
}

float fbm(float x, float y, int octaves, std::uint32_t seed, int periodX, int periodY, float gain) {
  float sum = 0, amplitude = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise(x, y, seed + 101u * static_cast<std::uint32_t>(o), periodX, periodY);
    total += amplitude;
    amplitude *= gain;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
  }
  return total > 0 ? sum / total : 0;
}

float fbm3(float x, float y, float z, int octaves, std::uint32_t seed, float gain) {
  float sum = 0, amplitude = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise3(x, y, z, seed + 101u * static_cast<std::uint32_t>(o));
    total += amplitude;
    amplitude *= gain;
    x *= 2;
    y *= 2;
    z *= 2;
  }
  return total > 0 ? sum / total : 0;
}

Cells cellNoise(float x, float y, std::uint32_t seed, int periodX, int periodY) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  Cells best{1e9f, 1e9f, 0};
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) {
      const int cx = wrap(ix + i, periodX), cy = wrap(iy + j, periodY);
      const float px = static_cast<float>(ix + i) + hashUnit(cx, cy, seed);
      const float py = static_cast<float>(iy + j) + hashUnit(cx, cy, seed ^ 0x5bd1e995U);
      const float d = std::hypot(px - x, py - y);
      if (d < best.f1) {
        best.f2 = best.f1;
        best.f1 = d;
        best.id = hash32(static_cast<std::uint32_t>(cx) * 73856093U ^
                         static_cast<std::uint32_t>(cy) * 19349663U ^ seed);
      } else if (d < best.f2) {
        best.f2 = d;
      }
    }
  return best;
}

}  // namespace showkit
