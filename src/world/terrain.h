// The island's ground: a square field of height bytes compiled once into a display list of
// quads, textured by a ground picture on unit 0 and a finely repeated detail picture on unit 1
// (combined and doubled), each vertex carrying a fog coordinate so that ground below a fixed
// height is fogged by its depth rather than by its distance.
//
// Grid point (x, z) with height h lies at (2x, 2h, 2z): the list scales by 2.
//
// A missing or short height file gives zero heights for what is missing; a height looked up
// past the end of the field (the last column reaches one step beyond it) reads as 0.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"

namespace world {

// ---- pure pieces (no GL) ----

// 100 - h for heights up to 100 (deeper ground, more fog), 30 for everything higher.
float terrainFogCoordinate(int height);

struct TerrainVertex {
  std::int32_t x = 0;             // grid position; y is the height at heightIndex
  std::int32_t z = 0;
  std::int64_t heightIndex = 0;   // byte of the height field (wraps in z only)
  float s = 0.0f;                 // texture coordinates, the same on both units
  float t = 0.0f;

  friend bool operator==(const TerrainVertex&, const TerrainVertex&) = default;
};

// The four vertices of the quad at (x, z), in drawing order: (x, z), (x, z + s),
// (x + s, z + s), (x + s, z). Only the z of the height index wraps (mod size); positions do
// not wrap, and x + s runs into the next row of the field on the last column.
std::array<TerrainVertex, 4> terrainQuad(std::int32_t x, std::int32_t z, std::int32_t step, std::int32_t size);

// Calls `quad` for x = 0, s, 2s ... < size (outer) and z likewise (inner). Nothing for a
// step or size below 1.
void forEachTerrainQuad(std::int32_t size, std::int32_t step,
                        const std::function<void(std::int32_t x, std::int32_t z)>& quad);

// Byte `index` of the field, 0 outside it.
int terrainHeightAt(std::span<const std::uint8_t> heights, std::int64_t index);

// A height file as the terrain reads it: its first size x size bytes, 0 for those it lacks.
struct HeightField {
  std::int32_t size = 0;               // never negative
  std::vector<std::uint8_t> heights;   // size x size
  std::int64_t bytesRead = 0;          // how many of them the file held
};
HeightField parseHeightField(std::span<const std::uint8_t> file, std::int32_t size);

// One vertex of the terrain's list: integer position (height as y), texture coordinates (the
// same on both units) and fog coordinate.
struct TerrainMeshVertex {
  std::int32_t x, y, z;
  float s, t, fog;
};
// The quads of the list at `step` (forEachTerrainQuad's order), four vertices each in
// drawing order.
std::vector<TerrainMeshVertex> terrainMesh(std::span<const std::uint8_t> heights, std::int32_t size, std::int32_t step);

class Terrain {
 public:
  // One owner for the textures and the list: a moved-from terrain holds nothing, and moving
  // over a terrain gives its list and textures back first (the context must be current).
  Terrain() = default;
  Terrain(const Terrain&) = delete;
  Terrain& operator=(const Terrain&) = delete;
  Terrain(Terrain&& other) noexcept;
  Terrain& operator=(Terrain&& other) noexcept;

  // Reads the height file (parseHeightField, no more than size x size bytes of it) and the two
  // JPEG pictures.
  static Terrain load(std::int32_t size, std::string_view heightFile, std::string_view textureFile,
                      std::string_view detailFile);
  // A field already in memory (tests, tools); `heights` is padded or cut to size x size.
  static Terrain fromHeights(std::int32_t size, std::vector<std::uint8_t> heights,
                             resources::TextureRecord texture = {}, resources::TextureRecord detail = {});

  // Compiles terrainMesh's quads at `step` into the display list (replacing an earlier list).
  // Needs a current context and platform::glext. Leaves culling enabled.
  void buildList(std::int32_t step);
  // Linear fog that follows the fog coordinates of the list.
  static void setFog(float red, float green, float blue, float alpha, float start, float end);
  // Frees the heights and gives back both textures and the list.
  void destroy();

  std::int32_t size() const { return size_; }
  std::span<const std::uint8_t> heights() const { return heights_; }
  std::int64_t heightBytesRead() const { return heightBytesRead_; }
  const resources::TextureRecord& texture() const { return texture_; }
  const resources::TextureRecord& detail() const { return detail_; }
  std::uint32_t list() const { return list_; }
  std::int64_t quadCount() const { return quadCount_; }

 private:
  std::int32_t size_ = 0;
  resources::TextureRecord texture_;
  resources::TextureRecord detail_;
  std::vector<std::uint8_t> heights_;
  std::int64_t heightBytesRead_ = 0;
  std::uint32_t list_ = 0;
  std::int64_t quadCount_ = 0;
};

}  // namespace world
