#include "level_compiler.h"

#include <chrono>
#include <cstring>

#include "compiler_steps.h"
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

// Scene (x, y, z) is stored as (x, -z, y): the reader turns it back with (x, z, -y).
std::array<float, 3> toFile(Vec3f p) { return {p.x, -p.z, p.y}; }

void boxToFile(const IntBox& box, std::int32_t mins[3], std::int32_t maxs[3]) {
  mins[0] = box.min[0];
  maxs[0] = box.max[0];
  mins[1] = -box.max[2];
  maxs[1] = -box.min[2];
  mins[2] = box.min[1];
  maxs[2] = box.max[1];
}

class LumpWriter {
 public:
  LumpWriter() : bytes_(sizeof(world::bsp::BspHeader), 0) {}

  template <typename Record>
  void lump(int index, const std::vector<Record>& records) {
    append(index, records.data(), records.size() * sizeof(Record));
  }
  void append(int index, const void* data, std::size_t size) {
    // Every lump starts on a 4-byte boundary, as readers of this format expect.
    while (bytes_.size() % 4) bytes_.push_back(0);
    header_.lumps[index].offset = static_cast<std::int32_t>(bytes_.size());
    header_.lumps[index].length = static_cast<std::int32_t>(size);
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  std::vector<std::uint8_t> finish() {
    std::memcpy(header_.identification, "IBSP", 4);
    header_.version = 46;
    std::memcpy(bytes_.data(), &header_, sizeof header_);
    return std::move(bytes_);
  }

 private:
  world::bsp::BspHeader header_{};
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> encodeLevel(const CompiledLevel& level) {
  namespace bsp = world::bsp;
  std::vector<bsp::BspShader> shaders(level.shaders.size());
  for (std::size_t i = 0; i < shaders.size(); ++i) {
    shaders[i] = {};
    std::strncpy(shaders[i].name, level.shaders[i].c_str(), sizeof shaders[i].name - 1);
    shaders[i].unused[1] = 1;  // contents: solid
  }
  std::vector<bsp::BspPlane> planes;
  for (const PlaneSplit& split : level.planes) {
    Vec3f n;
    (split.axis == 0 ? n.x : split.axis == 1 ? n.y : n.z) = 1;
    const auto f = toFile(n);
    planes.push_back({{f[0], f[1], f[2]}, static_cast<float>(split.coordinate)});
  }
  std::vector<bsp::BspNode> nodes;
  for (const LevelNode& node : level.nodes) {
    bsp::BspNode record{};
    record.plane = node.plane;
    record.front = node.front;
    record.back = node.back;
    boxToFile(node.box, record.mins, record.maxs);
    nodes.push_back(record);
  }
  std::vector<bsp::BspLeaf> leaves;
  std::vector<bsp::BspLeafFace> leafFaces;
  for (const LevelLeaf& leaf : level.leaves) {
    bsp::BspLeaf record{};
    record.cluster = leaf.cluster;
    boxToFile(leaf.box, record.mins, record.maxs);
    record.firstLeafFace = static_cast<std::int32_t>(leafFaces.size());
    record.leafFaceCount = static_cast<std::int32_t>(leaf.faces.size());
    leafFaces.insert(leafFaces.end(), leaf.faces.begin(), leaf.faces.end());
    leaves.push_back(record);
  }
  std::vector<bsp::BspVertex> vertices;
  for (const LevelVertex& v : level.vertices) {
    bsp::BspVertex record{};
    const auto p = toFile(v.position);
    std::memcpy(record.position, p.data(), sizeof record.position);
    record.texCoord[0] = v.s;
    record.texCoord[1] = v.t;
    record.lightmapCoord[0] = v.ls;
    record.lightmapCoord[1] = v.lt;
    // The rest of the record holds the normal and an opaque white vertex colour.
    const auto n = toFile(v.normal);
    std::memcpy(record.unused, n.data(), 12);
    std::memset(record.unused + 12, 255, 4);
    vertices.push_back(record);
  }
  std::vector<bsp::BspFace> faces;
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
    faces.push_back(record);
  }

  LumpWriter out;
  out.append(0, nullptr, 0);
  out.lump(bsp::kShaderLump, shaders);
  out.lump(bsp::kPlaneLump, planes);
  out.lump(bsp::kNodeLump, nodes);
  out.lump(bsp::kLeafLump, leaves);
  out.lump(bsp::kLeafFaceLump, leafFaces);
  for (int unread : {6, 7, 8, 9}) out.append(unread, nullptr, 0);
  out.lump(bsp::kVertexLump, vertices);
  for (int unread : {11, 12}) out.append(unread, nullptr, 0);
  out.lump(bsp::kFaceLump, faces);
  out.lump(bsp::kLightmapLump, level.lightmaps);
  out.append(15, nullptr, 0);
  const bsp::BspVisibilityHeader header{level.clusterCount, level.bytesPerRow};
  std::vector<std::uint8_t> visibility(sizeof header + level.visibility.size());
  std::memcpy(visibility.data(), &header, sizeof header);
  if (!level.visibility.empty())
    std::memcpy(visibility.data() + sizeof header, level.visibility.data(), level.visibility.size());
  out.append(bsp::kVisibilityLump, visibility.data(), visibility.size());
  return out.finish();
}

}  // namespace levelc
