// The level compiler: turns a LevelDescription into the polygons, tree, clusters, visibility
// rows and baked lightmaps of a level file, and encodes them in the file's layout.
//
// Everything in CompiledLevel is in scene axes (y up); the encoder turns it into the file's
// z-up axes (a scene point (x, y, z) is stored as (x, -z, y)).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "level_description.h"

namespace levelc {

constexpr int kPageSide = 128;
constexpr int kPageBytes = kPageSide * kPageSide * 3;
using LightmapPage = std::array<std::uint8_t, kPageBytes>;

struct LevelVertex {
  Vec3f position;
  float s = 0, t = 0;    // surface texture
  float ls = 0, lt = 0;  // lightmap page
  Vec3f normal;
};

// One rectangle of wall, floor, ceiling, trim or column side. Every face has the frame the
// baker works in: the points origin + u uAxis + v vAxis for u in [0, width], v in [0, height],
// seen from the side `front` points to. A grid face (not detail) also lies on the plane
// coordinate[axis] = plane and spans [u0, u1] x [v0, v1] on the axes (axis + 1) % 3 and
// (axis + 2) % 3, its front towards `side` (+1 or -1) along the axis.
struct LevelFace {
  Vec3f origin, uAxis, vAxis, front;
  float width = 0, height = 0;
  bool detail = false;   // a column's face: not on a leaf's side, listed by the leaves it crosses
  float textureOffset = 0;  // along u, so that a column's sides continue one texture
  Material material = Material::Stone;
  int axis = 0;
  int side = 1;
  int plane = 0;
  int u0 = 0, u1 = 0, v0 = 0, v1 = 0;
  int block = -1;  // the block it belongs to, -1 for room surfaces
  int firstVertex = 0;
  int vertexCount = 4;  // the corners, and the corners of neighbours that end on its edges
  int lightmap = -1;
  // Lightmap rectangle inside the page (without its one-texel border) and its size.
  int lightmapX = 0, lightmapY = 0, lightmapWidth = 0, lightmapHeight = 0;
  Vec3f normal() const;
};

struct PlaneSplit {
  int axis = 0;
  int coordinate = 0;  // the plane coordinate[axis] = coordinate, normal along +axis
};

struct LevelNode {
  int plane = 0;
  int front = 0;  // >= 0: node index; < 0: leaf -(child + 1)
  int back = 0;
  IntBox box;
};

struct LevelLeaf {
  int cluster = -1;
  IntBox box;
  std::vector<int> faces;
};

struct CompileStats {
  int gridCells = 0;
  int airCells = 0;
  int visiblePairs = 0;  // ordered pairs of distinct clusters that see each other
  int visibilityRays = 0;
  double milliseconds = 0;
};

struct CompiledLevel {
  std::vector<std::string> shaders;  // indexed by Material
  std::vector<PlaneSplit> planes;
  std::vector<LevelNode> nodes;
  std::vector<LevelLeaf> leaves;
  std::vector<LevelFace> faces;
  std::vector<LevelVertex> vertices;
  std::vector<LightmapPage> lightmaps;
  int clusterCount = 0;
  int bytesPerRow = 0;
  std::vector<std::uint8_t> visibility;  // clusterCount x bytesPerRow
  CompileStats stats;

  bool clusterSees(int from, int to) const;
  // Walks the tree as the renderer does: a point on a plane goes to the front.
  int leafAt(Vec3f p) const;
};

CompiledLevel compileLevel(const LevelDescription& description);

// The level file, written by writeLevelFile (level_file.h).
std::vector<std::uint8_t> encodeLevel(const CompiledLevel& level);

}  // namespace levelc
