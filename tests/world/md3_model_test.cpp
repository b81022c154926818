// Reading MD3 files and the model arithmetic without drawing: vertex units, normals, tags, the
// frame loop, skin lines, and files that lie about their own sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "md3_test_models.h"
#include "world/md3_model.h"

namespace {

using md3_testing::Bytes;
using md3_testing::TestTag;
using md3_testing::TestModel;
using md3_testing::TestSurface;
using world::Vec3;
namespace md3 = world::md3;

constexpr float kEps = 1e-5f;

#define EXPECT_VEC(v, X, Y, Z)       \
  do {                               \
    const Vec3 v_ = (v);             \
    EXPECT_NEAR(v_.x, X, kEps);      \
    EXPECT_NEAR(v_.y, Y, kEps);      \
    EXPECT_NEAR(v_.z, Z, kEps);      \
  } while (0)

// Two triangles sharing vertex 0 at right angles: one in the x-y plane, one in the x-z plane;
// frame 1 is frame 0 turned a quarter about z.
TestModel hingeModel() {
  TestSurface s;
  s.name = "hinge";
  s.frames = {{{0, 0, 0}, {64, 0, 0}, {0, 64, 0}, {0, 0, 64}, {10, 10, 10}},
              {{0, 0, 0}, {0, 64, 0}, {-64, 0, 0}, {0, 0, 64}, {10, 10, 10}}};
  s.texCoords = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5f, 0.5f}};
  // (c2 - c0) x (c1 - c0): (0,1,0) x (1,0,0) = (0,0,-1); (0,0,1) x (1,0,0) = (0,1,0).
  s.triangles = {{0, 1, 2}, {0, 1, 3}};
  TestModel m;
  m.frameCount = 2;
  m.surfaces = {s};
  return m;
}

TEST(Md3Arithmetic, StoredUnitsAreSixtyFourthsAndFacesPointByFileOrder) {
  EXPECT_VEC(world::decodeVertex(md3::Md3Vertex{{64, -128, 32}, 0}), 1.0f, -2.0f, 0.5f);
  EXPECT_VEC(world::decodeVertex(md3::Md3Vertex{{-32768, 32767, 1}, 0}), -512.0f, 511.984375f, 0.015625f);

  EXPECT_VEC(*world::faceNormal({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0, 0, -1);
  EXPECT_VEC(*world::faceNormal({0, 0, 0}, {0, 1, 0}, {1, 0, 0}), 0, 0, 1);
  EXPECT_VEC(*world::faceNormal({0, 0, 0}, {0, 0, 3}, {0, 5, 0}), 1, 0, 0);  // normalised
  EXPECT_FALSE(world::faceNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2}));          // collinear
  EXPECT_FALSE(world::faceNormal({1, 2, 3}, {1, 2, 3}, {4, 5, 6}));          // two corners equal

  EXPECT_VEC(world::lerp({0, 10, -4}, {2, 20, 4}, 0.25f), 0.5f, 12.5f, -2.0f);
}

TEST(Md3Arithmetic, NormalsAreSummedPerFrameAndNormalised) {
  const auto data = world::parseMd3(md3_testing::writeMd3(hingeModel()));
  ASSERT_EQ(data.surfaces.size(), 1u);
  const auto& s = data.surfaces[0];
  ASSERT_EQ(s.normalFrames, 2);
  ASSERT_EQ(s.normals.size(), 10u);
  const float r = 1.0f / std::sqrt(2.0f);
  // Vertex 0 and 1 belong to both faces, 2 and 3 to one each, 4 to none.
  EXPECT_VEC(s.normal(0, 0), 0, r, -r);
  EXPECT_VEC(s.normal(0, 1), 0, r, -r);
  EXPECT_VEC(s.normal(0, 2), 0, 0, -1);
  EXPECT_VEC(s.normal(0, 3), 0, 1, 0);
  EXPECT_VEC(s.normal(0, 4), 0, 0, 0);
  // Frame 1 has its own normals: the second face turned to (-1, 0, 0).
  EXPECT_VEC(s.normal(1, 3), -1, 0, 0);
  EXPECT_VEC(s.normal(1, 0), -r, 0, -r);
  EXPECT_VEC(s.position(1, 2), -1, 0, 0);
}

