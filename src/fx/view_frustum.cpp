#include "fx/view_frustum.h"

#include <GL/gl.h>

#include <cmath>

namespace fx {

void ViewFrustum::extract() {
  float projection[16];
  float modelview[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  extractFrom(projection, modelview);
}

void ViewFrustum::extractFrom(const float projection[16], const float modelview[16]) {
  const float* p = projection;
  const float* m = modelview;
  float clip[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      clip[4 * r + c] = m[4 * r + 0] * p[c] + m[4 * r + 1] * p[4 + c] + m[4 * r + 2] * p[8 + c] +
                        m[4 * r + 3] * p[12 + c];

  auto column = [&](int k) { return Plane{clip[k], clip[4 + k], clip[8 + k], clip[12 + k]}; };
  const Plane w = column(3);
  auto combine = [&](int k, float sign) {
    const Plane col = column(k);
    return Plane{w[0] + sign * col[0], w[1] + sign * col[1], w[2] + sign * col[2], w[3] + sign * col[3]};
  };
  planes_[kRight] = combine(0, -1.0f);
  planes_[kLeft] = combine(0, 1.0f);
  planes_[kBottom] = combine(1, 1.0f);
  planes_[kTop] = combine(1, -1.0f);
  planes_[kFar] = combine(2, -1.0f);
  planes_[kNear] = combine(2, 1.0f);

  for (Plane& plane : planes_) {
    const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    // A degenerate matrix gives a zero normal; leave that plane as it is rather than divide
    // by zero.
    if (length == 0.0f) continue;
    for (float& value : plane) value /= length;
  }
}

namespace {
float distance(const ViewFrustum::Plane& plane, float x, float y, float z) {
  return plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
}
}  // namespace

bool ViewFrustum::containsPoint(float x, float y, float z) const {
  for (const Plane& plane : planes_)
    if (distance(plane, x, y, z) <= 0.0f) return false;
  return true;
}

bool ViewFrustum::containsBox(float x0, float y0, float z0, float x1, float y1, float z1) const {
  for (const Plane& plane : planes_) {
    if (distance(plane, x0, y0, z0) > 0.0f) continue;
    if (distance(plane, x1, y0, z0) > 0.0f) continue;
    if (distance(plane, x0, y1, z0) > 0.0f) continue;
    if (distance(plane, x1, y1, z0) > 0.0f) continue;
    if (distance(plane, x0, y0, z1) > 0.0f) continue;
    if (distance(plane, x1, y0, z1) > 0.0f) continue;
    if (distance(plane, x0, y1, z1) > 0.0f) continue;
    if (distance(plane, x1, y1, z1) > 0.0f) continue;
    return false;
  }
  return true;
}

}  // namespace fx
