// Builds level files for the tests from the on-disk records, in scene coordinates (y up)
// converted back to the file's z-up axes, so each test states its geometry as the renderer
// will see it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/bsp_format.h"
#include "world/vec3.h"

namespace level_testing {

using Bytes = std::vector<std::uint8_t>;
namespace bsp = world::bsp;

// Scene (x, y, z) back to the file's (x, -z, y).
world::Vec3 sceneToFile(const world::Vec3& scene);

struct LevelWriter {
  std::vector<bsp::BspShader> shaders;
  std::vector<bsp::BspPlane> planes;
  std::vector<bsp::BspNode> nodes;
  std::vector<bsp::BspLeaf> leaves;
  std::vector<bsp::BspLeafFace> leafFaces;
  std::vector<bsp::BspVertex> vertices;
  std::vector<bsp::BspFace> faces;
  Bytes lightmaps;  // count x 49152 bytes
  std::int32_t visClusterCount = 0;
  std::int32_t visBytesPerRow = 0;
  Bytes visRows;
  // Bytes appended to a lump after its whole records (remainders the loader must ignore).
  int paddedLump = -1;
  int padding = 0;

  int addShader(const std::string& name);
  // A plane given in scene axes; returns its index.
  int addPlane(const world::Vec3& sceneNormal, float distance);
  int addNode(int plane, int front, int back);
  // A leaf over the scene box lo..hi listing `faceIndices`.
  int addLeaf(int cluster, const world::Vec3& lo, const world::Vec3& hi, const std::vector<int>& faceIndices);
  // A quad face over four scene corners with surface and lightmap coordinates spanning 0..1.
  int addQuad(const world::Vec3 (&corners)[4], int shader, int lightmap, int type = bsp::kPolygonFace);
  // A lightmap of one colour.
  int addLightmap(std::uint8_t r, std::uint8_t g, std::uint8_t b);
  // One row per cluster; `visible[c]` lists the clusters row c sees.
  void setVisibility(const std::vector<std::vector<int>>& visible, int bytesPerRow = 0);

  Bytes bytes() const;
};

// Leaf index k as a node child.
constexpr int leafChild(int leaf) { return -(leaf + 1); }

// Header fields of a written file, for damaging it.
void setLump(Bytes& file, int index, std::int32_t offset, std::int32_t length);
bsp::LumpEntry lumpOf(const Bytes& file, int index);

// A full-screen quad at scene depth z (camera at the origin looking down -z).
void screenQuad(float z, float halfSize, world::Vec3 (&corners)[4]);

bool writeFile(const std::string& path, const Bytes& bytes);
bool writeJpeg(const std::string& path, int width, int height, const Bytes& rgb);

}  // namespace level_testing

namespace level_testing {

// A generated corridor along -z for previews and benchmarks: `segments` segments of 200 units,
// each a leaf and cluster of its own that sees its neighbours two deep, walls split into
// `tiles` x `tiles` quads facing inward (for the demo's front-face culling), a pillar pair in
// every segment, three shaders "textures/gen0".."gen2" and one lightmap page per segment.
LevelWriter corridorLevel(int segments, int tiles);
// A camera path down the middle of that corridor, `points` eye/target pairs.
std::string corridorPath(int segments, int points);
// Writes the three 64 x 64 textures the corridor's shaders name, under `folder`/textures.
bool writeCorridorTextures(const std::string& folder);

}  // namespace level_testing
