// The generated shapes of the final scene: a swaying, twisting ring mesh (WaveGrid) and a
// textured sphere whose radius ripples (WobbleSphere), both triangle meshes animated on the CPU
// each frame and drawn through one base (MeshObject), plus a plain sphere
// drawn straight as triangle strips (drawStripSphere) for the rendered backdrop.
//
// Construction does no drawing: WaveGrid needs no rendering context at all, WobbleSphere only
// for uploading its texture. A mesh that cannot be built throws MeshError with a fixed text.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"

namespace fx {

class MeshError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MeshVertex {
  double x = 0, y = 0, z = 0;
};
using MeshTriangle = std::array<std::uint32_t, 3>;

// A rectangle of the window in pixels (origin at the bottom left, as the viewport's) where
// the caller has masked out every fragment, with the stencil test say.
struct MaskedRect {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Upper bound on the bytes one mesh may hold in all its arrays together (256 MiB unless
// changed). Sizes beyond it fail with the mesh's own error instead of exhausting memory.
// Returns the previous bound.
std::size_t setMeshMemoryLimit(std::size_t bytes);

class MeshObject {
 public:
  MeshObject() = default;
  virtual ~MeshObject();
  MeshObject(const MeshObject&) = delete;
  MeshObject& operator=(const MeshObject&) = delete;
  MeshObject(MeshObject&&) = default;
  MeshObject& operator=(MeshObject&&) = default;

  void setPosition(float x, float y, float z) { position_ = {x, y, z}; }
  void setRotation(float x, float y, float z) { rotation_ = {x, y, z}; }
  void setPolygonMode(GLenum mode) { polygonMode_ = mode; }

  // The triangles in order, each vertex with texture coordinates (x, z) on unit 0 (projected
  // from above), under the position and the x, y, z rotations. Nothing without vertices and
  // triangles. With `masked`, the triangles that would land wholly inside it are left out:
  // they could give no fragment, so the picture is the same, without their cost.
  virtual void draw(const MaskedRect* masked = nullptr) const;

  GLenum polygonMode() const { return polygonMode_; }
  const std::array<float, 3>& position() const { return position_; }
  const std::array<float, 3>& rotation() const { return rotation_; }
  std::span<const MeshVertex> drawnVertices() const { return drawn_; }
  std::span<const MeshTriangle> triangles() const { return triangles_; }
  int vertexCount() const { return static_cast<int>(drawn_.size()); }
  int triangleCount() const { return static_cast<int>(triangles_.size()); }
  // The triangles, in their order, that the current matrices and viewport do not put wholly
  // inside `masked` (draw(&masked) asks after applying the mesh's position and rotations).
  const std::vector<MeshTriangle>& trianglesOutside(const MaskedRect& masked) const;

 protected:
  GLenum polygonMode_ = GL_LINE;
  std::array<float, 3> position_{};
  std::array<float, 3> rotation_{};
  std::vector<MeshVertex> drawn_;
  std::vector<MeshTriangle> triangles_;

 private:
  mutable std::vector<double> texCoords_;  // (x, z) of each drawn vertex, refilled by draw
  mutable std::vector<std::array<double, 2>> windowPoints_;  // scratch of trianglesOutside
  mutable std::vector<MeshTriangle> kept_;
  mutable std::vector<std::uint32_t> edges_;  // line mode's edges, refilled by draw
};

// `rows` rings of `ringSize` vertices, radius `radius`, rows `pitch` apart along y and centred
// on y = 0. The final scene uses (10, 25, 2.5, 20): 500 vertices, 960 triangles.
class WaveGrid : public MeshObject {
 public:
  // Throws MeshError "3D Object generation error" when the base vertices or the triangles
  // cannot be had (also for fewer than one row or one vertex per ring), and
  // "3D object generation error (vertex alloc)" when the drawn vertices cannot.
  WaveGrid(float radius, int rows, float pitch, int ringSize);

  // Squeezes, stretches and twists each row about y with its own phase, and ripples the ring
  // vertices up and down; t in seconds.
  void animate(double t);

  std::span<const MeshVertex> baseVertices() const { return base_; }
  int rows() const { return rows_; }
  int ringSize() const { return ringSize_; }
  float radius() const { return radius_; }

 private:
  float radius_;
  int rows_;
  int ringSize_;
  std::vector<MeshVertex> base_;
};

class WobbleSphere : public MeshObject {
 public:
  static constexpr std::string_view kTexturePath = "Textures/Morvan/waterfx.jpg";

  // Loads kTexturePath (throws MeshError "Texture not found" without it), then builds the
  // sphere (throws "Sphere creation (vertex alloc)" when it cannot, the texture released).
  WobbleSphere(float radius, int slices, int stacks);
  // The same with a texture the caller already has; the sphere takes it over. An empty record
  // draws the sphere untextured.
  WobbleSphere(float radius, int slices, int stacks, resources::TextureRecord texture);
  // One owner per texture: not copied or moved.
  WobbleSphere(WobbleSphere&&) = delete;
  WobbleSphere& operator=(WobbleSphere&&) = delete;

  // Ripples the radius; x is the phase (radians), calm the gentle variant. Every ring and both
  // poles follow the ripple, so the caps never fold into the centre.
  void animate(double x, bool calm);

  // Binds the texture on unit 0, enables texturing, then draws the mesh.
  void draw(const MaskedRect* masked = nullptr) const override;

  // Gives the texture back; needs the rendering context that made it.
  void destroy();

  std::span<const MeshVertex> baseVertices() const { return base_; }
  const resources::TextureRecord& texture() const { return texture_; }
  float radius() const { return radius_; }
  int slices() const { return slices_; }
  int stacks() const { return stacks_; }

 private:
  void build();

  float radius_;
  int slices_;
  int stacks_;
  std::vector<MeshVertex> base_;
  resources::TextureRecord texture_;
};

// The radius factor of the rippling sphere at longitude s and latitude e (degrees) for phase x.
double wobbleFactor(double radius, double x, double longitude, double latitude, bool calm);

// One vertex of the strip sphere: unit normal, texture coordinates and position.
struct StripVertex {
  float nx, ny, nz;
  float s, t;
  float x, y, z;
};

// The triangle strips drawStripSphere sends: n/2 strips of 2 (n + 1) vertices (16 of 66 for
// n = 32), pole to pole, each closing its seam.
std::vector<std::vector<StripVertex>> stripSphereStrips(float radius, int n);

// A sphere of the given radius as n/2 textured, lit triangle strips; culling is off while it
// draws and on afterwards.
void drawStripSphere(float radius, int n);

}  // namespace fx