TEST(Md3Arithmetic, FaceNormalsAreAddedNotAveraged) {
  TestModel m = hingeModel();
  m.frameCount = 1;
  m.surfaces[0].frames.resize(1);
  // The x-y face twice: it weighs double at the vertices it shares with the x-z face.
  m.surfaces[0].triangles = {{0, 1, 2}, {0, 1, 3}, {0, 1, 2}};
  const auto data = world::parseMd3(md3_testing::writeMd3(m));
  const float r = 1.0f / std::sqrt(5.0f);
  EXPECT_VEC(data.surfaces[0].normal(0, 0), 0, r, -2 * r);
  EXPECT_VEC(data.surfaces[0].normal(0, 1), 0, r, -2 * r);
}

TEST(Md3Arithmetic, CollinearTrianglesAddNothingToTheirCorners) {
  TestModel m = hingeModel();
  m.frameCount = 1;
  m.surfaces[0].frames.resize(1);
  m.surfaces[0].frames[0][4] = {128, 0, 0};  // on the line through vertices 0 and 1
  m.surfaces[0].triangles.push_back({0, 1, 4});
  const auto data = world::parseMd3(md3_testing::writeMd3(m));
  const auto& s = data.surfaces[0];
  const float r = 1.0f / std::sqrt(2.0f);
  EXPECT_VEC(s.normal(0, 0), 0, r, -r);
  EXPECT_VEC(s.normal(0, 4), 0, 0, 0);
  for (const auto& n : s.normals) EXPECT_FALSE(std::isnan(n.x) || std::isnan(n.y) || std::isnan(n.z));
}

TEST(Md3Arithmetic, TagsInterpolateAllTwelveFloatsAndBecomeColumns) {
  md3::Md3Tag a{};
  std::strcpy(a.name, "tag_a");
  md3::Md3Tag b = a;
  std::strcpy(b.name, "other");
  for (int i = 0; i < 3; ++i) {
    a.origin[i] = static_cast<float>(i);
    b.origin[i] = static_cast<float>(i + 10);
    for (int j = 0; j < 3; ++j) {
      a.axis[i][j] = static_cast<float>(3 * i + j);
      b.axis[i][j] = static_cast<float>(3 * i + j) + 4.0f;
    }
  }
  const auto mid = world::interpolateTag(a, b, 0.25f);
  EXPECT_STREQ(mid.name, "tag_a");
  EXPECT_FLOAT_EQ(mid.origin[2], 4.5f);
  EXPECT_FLOAT_EQ(mid.axis[2][1], 8.0f);
  const auto m = world::tagMatrix(mid);
  // Columns: axis 0, axis 1, axis 2 with w = 0, then the origin with w = 1.
  const float expected[16] = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 2.5f, 3.5f, 4.5f, 1};
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], expected[i]) << i;
}

TEST(Md3FrameLoop, EndIsExclusiveAndTheExcessIsDropped) {
  // One frame: end 0, so both frames stay at 0.
  world::FrameState one{1.0f, 0, 0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    one.frac = 1.5f;
    world::advanceFrame(one);
    EXPECT_EQ(one.current, 0);
    EXPECT_EQ(one.next, 0);
    EXPECT_EQ(one.frac, 0.0f);
  }

  world::FrameState s{0.0f, 0, 0, 0, 4};
  const int currents[] = {1, 2, 3, 0, 1};
  const int nexts[] = {2, 3, 0, 1, 2};
  for (int i = 0; i < 5; ++i) {
    s.frac = 1.0f;
    world::advanceFrame(s);
    EXPECT_EQ(s.current, currents[i]) << i;
    EXPECT_EQ(s.next, nexts[i]) << i;
  }
  s.frac = 0.999f;
  world::advanceFrame(s);
  EXPECT_EQ(s.current, 1);
  EXPECT_FLOAT_EQ(s.frac, 0.999f);

  // A range at the very end of the int32 numbers wraps instead of overflowing.
  world::FrameState high{1.0f, INT32_MAX - 1, INT32_MAX - 1, INT32_MAX - 1, INT32_MAX};
  world::advanceFrame(high);
  EXPECT_EQ(high.current, INT32_MAX - 1);
  EXPECT_EQ(high.next, INT32_MAX - 1);
}

