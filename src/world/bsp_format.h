// On-disk records of a level file, byte for byte. The loader reads them and the content kit's
// level compiler writes them, so both sides share this one header and cannot drift apart.
//
// Every integer is 32-bit little-endian signed, every real a 32-bit IEEE float; the records
// hold only 4-byte fields, so the structs have no padding (checked below). The file stores
// z up; the loader turns what it reads into the y-up scene axes.
#pragma once

#include <cstdint>
#include <type_traits>

namespace world::bsp {

constexpr int kLumpCount = 17;

// Lump directory entries the loader reads; the others may hold anything.
enum LumpIndex : int {
  kShaderLump = 1,
  kPlaneLump = 2,
  kNodeLump = 3,
  kLeafLump = 4,
  kLeafFaceLump = 5,
  kVertexLump = 10,
  kFaceLump = 13,
  kLightmapLump = 14,
  kVisibilityLump = 16,
};

struct LumpEntry {
  std::int32_t offset;  // from the start of the file
  std::int32_t length;  // in bytes
};

struct BspHeader {
  char identification[4];  // not checked on load
  std::int32_t version;    // not checked on load
  LumpEntry lumps[kLumpCount];
};

struct BspShader {
  char name[64];  // NUL-terminated path without extension; ".jpg" is appended on load
  std::int32_t unused[2];
};

// A point p is in front when normal . p - distance >= 0.
struct BspPlane {
  float normal[3];
  float distance;
};

// A child >= 0 is a node index; a child < 0 is the leaf -(child + 1).
struct BspNode {
  std::int32_t plane;
  std::int32_t front;
  std::int32_t back;
  std::int32_t mins[3];
  std::int32_t maxs[3];
};

struct BspLeaf {
  std::int32_t cluster;  // negative: outside every cluster
  std::int32_t area;     // not read
  std::int32_t mins[3];
  std::int32_t maxs[3];
  std::int32_t firstLeafFace;
  std::int32_t leafFaceCount;
  std::int32_t unused[2];
};

// The leaf-face lump is a plain array of int32 face indices.
using BspLeafFace = std::int32_t;

// Kept in this layout in memory: the renderer points its vertex and texture-coordinate arrays
// straight into it with a stride of sizeof(BspVertex).
struct BspVertex {
  float position[3];
  float texCoord[2];       // surface texture
  float lightmapCoord[2];  // lightmap page
  std::uint8_t unused[16];
};

constexpr std::int32_t kPolygonFace = 1;  // the only face type that is drawn

// Drawn as a triangle fan over vertices firstVertex .. firstVertex + vertexCount - 1.
struct BspFace {
  std::int32_t shader;
  std::int32_t unused0;
  std::int32_t type;
  std::int32_t firstVertex;
  std::int32_t vertexCount;
  std::int32_t unused1[2];
  std::int32_t lightmap;  // negative: no lightmap
  std::int32_t unused2[18];
};

constexpr int kLightmapSide = 128;
constexpr int kLightmapBytes = kLightmapSide * kLightmapSide * 3;

// 128 x 128 RGB texels, rows one after another.
struct BspLightmap {
  std::uint8_t texels[kLightmapBytes];
};

// Start of the visibility lump, followed by clusterCount x bytesPerRow bytes. Row c has bit
// (k & 7) of byte k / 8 set when cluster k may be seen from cluster c.
struct BspVisibilityHeader {
  std::int32_t clusterCount;
  std::int32_t bytesPerRow;
};

static_assert(sizeof(BspHeader) == 144);
static_assert(sizeof(BspShader) == 72);
static_assert(sizeof(BspPlane) == 16);
static_assert(sizeof(BspNode) == 36);
static_assert(sizeof(BspLeaf) == 48);
static_assert(sizeof(BspLeafFace) == 4);
static_assert(sizeof(BspVertex) == 44);
static_assert(sizeof(BspFace) == 104);
static_assert(sizeof(BspLightmap) == 0xC000);
static_assert(sizeof(BspVisibilityHeader) == 8);
static_assert(std::is_trivially_copyable_v<BspFace> && std::is_standard_layout_v<BspFace>);

}  // namespace world::bsp
