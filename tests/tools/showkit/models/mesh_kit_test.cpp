#include "mesh_kit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace modelkit;

constexpr float kPi = 3.14159265f;

// Signed volume by the divergence theorem: positive when every face looks outwards.
float volume(const Mesh& m) {
  double v = 0;
  for (const Triangle& t : m.triangles)
    v += dot(m.positions[static_cast<size_t>(t[0])], cross(m.positions[static_cast<size_t>(t[1])], m.positions[static_cast<size_t>(t[2])]));
  return static_cast<float>(v / 6);
}

TEST(MeshKit, ClosedShapesFaceOutwardsWithTheirVolume) {
  EXPECT_NEAR(volume(box({1, 2, 3})), 48, 1e-3);
  EXPECT_NEAR(volume(sphere(2, 16, 24)), 4.0f / 3 * kPi * 8, 0.05f * 4.0f / 3 * kPi * 8);
  EXPECT_NEAR(volume(cylinder(1, 5, 32)), kPi * 5, 0.02f * kPi * 5);
  const Vec2 cone[] = {{2, 0}, {0.01f, 3}};
  EXPECT_NEAR(volume(lathe(cone, 32, true, true)), kPi * 4, 0.05f * kPi * 4);
  // Rings that run down z are turned back outwards too.
  const Ring down[] = {{{0, 0, 2}, 1, 1}, {{0, 0, 0}, 1, 1}};
  EXPECT_NEAR(volume(loft(down, 32, true, true)), 2 * kPi, 0.05f * 2 * kPi);
  EXPECT_GT(volume(limb(10, 2, 1, 12)), 0);
  Mesh torus;
  {
    std::vector<Vec3> path;
    std::vector<Vec2> radii;
    for (int i = 0; i < 48; ++i) {
      const float a = 2 * kPi * static_cast<float>(i) / 48;
      path.push_back({5 * std::cos(a), 5 * std::sin(a), 0});
      radii.push_back({1, 1});
    }
    torus = sweep(path, radii, 16, true, false, false);
  }
  EXPECT_NEAR(volume(torus), 2 * kPi * kPi * 5, 0.05f * 2 * kPi * kPi * 5);
  const Vec2 square[] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  EXPECT_NEAR(volume(extrude(square, 3)), 12, 1e-3);
}

TEST(MeshKit, NormalsPointAwayFromTheCentre) {
  const Mesh s = sphere(3, 10, 16);
  ASSERT_EQ(s.normals.size(), s.positions.size());
  for (size_t i = 0; i < s.positions.size(); ++i) EXPECT_GT(dot(s.normals[i], normalized(s.positions[i])), 0.9f);
}

TEST(MeshKit, TransformsKeepShapesOutwardEvenWhenMirrored) {
  Mesh b = box({1, 1, 1});
  transform(b, Transform::translation({5, 0, 0}) * Transform::rotationZ(90) * Transform::scaling({2, 1, 1}));
  EXPECT_NEAR(volume(b), 16, 1e-3);
  const Bounds r = bounds(b.positions);
  EXPECT_NEAR(r.mins.x, 4, 1e-5);  // the x scale became y after the turn
  EXPECT_NEAR(r.maxs.y, 2, 1e-5);
  Mesh mirrored = box({1, 1, 1});
  transform(mirrored, Transform::scaling({-1, 1, 1}));
  EXPECT_NEAR(volume(mirrored), 8, 1e-3);
  // Rotations turn right-handed: +x about z by 90 degrees is +y.
  const Vec3 p = Transform::rotationZ(90).apply({1, 0, 0});
  EXPECT_NEAR(p.y, 1, 1e-6);
  EXPECT_NEAR(p.x, 0, 1e-6);
}

TEST(MeshKit, TextureCoordinatesLandInTheirAtlasRegion) {
  Mesh s = sphere(1, 6, 8);
  placeUv(s, 0.5f, 0.25f, 0.75f, 0.5f);
  for (Vec2 uv : s.uvs) {
    EXPECT_GE(uv.x, 0.5f);
    EXPECT_LE(uv.x, 0.75f);
    EXPECT_GE(uv.y, 0.25f);
    EXPECT_LE(uv.y, 0.5f);
  }
  // The loft's seam is at the back: the front (+x) of a ring is u = 0.5.
  const Ring rings[] = {{{0, 0, 0}, 1, 1}, {{0, 0, 1}, 1, 1}};
  const Mesh l = loft(rings, 8, false, false);
  for (size_t i = 0; i < l.positions.size(); ++i)
    if (l.positions[i].x > 0.99f) { EXPECT_NEAR(l.uvs[i].x, 0.5f, 1e-6); }
}

}  // namespace
