#include "mesh_kit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace modelkit {

namespace {

constexpr float kPi = 3.14159265358979f;

Vec3 faceNormal(const Mesh& mesh, const Triangle& t) {
  const Vec3 a = mesh.positions[static_cast<size_t>(t[0])];
  return cross(mesh.positions[static_cast<size_t>(t[1])] - a, mesh.positions[static_cast<size_t>(t[2])] - a);
}

void addCap(Mesh& mesh, int ringStart, int segments, Vec3 centre, bool facingUp) {
  const int c = mesh.vertexCount();
  mesh.positions.push_back(centre);
  mesh.uvs.push_back({0.5f, 0.5f});
  // The cap gets its own ring of vertices so its flat face does not bend the side's normals.
  const int first = mesh.vertexCount();
  for (int j = 0; j < segments; ++j) {
    const Vec3 p = mesh.positions[static_cast<size_t>(ringStart + j)];
    mesh.positions.push_back(p);
    const float a = 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
    mesh.uvs.push_back({0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
  }
  for (int j = 0; j < segments; ++j) {
    const int p0 = first + j, p1 = first + (j + 1) % segments;
    mesh.triangles.push_back(facingUp ? Triangle{c, p0, p1} : Triangle{c, p1, p0});
  }
}

}  // namespace

float length(Vec3 a) { return std::sqrt(dot(a, a)); }

Vec3 normalized(Vec3 a) {
  const float l = length(a);
  return l > 1e-12f ? a * (1 / l) : Vec3{0, 0, 1};
}

Vec3 lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

Transform Transform::translation(Vec3 t) {
  Transform r;
  r.origin = t;
  return r;
}

Transform Transform::scaling(Vec3 s) {
  Transform r;
  r.axes = {Vec3{s.x, 0, 0}, Vec3{0, s.y, 0}, Vec3{0, 0, s.z}};
  return r;
}

Transform Transform::rotation(Vec3 axis, float degrees) {
  const Vec3 u = normalized(axis);
  const float a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a), k = 1 - c;
  Transform r;
  // Columns of the rotation matrix (Rodrigues).
  r.axes[0] = {c + u.x * u.x * k, u.y * u.x * k + u.z * s, u.z * u.x * k - u.y * s};
  r.axes[1] = {u.x * u.y * k - u.z * s, c + u.y * u.y * k, u.z * u.y * k + u.x * s};
  r.axes[2] = {u.x * u.z * k + u.y * s, u.y * u.z * k - u.x * s, c + u.z * u.z * k};
  return r;
}

Transform operator*(const Transform& a, const Transform& b) {
  Transform r;
  for (int i = 0; i < 3; ++i) r.axes[static_cast<size_t>(i)] = a.applyVector(b.axes[static_cast<size_t>(i)]);
  r.origin = a.apply(b.origin);
  return r;
}

void Mesh::append(const Mesh& other) {
  const int base = vertexCount();
  positions.insert(positions.end(), other.positions.begin(), other.positions.end());
  normals.insert(normals.end(), other.normals.begin(), other.normals.end());
  uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
  for (Triangle t : other.triangles) triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
  normals.resize(positions.size());
  uvs.resize(positions.size());
}

Mesh loft(std::span<const Ring> rings, int segments, bool closeStart, bool closeEnd) {
  Mesh mesh;
  const int n = static_cast<int>(rings.size());
  if (n < 2 || segments < 3) return mesh;
  std::vector<float> along(static_cast<size_t>(n), 0.0f);
  for (int i = 1; i < n; ++i) {
    const Ring& a = rings[static_cast<size_t>(i - 1)];
    const Ring& b = rings[static_cast<size_t>(i)];
    const float dr = (b.rx + b.ry - a.rx - a.ry) * 0.5f;
    along[static_cast<size_t>(i)] = along[static_cast<size_t>(i - 1)] + std::sqrt(dot(b.centre - a.centre, b.centre - a.centre) + dr * dr);
  }
  const float total = along.back() > 0 ? along.back() : 1;
  for (int i = 0; i < n; ++i) {
    const Ring& r = rings[static_cast<size_t>(i)];
    for (int j = 0; j <= segments; ++j) {
      const float a = kPi + 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
      mesh.positions.push_back(r.centre + Vec3{r.rx * std::cos(a), r.ry * std::sin(a), 0});
      mesh.uvs.push_back({static_cast<float>(j) / static_cast<float>(segments), along[static_cast<size_t>(i)] / total});
    }
  }
  // Rings that run down z turn the surface inside out; swap the winding back.
  const bool down = rings.back().centre.z < rings.front().centre.z;
  const int stride = segments + 1;
  for (int i = 0; i + 1 < n; ++i)
    for (int j = 0; j < segments; ++j) {
      const int v00 = i * stride + j, v01 = v00 + 1, v10 = v00 + stride, v11 = v10 + 1;
      if (!down) {
        mesh.triangles.push_back({v00, v01, v11});
        mesh.triangles.push_back({v00, v11, v10});
      } else {
        mesh.triangles.push_back({v00, v11, v01});
        mesh.triangles.push_back({v00, v10, v11});
      }
    }
  if (closeStart) addCap(mesh, 0, segments, rings.front().centre, down);
  if (closeEnd) addCap(mesh, (n - 1) * stride, segments, rings.back().centre, !down);
  smoothNormals(mesh);
  return mesh;
}

Mesh sweep(std::span<const Vec3> path, std::span<const Vec2> radii, int segments, bool closedPath,
           bool closeStart, bool closeEnd) {
  Mesh mesh;
  const int n = static_cast<int>(path.size());
  if (n < 2 || segments < 3 || radii.size() != path.size()) return mesh;
  const auto point = [&](int i) {
    if (closedPath) return path[static_cast<size_t>((i % n + n) % n)];
    return path[static_cast<size_t>(std::clamp(i, 0, n - 1))];
  };
  std::vector<Vec3> tangent(static_cast<size_t>(n)), normal(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) tangent[static_cast<size_t>(i)] = normalized(point(i + 1) - point(i - 1));
  // Parallel transport keeps the sections from twisting along the path.
  const Vec3 t0 = tangent[0];
  Vec3 n0 = std::fabs(t0.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
  n0 = normalized(n0 - t0 * dot(n0, t0));
  normal[0] = n0;
  for (int i = 1; i < n; ++i) {
    const Vec3 t = tangent[static_cast<size_t>(i)], prev = normal[static_cast<size_t>(i - 1)];
    normal[static_cast<size_t>(i)] = normalized(prev - t * dot(prev, t));
  }
  if (closedPath) {
    // Spread the twist left over at the closing point along the whole loop.
    const Vec3 last = normalized(normal.back() - t0 * dot(normal.back(), t0));
    const float twist = std::atan2(dot(cross(last, n0), t0), dot(last, n0));
    for (int i = 0; i < n; ++i) {
      const Vec3 t = tangent[static_cast<size_t>(i)];
      const float a = twist * static_cast<float>(i) / static_cast<float>(n);
      const Vec3 nn = normal[static_cast<size_t>(i)], bb = cross(t, nn);
      normal[static_cast<size_t>(i)] = nn * std::cos(a) + bb * std::sin(a);
    }
  }
  std::vector<float> along(static_cast<size_t>(n + 1), 0.0f);
  for (int i = 1; i <= n; ++i) along[static_cast<size_t>(i)] = along[static_cast<size_t>(i - 1)] + length(point(i) - point(i - 1));
  const int ringCount = closedPath ? n + 1 : n;
  const float total = along[static_cast<size_t>(closedPath ? n : n - 1)];
  for (int i = 0; i < ringCount; ++i) {
    const int k = i % n;
    const Vec3 t = tangent[static_cast<size_t>(k)], nn = normal[static_cast<size_t>(k)], bb = cross(t, nn);
    const Vec2 r = radii[static_cast<size_t>(k)];
    for (int j = 0; j <= segments; ++j) {
      const float a = kPi + 2 * kPi * static_cast<float>(j) / static_cast<float>(segments);
      mesh.positions.push_back(point(k) + nn * (r.x * std::cos(a)) + bb * (r.y * std::sin(a)));
      mesh.uvs.push_back({static_cast<float>(j) / static_cast<float>(segments), total > 0 ? along[static_cast<size_t>(i)] / total : 0});
    }
  }
  const int stride = segments + 1;
  for (int i = 0; i + 1 < ringCount; ++i)
    for (int j = 0; j < segments; ++j) {
      const int v00 = i * stride + j, v01 = v00 + 1, v10 = v00 + stride, v11 = v10 + 1;
      mesh.triangles.push_back({v00, v01, v11});
      mesh.triangles.push_back({v00, v11, v10});
    }
  if (!closedPath) {
    if (closeStart) addCap(mesh, 0, segments, path.front(), false);
    if (closeEnd) addCap(mesh, (n - 1) * stride, segments, path.back(), true);
  }
  smoothNormals(mesh);
  return mesh;
}

Mesh lathe(std::span<const Vec2> profile, int segments, bool closeStart, bool closeEnd) {
  std::vector<Ring> rings;
  for (Vec2 p : profile) rings.push_back({{0, 0, p.y}, p.x, p.x});
  return loft(rings, segments, closeStart, closeEnd);
}

Mesh box(Vec3 h) {
  Mesh mesh;
  // Each face: outward normal and two in-face axes (u, v) with u x v = normal.
  const struct Face {
    Vec3 n, u, v;
  } faces[] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
               {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
               {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}}};
  const auto scale = [&](Vec3 v) { return Vec3{v.x * h.x, v.y * h.y, v.z * h.z}; };
  for (const Face& f : faces) {
    const int base = mesh.vertexCount();
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
      mesh.positions.push_back(scale(f.n + f.u * c[0] + f.v * c[1]));
      mesh.normals.push_back(f.n);
      mesh.uvs.push_back({(c[0] + 1) * 0.5f, (1 - c[1]) * 0.5f});
    }
    mesh.triangles.push_back({base, base + 1, base + 2});
    mesh.triangles.push_back({base, base + 2, base + 3});
  }
  return mesh;
}

