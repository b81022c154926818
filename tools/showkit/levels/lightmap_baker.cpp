#include <algorithm>
#include <cmath>
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

int luxelsAlong(int extent, float luxelSize) {
  return std::clamp(static_cast<int>(std::ceil(extent / luxelSize)) + 1, 2, kMaxLuxels);
}

Rgb lightAt(const LevelDescription& description, const CellGrid& grid, Vec3f p, Vec3f normal) {
  Rgb sum = description.ambient;
  for (const PointLight& light : description.lights) {
    const Vec3f toLight = light.position - p;
    const float distance = length(toLight);
    if (distance >= light.radius || distance <= 0.0f) continue;
    const float facing = dot(normal, toLight) / distance;
    if (facing <= 0.0f) continue;
    if (!grid.segmentClear(p, light.position)) continue;
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
float openness(const CellGrid& grid, Vec3f p, Vec3f normal) {
  static const std::array<Vec3f, 8> kDirections = [] {
    std::array<Vec3f, 8> d{};
    for (int i = 0; i < 8; ++i) {
      const float a = i * 0.785398f;
      d[i] = {std::cos(a) * 0.8f, 0.6f, std::sin(a) * 0.8f};  // a cone around +y
    }
    return d;
  }();
  constexpr float kReach = 20;
  int open = 0;
  for (const Vec3f& d : kDirections) {
    // Turn the cone from +y onto the normal.
    Vec3f w;
    if (normal.y != 0)
      w = {d.x, d.y * normal.y, d.z};
    else if (normal.x != 0)
      w = {d.y * normal.x, d.x, d.z};
    else
      w = {d.x, d.z, d.y * normal.z};
    open += grid.segmentClear(p, p + w * kReach);
  }
  return static_cast<float>(open) / kDirections.size();
}

std::uint8_t toByte(float v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L));
}

struct Shelf {
  int page = 0, x = 0, y = 0, height = 0;
};

}  // namespace

void bakeLightmaps(const LevelDescription& description, const CellGrid& grid,
                   CompiledLevel& level) {
  // Sizes first, then pack tallest first into shelves of 128 x 128 pages.
  for (LevelFace& face : level.faces) {
    float luxel = std::max(1.0f, description.luxelSize);
    const int longest = std::max(face.u1 - face.u0, face.v1 - face.v0);
    while (std::ceil(longest / luxel) + 1 > kMaxLuxels) luxel *= 1.25f;
    face.lightmapWidth = luxelsAlong(face.u1 - face.u0, luxel);
    face.lightmapHeight = luxelsAlong(face.v1 - face.v0, luxel);
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
  for (LevelFace& face : level.faces) {
    const int axis = face.axis, ua = (axis + 1) % 3, va = (axis + 2) % 3;
    const Vec3f normal = face.normal();
    const int w = face.lightmapWidth, h = face.lightmapHeight;
    LightmapPage& page = level.lightmaps[face.lightmap];
    const Block* block = face.block >= 0 ? &description.blocks[face.block] : nullptr;

    std::vector<Rgb> luxels(static_cast<std::size_t>(w) * h);
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) {
        Rgb c;
        if (block && block->emissive) {
          c = block->glow;
        } else {
          std::array<float, 3> p{};
          const float du = static_cast<float>(face.u1 - face.u0), dv = static_cast<float>(face.v1 - face.v0);
          // Samples stay half a unit inside the face and in front of it, in the air.
          p[axis] = face.plane + 0.5f * face.side;
          p[ua] = std::clamp(face.u0 + du * i / (w - 1), face.u0 + 0.5f, face.u1 - 0.5f);
          p[va] = std::clamp(face.v0 + dv * j / (h - 1), face.v0 + 0.5f, face.v1 - 0.5f);
          const Vec3f at{p[0], p[1], p[2]};
          c = lightAt(description, grid, at, normal);
          const float k = description.brightness * (0.55f + 0.45f * openness(grid, at, normal));
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

    // Corners wound clockwise as seen from the air side: the demo culls the other winding.
    const std::array<std::array<int, 2>, 4> ccw{{{face.u0, face.v0}, {face.u1, face.v0}, {face.u1, face.v1}, {face.u0, face.v1}}};
    const std::array<std::array<int, 2>, 4> cw{{{face.u0, face.v0}, {face.u0, face.v1}, {face.u1, face.v1}, {face.u1, face.v0}}};
    const auto& corners = face.side > 0 ? cw : ccw;
    face.firstVertex = static_cast<int>(level.vertices.size());
    const float span = textureSpan(face.material);
    for (const auto& corner : corners) {
      std::array<float, 3> p{};
      p[axis] = static_cast<float>(face.plane);
      p[ua] = static_cast<float>(corner[0]);
      p[va] = static_cast<float>(corner[1]);
      LevelVertex vertex;
      vertex.position = {p[0], p[1], p[2]};
      vertex.normal = normal;
      // Walls: s runs along the wall and t downwards, so the pictures stand upright.
      if (axis == 1) {
        vertex.s = p[0] / span;
        vertex.t = p[2] / span;
      } else {
        vertex.s = (axis == 0 ? p[2] : p[0]) / span;
        vertex.t = -p[1] / span;
      }
      const float fu = face.u1 > face.u0 ? static_cast<float>(corner[0] - face.u0) / (face.u1 - face.u0) : 0;
      const float fv = face.v1 > face.v0 ? static_cast<float>(corner[1] - face.v0) / (face.v1 - face.v0) : 0;
      vertex.ls = (face.lightmapX + 0.5f + fu * (w - 1)) / kPageSide;
      vertex.lt = (face.lightmapY + 0.5f + fv * (h - 1)) / kPageSide;
      level.vertices.push_back(vertex);
    }
  }
}

}  // namespace levelc
