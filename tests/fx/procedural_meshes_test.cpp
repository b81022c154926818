// The generated meshes without a window: counts, index ranges, how the triangles stitch the
// surfaces together, the animations at hand-computed moments, and the creation errors.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "fx/procedural_meshes.h"
#include "support/temp_folder.h"

namespace {

using fx::MeshError;
using fx::MeshTriangle;
using fx::MeshVertex;

constexpr double kDeg = 3.14159265358979323846 / 180.0;

double length(const MeshVertex& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Counts how often each directed edge occurs.
std::map<std::pair<std::uint32_t, std::uint32_t>, int> directedEdges(std::span<const MeshTriangle> triangles) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
  for (const MeshTriangle& t : triangles)
    for (int i = 0; i < 3; ++i) ++edges[{t[i], t[(i + 1) % 3]}];
  return edges;
}

// The text of the MeshError `make` throws, or "" when it throws nothing or something else.
template <class F>
std::string errorText(F make) {
  try {
    make();
  } catch (const MeshError& error) {
    return error.what();
  } catch (...) {
    return "(another exception)";
  }
  return "";
}

// Restores the mesh memory limit however a test ends.
struct MemoryLimit {
  explicit MemoryLimit(std::size_t bytes) : previous(fx::setMeshMemoryLimit(bytes)) {}
  ~MemoryLimit() { fx::setMeshMemoryLimit(previous); }
  std::size_t previous;
};

// ---- WaveGrid ----

TEST(WaveGrid, SceneGridHas500VerticesAnd960TrianglesAllInRange) {
  const fx::WaveGrid grid(10, 25, 2.5f, 20);
  EXPECT_EQ(grid.vertexCount(), 500);
  EXPECT_EQ(grid.triangleCount(), 960);
  EXPECT_EQ(grid.baseVertices().size(), 500u);
  for (const MeshTriangle& t : grid.triangles())
    for (std::uint32_t index : t) ASSERT_LT(index, 500u);
  EXPECT_EQ(grid.polygonMode(), static_cast<GLenum>(GL_LINE));
  for (const MeshVertex& v : grid.drawnVertices()) ASSERT_EQ(length(v), 0.0) << "drawn vertices start at the origin";
}

TEST(WaveGrid, BaseIsACylinderOfRadius10FromMinus30To30) {
  const fx::WaveGrid grid(10, 25, 2.5f, 20);
  const auto base = grid.baseVertices();
  for (int row = 0; row < 25; ++row)
    for (int k = 0; k < 20; ++k) {
      const MeshVertex& v = base[row * 20 + k];
      ASSERT_NEAR(v.y, (row - 12) * 2.5, 1e-9) << row;
      // Degrees convert at 0.017453292, a hair short of pi / 180.
      ASSERT_NEAR(v.x, 10 * std::sin(k * 18 * kDeg), 1e-5);
      ASSERT_NEAR(v.z, 10 * std::cos(k * 18 * kDeg), 1e-5);
    }
  // An even row count is centred the same way: rows -12..11.
  const fx::WaveGrid even(1, 24, 1, 4);
  EXPECT_NEAR(even.baseVertices().front().y, -12, 1e-9);
  EXPECT_NEAR(even.baseVertices().back().y, 11, 1e-9);
}

TEST(WaveGrid, TrianglesFollowTheRowOrderAndCloseEachRing) {
  const fx::WaveGrid grid(10, 25, 2.5f, 20);
  const auto t = grid.triangles();
  EXPECT_EQ(t[0], (MeshTriangle{20, 0, 1}));
  EXPECT_EQ(t[1], (MeshTriangle{20, 1, 21}));
  // The last vertex of the first ring closes on the first vertex of its ring and of the next.
  EXPECT_EQ(t[38], (MeshTriangle{39, 19, 0}));
  EXPECT_EQ(t[39], (MeshTriangle{39, 0, 20}));
  EXPECT_EQ(t[959], (MeshTriangle{499, 460, 480}));

  // A seamless tube: every edge inside it is shared by two triangles running opposite ways,
  // only the bottom and top rings are open.
  const auto edges = directedEdges(t);
  int open = 0;
  for (const auto& [edge, count] : edges) {
    ASSERT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " used twice the same way";
    if (!edges.contains({edge.second, edge.first})) ++open;
  }
  EXPECT_EQ(open, 2 * 20);
}

TEST(WaveGrid, AnimationSqueezesTwistsAndRipplesAsComputedByHand) {
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  // t = 0: row 0 is neither squeezed nor turned; the ring ripples with 0.5 sin(8 k degrees).
  grid.animate(0);
  const auto d = grid.drawnVertices();
  EXPECT_NEAR(d[0].x, 0, 1e-6);
  EXPECT_NEAR(d[0].y, -30, 1e-6);
  EXPECT_NEAR(d[0].z, 10, 1e-6);
  EXPECT_NEAR(d[5].x, 10, 1e-6);
  EXPECT_NEAR(d[5].y, -30 + 0.5 * std::sin(40 * kDeg), 1e-6);
  EXPECT_NEAR(d[5].z, 0, 1e-5);

  // t = pi/2, row 0: s = 1, g = 0.6, turned by 120 degrees; x halved, z stretched by 1.6.
  grid.animate(3.14159265358979 / 2);
  EXPECT_NEAR(d[0].x, -16 * std::sin(120 * kDeg), 1e-4);
  EXPECT_NEAR(d[0].y, -29.5, 1e-6);
  EXPECT_NEAR(d[0].z, -8, 1e-4);
  // Vertex 5 of row 0 at (10, -30, 0): X = 5, Z = 0, turned by 120 degrees.
  EXPECT_NEAR(d[5].x, 5 * std::cos(120 * kDeg), 1e-4);
  EXPECT_NEAR(d[5].z, 5 * std::sin(120 * kDeg), 1e-4);

  // Rows keep their own phase: row 9 at t = 0 has s = sin(180 degrees) = 0 but turns by
  // 120 sin(117 degrees).
  grid.animate(0);
  const double turn = 120 * std::sin(117 * kDeg) * kDeg;
  const MeshVertex& v = d[9 * 20];  // base (0, -7.5, 10)
  EXPECT_NEAR(v.x, -10 * std::sin(turn), 1e-4);
  EXPECT_NEAR(v.z, 10 * std::cos(turn), 1e-4);
  EXPECT_NEAR(v.y, -7.5, 1e-6);
}

TEST(WaveGrid, CreationErrorsCarryTheirTexts) {
  EXPECT_EQ(errorText([] { fx::WaveGrid(10, 0, 2.5f, 20); }), "3D Object generation error");
  EXPECT_EQ(errorText([] { fx::WaveGrid(10, 25, 2.5f, -3); }), "3D Object generation error");
  EXPECT_EQ(errorText([] { fx::WaveGrid(10, 1 << 30, 1, 1 << 30); }), "3D Object generation error");

  // 500 base vertices (12000 bytes) and 960 triangles (11520 bytes) fit; the 500 drawn
  // vertices need 12000 more.
  {
    MemoryLimit limit(12000 + 11520 + 11999);
    EXPECT_EQ(errorText([] { fx::WaveGrid(10, 25, 2.5f, 20); }), "3D object generation error (vertex alloc)");
  }
  {
    MemoryLimit limit(12000 + 11519);
    EXPECT_EQ(errorText([] { fx::WaveGrid(10, 25, 2.5f, 20); }), "3D Object generation error");
  }
  {
    MemoryLimit limit(12000 + 11520 + 12000);
    EXPECT_EQ(errorText([] { fx::WaveGrid(10, 25, 2.5f, 20); }), "");
  }
}

// ---- WobbleSphere ----

TEST(WobbleSphere, CountsAndIndicesForTheSceneSpheres) {
  for (float radius : {1.0f, 4.0f}) {
    const fx::WobbleSphere sphere(radius, 64, 64, {});
    EXPECT_EQ(sphere.vertexCount(), 64 * 64 + 2);
    EXPECT_EQ(sphere.triangleCount(), 2 * 64 * 64);
    for (const MeshTriangle& t : sphere.triangles())
      for (std::uint32_t index : t) ASSERT_LT(index, 64u * 64u + 2u);
    const auto base = sphere.baseVertices();
    EXPECT_EQ(base.front().y, -radius);
    EXPECT_EQ(base.back().y, radius);
    for (const MeshVertex& v : base) ASSERT_NEAR(length(v), radius, 1e-5);
  }
  const fx::WobbleSphere odd(2, 7, 5, {});
  EXPECT_EQ(odd.vertexCount(), 37);
  EXPECT_EQ(odd.triangleCount(), 70);
}

TEST(WobbleSphere, RingsRunFromSouthToNorthInEqualLatitudeSteps) {
  const fx::WobbleSphere sphere(1, 8, 5, {});
  const auto base = sphere.baseVertices();
  // Step 180 / 6 = 30 degrees: rings at -60, -30, 0, 30, 60.
  for (int ring = 0; ring < 5; ++ring)
    for (int k = 0; k < 8; ++k) {
      const MeshVertex& v = base[1 + ring * 8 + k];
      const double lat = (ring + 1) * 30.0 - 90.0;
      ASSERT_NEAR(v.y, std::sin(lat * kDeg), 1e-6);
      ASSERT_NEAR(v.x, std::cos(lat * kDeg) * std::sin(k * 45 * kDeg), 1e-6);
      ASSERT_NEAR(v.z, std::cos(lat * kDeg) * std::cos(k * 45 * kDeg), 1e-6);
    }
}

TEST(WobbleSphere, TrianglesCloseTheSurfaceFacingOutwards) {
  const fx::WobbleSphere sphere(1, 64, 64, {});
  const auto t = sphere.triangles();
  EXPECT_EQ(t[0], (MeshTriangle{2, 1, 0}));
  EXPECT_EQ(t[63], (MeshTriangle{1, 64, 0}));
  const std::uint32_t north = 64 * 64 + 1;
  const std::uint32_t top = 1 + 63 * 64;
  EXPECT_EQ(t[64], (MeshTriangle{north, top, top + 1}));
  EXPECT_EQ(t[127], (MeshTriangle{north, top + 63, top}));
  EXPECT_EQ(t[128], (MeshTriangle{65, 1, 2}));

  // Closed and consistently wound: each directed edge once, each one's reverse present.
  const auto edges = directedEdges(t);
  for (const auto& [edge, count] : edges) {
    ASSERT_EQ(count, 1);
    ASSERT_TRUE(edges.contains({edge.second, edge.first})) << edge.first << "-" << edge.second;
  }
  // V - E + F = 2 for a sphere.
  EXPECT_EQ(static_cast<long>(sphere.vertexCount()) - static_cast<long>(edges.size() / 2) + sphere.triangleCount(), 2);

  // Every triangle's winding normal points away from the centre.
  const auto v = sphere.baseVertices();
  for (const MeshTriangle& tri : t) {
    const MeshVertex &a = v[tri[0]], &b = v[tri[1]], &c = v[tri[2]];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double wx = c.x - a.x, wy = c.y - a.y, wz = c.z - a.z;
    const double nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
    ASSERT_GT(nx * (a.x + b.x + c.x) + ny * (a.y + b.y + c.y) + nz * (a.z + b.z + c.z), 0)
        << tri[0] << " " << tri[1] << " " << tri[2];
  }
}

TEST(WobbleSphere, RippleFactorAtHandComputedPoints) {
  EXPECT_NEAR(fx::wobbleFactor(1, 0, 0, 0, true), 1.0, 1e-9);
  // x = pi/2, longitude 0, latitude 0: m = 0 + 0.8 sin(pi/2) = 0.8.
  EXPECT_NEAR(fx::wobbleFactor(1, 3.14159265358979 / 2, 0, 0, true), 1.08, 1e-6);
  EXPECT_NEAR(fx::wobbleFactor(1, 3.14159265358979 / 2, 0, 0, false), 1.48, 1e-6);
  // x = 0, longitude 22.5 (cos 90 = 0), latitude 11.25: m = 0.8 sin(33.75 degrees).
  EXPECT_NEAR(fx::wobbleFactor(4, 0, 22.5, 11.25, true), 4 + 0.08 * std::sin(33.75 * kDeg), 1e-6);
  // Rough: m = 1.4 cos(0) sin(80 degrees) + 0.8 sin(30 degrees), times sin(3 (0 + 10) degrees).
  const double m = 1.4 * std::sin(80 * kDeg) + 0.4;
  EXPECT_NEAR(fx::wobbleFactor(1, 0, 0, 10, false), 1 + 0.6 * m * 0.5, 1e-6);
}

TEST(WobbleSphere, EveryRingAndBothPolesFollowTheRipple) {
  fx::WobbleSphere sphere(1, 16, 9, {});
  const auto base = sphere.baseVertices();
  const auto drawn = sphere.drawnVertices();
  for (const MeshVertex& v : drawn) ASSERT_EQ(length(v), 0.0) << "drawn vertices start at the origin";
  for (const bool calm : {true, false})
    for (double x : {0.0, 1.3, 7.9}) {
      sphere.animate(x, calm);
      // Latitude step 18 degrees: ring j at 18 (j + 1) - 90, longitude step 22.5 degrees.
      for (int ring = 0; ring < 9; ++ring)
        for (int k = 0; k < 16; ++k) {
          const std::size_t i = 1 + ring * 16 + k;
          const double f = fx::wobbleFactor(1, x, k * 22.5, (ring + 1) * 18.0 - 90.0, calm);
          ASSERT_NEAR(drawn[i].x, f * base[i].x, 1e-9) << ring << " " << k;
          ASSERT_NEAR(drawn[i].y, f * base[i].y, 1e-9) << ring << " " << k;
          ASSERT_NEAR(drawn[i].z, f * base[i].z, 1e-9) << ring << " " << k;
        }
      EXPECT_NEAR(drawn.front().y, -fx::wobbleFactor(1, x, 0, -90, calm), 1e-9);
      EXPECT_NEAR(drawn.back().y, fx::wobbleFactor(1, x, 0, 90, calm), 1e-9);
      // Calm, nothing folds in: every drawn vertex stays near the surface, poles included.
      if (calm) {
        for (const MeshVertex& v : drawn) ASSERT_GT(length(v), 0.75);
      }
    }
}

TEST(WobbleSphere, CreationErrorsCarryTheirTexts) {
  EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 0, 64, {}); }), "Sphere creation (vertex alloc)");
  EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 64, -1, {}); }), "Sphere creation (vertex alloc)");
  EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 1 << 30, 1 << 30, {}); }), "Sphere creation (vertex alloc)");
  {
    MemoryLimit limit(1000);
    EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 64, 64, {}); }), "Sphere creation (vertex alloc)");
  }
  // Without Textures/Morvan/waterfx.jpg in the working folder (no rendering context is needed
  // to find that out).
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory inside(folder.path());
  EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 64, 64); }), "Texture not found");
  folder.write("Textures/Morvan/waterfx.jpg", "not a picture");
  EXPECT_EQ(errorText([] { fx::WobbleSphere(1, 64, 64); }), "Texture not found");
}

