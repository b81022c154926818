#include "fx/view_frustum.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "support/drawing_test.h"

namespace {

using fx::ViewFrustum;

// gluPerspective's matrix, column-major.
void perspective(float fovY, float aspect, float zNear, float zFar, float (&m)[16]) {
  const float f = 1.0f / std::tan(fovY * 3.14159265358979f / 360.0f);
  for (float& v : m) v = 0;
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (zFar + zNear) / (zNear - zFar);
  m[11] = -1;
  m[14] = 2 * zFar * zNear / (zNear - zFar);
}

void translation(float x, float y, float z, float (&m)[16]) {
  for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0f : 0.0f;
  m[12] = x;
  m[13] = y;
  m[14] = z;
}

// Near 1 and far 3 keep the plane values exact: near is z = -1, far z = -3.
ViewFrustum cameraAt(float x, float y, float z) {
  float p[16], m[16];
  perspective(90, 1, 1, 3, p);
  translation(-x, -y, -z, m);
  ViewFrustum frustum;
  frustum.extractFrom(p, m);
  return frustum;
}

TEST(ViewFrustum, PlanesComeInOrderAndAreNormalised) {
  const ViewFrustum frustum = cameraAt(0, 0, 0);
  const auto& planes = frustum.planes();
  for (const auto& plane : planes)
    EXPECT_NEAR(std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]), 1.0f, 1e-6f);
  const float h = std::sqrt(0.5f);
  auto expectPlane = [&](int index, float a, float b, float c, float d) {
    SCOPED_TRACE(index);
    EXPECT_NEAR(planes[index][0], a, 1e-6f);
    EXPECT_NEAR(planes[index][1], b, 1e-6f);
    EXPECT_NEAR(planes[index][2], c, 1e-6f);
    EXPECT_NEAR(planes[index][3], d, 1e-6f);
  };
  expectPlane(ViewFrustum::kRight, -h, 0, -h, 0);
  expectPlane(ViewFrustum::kLeft, h, 0, -h, 0);
  expectPlane(ViewFrustum::kBottom, 0, h, -h, 0);
  expectPlane(ViewFrustum::kTop, 0, -h, -h, 0);
  expectPlane(ViewFrustum::kFar, 0, 0, 1, 3);
  expectPlane(ViewFrustum::kNear, 0, 0, -1, -1);
}

TEST(ViewFrustum, PointTestIsStrict) {
  const ViewFrustum frustum = cameraAt(0, 0, 0);
  EXPECT_FALSE(frustum.containsPoint(0, 0, -1));  // exactly on the near plane
  EXPECT_TRUE(frustum.containsPoint(0, 0, -1.001f));
  EXPECT_TRUE(frustum.containsPoint(0, 0, -2.999f));
  EXPECT_FALSE(frustum.containsPoint(0, 0, -3));  // exactly on the far plane
  EXPECT_TRUE(frustum.containsPoint(1.9f, -1.9f, -2));
  EXPECT_FALSE(frustum.containsPoint(2.1f, 0, -2));
  EXPECT_FALSE(frustum.containsPoint(0, 2.1f, -2));
  EXPECT_FALSE(frustum.containsPoint(0, 0, 2));  // behind

  // A camera moved to (5, 1, 0): the modelview takes part in the planes.
  const ViewFrustum moved = cameraAt(5, 1, 0);
  EXPECT_FALSE(moved.containsPoint(5, 1, -1));
  EXPECT_TRUE(moved.containsPoint(5, 1, -2));
  EXPECT_TRUE(moved.containsPoint(6.5f, 2.5f, -2));
  EXPECT_FALSE(moved.containsPoint(0, 0, -2));
}

TEST(ViewFrustum, BoxTestRejectsOnlyWhatOnePlaneHidesWhole) {
  const ViewFrustum frustum = cameraAt(0, 0, 0);
  struct Box {
    float x0, y0, z0, x1, y1, z1;
    bool inside;
  };
  const Box boxes[] = {
      {-0.1f, -0.1f, -2.1f, 0.1f, 0.1f, -1.9f, true},  // wholly inside
      {1.5f, -0.5f, -2.5f, 5.0f, 0.5f, -1.5f, true},   // straddles the right plane
      {-1, -1, 1, 1, 1, 5, false},                      // behind the camera
      {-1, -1, -1, 1, 1, 0, false},                     // between the eye and the near plane, touching it
      {-50, -50, -50, 50, 50, 50, true},                // around the whole frustum: no corner inside
      {3, -1, -2.5f, 9, 1, -2, false},                  // off to the right
      {-1, -1, -10, 1, 1, -3, false},                   // past the far plane, touching it
      {-1, -1, -10, 1, 1, -2.9f, true},
  };
  for (const Box& b : boxes) {
    SCOPED_TRACE(testing::Message() << b.x0 << ' ' << b.y0 << ' ' << b.z0 << ' ' << b.x1 << ' ' << b.y1 << ' ' << b.z1);
    EXPECT_EQ(frustum.containsBox(b.x0, b.y0, b.z0, b.x1, b.y1, b.z1), b.inside);
    // The corners may come in either order, also mixed per axis as converted level boxes do.
    EXPECT_EQ(frustum.containsBox(b.x1, b.y1, b.z1, b.x0, b.y0, b.z0), b.inside);
    EXPECT_EQ(frustum.containsBox(b.x0, b.y1, b.z1, b.x1, b.y0, b.z0), b.inside);
  }
}

TEST(ViewFrustum, DegenerateMatricesDoNotDivideByZero) {
  float zero[16] = {};
  ViewFrustum frustum;
  frustum.extractFrom(zero, zero);
  for (const auto& plane : frustum.planes())
    for (float v : plane) EXPECT_FALSE(std::isnan(v));
  EXPECT_FALSE(frustum.containsPoint(0, 0, -1));
}

class ViewFrustumInGl : public testing_support::DrawingTest<32, 32> {};

TEST_F(ViewFrustumInGl, ExtractReadsTheCurrentGlMatrices) {
  glMatrixMode(GL_PROJECTION);
  gluPerspective(60.0, 1.5, 1.0, 500.0);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(10, 0, 0, 20, 0, 0, 0, 1, 0);  // looking down +x
  ViewFrustum frustum;
  frustum.extract();
  EXPECT_TRUE(frustum.containsPoint(50, 0, 0));
  EXPECT_FALSE(frustum.containsPoint(-50, 0, 0));
  EXPECT_FALSE(frustum.containsPoint(10, 0, -50));
  EXPECT_FALSE(frustum.containsPoint(600, 0, 0));  // past the far plane
  EXPECT_TRUE(frustum.containsBox(30, -1, -1, 31, 1, 1));
  EXPECT_FALSE(frustum.containsBox(0, -1, -1, 5, 1, 1));
  glLoadIdentity();
}

}  // namespace
