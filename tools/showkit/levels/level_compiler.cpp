#include "level_compiler.h"

#include <chrono>
#include <cstring>

#include "compiler_steps.h"
#include "level_file.h"
#include "world/bsp_format.h"

namespace levelc {

std::string shaderName(Material material) {
  static const char* const kNames[kMaterialCount] = {
      "Textures/brae/stone", "Textures/brae/brick", "Textures/brae/floor", "Textures/brae/tiles",
      "Textures/brae/metal", "Textures/brae/trim",  "Textures/brae/wood",  "Textures/brae/lamp",
      "Textures/brae/fire",  "Textures/brae/water"};
  return kNames[static_cast<int>(material)];
}

bool CompiledLevel::clusterSees(int from, int to) const {
  if (from < 0 || to < 0 || from >= clusterCount || to >= clusterCount) return false;
  return (visibility[static_cast<std::size_t>(from) * bytesPerRow + to / 8] >> (to & 7)) & 1;
}

int CompiledLevel::leafAt(Vec3f p) const {
  int index = 0;
  // Each step goes one level down; a tree deeper than it has nodes is broken.
  for (std::size_t guard = 0; index >= 0 && guard <= nodes.size(); ++guard) {
    const LevelNode& node = nodes[index];
    const PlaneSplit& plane = planes[node.plane];
    const float v = plane.axis == 0 ? p.x : plane.axis == 1 ? p.y : p.z;
    index = v - static_cast<float>(plane.coordinate) >= 0 ? node.front : node.back;
  }
  return index < 0 ? -(index + 1) : -1;
}

CompiledLevel compileLevel(const LevelDescription& description) {
  const auto start = std::chrono::steady_clock::now();
  CompiledLevel level;
  for (int m = 0; m < kMaterialCount; ++m) level.shaders.push_back(shaderName(static_cast<Material>(m)));
  const CellGrid grid(description);
  level.stats.gridCells = grid.cellCount(0) * grid.cellCount(1) * grid.cellCount(2);
  for (int k = 0; k < grid.cellCount(2); ++k)
    for (int j = 0; j < grid.cellCount(1); ++j)
      for (int i = 0; i < grid.cellCount(0); ++i) level.stats.airCells += grid.air(i, j, k);
  level.faces = extractFaces(description, grid);
  buildTree(grid, level);
  computeVisibility(grid, level);
  bakeLightmaps(description, grid, level);
  level.stats.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return level;
}

namespace {

// The normals the renderer does not read travel in the records' spare bytes in the file's
// axes: scene (x, y, z) is stored as (x, -z, y).
std::array<float, 3> toFile(Vec3f p) { return {p.x, -p.z, p.y}; }

void setBox(std::int32_t (&mins)[3], std::int32_t (&maxs)[3], const IntBox& box) {
  setSceneBox(mins, maxs, box.min, box.max);
}

}  // namespace

std::vector<std::uint8_t> encodeLevel(const CompiledLevel& level) {
  namespace bsp = world::bsp;
  world::LevelData data;
  data.shaders.resize(level.shaders.size());
  for (std::size_t i = 0; i < data.shaders.size(); ++i) {
    std::strncpy(data.shaders[i].name, level.shaders[i].c_str(), sizeof data.shaders[i].name - 1);
    data.shaders[i].unused[1] = 1;  // contents: solid
  }
  for (const PlaneSplit& split : level.planes) {
    bsp::BspPlane plane{};
    plane.normal[split.axis] = 1;
    plane.distance = static_cast<float>(split.coordinate);
    data.planes.push_back(plane);
  }
  for (const LevelNode& node : level.nodes) {
    bsp::BspNode record{};
    record.plane = node.plane;
    record.front = node.front;
    record.back = node.back;
    setBox(record.mins, record.maxs, node.box);
    data.nodes.push_back(record);
  }
  for (const LevelLeaf& leaf : level.leaves) {
    bsp::BspLeaf record{};
    record.cluster = leaf.cluster;
    setBox(record.mins, record.maxs, leaf.box);
    record.firstLeafFace = static_cast<std::int32_t>(data.leafFaces.size());
    record.leafFaceCount = static_cast<std::int32_t>(leaf.faces.size());
    data.leafFaces.insert(data.leafFaces.end(), leaf.faces.begin(), leaf.faces.end());
    data.leaves.push_back(record);
  }
  for (const LevelVertex& v : level.vertices) {
    bsp::BspVertex record{};
    record.position[0] = v.position.x;
    record.position[1] = v.position.y;
    record.position[2] = v.position.z;
    record.texCoord[0] = v.s;
    record.texCoord[1] = v.t;
    record.lightmapCoord[0] = v.ls;
    record.lightmapCoord[1] = v.lt;
    // The rest of the record holds the normal and an opaque white vertex colour.
    const auto n = toFile(v.normal);
    std::memcpy(record.unused, n.data(), 12);
    std::memset(record.unused + 12, 255, 4);
    data.vertices.push_back(record);
  }
  for (const LevelFace& face : level.faces) {
    bsp::BspFace record{};
    record.shader = static_cast<std::int32_t>(face.material);
    record.unused0 = -1;  // no effect volume
    record.type = bsp::kPolygonFace;
    record.firstVertex = face.firstVertex;
    record.vertexCount = face.vertexCount;
    record.lightmap = face.lightmap;
    // Lightmap corner and size, then (after origin and axes, left at 0) the normal.
    record.unused2[0] = face.lightmapX;
    record.unused2[1] = face.lightmapY;
    record.unused2[2] = face.lightmapWidth;
    record.unused2[3] = face.lightmapHeight;
    const auto n = toFile(face.normal());
    std::memcpy(&record.unused2[13], n.data(), 12);
    data.faces.push_back(record);
  }
  for (const LightmapPage& page : level.lightmaps) data.lightmapBytes.insert(data.lightmapBytes.end(), page.begin(), page.end());
  data.lightmapCount = static_cast<std::int32_t>(level.lightmaps.size());
  data.visClusterCount = level.clusterCount;
  data.visBytesPerRow = level.bytesPerRow;
  data.visRows = level.visibility;
  return writeLevelFile(data);
}

}  // namespace levelc