TEST(Md3FrameLoop, ALoadedModelLoopsOverAllButItsLastFrame) {
  TestModel m = hingeModel();
  m.frameCount = 3;
  m.surfaces[0].frames.push_back(m.surfaces[0].frames[0]);
  auto model = world::Md3Model::fromMemory(md3_testing::writeMd3(m));
  auto& s = model.frameState();
  EXPECT_EQ(s.start, 0);
  EXPECT_EQ(s.end, 2);
  EXPECT_EQ(s.current, 0);
  EXPECT_EQ(s.next, 0);
  EXPECT_EQ(s.frac, 0.0f);
  for (int i = 0; i < 4; ++i) {
    s.frac = 1.0f;
    model.advanceFrame();
    EXPECT_NE(s.current, 2);
    EXPECT_NE(s.next, 2);
  }
}

TEST(Md3Skin, LinesNameSurfacesBySubstringAndImagesAfterTheLastSlash) {
  EXPECT_TRUE(world::skinLineNames("h_eyes,models/x/eyes.tga", "h_eyes"));
  EXPECT_TRUE(world::skinLineNames("h_eyes,models/x/eyes.tga", "h"));
  EXPECT_FALSE(world::skinLineNames("H_EYES,models/x/eyes.tga", "h_eyes"));
  EXPECT_FALSE(world::skinLineNames("", "h"));
  EXPECT_FALSE(world::skinLineNames("body,a/b.tga", ""));

  EXPECT_EQ(world::skinImageName("body,models/x/skin1.tga"), "skin1.tga");
  EXPECT_EQ(world::skinImageName("body,skin.tga"), std::nullopt);
  EXPECT_EQ(world::skinImageName("/skin.tga"), std::nullopt);  // the only "/" is the first
  EXPECT_EQ(world::skinImageName("/a/skin.tga"), "skin.tga");
  EXPECT_EQ(world::skinImageName("b/"), "");

  // A later line wins; the winners come in the order of their lines; CR LF endings.
  const std::vector<std::string> names = {"h_eyes", "h", "body", "tail"};
  const auto choices = world::parseSkin("body,a/first.tga\r\nh_eyes,m/eyes.tga\r\nbody,a/last.jpg\ntail,none\n", names);
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0].surface, 0u);  // h_eyes and h, both from line 2
  EXPECT_EQ(choices[0].image, "eyes.tga");
  EXPECT_EQ(choices[1].surface, 1u);
  EXPECT_EQ(choices[2].surface, 2u);  // body, from line 3
  EXPECT_EQ(choices[2].image, "last.jpg");
}

TEST(Md3Attach, OnlyTagsWhoseFrameZeroNameMatchesExactly) {
  TestModel m = hingeModel();
  const std::vector<TestTag> frame0 = {{"tag_torso"}, {"tag_Torso"}, {"tag_torso_b"}, {"tag_torso"}};
  m.tags = {frame0, frame0};
  Bytes bytes = md3_testing::writeMd3(m);
  // Frame 1 names its last tag otherwise.
  md3::Md3Header header;
  std::memcpy(&header, bytes.data(), sizeof header);
  std::memcpy(bytes.data() + header.tagsOffset + 7 * sizeof(md3::Md3Tag), "w", 2);
  auto parent = world::Md3Model::fromMemory(bytes);
  auto child = world::Md3Model::fromMemory(md3_testing::writeMd3(hingeModel()));
  ASSERT_EQ(parent.attachments().size(), 4u);
  parent.attach("tag_torso", &child);
  EXPECT_EQ(parent.attachments()[0], &child);
  EXPECT_EQ(parent.attachments()[1], nullptr);
  EXPECT_EQ(parent.attachments()[2], nullptr);
  EXPECT_EQ(parent.attachments()[3], &child);
  parent.attach("w", &child);  // a name of frame 1 only
  EXPECT_EQ(parent.attachments()[3], &child);
  EXPECT_EQ(parent.attachments()[1], nullptr);
}

