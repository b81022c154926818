#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "compiler_steps.h"

namespace levelc {

namespace {

constexpr int kMaxLuxels = kPageSide - 2;  // one texel of border on each side

// Scene units covered by one repeat of each material's texture.
float textureSpan(Material material) {
  switch (material) {
    case Material::Brick:
    case Material::Tiles:
    case Material::Metal:
    case Material::Fire:
      return 64;
    case Material::Trim:
    case Material::Lamp:
      return 32;
    default:
      return 128;
  }
}

int luxelsAlong(float extent, float luxelSize) {
  return std::clamp(static_cast<int>(std::ceil(extent / luxelSize)) + 1, 2, kMaxLuxels);
}

// What stands between two points: the level's solid cells and its columns.
struct Occluders {
  const CellGrid& grid;
  const std::vector<Column>& columns;

  bool clear(Vec3f a, Vec3f b) const {
    if (!grid.segmentClear(a, b)) return false;
    for (const Column& column : columns)
      if (column.blocks(a, b)) return false;
    return true;
  }
};

Rgb lightAt(const LevelDescription& description, const Occluders& occluders, Vec3f p, Vec3f normal) {
  Rgb sum = description.ambient;
  for (const PointLight& light : description.lights) {
    const Vec3f toLight = light.position - p;
    const float distance = length(toLight);
    if (distance >= light.radius || distance <= 0.0f) continue;
    const float facing = dot(normal, toLight) / distance;
    if (facing <= 0.0f) continue;
    if (!occluders.clear(p, light.position)) continue;
    const float fade = 1.0f - distance / light.radius;
    // A little wrap keeps grazing walls from going black right beside a lamp.
    const float amount = light.intensity * fade * fade * (0.25f + 0.75f * facing);
    sum.r += light.colour.r * amount;
    sum.g += light.colour.g * amount;
    sum.b += light.colour.b * amount;
  }
  return sum;
}

// Share of short rays from p over the face's side that escape: corners and the feet of
// walls get less of the room's bounced light than open floor.
float openness(const Occluders& occluders, Vec3f p, Vec3f normal) {
  // A cone of eight directions around the normal, from two axes across it.
  const Vec3f across = std::abs(normal.y) > 0.5f ? Vec3f{1, 0, 0} : Vec3f{0, 1, 0};
  const Vec3f side{normal.y * across.z - normal.z * across.y, normal.z * across.x - normal.x * across.z,
                   normal.x * across.y - normal.y * across.x};
  constexpr float kReach = 20;
  int open = 0;
  for (int i = 0; i < 8; ++i) {
    const float a = i * 0.785398f;
    const Vec3f w = normal * 0.6f + across * (0.8f * std::cos(a)) + side * (0.8f * std::sin(a));
    open += occluders.clear(p, p + w * kReach);
  }
  return open / 8.0f;
}

std::uint8_t toByte(float v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L));
}

// Where the corners of the grid faces lie on each grid-aligned line: (varying axis, the two
// fixed coordinates) -> sorted positions along the line.
class Junctions {
 public:
  explicit Junctions(const std::vector<LevelFace>& faces) {
    for (const LevelFace& face : faces) {
      if (face.detail) continue;
      const int ua = (face.axis + 1) % 3, va = (face.axis + 2) % 3;
      for (int u : {face.u0, face.u1})
        for (int v : {face.v0, face.v1}) {
          std::array<int, 3> p{};
          p[face.axis] = face.plane;
          p[ua] = u;
          p[va] = v;
          for (int axis = 0; axis < 3; ++axis) lines_[key(axis, p)].push_back(p[axis]);
        }
    }
    for (auto& [line, positions] : lines_) {
      std::sort(positions.begin(), positions.end());
      positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    }
  }

  // Fractions (0..1, exclusive, in order from a to b) where corners lie on the edge a-b.
  std::vector<float> between(Vec3f a, Vec3f b) const {
    const std::array<float, 3> pa{a.x, a.y, a.z}, pb{b.x, b.y, b.z};
    int axis = -1;
    for (int i = 0; i < 3; ++i)
      if (pa[i] != pb[i]) axis = axis < 0 ? i : 3;
    if (axis < 0 || axis > 2) return {};
    std::array<int, 3> p{};
    for (int i = 0; i < 3; ++i) p[i] = static_cast<int>(std::lround(pa[i]));
    const auto it = lines_.find(key(axis, p));
    if (it == lines_.end()) return {};
    std::vector<float> result;
    const float lo = std::min(pa[axis], pb[axis]), hi = std::max(pa[axis], pb[axis]);
    for (int position : it->second)
      if (position > lo && position < hi) result.push_back((position - pa[axis]) / (pb[axis] - pa[axis]));
    std::sort(result.begin(), result.end());
    return result;
  }

 private:
  static std::array<int, 3> key(int axis, const std::array<int, 3>& p) {
    return {axis, p[(axis + 1) % 3], p[(axis + 2) % 3]};
  }
  std::map<std::array<int, 3>, std::vector<int>> lines_;
};

struct Shelf {
  int page = 0, x = 0, y = 0, height = 0;
};

}  // namespace

