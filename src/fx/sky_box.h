// The island's sky: six textured faces of an axis-aligned box around a centre, the faces
// taken from entries 13 to 18 of the texture table (back, front, bottom, top, left, right),
// clamped at their edges so no seam shows where two faces meet.
#pragma once

#include <array>

namespace fx {

struct SkyBoxExtents {
  float x0 = 0.0f, x1 = 0.0f;
  float y0 = 0.0f, y1 = 0.0f;
  float z0 = 0.0f, z1 = 0.0f;
};

// Centre minus half the size to that plus the size, on each axis.
SkyBoxExtents skyBoxExtents(float cx, float cy, float cz, float sx, float sy, float sz);

struct SkyBoxVertex {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float s = 0.0f, t = 0.0f;
};

struct SkyBoxFace {
  int tableIndex = 0;  // entry of the texture table
  std::array<SkyBoxVertex, 4> corners;
};

// The six quads in drawing order: z0 (back), z1 (front), y0 (bottom), y1 (top), x0 (left),
// x1 (right).
std::array<SkyBoxFace, 6> skyBoxFaces(const SkyBoxExtents& box);

// Draws the box with texturing on unit 0; depth testing is whatever the scene left.
void drawSkyBox(float cx, float cy, float cz, float sx, float sy, float sz);

}  // namespace fx