TEST(Md3Reading, HeaderOffsetsOutsideTheFileAreIgnored) {
  TestModel m = hingeModel();
  m.tags = {{{"a", {1, 2, 3}}}, {{"a", {4, 5, 6}}}};
  m.surfaces.push_back(md3_testing::squareSurface("second", 64));
  m.surfaces.back().frames.push_back(m.surfaces.back().frames[0]);
  Bytes bytes = md3_testing::writeMd3(m);
  // Offsets of frames, tags, surfaces and end pointing anywhere: the same model.
  for (std::size_t field = offsetof(md3::Md3Header, framesOffset); field < sizeof(md3::Md3Header); field += 4)
    md3_testing::putInt32(bytes, field, 0x7fff0000);
  const auto data = world::parseMd3(bytes);
  ASSERT_EQ(data.surfaces.size(), 2u);
  EXPECT_EQ(data.surfaces[0].name, "hinge");
  EXPECT_EQ(data.surfaces[1].name, "second");
  EXPECT_EQ(data.surfaces[1].triangles.size(), 2u);
  EXPECT_VEC(data.surfaces[1].position(1, 2), 1, 1, 0);
  ASSERT_EQ(data.tags.size(), 2u);
  EXPECT_FLOAT_EQ(data.tags[1].origin[2], 6.0f);
}

TEST(Md3Reading, GapsBetweenSectionsAreCrossedThroughTheHeaderOffsets) {
  TestModel m = hingeModel();
  m.tags = {{{"a", {1, 2, 3}}}, {{"a", {4, 5, 6}}}};
  const Bytes plain = md3_testing::writeMd3(m);
  const std::size_t tagsAt = sizeof(md3::Md3Header) + 2 * sizeof(md3::Md3Frame);
  const std::size_t surfacesAt = tagsAt + 2 * sizeof(md3::Md3Tag);
  // Another tool's file: 20 bytes after the frames, 12 after the tags.
  Bytes gapped(plain.begin(), plain.begin() + tagsAt);
  gapped.insert(gapped.end(), 20, 0xAB);
  gapped.insert(gapped.end(), plain.begin() + tagsAt, plain.begin() + surfacesAt);
  gapped.insert(gapped.end(), 12, 0xCD);
  gapped.insert(gapped.end(), plain.begin() + surfacesAt, plain.end());
  md3_testing::putInt32(gapped, 96, static_cast<std::int32_t>(tagsAt + 20));
  md3_testing::putInt32(gapped, 100, static_cast<std::int32_t>(surfacesAt + 32));
  const auto a = world::parseMd3(plain);
  const auto b = world::parseMd3(gapped);
  ASSERT_EQ(b.tags.size(), 2u);
  EXPECT_STREQ(b.tags[1].name, "a");
  EXPECT_FLOAT_EQ(b.tags[1].origin[2], 6.0f);
  ASSERT_EQ(b.surfaces.size(), 1u);
  EXPECT_EQ(b.surfaces[0].name, "hinge");
  EXPECT_EQ(b.surfaces[0].triangles.size(), a.surfaces[0].triangles.size());
  EXPECT_EQ(b.surfaces[0].normals, a.surfaces[0].normals);
}

// ---- files that lie ----

class HostileMd3 : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = hingeModel();
    model_.tags = {{{"tag_a", {1, 0, 0}}}, {{"tag_a", {2, 0, 0}}}};
    model_.surfaces.push_back(md3_testing::squareSurface("square", 32));
    model_.surfaces.back().frames.push_back(model_.surfaces.back().frames[0]);
    bytes_ = md3_testing::writeMd3(model_);
  }
  std::size_t surface(std::size_t i) const { return md3_testing::surfaceStart(bytes_, i); }
  world::Md3Data parse() const { return world::parseMd3(bytes_); }

  TestModel model_;
  Bytes bytes_;
};

