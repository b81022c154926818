#include "island_terrain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "noise.h"
#include "style.h"

namespace modelkit {

using showkit::clamp01;
using showkit::fbm;
using showkit::mix;
using showkit::Rgba;
using showkit::smoothstep;

namespace {

// Where the island scene puts things, in grid units (scene / 2).
constexpr float kCentreX = 512, kCentreZ = 560;  // the island's middle
constexpr float kBoatX = 1379.0f / 2, kBoatZ = 315.0f / 2;
constexpr float kRiverX0 = 500, kRiverX1 = 545;    // river quad x 1000..1090
constexpr float kRiverZ0 = 652.5f, kRiverZ1 = 693;  // river quad z 1305..1386
constexpr float kRiverSurface = 158.5f;            // y 317
constexpr float kChannelBed = 150;
constexpr float kFallX0 = 520, kFallX1 = 546;  // the falling strips, x 1040..1092
constexpr float kPoolX = 522, kPoolZ = 573;    // around the mist at (1040, 40, 1140)

// The falling water's height along z (grid units): the lip and the four strips of the
// island scene, (z, h) from the foot up.
constexpr float kSheet[][2] = {{540, 20}, {570, 20}, {595, 35}, {610, 50}, {620, 100}, {642.5f, 150}, {652.5f, 158.5f}};

float sheetHeight(float z) {
  constexpr int n = sizeof kSheet / sizeof kSheet[0];
  if (z <= kSheet[0][0]) return kSheet[0][1];
  for (int i = 1; i < n; ++i)
    if (z <= kSheet[i][0]) {
      const float t = (z - kSheet[i - 1][0]) / (kSheet[i][0] - kSheet[i - 1][0]);
      return mix(kSheet[i - 1][1], kSheet[i][1], t);
    }
  // Above the lip the rock keeps rising steeply (it is capped by the plateau).
  return kSheet[n - 1][1] + 3 * (z - kSheet[n - 1][0]);
}

// Distance outside the rectangle [x0, x1] x [z0, z1] (0 inside).
float outside(float x, float z, float x0, float x1, float z0, float z1) {
  const float dx = std::max({x0 - x, 0.0f, x - x1}), dz = std::max({z0 - z, 0.0f, z - z1});
  return std::sqrt(dx * dx + dz * dz);
}

float islandHeight(float x, float z) {
  // Coast: a wobbling radius around the middle.
  const float dx = x - kCentreX, dz = z - kCentreZ;
  const float angle = std::atan2(dz, dx);
  const float radius = 300 * (0.85f + 0.35f * fbm(std::cos(angle) * 1.7f + 7, std::sin(angle) * 1.7f + 7, 3, 0x15a1u));
  const float d = std::sqrt(dx * dx + dz * dz) / radius;
  const float land = smoothstep(1.15f, 0.8f, d);
  const float relief = smoothstep(0.3f, 0.75f, fbm(x / 150, z / 150, 5, 0x15a2u));
  const float hills = 36 + 100 * relief * relief * smoothstep(1.0f, 0.45f, d);
  float seaFloor = 18 - 17 * smoothstep(0.95f, 1.45f, d) + 5 * (fbm(x / 50, z / 50, 3, 0x15a3u) - 0.5f);
  // Beyond the sea's quads (x or z past 960) the floor sinks into the fog.
  seaFloor *= smoothstep(1000, 930, std::max(x, z));
  float h = mix(seaFloor, hills, land);

  // Plateau: a rounded table at about 156 with a hill behind it; its south side is a cliff
  // that follows the waterfall's strips (wavier away from the fall).
  const float plateau = 155.5f + 2.5f * (fbm(x / 40, z / 40, 3, 0x15a4u) - 0.5f) +
                        80 * smoothstep(770, 850, z) * fbm(x / 60, z / 60, 4, 0x15a5u);
  const float awayFromFall = smoothstep(0, 40, std::fabs(x - 528) - 30);
  const float edgeShift = 40 * (fbm(x / 30, 3.5f, 3, 0x15a6u) - 0.5f) * awayFromFall;
  const float rock = std::min(plateau, sheetHeight(z - edgeShift) - 5);
  // The table's sides slope down to the hills over the outer 40 % of its radius; its south
  // reaches past the cliff, where the falling strips' profile caps it.
  const float ex = (x - 530) / 150, ez = (z - 720) / 190;
  const float edge = std::sqrt(ex * ex + ez * ez) * (0.9f + 0.25f * fbm(ex * 2 + 3, ez * 2 + 3, 3, 0x15a8u));
  const float table = smoothstep(1.0f, 0.6f, edge) * (z > 600 ? 1.0f : 0.0f);
  h = std::max(h, mix(h, rock, table));

  // The gorge the water falls through: never above the falling sheet.
  const float fallZone = smoothstep(10, 2, outside(x, z, kFallX0 - 6, kFallX1 + 6, 530, 648));
  h = mix(h, std::min(h, sheetHeight(z) - 4), fallZone);

  // River channel: a bed at 150 with low rocky banks just above the water.
  const float fromChannel = outside(x, z, kRiverX0, kRiverX1, kRiverZ0 - 8, kRiverZ1 + 6);
  const float bank = smoothstep(0, 3, fromChannel) * smoothstep(12, 4, fromChannel) * smoothstep(640, 652, z);
  h += bank * std::max(0.0f, 161.5f - h) * 0.9f;
  h = mix(std::min(h, kChannelBed + 1.5f * fbm(x / 6, z / 6, 2, 0x15a7u)), h, smoothstep(0, 3, fromChannel));

  // The pool at the foot of the fall, below the sea's level so the sea's quads fill it.
  const float pool = std::hypot(x - kPoolX, (z - kPoolZ) * 1.2f);
  h = mix(std::min(h, 12.0f), h, smoothstep(24, 40, pool));
  return h;
}

}  // namespace

int HeightField::at(int gx, int gz) const {
  if (size <= 0) return 0;
  gx = std::clamp(gx, 0, size - 1);
  gz = std::clamp(gz, 0, size - 1);
  return heights[static_cast<size_t>(gx) + static_cast<size_t>(gz) * static_cast<size_t>(size)];
}

float HeightField::sceneHeight(float x, float z) const {
  const float gx = x / 2, gz = z / 2;
  const int x0 = static_cast<int>(std::floor(gx)), z0 = static_cast<int>(std::floor(gz));
  const float fx = gx - static_cast<float>(x0), fz = gz - static_cast<float>(z0);
  const float a = mix(static_cast<float>(at(x0, z0)), static_cast<float>(at(x0 + 1, z0)), fx);
  const float b = mix(static_cast<float>(at(x0, z0 + 1)), static_cast<float>(at(x0 + 1, z0 + 1)), fx);
  return mix(a, b, fz);
}

HeightField islandHeights() {
  HeightField field;
  field.size = kTerrainSize;
  field.heights.resize(static_cast<size_t>(kTerrainSize) * kTerrainSize);
  for (int gz = 0; gz < kTerrainSize; ++gz)
    for (int gx = 0; gx < kTerrainSize; ++gx) {
      const float h = islandHeight(static_cast<float>(gx), static_cast<float>(gz));
      field.heights[static_cast<size_t>(gx) + static_cast<size_t>(gz) * kTerrainSize] =
          static_cast<std::uint8_t>(std::clamp(std::lround(h), 0L, 255L));
    }
  return field;
}

showkit::Image terrainPicture(const HeightField& field) {
  const int n = field.size;
  showkit::Image image(n, n);
  namespace pal = showkit::palette;
  const Rgba seaFloor{0.20f, 0.24f, 0.22f, 1}, wetSand{0.42f, 0.38f, 0.28f, 1}, sand{0.72f, 0.64f, 0.46f, 1};
  const Rgba grass{0.20f, 0.34f, 0.12f, 1}, darkGrass{0.10f, 0.22f, 0.08f, 1}, dryGrass{0.42f, 0.42f, 0.20f, 1};
  const Rgba rock = pal::stone, rockLight = pal::stoneLight, riverBed{0.16f, 0.20f, 0.20f, 1};
  // Shading from a softened copy of the heights, so the byte steps do not draw contour lines.
  showkit::Field soft(n, n);
  for (int gz = 0; gz < n; ++gz)
    for (int gx = 0; gx < n; ++gx) soft.at(gx, gz) = static_cast<float>(field.at(gx, gz));
  showkit::blur(soft, 2, false);
  const auto softAt = [&](int gx, int gz) { return soft.at(std::clamp(gx, 0, n - 1), std::clamp(gz, 0, n - 1)); };
  for (int gz = 0; gz < n; ++gz)
    for (int gx = 0; gx < n; ++gx) {
      const float h = static_cast<float>(field.at(gx, gz));
      const float sx = static_cast<float>(field.at(gx + 1, gz) - field.at(gx - 1, gz)) * 0.5f;
      const float sz = static_cast<float>(field.at(gx, gz + 1) - field.at(gx, gz - 1)) * 0.5f;
      const float slope = std::sqrt(sx * sx + sz * sz);  // rise per grid step (same in scene units)
      const float x = static_cast<float>(gx), z = static_cast<float>(gz);
      const float grain = fbm(x / 9, z / 9, 4, 0x7e1u), patches = fbm(x / 60, z / 60, 4, 0x7e2u);

      Rgba c = mix(seaFloor, wetSand, smoothstep(10, 22, h + 4 * (grain - 0.5f)));
      c = mix(c, sand, smoothstep(21, 25, h + 3 * (grain - 0.5f)));
      Rgba meadow = mix(mix(grass, darkGrass, smoothstep(0.45f, 0.7f, patches)), dryGrass, smoothstep(0.6f, 0.8f, grain) * 0.6f);
      meadow = mix(meadow, mix(grass, dryGrass, 0.5f), smoothstep(120, 165, h) * 0.5f);
      c = mix(c, meadow, smoothstep(27, 33, h + 6 * (patches - 0.5f)));
      // Rock where the ground is steep, and in the river's bed.
      const float steep = smoothstep(0.9f, 1.8f, slope + 0.6f * (grain - 0.5f));
      c = mix(c, mix(rock, rockLight, grain), steep);
      const bool inChannel = x > kRiverX0 - 2 && x < kRiverX1 + 2 && z > kRiverZ0 - 12 && z < kRiverZ1 + 4 && h < 153;
      if (inChannel) c = mix(c, riverBed, 0.8f);
      // Light from the upper left (low x, high z), so the relief reads in the picture too.
      const float lx = (softAt(gx + 1, gz) - softAt(gx - 1, gz)) * 0.5f, lz = (softAt(gx, gz + 1) - softAt(gx, gz - 1)) * 0.5f;
      const float light = clamp01(0.85f + 0.3f * (-lx * 0.7f + lz * 0.7f) / (1 + std::fabs(lx) * 0.2f + std::fabs(lz) * 0.2f));
      c = c * light;
      c.a = 1;
      image.at(gx, gz) = c;
    }
  return image;
}

std::vector<std::string> checkIsland(const HeightField& field) {
  std::vector<std::string> problems;
  char text[200];
  const auto complain = [&](const char* format, auto... values) {
    std::snprintf(text, sizeof text, format, values...);
    problems.emplace_back(text);
  };
  if (field.size != kTerrainSize || field.heights.size() != static_cast<size_t>(kTerrainSize) * kTerrainSize) {
    problems.emplace_back("terrain: not 1024 x 1024");
    return problems;
  }
  // Boat: deep water under it and around it (its hull reaches about 12 units below y = 60).
  for (int dz = -12; dz <= 12; dz += 4)
    for (int dx = -12; dx <= 12; dx += 4) {
      const int h = field.at(static_cast<int>(kBoatX) + dx, static_cast<int>(kBoatZ) + dz);
      if (h > kSeaLevel - 8) complain("terrain: ground at %d near the boat (%d, %d) is not deep water", h, dx, dz);
    }
  // River: its surface (h 158.5) lies above the channel's bed everywhere, and the plateau
  // around it is at about 150-160.
  int bedMax = 0, bedMin = 255;
  for (float z = kRiverZ0; z <= kRiverZ1; z += 2)
    for (float x = kRiverX0 + 1; x <= kRiverX1 - 1; x += 2) {
      const int h = field.at(static_cast<int>(x), static_cast<int>(z));
      bedMax = std::max(bedMax, h), bedMin = std::min(bedMin, h);
    }
  if (bedMax >= kRiverSurface - 2 || bedMin < 140)
    complain("terrain: river bed from %d to %d, not under the water at 158.5", bedMin, bedMax);
  std::vector<int> plateau;
  for (int z = 660; z <= 740; z += 4)
    for (int x = 440; x <= 620; x += 4)
      if (outside(static_cast<float>(x), static_cast<float>(z), kRiverX0, kRiverX1, kRiverZ0 - 10, kRiverZ1 + 8) > 14)
        plateau.push_back(field.at(x, z));
  std::nth_element(plateau.begin(), plateau.begin() + static_cast<long>(plateau.size() / 2), plateau.end());
  const int median = plateau[plateau.size() / 2];
  if (median < 150 || median > 160) complain("terrain: the plateau by the river is at %d, not 150-160", median);
  // Waterfall: every strip corner lies at or just above the ground (water in front of the
  // rock, never buried in it, never hanging in the air).
  const float corners[][3] = {{1040, 300, 1285}, {1070, 300, 1285}, {1080, 200, 1240}, {1040, 200, 1240},
                              {1080, 100, 1220}, {1040, 100, 1220}, {1092, 70, 1190},  {1040, 70, 1190},
                              {1090, 40, 1140},  {1040, 40, 1140}};
  for (const auto& c : corners) {
    const float ground = 2 * field.sceneHeight(c[0], c[2]);
    // Low strips may hang over the pool; above the sea the rock stays right behind them.
    if (ground > c[1] || (ground < c[1] - 40 && ground >= 2 * kSeaLevel))
      complain("terrain: ground at y %.0f under the waterfall point (%.0f, %.0f, %.0f)", ground, c[0], c[1], c[2]);
  }
  // Cliff: from the plateau's lip the ground drops more than 200 units within 60 along z.
  const float lip = 2 * field.sceneHeight(1065, 1300), foot = 2 * field.sceneHeight(1065, 1200);
  if (lip - foot < 200) complain("terrain: the cliff drops only %.0f units", lip - foot);
  // Pool: the mist points are over water, with land around the pool.
  const float mist[][2] = {{1040, 1140}, {1055, 1134}, {1070, 1140}, {1055, 1150}};
  for (const auto& m : mist)
    if (field.sceneHeight(m[0], m[1]) >= kSeaLevel)
      complain("terrain: no water under the mist at (%.0f, %.0f)", m[0], m[1]);
  const float shore[][2] = {{1044 - 110, 1146}, {1044 + 110, 1146}, {1044, 1146 - 100}};
  for (const auto& s : shore)
    if (field.sceneHeight(s[0], s[1]) <= kSeaLevel)
      complain("terrain: the pool is open at (%.0f, %.0f)", s[0], s[1]);
  return problems;
}

}  // namespace modelkit
