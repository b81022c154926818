// The six clip planes of the current camera, rebuilt each frame from the OpenGL matrices, and
// the point and box tests that cull level leaves and decide when scene objects show.
#pragma once

#include <array>

namespace fx {

class ViewFrustum {
 public:
  // A plane a x + b y + c z + d = 0 with the inside on the positive side; (a, b, c) is a unit
  // vector after extraction.
  using Plane = std::array<float, 4>;
  enum PlaneIndex { kRight, kLeft, kBottom, kTop, kFar, kNear };

  // Reads GL_PROJECTION_MATRIX and GL_MODELVIEW_MATRIX of the current context.
  void extract();
  // The same from given column-major matrices.
  void extractFrom(const float projection[16], const float modelview[16]);

  // Strictly inside all six planes: a point on a plane is outside.
  bool containsPoint(float x, float y, float z) const;
  // False only when all eight corners lie on or behind one plane. The corners may be given
  // in either order.
  bool containsBox(float x0, float y0, float z0, float x1, float y1, float z1) const;

  const std::array<Plane, 6>& planes() const { return planes_; }

 private:
  std::array<Plane, 6> planes_{};
};

}  // namespace fx