// ---- strip sphere ----

TEST(StripSphere, SixteenStripsOf66VerticesFromPoleToPole) {
  const auto strips = fx::stripSphereStrips(4, 32);
  ASSERT_EQ(strips.size(), 16u);
  for (std::size_t i = 0; i < strips.size(); ++i) {
    const auto& strip = strips[i];
    ASSERT_EQ(strip.size(), 66u);
    for (std::size_t k = 0; k < strip.size(); ++k) {
      const fx::StripVertex& v = strip[k];
      const int j = static_cast<int>(k / 2);
      ASSERT_NEAR(std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz), 1, 1e-5);
      ASSERT_NEAR(v.x, 4 * v.nx, 1e-5);
      ASSERT_NEAR(v.y, 4 * v.ny, 1e-5);
      ASSERT_NEAR(v.z, 4 * v.nz, 1e-5);
      ASSERT_FLOAT_EQ(v.s, j / 32.0f);
      ASSERT_FLOAT_EQ(v.t, (2.0f * static_cast<float>(i) + (k % 2 ? 2 : 0)) / 32.0f);
    }
    // The seam closes: the last pair sits on the first.
    EXPECT_NEAR(strip[64].x, strip[0].x, 1e-5);
    EXPECT_NEAR(strip[65].z, strip[1].z, 1e-5);
    // Neighbouring strips share their rows: no gap between rings.
    if (i + 1 < strips.size()) {
      for (std::size_t k = 0; k < strip.size(); k += 2) ASSERT_NEAR(strip[k + 1].y, strips[i + 1][k].y, 1e-5);
    }
  }
  EXPECT_NEAR(strips.front()[0].y, -4, 1e-5);
  EXPECT_NEAR(strips.back()[1].y, 4, 1e-5);
  // Longitude runs from +x towards +z.
  EXPECT_GT(strips[8][2 * 8].z, 3.9f);

  EXPECT_EQ(fx::stripSphereStrips(1, 8).size(), 4u);
  EXPECT_TRUE(fx::stripSphereStrips(1, 1).empty());
  EXPECT_TRUE(fx::stripSphereStrips(1, -6).empty());
}

}  // namespace
