#include <algorithm>
#include <cmath>

#include "compiler_steps.h"

namespace levelc {

namespace {

// Faces longer than this are cut so that each gets a lightmap of sensible resolution.
constexpr int kMaxFaceSide = 192;

struct FaceKey {
  int side = 0;  // 0: no face
  Material material = Material::Stone;
  int block = -1;
  bool operator==(const FaceKey&) const = default;
};

// What the solid cell shows towards the air cell next to it.
FaceKey keyFor(const LevelDescription& description, const CellGrid& grid, int axis, int side,
               const std::array<int, 3>& airCell, const std::array<int, 3>& solidCell) {
  FaceKey key;
  key.side = side;
  const bool inside = solidCell[0] >= 0 && solidCell[1] >= 0 && solidCell[2] >= 0 &&
                      solidCell[0] < grid.cellCount(0) && solidCell[1] < grid.cellCount(1) &&
                      solidCell[2] < grid.cellCount(2);
  const int block = inside ? grid.block(solidCell[0], solidCell[1], solidCell[2]) : -1;
  if (block >= 0) {
    key.material = description.blocks[block].material;
    key.block = block;
    return key;
  }
  const Room& room = description.rooms[grid.label(airCell[0], airCell[1], airCell[2])];
  if (axis == 1) {
    key.material = side > 0 ? room.floor : room.ceiling;
    return key;
  }
  const int bottom = grid.lines(1)[airCell[1]], top = grid.lines(1)[airCell[1] + 1];
  if (room.trimHeight > 0 && top <= room.box.min[1] + room.trimHeight)
    key.material = room.trim;
  else if (room.crownHeight > 0 && bottom >= room.box.max[1] - room.crownHeight)
    key.material = room.crown;
  else
    key.material = room.wall;
  return key;
}

// Cuts [from, to] into near-equal pieces no longer than kMaxFaceSide.
std::vector<int> cuts(int from, int to) {
  const int pieces = std::max(1, (to - from + kMaxFaceSide - 1) / kMaxFaceSide);
  std::vector<int> result;
  for (int p = 0; p <= pieces; ++p)
    result.push_back(from + static_cast<int>(static_cast<long long>(to - from) * p / pieces));
  return result;
}

}  // namespace

Vec3f LevelFace::normal() const {
  Vec3f n;
  (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = static_cast<float>(side);
  return n;
}

std::vector<LevelFace> extractFaces(const LevelDescription& description, const CellGrid& grid) {
  std::vector<LevelFace> faces;
  for (int axis = 0; axis < 3; ++axis) {
    const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
    const int nu = grid.cellCount(ua), nv = grid.cellCount(va);
    std::vector<FaceKey> keys(static_cast<std::size_t>(nu) * nv);
    std::vector<char> used(keys.size());
    for (int g = 0; g <= grid.cellCount(axis); ++g) {
      // Key of every (u, v) position of this slice of the grid.
      for (int v = 0; v < nv; ++v)
        for (int u = 0; u < nu; ++u) {
          std::array<int, 3> below{}, above{};
          below[axis] = g - 1;
          above[axis] = g;
          below[ua] = above[ua] = u;
          below[va] = above[va] = v;
          const bool airBelow = grid.airOrOutside(below[0], below[1], below[2]);
          const bool airAbove = grid.airOrOutside(above[0], above[1], above[2]);
          FaceKey key;
          if (airBelow && !airAbove) key = keyFor(description, grid, axis, -1, below, above);
          if (airAbove && !airBelow) key = keyFor(description, grid, axis, +1, above, below);
          keys[static_cast<std::size_t>(v) * nu + u] = key;
        }
      std::fill(used.begin(), used.end(), 0);
      auto at = [&](int u, int v) { return static_cast<std::size_t>(v) * nu + u; };
      // Greedy merge into rectangles: widest run first, then as many rows as match.
      for (int v = 0; v < nv; ++v)
        for (int u = 0; u < nu; ++u) {
          const FaceKey key = keys[at(u, v)];
          if (key.side == 0 || used[at(u, v)]) continue;
          int uEnd = u + 1;
          while (uEnd < nu && !used[at(uEnd, v)] && keys[at(uEnd, v)] == key) ++uEnd;
          int vEnd = v + 1;
          for (; vEnd < nv; ++vEnd) {
            bool rowMatches = true;
            for (int x = u; x < uEnd && rowMatches; ++x)
              rowMatches = !used[at(x, vEnd)] && keys[at(x, vEnd)] == key;
            if (!rowMatches) break;
          }
          for (int y = v; y < vEnd; ++y)
            for (int x = u; x < uEnd; ++x) used[at(x, y)] = 1;
          const auto uCuts = cuts(grid.lines(ua)[u], grid.lines(ua)[uEnd]);
          const auto vCuts = cuts(grid.lines(va)[v], grid.lines(va)[vEnd]);
          for (std::size_t a = 0; a + 1 < uCuts.size(); ++a)
            for (std::size_t b = 0; b + 1 < vCuts.size(); ++b) {
              LevelFace face;
              face.material = key.material;
              face.block = key.block;
              face.axis = axis;
              face.side = key.side;
              face.plane = grid.lines(axis)[g];
              face.u0 = uCuts[a];
              face.u1 = uCuts[a + 1];
              face.v0 = vCuts[b];
              face.v1 = vCuts[b + 1];
              std::array<float, 3> origin{}, u{}, v{};
              origin[axis] = static_cast<float>(face.plane);
              origin[ua] = static_cast<float>(face.u0);
              origin[va] = static_cast<float>(face.v0);
              u[ua] = 1;
              v[va] = 1;
              face.origin = {origin[0], origin[1], origin[2]};
              face.uAxis = {u[0], u[1], u[2]};
              face.vAxis = {v[0], v[1], v[2]};
              face.front = face.normal();
              face.width = static_cast<float>(face.u1 - face.u0);
              face.height = static_cast<float>(face.v1 - face.v0);
              faces.push_back(face);
            }
        }
    }
  }
  for (const Column& column : description.columns) {
    if (!(column.radius > 0) || !(column.top > column.bottom)) continue;  // nothing to draw
    const int n = std::max(3, column.sides);
    float around = 0;
    for (int k = 0; k < n; ++k) {
      const auto a = column.corner(k), b = column.corner(k + 1);
      const float width = std::hypot(b[0] - a[0], b[1] - a[1]);
      // Tall sides are cut like long walls, for the lightmap's resolution.
      const int pieces = std::max(1, static_cast<int>(std::ceil((column.top - column.bottom) / kMaxFaceSide)));
      for (int p = 0; p < pieces; ++p) {
        LevelFace face;
        face.detail = true;
        face.material = column.material;
        const float y0 = column.bottom + (column.top - column.bottom) * p / pieces;
        const float y1 = column.bottom + (column.top - column.bottom) * (p + 1) / pieces;
        face.origin = {a[0], y0, a[1]};
        face.uAxis = {(b[0] - a[0]) / width, 0, (b[1] - a[1]) / width};
        face.vAxis = {0, 1, 0};
        face.front = {face.uAxis.z, 0, -face.uAxis.x};
        face.width = width;
        face.height = y1 - y0;
        face.textureOffset = around;
        faces.push_back(face);
      }
      around += width;
    }
  }
  return faces;
}

}  // namespace levelc
