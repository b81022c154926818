#include "level_checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace levels_test {

namespace {

using levelc::Vec3f;

Vec3f toVec(const float p[3]) { return {p[0], p[1], p[2]}; }
Vec3f cross(Vec3f a, Vec3f b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct Box {
  std::array<float, 3> min, max;
};

Box leafBox(const world::bsp::BspLeaf& leaf) {
  Box b;
  for (int a = 0; a < 3; ++a) {
    b.min[a] = static_cast<float>(std::min(leaf.mins[a], leaf.maxs[a]));
    b.max[a] = static_cast<float>(std::max(leaf.mins[a], leaf.maxs[a]));
  }
  return b;
}

struct Constraint {
  int plane;
  bool front;
};

// Calls visit(leaf, constraints) for every leaf reached from node 0.
template <typename Visit>
void walk(const world::LevelData& level, Visit visit) {
  struct Item {
    int child;
    std::vector<Constraint> path;
  };
  std::vector<Item> stack{{0, {}}};
  std::set<int> seenNodes;
  while (!stack.empty()) {
    Item item = std::move(stack.back());
    stack.pop_back();
    if (item.child < 0) {
      visit(-(item.child + 1), item.path);
      continue;
    }
    if (item.child >= static_cast<int>(level.nodes.size()) || !seenNodes.insert(item.child).second) continue;
    const auto& node = level.nodes[item.child];
    Item front{node.front, item.path}, back{node.back, item.path};
    front.path.push_back({node.plane, true});
    back.path.push_back({node.plane, false});
    stack.push_back(std::move(front));
    stack.push_back(std::move(back));
  }
}

// Twice the polygon's area along its normal, pointing where the winding turns
// counter-clockwise (sound with vertices in a straight line along an edge).
Vec3f windingNormal(const world::LevelData& level, const world::bsp::BspFace& face) {
  Vec3f n{0, 0, 0};
  const Vec3f first = toVec(level.vertices[face.firstVertex].position);
  for (int i = 1; i + 1 < face.vertexCount; ++i)
    n = n + cross(toVec(level.vertices[face.firstVertex + i].position) - first,
                  toVec(level.vertices[face.firstVertex + i + 1].position) - first);
  return n;
}

bool bit(const world::LevelData& level, int row, int k) {
  return (level.visRows[static_cast<std::size_t>(row) * level.visBytesPerRow + k / 8] >> (k & 7)) & 1;
}

}  // namespace

std::vector<std::string> unreachable(const world::LevelData& level) {
  std::vector<std::string> problems;
  std::vector<int> reached(level.leaves.size());
  walk(level, [&](int leaf, const std::vector<Constraint>&) {
    if (leaf < 0 || leaf >= static_cast<int>(reached.size()))
      problems.push_back("child points to missing leaf " + std::to_string(leaf));
    else
      ++reached[leaf];
  });
  std::vector<char> listed(level.faces.size());
  for (std::size_t l = 0; l < level.leaves.size(); ++l) {
    if (reached[l] != 1) problems.push_back("leaf " + std::to_string(l) + " reached " + std::to_string(reached[l]) + " times");
    const auto& leaf = level.leaves[l];
    for (int i = 0; i < leaf.leafFaceCount; ++i) {
      const int at = leaf.firstLeafFace + i;
      if (at < 0 || at >= static_cast<int>(level.leafFaces.size())) {
        problems.push_back("leaf " + std::to_string(l) + " lists past the leaf-face array");
        break;
      }
      const int face = level.leafFaces[at];
      if (face >= 0 && face < static_cast<int>(listed.size())) listed[face] = 1;
    }
  }
  for (std::size_t f = 0; f < listed.size(); ++f)
    if (!listed[f]) problems.push_back("face " + std::to_string(f) + " is in no leaf");
  return problems;
}

std::vector<std::string> leavesOutsideParents(const world::LevelData& level) {
  std::vector<std::string> problems;
  walk(level, [&](int l, const std::vector<Constraint>& path) {
    if (l < 0 || l >= static_cast<int>(level.leaves.size())) return;
    const Box b = leafBox(level.leaves[l]);
    for (const Constraint& c : path) {
      const auto& plane = level.planes[c.plane];
      for (int corner = 0; corner < 8; ++corner) {
        const float x = corner & 1 ? b.max[0] : b.min[0];
        const float y = corner & 2 ? b.max[1] : b.min[1];
        const float z = corner & 4 ? b.max[2] : b.min[2];
        const float d = plane.normal[0] * x + plane.normal[1] * y + plane.normal[2] * z - plane.distance;
        if (c.front ? d < -0.01f : d > 0.01f) {
          problems.push_back("leaf " + std::to_string(l) + " crosses plane " + std::to_string(c.plane));
          return;
        }
      }
    }
  });
  return problems;
}

std::vector<std::string> visibilityFaults(const world::LevelData& level) {
  std::vector<std::string> problems;
  int clusters = 0;
  for (const auto& leaf : level.leaves) clusters = std::max(clusters, leaf.cluster + 1);
  if (level.visClusterCount < clusters || level.visBytesPerRow * 8 < clusters)
    return {"visibility has " + std::to_string(level.visClusterCount) + " rows for " + std::to_string(clusters) + " clusters"};
  for (int a = 0; a < clusters; ++a) {
    if (!bit(level, a, a)) problems.push_back("cluster " + std::to_string(a) + " does not see itself");
    for (int b = 0; b < clusters; ++b)
      if (bit(level, a, b) != bit(level, b, a))
        problems.push_back("clusters " + std::to_string(a) + " and " + std::to_string(b) + " see each other one way");
  }
  return problems;
}

std::vector<std::string> windingFaults(const world::LevelData& level) {
  std::vector<std::string> problems;
  for (std::size_t l = 0; l < level.leaves.size(); ++l) {
    const auto& leaf = level.leaves[l];
    if (leaf.cluster < 0) continue;
    const Box b = leafBox(leaf);
    for (int i = 0; i < leaf.leafFaceCount; ++i) {
      const int f = level.leafFaces[leaf.firstLeafFace + i];
      const auto& face = level.faces[f];
      Vec3f centre{0, 0, 0};
      std::array<float, 3> lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
      for (int v = 0; v < face.vertexCount; ++v) {
        const Vec3f p = toVec(level.vertices[face.firstVertex + v].position);
        centre = centre + p * (1.0f / face.vertexCount);
        for (int a = 0; a < 3; ++a) {
          const float c = a == 0 ? p.x : a == 1 ? p.y : p.z;
          lo[a] = std::min(lo[a], c);
          hi[a] = std::max(hi[a], c);
        }
      }
      // Clockwise seen from the front: the front is against the winding's normal, and it
      // must look into open space (walls have solid space behind them).
      const Vec3f n = windingNormal(level, face);
      const Vec3f front = centre - n * (0.5f / std::sqrt(levelc::dot(n, n)));
      if (clusterAt(level, front) < 0) problems.push_back("face " + std::to_string(f) + " faces solid space");
      bool meets = true;
      for (int a = 0; a < 3; ++a) meets = meets && lo[a] <= b.max[a] + 0.01f && hi[a] >= b.min[a] - 0.01f;
      if (!meets) problems.push_back("face " + std::to_string(f) + " lies outside leaf " + std::to_string(l));
    }
  }
  return problems;
}

int clusterAt(const world::LevelData& level, levelc::Vec3f p) {
  const int leaf = world::findCameraLeaf(level, {p.x, p.y, p.z});
  if (leaf < 0 || leaf >= static_cast<int>(level.leaves.size())) return -2;
  return level.leaves[leaf].cluster;
}

float lightmapLevelAt(const world::LevelData& level, levelc::Vec3f p, int axis, int side) {
  const std::array<float, 3> q{p.x, p.y, p.z};
  const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
  for (const auto& face : level.faces) {
    if (face.type != 1 || face.vertexCount < 3 || face.lightmap < 0 || face.lightmap >= level.lightmapCount) continue;
    const auto* v = &level.vertices[face.firstVertex];
    bool onPlane = true;
    float u0 = 1e9f, u1 = -1e9f, w0 = 1e9f, w1 = -1e9f;
    for (int i = 0; i < face.vertexCount; ++i) {
      onPlane = onPlane && std::abs(v[i].position[axis] - q[axis]) < 0.01f;
      u0 = std::min(u0, v[i].position[ua]);
      u1 = std::max(u1, v[i].position[ua]);
      w0 = std::min(w0, v[i].position[va]);
      w1 = std::max(w1, v[i].position[va]);
    }
    if (!onPlane || q[ua] < u0 || q[ua] > u1 || q[va] < w0 || q[va] > w1) continue;
    const Vec3f n = windingNormal(level, face);
    const float front = -(axis == 0 ? n.x : axis == 1 ? n.y : n.z);
    if ((front > 0 ? 1 : -1) != side) continue;
    // Lightmap coordinates are affine over the rectangle: solve them from the corner and the
    // two vertices that span the widest triangle with it.
    int bestI = 1, bestJ = 2;
    float det = 0;
    for (int i = 1; i < face.vertexCount; ++i)
      for (int j = i + 1; j < face.vertexCount; ++j) {
        const float d = (v[i].position[ua] - v[0].position[ua]) * (v[j].position[va] - v[0].position[va]) -
                        (v[j].position[ua] - v[0].position[ua]) * (v[i].position[va] - v[0].position[va]);
        if (std::abs(d) > std::abs(det)) {
          det = d;
          bestI = i;
          bestJ = j;
        }
      }
    if (std::abs(det) < 1e-6f) continue;
    const auto& p1 = v[bestI];
    const auto& p2 = v[bestJ];
    const float a1 = p1.position[ua] - v[0].position[ua], b1 = p1.position[va] - v[0].position[va];
    const float a2 = p2.position[ua] - v[0].position[ua], b2 = p2.position[va] - v[0].position[va];
    const float du = q[ua] - v[0].position[ua], dv = q[va] - v[0].position[va];
    const float k1 = (du * b2 - a2 * dv) / det, k2 = (a1 * dv - du * b1) / det;
    float coord[2];
    for (int c = 0; c < 2; ++c)
      coord[c] = v[0].lightmapCoord[c] + k1 * (p1.lightmapCoord[c] - v[0].lightmapCoord[c]) +
                 k2 * (p2.lightmapCoord[c] - v[0].lightmapCoord[c]);
    const int x = std::clamp(static_cast<int>(coord[0] * 128), 0, 127);
    const int y = std::clamp(static_cast<int>(coord[1] * 128), 0, 127);
    const std::size_t at = static_cast<std::size_t>(face.lightmap) * 49152 + (static_cast<std::size_t>(y) * 128 + x) * 3;
    if (at + 2 >= level.lightmapBytes.size()) return -1;
    return (level.lightmapBytes[at] + level.lightmapBytes[at + 1] + level.lightmapBytes[at + 2]) / 3.0f;
  }
  return -1;
}

}  // namespace levels_test
