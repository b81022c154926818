#include "fx/procedural_meshes.h"

#include <cmath>
#include <limits>
#include <new>
#include <string>

#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "resources/jpeg_texture.h"

namespace fx {

namespace {

constexpr double kRadiansPerDegree = 0.017453292;  // the conversion the animations are tuned to
constexpr double kPi = 3.14159265358979323846;

constexpr const char* kGridError = "3D Object generation error";
constexpr const char* kGridDrawnError = "3D object generation error (vertex alloc)";
constexpr const char* kSphereError = "Sphere creation (vertex alloc)";
constexpr const char* kTextureError = "Texture not found";

std::size_t meshMemoryLimit = std::size_t{256} << 20;

// Sizes `array` to `count` zeroed elements, charging them to `used`; throws MeshError(error)
// for a negative count, a count past the memory limit or a failed allocation.
template <class T>
void allocate(std::vector<T>& array, std::int64_t count, std::size_t& used, const char* error) {
  if (count < 0) throw MeshError(error);
  const auto n = static_cast<std::uint64_t>(count);
  if (n > meshMemoryLimit / sizeof(T) || used + n * sizeof(T) > meshMemoryLimit) throw MeshError(error);
  try {
    array.assign(static_cast<std::size_t>(n), T{});
  } catch (const std::bad_alloc&) {
    throw MeshError(error);
  } catch (const std::length_error&) {
    throw MeshError(error);
  }
  used += static_cast<std::size_t>(n * sizeof(T));
}

// Bands of quads between neighbouring rings of `ringSize` vertices, the first ring starting at
// index `first`; each quad is split as (q + c, q, q + 1), (q + c, q + 1, q + c + 1), the last
// vertex of a ring closing on the first vertex of its ring and of the ring above.
void addBands(std::vector<MeshTriangle>& triangles, std::size_t& next, std::uint32_t first, int rings,
              int ringSize) {
  const auto c = static_cast<std::uint32_t>(ringSize);
  for (int ring = 0; ring + 1 < rings; ++ring) {
    const std::uint32_t start = first + static_cast<std::uint32_t>(ring) * c;
    for (std::uint32_t k = 0; k < c; ++k) {
      const std::uint32_t q = start + k;
      if (k + 1 < c) {
        triangles[next++] = {q + c, q, q + 1};
        triangles[next++] = {q + c, q + 1, q + c + 1};
      } else {
        triangles[next++] = {q + c, q, q - c + 1};
        triangles[next++] = {q + c, q - c + 1, q + 1};
      }
    }
  }
}

// Vertex indices are 32-bit.
bool indexable(std::int64_t vertexCount) {
  return vertexCount <= static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max());
}

}  // namespace

std::size_t setMeshMemoryLimit(std::size_t bytes) {
  const std::size_t previous = meshMemoryLimit;
  meshMemoryLimit = bytes;
  return previous;
}

MeshObject::~MeshObject() = default;

const std::vector<MeshTriangle>& MeshObject::trianglesOutside(const MaskedRect& masked) const {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Window position of every vertex; NaN for one at or behind the eye, whose triangles are kept.
  windowPoints_.resize(drawn_.size());
  for (std::size_t i = 0; i < drawn_.size(); ++i) {
    const MeshVertex& v = drawn_[i];
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r)
      eye[r] = modelview[r] * v.x + modelview[4 + r] * v.y + modelview[8 + r] * v.z + modelview[12 + r];
    for (int r = 0; r < 4; ++r)
      clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] + projection[12 + r] * eye[3];
    if (!(clip[3] > 1e-6)) {
      windowPoints_[i] = {std::nan(""), std::nan("")};
      continue;
    }
    windowPoints_[i] = {viewport[0] + (clip[0] / clip[3] + 1.0) * 0.5 * viewport[2],
                        viewport[1] + (clip[1] / clip[3] + 1.0) * 0.5 * viewport[3]};
  }
  auto inside = [&](std::uint32_t i) {
    const auto& p = windowPoints_[i];  // NaN compares false: never inside
    return p[0] >= masked.x0 && p[0] <= masked.x1 && p[1] >= masked.y0 && p[1] <= masked.y1;
  };
  // A triangle lies within the box of its corners, and the rectangle holds that box when it
  // holds the three corners.
  kept_.clear();
  for (const MeshTriangle& t : triangles_)
    if (!(inside(t[0]) && inside(t[1]) && inside(t[2]))) kept_.push_back(t);
  return kept_;
}

