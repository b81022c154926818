#include "md3_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "world/md3_model.h"

namespace {

using modelkit::Md3Model;
using modelkit::SurfaceFrames;
using modelkit::TagPose;
using modelkit::Vec3;
namespace md3 = world::md3;

// Two frames, one tag, two surfaces of different sizes: enough to catch offsets that only
// work for the first surface or the first frame.
Md3Model smallModel() {
  Md3Model m;
  m.name = "small";
  m.frameCount = 2;
  m.tags = {{TagPose{"tag_a", {1, 2, 3}, {Vec3{0, 1, 0}, Vec3{-1, 0, 0}, Vec3{0, 0, 1}}}},
            {TagPose{"tag_a", {4, 5, 6}, {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}}}}};
  SurfaceFrames a;
  a.name = "first";
  a.shader = "models/first.tga";
  a.triangles = {{0, 1, 2}};
  a.texCoords = {{0, 0}, {1, 0}, {0, 1}};
  a.positions = {{{0, 0, 0}, {1, -2, 0.5f}, {0, 1, 0}}, {{0, 0, 1}, {2, 0, 1}, {0, 2, 1}}};
  SurfaceFrames b;
  b.name = "second";
  b.triangles = {{0, 1, 2}, {0, 2, 3}};
  b.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  b.positions = {{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, {{-1, -1, 3}, {1, -1, 3}, {1, 1, 3}, {-1, 1, 3}}};
  m.surfaces = {a, b};
  return m;
}

// Written, then read by the demo's own reader.
world::Md3Data encodeAndRead(const Md3Model& m) {
  const modelkit::Md3Encoding e = modelkit::encodeMd3(m);
  EXPECT_EQ(e.error, "");
  return world::parseMd3(e.bytes);
}

TEST(Md3Writer, LaysSectionsBackToBackWithMatchingOffsets) {
  const modelkit::Md3Encoding e = modelkit::encodeMd3(smallModel());
  const world::Md3Data model = world::parseMd3(e.bytes);
  const auto& h = model.header;
  EXPECT_EQ(std::string(h.identification, 4), "IDP3");
  EXPECT_EQ(h.version, 15);
  EXPECT_EQ(h.frameCount, 2);
  EXPECT_EQ(h.tagCount, 1);
  EXPECT_EQ(h.surfaceCount, 2);
  EXPECT_EQ(h.framesOffset, 108);
  EXPECT_EQ(h.tagsOffset, 108 + 2 * 56);
  EXPECT_EQ(h.surfacesOffset, 108 + 2 * 56 + 2 * 112);
  EXPECT_EQ(static_cast<size_t>(h.endOffset), e.bytes.size());
  // The second surface is found where the first one's size says, right after its vertices.
  ASSERT_EQ(model.surfaces.size(), 2u);
  const auto& s0 = model.surfaces[0].header;
  EXPECT_EQ(s0.shaderCount, 1);
  EXPECT_EQ(s0.shadersOffset, 108);
  EXPECT_EQ(s0.trianglesOffset, 108 + 68);
  EXPECT_EQ(s0.texCoordsOffset, s0.trianglesOffset + 12);
  EXPECT_EQ(s0.verticesOffset, s0.texCoordsOffset + 3 * 8);
  EXPECT_EQ(s0.endOffset, s0.verticesOffset + 2 * 3 * 8);
  const auto& s1 = model.surfaces[1].header;
  EXPECT_EQ(s1.shaderCount, 0);
  EXPECT_EQ(s1.trianglesOffset, 108);
  EXPECT_EQ(s1.vertexCount, 4);
  EXPECT_EQ(s1.triangleCount, 2);
  EXPECT_EQ(s1.frameCount, 2);
  EXPECT_EQ(model.surfaces[0].name, "first");
  EXPECT_EQ(model.surfaces[1].name, "second");
  EXPECT_EQ(static_cast<size_t>(h.surfacesOffset + s0.endOffset + s1.endOffset), e.bytes.size());
}

TEST(Md3Writer, StoresVerticesInSixtyFourthsFrameByFrame) {
  const auto bytes = modelkit::encodeMd3(smallModel()).bytes;
  const auto model = world::parseMd3(bytes);
  ASSERT_EQ(model.surfaces.size(), 2u);
  const auto& v = model.surfaces[0].vertices;
  ASSERT_EQ(v.size(), 6u);
  EXPECT_EQ(v[1].position[0], 64);
  EXPECT_EQ(v[1].position[1], -128);
  EXPECT_EQ(v[1].position[2], 32);
  EXPECT_EQ(model.surfaces[0].position(0, 1), (world::Vec3{1, -2, 0.5f}));
  EXPECT_EQ(model.surfaces[0].position(1, 1), (world::Vec3{2, 0, 1}));
  EXPECT_EQ(model.surfaces[1].position(1, 2), (world::Vec3{1, 1, 3}));
  // Bounds per frame over both surfaces; radius from the origin.
  md3::Md3Frame frames[2];
  std::memcpy(frames, bytes.data() + model.header.framesOffset, sizeof frames);
  EXPECT_FLOAT_EQ(frames[0].mins[1], -2);
  EXPECT_FLOAT_EQ(frames[0].maxs[0], 1);
  EXPECT_FLOAT_EQ(frames[1].mins[2], 1);
  EXPECT_FLOAT_EQ(frames[1].maxs[2], 3);
  EXPECT_NEAR(frames[1].radius, std::sqrt(11.0f), 1e-4);
}

TEST(Md3Writer, TagsAreFrameMajorWithTheirAxes) {
  const auto model = encodeAndRead(smallModel());
  ASSERT_EQ(model.tags.size(), 2u);
  EXPECT_STREQ(model.tags[0].name, "tag_a");
  EXPECT_STREQ(model.tags[1].name, "tag_a");
  EXPECT_EQ(model.tags[0].origin[2], 3);
  EXPECT_EQ(model.tags[1].origin[0], 4);
  EXPECT_EQ(model.tags[0].axis[1][0], -1);  // second axis of frame 0
  EXPECT_EQ(model.tags[1].axis[1][1], 1);
}

TEST(Md3Writer, StoresFrontFacesTheWayTheDemoComputesNormals) {
  // Counter-clockwise seen from +z in the mesh; the demo's normals, from (c2 - c0) x (c1 - c0),
  // must point to +z too.
  const auto model = encodeAndRead(smallModel());
  const auto& s = model.surfaces[1];
  ASSERT_EQ(s.triangles.size(), 2u);
  for (int v = 0; v < 4; ++v) EXPECT_FLOAT_EQ(s.normal(0, v).z, 1) << v;
  // Texture coordinates go with their vertices, not with the reordered corners.
  EXPECT_EQ(s.texCoords[2].s, 1);
  EXPECT_EQ(s.texCoords[2].t, 1);
}

TEST(Md3Writer, RefusesModelsThatDoNotFitTheFormat) {
  struct Case {
    const char* what;
    void (*spoil)(Md3Model&);
  } cases[] = {
      {"index", [](Md3Model& m) { m.surfaces[1].triangles[1][2] = 4; }},
      {"negative index", [](Md3Model& m) { m.surfaces[0].triangles[0][0] = -1; }},
      {"range", [](Md3Model& m) { m.surfaces[0].positions[1][0].x = 512; }},
      {"missing frame", [](Md3Model& m) { m.surfaces[1].positions.pop_back(); }},
      {"vertex count", [](Md3Model& m) { m.surfaces[1].positions[1].pop_back(); }},
      {"tag names", [](Md3Model& m) { m.tags[1][0].name = "tag_b"; }},
      {"tag frames", [](Md3Model& m) { m.tags.pop_back(); }},
      {"long name", [](Md3Model& m) { m.surfaces[0].name = std::string(64, 'x'); }},
      {"no frames", [](Md3Model& m) { m.frameCount = 0; }},
  };
  for (const Case& c : cases) {
    Md3Model m = smallModel();
    c.spoil(m);
    const modelkit::Md3Encoding e = modelkit::encodeMd3(m);
    EXPECT_TRUE(e.bytes.empty()) << c.what;
    EXPECT_NE(e.error, "") << c.what;
  }
  Md3Model edge = smallModel();
  edge.surfaces[0].positions[1][0].x = 511.9f;  // the largest value that still fits
  EXPECT_EQ(modelkit::encodeMd3(edge).error, "");
}

TEST(Md3Writer, PacksNormalsByAzimuthAndPolarAngle) {
  EXPECT_EQ(modelkit::packNormal({0, 0, 1}) & 0xff, 0);
  EXPECT_EQ(modelkit::packNormal({1, 0, 0}), (0 << 8) | 64);   // polar pi/2 -> 64 of 256 per turn
  EXPECT_EQ(modelkit::packNormal({0, 1, 0}), (64 << 8) | 64);  // azimuth pi/2
  for (Vec3 n : {Vec3{0.3f, -0.5f, 0.81f}, Vec3{-0.7f, -0.1f, -0.7f}, Vec3{0, 0, -1}, Vec3{0.2f, 0.9f, 0.1f}}) {
    const Vec3 back = modelkit::unpackNormal(modelkit::packNormal(n));
    EXPECT_GT(modelkit::dot(back, modelkit::normalized(n)), 0.995f) << n.x << " " << n.y << " " << n.z;
  }
}

}  // namespace
