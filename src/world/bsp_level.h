// A compiled indoor level (the BSP level format of bsp_format.h): loading what the renderer
// needs, and drawing the leaves the camera can see with base textures and lightmaps.
//
// The file stores z up; on load plane normals, vertex positions and node and leaf corners
// become (x, z, -y). Nothing else in the file is read. The file is not trusted: an index that
// points outside its array, a lump past the end of the file or a negative count drops the
// element concerned instead of reading out of bounds, and a polygon whose vertices belong to
// an earlier polygon is not drawn.
//
// Drawing needs the GL context current and platform::glext loaded (multitexture).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "resources/texture_record.h"
#include "world/bsp_format.h"
#include "world/vec3.h"

namespace world {

class CameraPath;

// What a level file holds for the renderer, after the axis conversion. Pure data: no GL.
struct LevelData {
  bsp::BspHeader header{};
  std::vector<bsp::BspShader> shaders;
  std::vector<bsp::BspPlane> planes;
  std::vector<bsp::BspNode> nodes;
  std::vector<bsp::BspLeaf> leaves;
  std::vector<bsp::BspLeafFace> leafFaces;
  std::vector<bsp::BspVertex> vertices;
  std::vector<bsp::BspFace> faces;
  std::vector<std::uint8_t> lightmapBytes;  // count x 49152, freed once the textures exist
  std::int32_t lightmapCount = 0;
  std::int32_t visClusterCount = 0;  // rows actually present in visRows
  std::int32_t visBytesPerRow = 0;
  std::vector<std::uint8_t> visRows;
};

// Reads the lumps of a level file held in memory. Each lump gives as many whole records as its
// length (cut at the end of the file) holds; the rest is ignored. A polygon whose vertex range
// overlaps that of an earlier polygon is read with a vertex count of 0.
LevelData parseLevel(std::span<const std::uint8_t> file);

// File (x, y, z), z up, to scene (x, z, -y), y up.
Vec3 fileToScene(float x, float y, float z);

// One lightmap byte times the level's brightness factor: saturated at 255, otherwise
// truncated toward zero (negative results become 0).
std::uint8_t scaleLightmapByte(std::uint8_t value, float scale);
void scaleLightmaps(std::span<std::uint8_t> bytes, float scale);

// The leaf holding `eye`, by the node walk from node 0 (a point on a plane goes to the front).
// -1 when the tree leads nowhere valid (no nodes, an index out of range, a loop).
std::int32_t findCameraLeaf(const LevelData& level, const Vec3& eye);

// Whether leaf cluster `k` may be seen from camera cluster `c`. A camera outside every
// cluster (c < 0) or in a cluster without a visibility row sees everything; a k whose bit
// lies outside the row is not seen.
bool clusterVisible(const LevelData& level, std::int32_t c, std::int32_t k);

// The frustum's box test, handed in by the caller: the leaf's corners as floats
// (min x, min y, min z, max x, max y, max z), in whatever order the conversion left them.
using BoxInView = std::function<bool(float, float, float, float, float, float)>;

// The faces a frame draws from a level: the camera's leaf by the node walk, every leaf that
// passes the cluster and box tests, each of their polygons once (an index outside its array
// is skipped). Pure: no GL.
class FaceSelection {
 public:
  struct Stats {
    std::int32_t leavesPassed = 0;  // leaves that passed both tests
    std::int32_t facesDrawn = 0;
  };

  // The faces to draw from `eye`, in drawing order; valid until the next call.
  std::span<const std::int32_t> select(const LevelData& level, const Vec3& eye, const BoxInView& inView);

  std::span<const std::int32_t> faces() const { return drawnFaces_; }
  std::int32_t cameraLeaf() const { return cameraLeaf_; }
  const Stats& stats() const { return stats_; }

 private:
  std::vector<std::uint8_t> faceDrawn_;  // one flag per face, cleared each selection
  // Per selection: the first leaf-face index at or after i not yet looked at (entry i), so
  // that leaves whose ranges overlap do not walk the same entries again.
  std::vector<std::uint32_t> nextLeafFace_;
  std::vector<std::int32_t> drawnFaces_;
  std::int32_t cameraLeaf_ = -1;
  Stats stats_;
};

class BspLevel {
 public:
  // One owner for the textures: a moved-from level is empty, and moving over a level gives
  // its textures back first (the context must be current).
  BspLevel() = default;
  BspLevel(const BspLevel&) = delete;
  BspLevel& operator=(const BspLevel&) = delete;
  BspLevel(BspLevel&& other) noexcept;
  BspLevel& operator=(BspLevel&& other) noexcept;

  using RenderStats = FaceSelection::Stats;

  // Reads the level file (parseLevel) and uploads it: its "<shader>.jpg" textures (relative
  // to the working directory) and its lightmap textures, each byte scaled by
  // `lightmapScale`. Needs a current GL context. False, with an empty level that draws
  // nothing, when the file cannot be read.
  bool load(std::string_view fileName, float lightmapScale);
  // The same from bytes already in memory (tests, tools).
  void loadFromMemory(std::span<const std::uint8_t> file, float lightmapScale);
  // The upload alone, of a level already parsed.
  void upload(LevelData level, float lightmapScale);

  // Draws the visible leaves from `eye`. A switch is on only when it equals 1: lightmapsOn
  // governs texture unit 1, texturesOn unit 0. Leaves behind: vertex array and texture
  // coordinate arrays of units 0 and 1 enabled, client and server active unit 1,
  // GL_TEXTURE_2D off on both units, the last textures still bound.
  void render(const Vec3& eye, const BoxInView& inView, std::uint8_t lightmapsOn, std::uint8_t texturesOn);
  void render(const CameraPath& camera, const BoxInView& inView, std::uint8_t lightmapsOn,
              std::uint8_t texturesOn);

  // Deletes the base textures and frees every array.
  void destroy();

  const LevelData& data() const { return data_; }
  std::span<const resources::TextureRecord> textures() const { return textures_; }
  std::span<const std::string> textureFileNames() const { return textureFileNames_; }
  std::span<const std::uint32_t> lightmapTextures() const { return lightmapTextures_; }
  std::int32_t cameraLeaf() const { return selection_.cameraLeaf(); }
  const RenderStats& lastRenderStats() const { return selection_.stats(); }
  // Faces the last render drew, in drawing order.
  std::span<const std::int32_t> lastDrawnFaces() const { return selection_.faces(); }

 private:
  void buildTextures(float lightmapScale);
  std::uint32_t baseTextureName(const bsp::BspFace& face) const;
  std::uint32_t lightmapName(const bsp::BspFace& face) const;
  // Binds a run's textures and draws its triangles.
  void drawRun(std::pair<std::uint32_t, std::uint32_t> binds, bool lightmapsOn, bool texturesOn);

  LevelData data_;
  std::vector<std::string> textureFileNames_;         // "<shader>.jpg", one per shader
  std::vector<resources::TextureRecord> textures_;    // one per shader
  std::vector<std::uint32_t> lightmapTextures_;       // one GL name per lightmap
  FaceSelection selection_;
  std::vector<std::uint32_t> runIndices_;  // the fans of the faces of one run, as triangles
};

}  // namespace world