Mesh cylinder(float radius, float height, int segments) {
  const Ring rings[] = {{{0, 0, 0}, radius, radius}, {{0, 0, height}, radius, radius}};
  return loft(rings, segments, true, true);
}

Mesh limb(float length, float r0, float r1, int segments) {
  // Rounded ends: a few rings of a half-ellipse at each end, then the tapering shaft.
  std::vector<Ring> rings;
  const int endRings = 3;
  for (int k = 0; k <= endRings; ++k) {
    const float a = kPi / 2 * static_cast<float>(k) / endRings;  // 0 at the pole
    rings.push_back({{0, 0, -length - r1 * std::cos(a)}, std::max(r1 * std::sin(a), 0.05f * r1), std::max(r1 * std::sin(a), 0.05f * r1)});
  }
  // A few rings along the shaft, so the taper and the lighting follow the length.
  for (int k = 1; k < 4; ++k) {
    const float t = static_cast<float>(k) / 4;
    const float r = r1 + (r0 - r1) * t;
    rings.push_back({{0, 0, -length * (1 - t)}, r, r});
  }
  for (int k = endRings; k >= 0; --k) {
    const float a = kPi / 2 * static_cast<float>(k) / endRings;
    rings.push_back({{0, 0, r0 * std::cos(a)}, std::max(r0 * std::sin(a), 0.05f * r0), std::max(r0 * std::sin(a), 0.05f * r0)});
  }
  return loft(rings, segments, true, true);
}