void MeshObject::draw(const MaskedRect* masked) const {
  if (drawn_.empty() || triangles_.empty()) return;
  glPushMatrix();
  glTranslatef(position_[0], position_[1], position_[2]);
  glRotatef(rotation_[0], 1, 0, 0);
  glRotatef(rotation_[1], 0, 1, 0);
  glRotatef(rotation_[2], 0, 0, 1);
  glPolygonMode(GL_FRONT_AND_BACK, polygonMode_);
  const std::vector<MeshTriangle>& triangles = masked ? trianglesOutside(*masked) : triangles_;
  // The triangles in their order through vertex arrays: the same vertices and texture
  // coordinates (x, z) as one glBegin/glEnd per triangle would give, in one call instead of
  // thousands. The caller's arrays (a level's, say) are put back afterwards.
  texCoords_.resize(drawn_.size() * 2);
  for (std::size_t i = 0; i < drawn_.size(); ++i) {
    texCoords_[2 * i] = drawn_[i].x;
    texCoords_[2 * i + 1] = drawn_[i].z;
  }
  {
    const platform::ScopedClientArrays arrays;
    glVertexPointer(3, GL_DOUBLE, sizeof(MeshVertex), drawn_.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glTexCoordPointer(2, GL_DOUBLE, 0, texCoords_.data());
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (polygonMode_ == GL_LINE && !glIsEnabled(GL_CULL_FACE)) {
      // With nothing culled, a triangle in line mode is its three edges, from the third
      // corner round, as the driver would draw them; given as lines they skip its slow
      // polygon-to-line stage (the ring mesh's fine lines, the same pixels).
      edges_.clear();
      for (const MeshTriangle& t : triangles) edges_.insert(edges_.end(), {t[2], t[0], t[0], t[1], t[1], t[2]});
      if (!edges_.empty())
        glDrawElements(GL_LINES, static_cast<GLsizei>(edges_.size()), GL_UNSIGNED_INT, edges_.data());
    } else if (!triangles.empty()) {
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(triangles.size() * 3), GL_UNSIGNED_INT, triangles.data());
    }
  }
  glPopMatrix();
}

// ---------------------------------------------------------------------------------------------

WaveGrid::WaveGrid(float radius, int rows, float pitch, int ringSize)
    : radius_(radius), rows_(rows), ringSize_(ringSize) {
  if (rows < 1 || ringSize < 1) throw MeshError(kGridError);
  const std::int64_t vertexCount = std::int64_t{rows} * ringSize;
  const std::int64_t triangleCount = 2 * (std::int64_t{rows} - 1) * ringSize;
  if (!indexable(vertexCount)) throw MeshError(kGridError);
  std::size_t used = 0;
  allocate(base_, vertexCount, used, kGridError);
  allocate(triangles_, triangleCount, used, kGridError);

  // Rows from the whole part of -rows/2 while below rows/2: -12..12 for 25 rows, -12..11 for 24.
  const double angleStep = 360.0 / ringSize;
  std::size_t at = 0;
  for (int r = static_cast<int>(-rows / 2.0); r < rows / 2.0; ++r)
    for (int k = 0; k < ringSize; ++k) {
      const double angle = k * angleStep * kRadiansPerDegree;
      base_[at++] = {radius * std::sin(angle), r * static_cast<double>(pitch), radius * std::cos(angle)};
    }

  std::size_t next = 0;
  addBands(triangles_, next, 0, rows, ringSize);

  allocate(drawn_, vertexCount, used, kGridDrawnError);
}

void WaveGrid::animate(double t) {
  const double g = 0.2 * std::sin(2 * t) + 0.6;
  for (int i = 0; i < rows_; ++i) {
    const double s = std::sin(t + 20.0 * i * kRadiansPerDegree);
    const double turn = 120.0 * std::sin(t + 13.0 * i * kRadiansPerDegree) * kRadiansPerDegree;
    const double cosTurn = std::cos(turn);
    const double sinTurn = std::sin(turn);
    for (int k = 0; k < ringSize_; ++k) {
      const std::size_t index = static_cast<std::size_t>(i) * ringSize_ + k;
      const MeshVertex& p = base_[index];
      const double x = (1 - 0.5 * s) * p.x;
      const double z = (g * s + 1) * p.z;
      drawn_[index] = {x * cosTurn - z * sinTurn, p.y + 0.5 * std::sin(t + 8.0 * k * kRadiansPerDegree),
                       z * cosTurn + x * sinTurn};
    }
  }
}

// ---------------------------------------------------------------------------------------------

WobbleSphere::WobbleSphere(float radius, int slices, int stacks)
    : radius_(radius), slices_(slices), stacks_(stacks) {
  texture_ = resources::loadJpegTexture(kTexturePath);
  if (texture_.empty()) throw MeshError(kTextureError);
  try {
    build();
  } catch (...) {
    resources::releaseTexture(texture_);
    throw;
  }
}

WobbleSphere::WobbleSphere(float radius, int slices, int stacks, resources::TextureRecord texture)
    : radius_(radius), slices_(slices), stacks_(stacks), texture_(texture) {
  build();
}

