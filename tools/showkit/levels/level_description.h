// A level as its author describes it in code: rooms, halls and passages are boxes of air
// (their union is the walkable space, so an opening is simply two boxes that overlap or
// touch), blocks are solid boxes set into that space (pillars, lamps, trims), and point
// lights are baked into the lightmaps. Everything is in scene units with y up.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace levelc {

struct Vec3f {
  float x = 0, y = 0, z = 0;
};

inline Vec3f operator+(Vec3f a, Vec3f b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3f operator-(Vec3f a, Vec3f b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3f operator*(Vec3f a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float dot(Vec3f a, Vec3f b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float length(Vec3f a);

// Integer corners: the file stores leaf and node boxes as integers, so the grid the level
// is built on lies on whole units.
struct IntBox {
  std::array<int, 3> min{};
  std::array<int, 3> max{};
};

struct Rgb {
  float r = 1, g = 1, b = 1;
};

// The surface families the kit paints; each one is a shader of the level.
enum class Material { Stone, Brick, Floor, Tiles, Metal, Trim, Wood, Lamp, Fire, Water };
constexpr int kMaterialCount = 10;

// A box of air. Its walls, floor and ceiling take the room's materials where they border
// solid space; the lowest `trimHeight` units of its walls get `trim` and the highest
// `crownHeight` units get `crown` (0: none).
struct Room {
  std::string name;
  IntBox box;
  Material floor = Material::Floor;
  Material wall = Material::Stone;
  Material ceiling = Material::Stone;
  Material trim = Material::Trim;
  Material crown = Material::Metal;
  int trimHeight = 8;
  int crownHeight = 0;
};

// A solid box inside the air: pillars, beams, lamp housings. An emissive block's faces are
// lit by themselves (glow) instead of by the baked lights.
struct Block {
  IntBox box;
  Material material = Material::Stone;
  bool emissive = false;
  Rgb glow{1, 1, 1};
};

// A free-standing column: a vertical prism of `sides` sides around (x, z), from the floor
// at `bottom` to the ceiling at `top`. Columns are detail: they have faces and cast shadows
// but do not cut the level's tree, so the camera's checks keep clear of them separately.
struct Column {
  float x = 0, z = 0;
  float bottom = 0, top = 100;
  float radius = 12;
  int sides = 8;
  Material material = Material::Stone;

  // True when p is within `margin` of the column's volume.
  bool holds(Vec3f p, float margin) const;
  // True when the segment from a to b passes through the column.
  bool blocks(Vec3f a, Vec3f b) const;
  // Corner k of the cross-section (x, z); the first side faces -z.
  std::array<float, 2> corner(int k) const;
};

// Distance attenuation falls to zero at `radius`.
struct PointLight {
  Vec3f position;
  Rgb colour;
  float intensity = 1;
  float radius = 300;
};

struct LevelDescription {
  std::vector<Room> rooms;
  std::vector<Block> blocks;
  std::vector<Column> columns;
  std::vector<PointLight> lights;
  Rgb ambient{0.06f, 0.06f, 0.07f};
  float brightness = 1;  // the baked light is multiplied by this before it is stored
  float luxelSize = 8;   // scene units per lightmap texel, made larger on big faces
};

// Name of the shader (and, with ".jpg", of the texture file) of each material.
std::string shaderName(Material material);

}  // namespace levelc