TEST_F(HostileMd3, EveryTruncationKeepsOnlyWholeRecords) {
  const std::size_t full = bytes_.size();
  for (std::size_t size = 0; size <= full; ++size) {
    const Bytes cut(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size));
    const auto data = world::parseMd3(cut);
    for (const auto& s : data.surfaces) {
      EXPECT_EQ(s.vertices.size(), static_cast<std::size_t>(s.frameCount) * static_cast<std::size_t>(s.vertexCount));
      EXPECT_EQ(s.normals.size(), static_cast<std::size_t>(s.normalFrames) * static_cast<std::size_t>(s.vertexCount));
      EXPECT_LE(s.normalFrames, 2);
      if (s.frameCount > 0) {
        EXPECT_EQ(s.texCoords.size(), static_cast<std::size_t>(s.vertexCount));
      }
    }
    if (size < sizeof(md3::Md3Header)) {
      EXPECT_TRUE(data.surfaces.empty());
    }
  }
  // Cut in the middle of the second surface's last frame: that surface keeps one frame.
  const Bytes cut(bytes_.begin(), bytes_.end() - 4);
  const auto data = world::parseMd3(cut);
  ASSERT_EQ(data.surfaces.size(), 2u);
  EXPECT_EQ(data.surfaces[0].frameCount, 2);
  EXPECT_EQ(data.surfaces[1].frameCount, 1);
  EXPECT_EQ(data.surfaces[1].normalFrames, 1);
}

TEST_F(HostileMd3, IndicesOutsideTheSurfaceDropTheirTriangle) {
  const std::size_t triangles = surface(0) + sizeof(md3::Md3SurfaceHeader);
  md3_testing::putInt32(bytes_, triangles + 4, 5);               // V is 5: one past the end
  md3_testing::putInt32(bytes_, triangles + 12 + 8, -1);         // second triangle, third corner
  const auto data = parse();
  EXPECT_TRUE(data.surfaces[0].triangles.empty());
  EXPECT_EQ(data.surfaces[0].droppedTriangles, 2);
  EXPECT_EQ(data.surfaces[1].triangles.size(), 2u);
  // No face left: every normal of the damaged surface is zero, none is NaN.
  for (const auto& n : data.surfaces[0].normals) EXPECT_EQ(n, Vec3{});
}

TEST_F(HostileMd3, CountsBeyondTheFileAreCutToWhatIsThere) {
  struct Case {
    const char* what;
    std::size_t field;  // 0..: header; with surface: from surface 0's start
    bool inSurface;
    std::int32_t value;
  };
  const Case cases[] = {
      {"frame count huge", md3_testing::kFrameCountField, false, 0x7fffffff},
      {"frame count negative", md3_testing::kFrameCountField, false, -5},
      {"tag count huge", md3_testing::kTagCountField, false, 0x7fffffff},
      {"tag count negative", md3_testing::kTagCountField, false, INT32_MIN},
      {"surface count huge", md3_testing::kSurfaceCountField, false, 0x7fffffff},
      {"surface count negative", md3_testing::kSurfaceCountField, false, -1},
      {"surface frames huge", md3_testing::kSurfaceFrameCountField, true, 0x7fffffff},
      {"surface frames negative", md3_testing::kSurfaceFrameCountField, true, -2},
      {"vertex count huge", md3_testing::kSurfaceVertexCountField, true, 0x7fffffff},
      {"vertex count negative", md3_testing::kSurfaceVertexCountField, true, -7},
      {"triangle count huge", md3_testing::kSurfaceTriangleCountField, true, 0x7fffffff},
      {"triangles far out", md3_testing::kSurfaceTrianglesOffsetField, true, 0x7fffffff},
      {"triangles before the file", md3_testing::kSurfaceTrianglesOffsetField, true, INT32_MIN},
      {"coordinates far out", md3_testing::kSurfaceTexCoordsOffsetField, true, 0x7ffffff0},
      {"vertices far out", md3_testing::kSurfaceVerticesOffsetField, true, 0x7fffffff},
      {"vertices before the file", md3_testing::kSurfaceVerticesOffsetField, true, -100000},
      {"surface size huge", md3_testing::kSurfaceSizeField, true, 0x7fffffff},
      {"surface size zero", md3_testing::kSurfaceSizeField, true, 0},
      {"surface size backwards", md3_testing::kSurfaceSizeField, true, -400},
  };
  for (const Case& c : cases) {
    Bytes bytes = bytes_;
    md3_testing::putInt32(bytes, (c.inSurface ? surface(0) : 0) + c.field, c.value);
    const auto data = world::parseMd3(bytes);
    EXPECT_LE(data.tags.size(), bytes.size() / sizeof(md3::Md3Tag)) << c.what;
    EXPECT_LE(data.surfaces.size(), 2u) << c.what;
    for (const auto& s : data.surfaces) {
      EXPECT_LE(s.vertices.size() * sizeof(md3::Md3Vertex), bytes.size()) << c.what;
      EXPECT_LE(s.triangles.size() * sizeof(md3::Md3Triangle), bytes.size()) << c.what;
      EXPECT_LE(s.normalFrames, std::min(data.frameCount, s.frameCount)) << c.what;
    }
    auto model = world::Md3Model::fromMemory(bytes);
    EXPECT_LE(model.attachments().size(), data.tags.size()) << c.what;
  }
}