Mesh sphere(float radius, int ringCount, int segments) {
  std::vector<Vec2> profile;
  for (int k = 0; k <= ringCount; ++k) {
    const float a = kPi * static_cast<float>(k) / static_cast<float>(ringCount);
    profile.push_back({std::max(radius * std::sin(a), radius * 0.01f), -radius * std::cos(a)});
  }
  return lathe(profile, segments, true, true);
}

Mesh extrude(std::span<const Vec2> outline, float depth) {
  Mesh mesh;
  const int n = static_cast<int>(outline.size());
  if (n < 3) return mesh;
  Vec2 lo = outline[0], hi = outline[0];
  for (Vec2 p : outline) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  }
  const float sx = hi.x > lo.x ? hi.x - lo.x : 1, sy = hi.y > lo.y ? hi.y - lo.y : 1;
  // Top and bottom: fans around the centroid (the outlines used here are star-shaped).
  Vec2 c{};
  for (Vec2 p : outline) c = {c.x + p.x / static_cast<float>(n), c.y + p.y / static_cast<float>(n)};
  for (int side = 0; side < 2; ++side) {
    const float z = side == 0 ? 0 : depth;
    const int base = mesh.vertexCount();
    mesh.positions.push_back({c.x, c.y, z});
    mesh.uvs.push_back({(c.x - lo.x) / sx, (hi.y - c.y) / sy});
    for (Vec2 p : outline) {
      mesh.positions.push_back({p.x, p.y, z});
      mesh.uvs.push_back({(p.x - lo.x) / sx, (hi.y - p.y) / sy});
    }
    for (int i = 0; i < n; ++i) {
      const int a = base + 1 + i, b = base + 1 + (i + 1) % n;
      mesh.triangles.push_back(side == 1 ? Triangle{base, a, b} : Triangle{base, b, a});
    }
  }
  // Walls: one quad per outline edge with its own vertices (hard edges).
  float perimeter = 0;
  for (int i = 0; i < n; ++i) {
    const Vec2 a = outline[static_cast<size_t>(i)], b = outline[static_cast<size_t>((i + 1) % n)];
    perimeter += std::hypot(b.x - a.x, b.y - a.y);
  }
  float run = 0;
  for (int i = 0; i < n; ++i) {
    const Vec2 a = outline[static_cast<size_t>(i)], b = outline[static_cast<size_t>((i + 1) % n)];
    const float len = std::hypot(b.x - a.x, b.y - a.y);
    const int base = mesh.vertexCount();
    mesh.positions.insert(mesh.positions.end(), {{a.x, a.y, 0}, {b.x, b.y, 0}, {b.x, b.y, depth}, {a.x, a.y, depth}});
    const float u0 = run / perimeter, u1 = (run + len) / perimeter;
    mesh.uvs.insert(mesh.uvs.end(), {{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}});
    mesh.triangles.push_back({base, base + 1, base + 2});
    mesh.triangles.push_back({base, base + 2, base + 3});
    run += len;
  }
  mesh.normals.assign(mesh.positions.size(), {});
  for (const Triangle& t : mesh.triangles) {
    const Vec3 f = normalized(faceNormal(mesh, t));
    for (int k : t) mesh.normals[static_cast<size_t>(k)] = f;
  }
  return mesh;
}

