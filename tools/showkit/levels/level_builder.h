// A level stated record by record in scene axes (y up), for small levels that the compiler
// would not make: the tests' levels, and a generated corridor for previews and benchmarks.
// bytes() is the file through writeLevelFile, so what the demo reads is what was stated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "level_file.h"
#include "world/bsp_level.h"
#include "world/vec3.h"

namespace levelc {

struct LevelBuilder : world::LevelData {
  int addShader(const std::string& name);
  int addPlane(const world::Vec3& normal, float distance);
  int addNode(int plane, int front, int back);
  // A leaf over the box lo..hi listing `faceIndices`.
  int addLeaf(int cluster, const world::Vec3& lo, const world::Vec3& hi, const std::vector<int>& faceIndices);
  // A quad face over four corners with surface and lightmap coordinates spanning 0..1.
  int addQuad(const world::Vec3 (&corners)[4], int shader, int lightmap, int type = world::bsp::kPolygonFace);
  // A lightmap of one colour.
  int addLightmap(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  // One row per cluster; `visible[c]` lists the clusters row c sees.
  void setVisibility(const std::vector<std::vector<int>>& visible, int bytesPerRow = 0);

  std::vector<std::uint8_t> bytes() const { return writeLevelFile(*this); }
};

// Leaf index k as a node child.
constexpr int leafChild(int leaf) { return -(leaf + 1); }

// The corners of a square of half side `h` across the view at depth z, seen from the origin
// looking down -z.
void screenQuad(float z, float h, world::Vec3 (&corners)[4]);

// A corridor along -z: `segments` segments of 200 units, each a leaf and cluster of its own
// that sees its neighbours two deep, walls split into `tiles` x `tiles` quads facing inward
// (for the demo's front-face culling), a pillar pair in every segment, three shaders
// "textures/gen0".."gen2" and one lightmap page per segment.
LevelBuilder corridorLevel(int segments, int tiles);
// A camera path down the middle of that corridor, `points` eye/target pairs.
std::string corridorPath(int segments, int points);
// Writes the three 64 x 64 textures the corridor's shaders name, under `folder`/textures.
bool writeCorridorTextures(const std::string& folder);

}  // namespace levelc