TEST_F(HostileMd3, WhatEachDamageLeaves) {
  {
    Bytes bytes = bytes_;
    md3_testing::putInt32(bytes, md3_testing::kSurfaceCountField, 1000);
    md3_testing::putInt32(bytes, surface(0) + md3_testing::kSurfaceSizeField, 0);
    // A surface that does not move the reader on ends the list instead of repeating 1000 times.
    EXPECT_EQ(world::parseMd3(bytes).surfaces.size(), 1u);
  }
  {
    Bytes bytes = bytes_;
    md3_testing::putInt32(bytes, surface(0) + md3_testing::kSurfaceVerticesOffsetField, 0x7fffffff);
    const auto data = world::parseMd3(bytes);
    EXPECT_EQ(data.surfaces[0].frameCount, 0);
    EXPECT_EQ(data.surfaces[0].normalFrames, 0);
    EXPECT_EQ(data.surfaces[1].frameCount, 2);  // the next surface is still found
  }
  {
    // One frame fewer than written: the header still finds the tags and the surfaces.
    Bytes bytes = bytes_;
    md3_testing::putInt32(bytes, md3_testing::kFrameCountField, 1);
    const auto data = world::parseMd3(bytes);
    EXPECT_EQ(data.frameCount, 1);
    ASSERT_EQ(data.tags.size(), 1u);
    EXPECT_STREQ(data.tags[0].name, "tag_a");
    EXPECT_FLOAT_EQ(data.tags[0].origin[0], 1.0f);
    EXPECT_EQ(data.surfaces.size(), 2u);
    EXPECT_EQ(data.surfaces[0].normalFrames, 1);
  }
  {
    Bytes bytes = bytes_;
    md3_testing::putInt32(bytes, surface(0) + md3_testing::kSurfaceFrameCountField, 1);
    const auto data = world::parseMd3(bytes);
    EXPECT_EQ(data.surfaces[0].frameCount, 1);
    EXPECT_EQ(data.surfaces[0].normalFrames, 1);
    EXPECT_TRUE(data.surfaces[0].hasFrame(0));
    EXPECT_FALSE(data.surfaces[0].hasFrame(1));
  }
}

TEST_F(HostileMd3, FlippedBytesNeverLeadOutOfBounds) {
  // Deterministic damage all over the file; the sanitizer build turns any stray read into a
  // failure, the checks below catch inconsistent arrays.
  std::uint32_t state = 12345;
  auto random = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    Bytes bytes = bytes_;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    auto model = world::Md3Model::fromMemory(bytes);
    for (const auto& s : model.data().surfaces) {
      ASSERT_EQ(s.vertices.size(), static_cast<std::size_t>(s.frameCount) * static_cast<std::size_t>(s.vertexCount));
      for (const auto& t : s.triangles)
        for (const auto i : t.indices) ASSERT_TRUE(i >= 0 && i < s.vertexCount);
    }
    auto& f = model.frameState();
    f.current = static_cast<std::int32_t>(random() % 4) - 1;
    f.next = static_cast<std::int32_t>(random() % 4) - 1;
    for (std::size_t t = 0; t < model.attachments().size() + 1; ++t) (void)model.currentTagMatrix(static_cast<std::int32_t>(t));
  }
}

}  // namespace
