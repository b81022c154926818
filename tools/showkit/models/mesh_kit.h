// A small toolkit for building triangle meshes from code: lofts and lathes, boxes, cylinders,
// spheres and extrusions, rigid transforms, smooth normals and texture coordinates placed
// into a region of a skin atlas. Meshes are z up and wound counter-clockwise seen from
// outside; the MD3 writer turns them into the file's winding.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace modelkit {

struct Vec2 {
  float x = 0, y = 0;
};

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline Vec3 operator*(float k, Vec3 a) { return a * k; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float length(Vec3 a);
Vec3 normalized(Vec3 a);  // (0, 0, 1) for a zero vector
Vec3 lerp(Vec3 a, Vec3 b, float t);

// A rigid (or scaled) placement: p' = axes * p + origin, the axes as columns.
struct Transform {
  std::array<Vec3, 3> axes{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
  Vec3 origin{};

  Vec3 apply(Vec3 p) const { return axes[0] * p.x + axes[1] * p.y + axes[2] * p.z + origin; }
  Vec3 applyVector(Vec3 v) const { return axes[0] * v.x + axes[1] * v.y + axes[2] * v.z; }

  static Transform translation(Vec3 t);
  static Transform scaling(Vec3 s);
  // Right-handed rotation by `degrees` about an axis through the origin.
  static Transform rotation(Vec3 axis, float degrees);
  static Transform rotationX(float degrees) { return rotation({1, 0, 0}, degrees); }
  static Transform rotationY(float degrees) { return rotation({0, 1, 0}, degrees); }
  static Transform rotationZ(float degrees) { return rotation({0, 0, 1}, degrees); }
};

// a * b: b first, then a.
Transform operator*(const Transform& a, const Transform& b);

using Triangle = std::array<int, 3>;

struct Mesh {
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  std::vector<Vec2> uvs;
  std::vector<Triangle> triangles;

  int vertexCount() const { return static_cast<int>(positions.size()); }
  void append(const Mesh& other);
};

// One cross-section of a loft: an ellipse of radii (rx, ry) around `centre`, in the plane
// z = centre.z.
struct Ring {
  Vec3 centre;
  float rx = 1, ry = 1;
};

// A tube through the rings (at least two), `segments` around; u runs around (seam at -x, the
// back of a model facing +x, duplicated), v along the rings by arc length. Ends closed with a fan when asked.
Mesh loft(std::span<const Ring> rings, int segments, bool closeStart, bool closeEnd);
// A tube along a path: sections of radii (x, y) perpendicular to the path, kept from
// twisting; a closed path joins its end to its start (rings, knots).
Mesh sweep(std::span<const Vec3> path, std::span<const Vec2> radii, int segments, bool closedPath,
           bool closeStart, bool closeEnd);
// A solid of revolution about z: profile points are (radius, z).
Mesh lathe(std::span<const Vec2> profile, int segments, bool closeStart, bool closeEnd);
// Axis-aligned box of half sizes `half` around the origin; each face maps the whole 0..1.
Mesh box(Vec3 half);
// Closed cylinder on z from 0 to height.
Mesh cylinder(float radius, float height, int segments);
// Capsule-like limb from the origin down -z: radius r0 at the top, r1 at the bottom.
Mesh limb(float length, float r0, float r1, int segments);
Mesh sphere(float radius, int rings, int segments);
// A flat polygon (counter-clockwise in x, y) extruded from z = 0 to z = depth, closed.
Mesh extrude(std::span<const Vec2> outline, float depth);

void transform(Mesh& mesh, const Transform& t);
// Area-weighted normals, shared between vertices at the same place so seams do not show,
// but not across creases sharper than 60 degrees.
void smoothNormals(Mesh& mesh);
// Moves the mesh's 0..1 texture coordinates into the rectangle (u0, v0)-(u1, v1) of an
// atlas (v grows down the picture).
void placeUv(Mesh& mesh, float u0, float v0, float u1, float v1);
// Texture coordinates from a planar projection along `axis` (0 = x, 1 = y, 2 = z) over the
// mesh's bounds, then placed like placeUv.
void projectUv(Mesh& mesh, int axis, float u0, float v0, float u1, float v1);

struct Bounds {
  Vec3 mins{}, maxs{};
};
Bounds bounds(std::span<const Vec3> points);

}  // namespace modelkit