void WobbleSphere::build() {
  if (slices_ < 1 || stacks_ < 1) throw MeshError(kSphereError);
  const std::int64_t vertexCount = std::int64_t{slices_} * stacks_ + 2;
  const std::int64_t triangleCount = 2 * std::int64_t{slices_} * stacks_;
  if (!indexable(vertexCount)) throw MeshError(kSphereError);
  std::size_t used = 0;
  allocate(base_, vertexCount, used, kSphereError);
  allocate(triangles_, triangleCount, used, kSphereError);
  allocate(drawn_, vertexCount, used, kSphereError);

  const double latitudeStep = 180.0 / (stacks_ + 1);
  const double longitudeStep = 360.0 / slices_;
  base_.front() = {0, -radius_, 0};
  base_.back() = {0, radius_, 0};
  std::size_t at = 1;
  for (int j = 0; j < stacks_; ++j) {
    const double latitude = ((j + 1) * latitudeStep - 90.0) * kRadiansPerDegree;
    for (int k = 0; k < slices_; ++k) {
      const double longitude = k * longitudeStep * kRadiansPerDegree;
      base_[at++] = {radius_ * std::cos(latitude) * std::sin(longitude), radius_ * std::sin(latitude),
                     radius_ * std::cos(latitude) * std::cos(longitude)};
    }
  }

  const auto c = static_cast<std::uint32_t>(slices_);
  const auto north = static_cast<std::uint32_t>(vertexCount - 1);
  std::size_t next = 0;
  for (std::uint32_t k = 1; k < c; ++k) triangles_[next++] = {k + 1, k, 0};
  triangles_[next++] = {1, c, 0};
  const std::uint32_t top = 1 + static_cast<std::uint32_t>(stacks_ - 1) * c;  // first of the last ring
  for (std::uint32_t w = top; w + 1 < top + c; ++w) triangles_[next++] = {north, w, w + 1};
  triangles_[next++] = {north, top + c - 1, top};
  addBands(triangles_, next, 1, stacks_, slices_);
}

double wobbleFactor(double radius, double x, double longitude, double latitude, bool calm) {
  const double m = std::cos(4 * longitude * kRadiansPerDegree + x) *
                       std::sin(x + 8 * latitude * kRadiansPerDegree) * 1.4 +
                   0.8 * std::sin(x + 3 * latitude * kRadiansPerDegree);
  if (calm) return radius + 0.1 * m;
  return radius + 0.6 * m * std::sin(x + 3 * (longitude + latitude) * kRadiansPerDegree);
}

void WobbleSphere::animate(double x, bool calm) {
  if (base_.empty()) return;
  const double latitudeStep = 180.0 / (stacks_ + 1);
  const double longitudeStep = 360.0 / slices_;
  auto scaled = [](const MeshVertex& v, double factor) {
    return MeshVertex{factor * v.x, factor * v.y, factor * v.z};
  };
  // Latitudes from the index rather than by summing steps, so every ring up to the topmost one
  // is reached whatever the rounding; the poles ripple with longitude 0 of their latitude.
  std::size_t at = 1;
  for (int j = 0; j < stacks_; ++j) {
    const double latitude = (j + 1) * latitudeStep - 90.0;
    for (int k = 0; k < slices_; ++k, ++at)
      drawn_[at] = scaled(base_[at], wobbleFactor(radius_, x, k * longitudeStep, latitude, calm));
  }
  drawn_.front() = scaled(base_.front(), wobbleFactor(radius_, x, 0, -90.0, calm));
  drawn_.back() = scaled(base_.back(), wobbleFactor(radius_, x, 0, 90.0, calm));
}

void WobbleSphere::draw(const MaskedRect* masked) const {
  platform::glext.activeTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture_.name);
  glEnable(GL_TEXTURE_2D);
  MeshObject::draw(masked);
}

void WobbleSphere::destroy() { resources::releaseTexture(texture_); }

// ---------------------------------------------------------------------------------------------

std::vector<std::vector<StripVertex>> stripSphereStrips(float radius, int n) {
  std::vector<std::vector<StripVertex>> strips;
  if (n < 2) return strips;
  const int half = n / 2;
  auto vertex = [&](double latitude, int j, float t) {
    const double longitude = 2 * kPi * j / n;
    const auto nx = static_cast<float>(std::cos(latitude) * std::cos(longitude));
    const auto ny = static_cast<float>(std::sin(latitude));
    const auto nz = static_cast<float>(std::cos(latitude) * std::sin(longitude));
    return StripVertex{nx, ny, nz, static_cast<float>(j) / n, t, radius * nx, radius * ny, radius * nz};
  };
  strips.reserve(static_cast<std::size_t>(half));
  for (int i = 0; i < half; ++i) {
    const double l0 = kPi * i / half - kPi / 2;
    const double l1 = kPi * (i + 1) / half - kPi / 2;
    std::vector<StripVertex> strip;
    strip.reserve(2 * static_cast<std::size_t>(n + 1));
    for (int j = 0; j <= n; ++j) {
      strip.push_back(vertex(l0, j, 2.0f * i / n));
      strip.push_back(vertex(l1, j, (2.0f * i + 2) / n));
    }
    strips.push_back(std::move(strip));
  }
  return strips;
}

void drawStripSphere(float radius, int n) {
  glDisable(GL_CULL_FACE);
  for (const auto& strip : stripSphereStrips(radius, n)) {
    glBegin(GL_TRIANGLE_STRIP);
    for (const StripVertex& v : strip) {
      glNormal3f(v.nx, v.ny, v.nz);
      glTexCoord2f(v.s, v.t);
      glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
  }
  glEnable(GL_CULL_FACE);
}

}  // namespace fx