void bakeLightmaps(const LevelDescription& description, const CellGrid& grid,
                   CompiledLevel& level) {
  // Sizes first, then pack tallest first into shelves of 128 x 128 pages.
  for (LevelFace& face : level.faces) {
    float luxel = std::max(1.0f, description.luxelSize);
    const float longest = std::max(face.width, face.height);
    while (std::ceil(longest / luxel) + 1 > kMaxLuxels) luxel *= 1.25f;
    face.lightmapWidth = luxelsAlong(face.width, luxel);
    face.lightmapHeight = luxelsAlong(face.height, luxel);
  }
  std::vector<int> order(level.faces.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return level.faces[a].lightmapHeight > level.faces[b].lightmapHeight;
  });
  level.lightmaps.clear();
  Shelf shelf{-1, 0, 0, 0};
  for (int f : order) {
    LevelFace& face = level.faces[f];
    const int w = face.lightmapWidth + 2, h = face.lightmapHeight + 2;
    if (shelf.page < 0 || shelf.x + w > kPageSide) {
      shelf.x = 0;
      shelf.y += shelf.height;
      shelf.height = h;
      if (shelf.page < 0 || shelf.y + h > kPageSide) {
        level.lightmaps.emplace_back();
        level.lightmaps.back().fill(0);
        shelf.page = static_cast<int>(level.lightmaps.size()) - 1;
        shelf.y = 0;
      }
    }
    face.lightmap = shelf.page;
    face.lightmapX = shelf.x + 1;
    face.lightmapY = shelf.y + 1;
    shelf.x += w;
  }

  level.vertices.clear();
  const Occluders occluders{grid, description.columns};
  const Junctions junctions(level.faces);
  for (LevelFace& face : level.faces) {
    const Vec3f normal = face.front;
    const int w = face.lightmapWidth, h = face.lightmapHeight;
    LightmapPage& page = level.lightmaps[face.lightmap];
    const Block* block = face.block >= 0 ? &description.blocks[face.block] : nullptr;
    auto pointAt = [&](float u, float v) { return face.origin + face.uAxis * u + face.vAxis * v; };

    std::vector<Rgb> luxels(static_cast<std::size_t>(w) * h);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        Rgb c;
        if (block && block->emissive) {
          c = block->glow;
        } else {
          // Samples stay half a unit inside the face and in front of it, in the air.
          const float u = std::clamp(face.width * i / (w - 1), 0.5f, std::max(0.5f, face.width - 0.5f));
          const float v = std::clamp(face.height * j / (h - 1), 0.5f, std::max(0.5f, face.height - 0.5f));
          const Vec3f at = pointAt(u, v) + normal * 0.5f;
          c = lightAt(description, occluders, at, normal);
          const float k = description.brightness * (0.55f + 0.45f * openness(occluders, at, normal));
          c = {c.r * k, c.g * k, c.b * k};
        }
        luxels[static_cast<std::size_t>(j) * w + i] = c;
      }
    // The border repeats the edge texels so that filtering never reaches a neighbour.
    for (int y = -1; y <= h; ++y)
      for (int x = -1; x <= w; ++x) {
        const Rgb& c = luxels[static_cast<std::size_t>(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)];
        const std::size_t at = (static_cast<std::size_t>(face.lightmapY + y) * kPageSide + face.lightmapX + x) * 3;
        page[at] = toByte(c.r);
        page[at + 1] = toByte(c.g);
        page[at + 2] = toByte(c.b);
      }

    // Corners wound clockwise as seen from the front: the demo culls the other winding.
    const Vec3f turn{face.uAxis.y * face.vAxis.z - face.uAxis.z * face.vAxis.y,
                     face.uAxis.z * face.vAxis.x - face.uAxis.x * face.vAxis.z,
                     face.uAxis.x * face.vAxis.y - face.uAxis.y * face.vAxis.x};
    const std::array<std::array<float, 2>, 4> ccw{{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    const std::array<std::array<float, 2>, 4> cw{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
    const auto& corners = dot(turn, normal) > 0 ? cw : ccw;
    // The outline: the corners, and on each edge the corners of other faces that end there,
    // so that neighbouring faces share their vertices and no crack opens between them.
    std::vector<std::array<float, 2>> outline;
    for (int k = 0; k < 4; ++k) {
      const std::array<float, 2> from{corners[k][0] * face.width, corners[k][1] * face.height};
      const std::array<float, 2> to{corners[(k + 1) % 4][0] * face.width, corners[(k + 1) % 4][1] * face.height};
      outline.push_back(from);
      if (face.detail) continue;
      for (float along : junctions.between(pointAt(from[0], from[1]), pointAt(to[0], to[1]))) {
        const Vec3f q = pointAt(from[0], from[1]) + (pointAt(to[0], to[1]) - pointAt(from[0], from[1])) * along;
        outline.push_back({dot(q - face.origin, face.uAxis), dot(q - face.origin, face.vAxis)});
      }
    }
    face.firstVertex = static_cast<int>(level.vertices.size());
    face.vertexCount = static_cast<int>(outline.size());
    const float span = textureSpan(face.material);
    for (const auto& [u, v] : outline) {
      LevelVertex vertex;
      vertex.position = pointAt(u, v);
      vertex.normal = normal;
      const Vec3f& p = vertex.position;
      // Walls: s runs along the wall and t downwards, so the pictures stand upright.
      if (face.detail) {
        vertex.s = (face.textureOffset + u) / span;
        vertex.t = -p.y / span;
      } else if (face.axis == 1) {
        vertex.s = p.x / span;
        vertex.t = p.z / span;
      } else {
        vertex.s = (face.axis == 0 ? p.z : p.x) / span;
        vertex.t = -p.y / span;
      }
      const float fu = face.width > 0 ? u / face.width : 0, fv = face.height > 0 ? v / face.height : 0;
      vertex.ls = (face.lightmapX + 0.5f + fu * (w - 1)) / kPageSide;
      vertex.lt = (face.lightmapY + 0.5f + fv * (h - 1)) / kPageSide;
      level.vertices.push_back(vertex);
    }
  }
}

}  // namespace levelc