void transform(Mesh& mesh, const Transform& t) {
  for (Vec3& p : mesh.positions) p = t.apply(p);
  // A mirroring transform would turn the surface inside out: keep the winding outward.
  const float det = dot(t.axes[0], cross(t.axes[1], t.axes[2]));
  if (det < 0)
    for (Triangle& tri : mesh.triangles) std::swap(tri[1], tri[2]);
  // Normals through the inverse transpose (the cofactor matrix, up to scale).
  const Vec3 c0 = cross(t.axes[1], t.axes[2]), c1 = cross(t.axes[2], t.axes[0]), c2 = cross(t.axes[0], t.axes[1]);
  const float sign = det < 0 ? -1.0f : 1.0f;
  for (Vec3& n : mesh.normals) n = normalized((c0 * n.x + c1 * n.y + c2 * n.z) * sign);
}

void smoothNormals(Mesh& mesh) {
  const size_t n = mesh.positions.size();
  // Each vertex first takes the faces it belongs to; then the faces of other vertices at the
  // same place join in when they bend less than 60 degrees from that, so seams shade alike
  // while creases (a rim on a hull, a box's edges) stay sharp.
  std::vector<Vec3> own(n);
  std::vector<Vec3> faces;
  faces.reserve(mesh.triangles.size());
  for (const Triangle& t : mesh.triangles) {
    const Vec3 f = faceNormal(mesh, t);  // length = twice the area: area weighting
    faces.push_back(f);
    for (int k : t) own[static_cast<size_t>(k)] = own[static_cast<size_t>(k)] + f;
  }
  std::map<std::tuple<long, long, long>, std::vector<int>> facesAt;
  const auto key = [&](size_t i) {
    const Vec3 p = mesh.positions[i];
    return std::make_tuple(std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000));
  };
  for (size_t f = 0; f < mesh.triangles.size(); ++f)
    for (int k : mesh.triangles[f]) facesAt[key(static_cast<size_t>(k))].push_back(static_cast<int>(f));
  mesh.normals.assign(n, Vec3{});
  for (size_t i = 0; i < n; ++i) {
    const Vec3 mine = normalized(own[i]);
    Vec3 sum{};
    const auto found = facesAt.find(key(i));
    if (found != facesAt.end())
      for (int f : found->second)
        if (dot(normalized(faces[static_cast<size_t>(f)]), mine) > 0.5f) sum = sum + faces[static_cast<size_t>(f)];
    mesh.normals[i] = normalized(length(sum) > 0 ? sum : own[i]);
  }
}

void placeUv(Mesh& mesh, float u0, float v0, float u1, float v1) {
  for (Vec2& uv : mesh.uvs) uv = {u0 + (u1 - u0) * uv.x, v0 + (v1 - v0) * uv.y};
}

void projectUv(Mesh& mesh, int axis, float u0, float v0, float u1, float v1) {
  const Bounds b = bounds(mesh.positions);
  const auto pick = [&](Vec3 p, int i) { return i == 0 ? p.x : (i == 1 ? p.y : p.z); };
  const int ua = axis == 0 ? 1 : 0, va = axis == 2 ? 1 : 2;
  const float lu = pick(b.mins, ua), hu = pick(b.maxs, ua), lv = pick(b.mins, va), hv = pick(b.maxs, va);
  mesh.uvs.resize(mesh.positions.size());
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vec3 p = mesh.positions[i];
    const float u = hu > lu ? (pick(p, ua) - lu) / (hu - lu) : 0.5f;
    const float v = hv > lv ? (hv - pick(p, va)) / (hv - lv) : 0.5f;
    mesh.uvs[i] = {u0 + (u1 - u0) * u, v0 + (v1 - v0) * v};
  }
}

Bounds bounds(std::span<const Vec3> points) {
  Bounds b;
  if (points.empty()) return b;
  b.mins = b.maxs = points[0];
  for (Vec3 p : points) {
    b.mins = {std::min(b.mins.x, p.x), std::min(b.mins.y, p.y), std::min(b.mins.z, p.z)};
    b.maxs = {std::max(b.maxs.x, p.x), std::max(b.maxs.y, p.y), std::max(b.maxs.z, p.z)};
  }
  return b;
}

}  // namespace modelkit
