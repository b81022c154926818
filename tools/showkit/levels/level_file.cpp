#include "level_file.h"

#include <algorithm>
#include <cstring>

namespace levelc {
namespace {

namespace bsp = world::bsp;

// Scene (x, y, z) to the file's (x, -z, y): the reader turns it back with (x, z, -y).
void toFile(float (&v)[3]) {
  const float y = v[1];
  v[1] = -v[2];
  v[2] = y;
}

void toFile(std::int32_t (&c)[3]) {
  const std::int32_t y = c[1];
  c[1] = static_cast<std::int32_t>(std::clamp(-std::int64_t{c[2]}, std::int64_t{INT32_MIN}, std::int64_t{INT32_MAX}));
  c[2] = y;
}

class LumpWriter {
 public:
  LumpWriter() : bytes_(sizeof(bsp::BspHeader), 0) {}

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
    if (size > 0) bytes_.insert(bytes_.end(), p, p + size);
  }
  std::vector<std::uint8_t> finish() {
    std::memcpy(header_.identification, "IBSP", 4);
    header_.version = 46;
    std::memcpy(bytes_.data(), &header_, sizeof header_);
    return std::move(bytes_);
  }

 private:
  bsp::BspHeader header_{};
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

void setSceneBox(std::int32_t (&mins)[3], std::int32_t (&maxs)[3], const std::array<std::int32_t, 3>& lo,
                 const std::array<std::int32_t, 3>& hi) {
  mins[0] = lo[0];
  mins[1] = lo[1];
  mins[2] = hi[2];
  maxs[0] = hi[0];
  maxs[1] = hi[1];
  maxs[2] = lo[2];
}

std::vector<std::uint8_t> writeLevelFile(const world::LevelData& level) {
  auto planes = level.planes;
  for (auto& plane : planes) toFile(plane.normal);
  auto nodes = level.nodes;
  for (auto& node : nodes) {
    toFile(node.mins);
    toFile(node.maxs);
  }
  auto leaves = level.leaves;
  for (auto& leaf : leaves) {
    toFile(leaf.mins);
    toFile(leaf.maxs);
  }
  auto vertices = level.vertices;
  for (auto& vertex : vertices) toFile(vertex.position);

  LumpWriter out;
  out.append(0, nullptr, 0);
  out.lump(bsp::kShaderLump, level.shaders);
  out.lump(bsp::kPlaneLump, planes);
  out.lump(bsp::kNodeLump, nodes);
  out.lump(bsp::kLeafLump, leaves);
  out.lump(bsp::kLeafFaceLump, level.leafFaces);
  for (int unread : {6, 7, 8, 9}) out.append(unread, nullptr, 0);
  out.lump(bsp::kVertexLump, vertices);
  for (int unread : {11, 12}) out.append(unread, nullptr, 0);
  out.lump(bsp::kFaceLump, level.faces);
  out.lump(bsp::kLightmapLump, level.lightmapBytes);
  out.append(15, nullptr, 0);
  const bsp::BspVisibilityHeader header{level.visClusterCount, level.visBytesPerRow};
  std::vector<std::uint8_t> visibility(sizeof header + level.visRows.size());
  std::memcpy(visibility.data(), &header, sizeof header);
  if (!level.visRows.empty()) std::memcpy(visibility.data() + sizeof header, level.visRows.data(), level.visRows.size());
  out.append(bsp::kVisibilityLump, visibility.data(), visibility.size());
  return out.finish();
}

}  // namespace levelc
