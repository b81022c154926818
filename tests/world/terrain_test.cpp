// The terrain: fog coordinates, the quad order and its height indices, short height files,
// and the display list in a real GL context (the state it leaves, fog by height, culling).
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/gl_extensions.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "world/terrain.h"

namespace {

using world::TerrainVertex;

TEST(TerrainArithmetic, FogCoordinatesGrowWithDepthBelowOneHundred) {
  EXPECT_FLOAT_EQ(world::terrainFogCoordinate(40), 60.0f);
  EXPECT_FLOAT_EQ(world::terrainFogCoordinate(100), 0.0f);
  EXPECT_FLOAT_EQ(world::terrainFogCoordinate(101), 30.0f);
  EXPECT_FLOAT_EQ(world::terrainFogCoordinate(255), 30.0f);
  EXPECT_FLOAT_EQ(world::terrainFogCoordinate(0), 100.0f);
}

TEST(TerrainArithmetic, QuadVerticesGoRoundInOrderAndWrapOnlyTheHeightRow) {
  // The last quad of the show's terrain: x = z = 1020, step 10.
  const auto q = world::terrainQuad(1020, 1020, 10, 1024);
  EXPECT_EQ(q[0], (TerrainVertex{1020, 1020, 1020 + 1020 * 1024, 1020 / 1024.0f, 1020 / 1024.0f}));
  // Vertex 2: the position reaches z = 1030, its height comes from row 6.
  EXPECT_EQ(q[1], (TerrainVertex{1020, 1030, 1020 + 6 * 1024, 1020 / 1024.0f, 1030 / 1024.0f}));
  // x + s wraps neither in the position nor in the index.
  EXPECT_EQ(q[2], (TerrainVertex{1030, 1030, 1030 + 6 * 1024, 1030 / 1024.0f, 1030 / 1024.0f}));
  EXPECT_EQ(q[3], (TerrainVertex{1030, 1020, 1030 + 1020 * 1024, 1030 / 1024.0f, 1020 / 1024.0f}));

  const auto first = world::terrainQuad(0, 10, 10, 1024);
  EXPECT_EQ(first[1].heightIndex, 20 * 1024);
  EXPECT_EQ(first[2].heightIndex, 10 + 20 * 1024);
}

TEST(TerrainArithmetic, QuadsRunXOuterZInnerAndOneQuadWhenTheStepIsTheSize) {
  std::vector<std::pair<int, int>> quads;
  auto collect = [&](std::int32_t x, std::int32_t z) { quads.emplace_back(x, z); };
  world::forEachTerrainQuad(8, 8, collect);
  EXPECT_EQ(quads, (std::vector<std::pair<int, int>>{{0, 0}}));
  const auto one = world::terrainQuad(0, 0, 8, 8);
  EXPECT_EQ(one[1].heightIndex, 0);  // (0 + 8) mod 8 = row 0
  EXPECT_EQ(one[2].heightIndex, 8);  // the next row's first byte

  quads.clear();
  world::forEachTerrainQuad(5, 2, collect);
  EXPECT_EQ(quads, (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {0, 4}, {2, 0}, {2, 2}, {2, 4}, {4, 0}, {4, 2}, {4, 4}}));

  int count = 0;
  world::forEachTerrainQuad(1024, 10, [&](std::int32_t, std::int32_t) { ++count; });
  EXPECT_EQ(count, 103 * 103);

  // A step below 1 would never end; it gives no quads.
  quads.clear();
  world::forEachTerrainQuad(8, 0, collect);
  world::forEachTerrainQuad(8, -3, collect);
  world::forEachTerrainQuad(0, 1, collect);
  EXPECT_TRUE(quads.empty());
}

TEST(TerrainArithmetic, HeightsPastTheFieldReadAsZero) {
  const std::vector<std::uint8_t> field(16, 200);
  // Step 1 on a 4 x 4 field: the last quad's vertex 4 is byte 4 + 3 x 4 = 16, one past the end.
  const auto q = world::terrainQuad(3, 3, 1, 4);
  EXPECT_EQ(q[3].heightIndex, 16);
  EXPECT_EQ(world::terrainHeightAt(field, q[3].heightIndex), 0);
  EXPECT_EQ(world::terrainHeightAt(field, q[2].heightIndex), 200);  // row 0 again: 4
  EXPECT_EQ(world::terrainHeightAt(field, -1), 0);
}

TEST(TerrainFile, MissingAndShortHeightFilesGiveZeroForWhatIsMissing) {
  testing_support::TempFolder folder;
  folder.write("short.raw", std::string(10, '\x7f'));
  auto shortField = world::Terrain::load(4, folder.file("short.raw"), folder.file("none.jpg"), folder.file("none.jpg"));
  ASSERT_EQ(shortField.heights().size(), 16u);
  EXPECT_EQ(shortField.heightBytesRead(), 10);
  EXPECT_EQ(shortField.heights()[9], 0x7f);
  EXPECT_EQ(shortField.heights()[10], 0);
  EXPECT_EQ(shortField.heights()[15], 0);
  EXPECT_TRUE(shortField.texture().empty());

  folder.write("long.raw", std::string(20, '\x05'));
  auto longField = world::Terrain::load(4, folder.file("long.raw"), "", "");
  EXPECT_EQ(longField.heights().size(), 16u);
  EXPECT_EQ(longField.heightBytesRead(), 16);

  auto missing = world::Terrain::load(3, folder.file("absent.raw"), "", "");
  EXPECT_EQ(missing.heights().size(), 9u);
  EXPECT_EQ(missing.heightBytesRead(), 0);
  for (const auto h : missing.heights()) EXPECT_EQ(h, 0);
}

// ---- the list ----

constexpr int kSide = 64;

class TerrainList : public testing_support::DrawingTest<kSide, kSide> {
 protected:
  void prepare() override {
    platform::glext.activeTexture(GL_TEXTURE1_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    platform::glext.activeTexture(GL_TEXTURE0_ARB);
    // Looking straight down on the field: scene x to the right, scene z down the window.
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 16, -16, 0, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glRotatef(90, 1, 0, 0);
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
  }

  // A texture of one colour.
  static resources::TextureRecord solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    resources::TextureRecord record{4, 4, 24, 0};
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 16; ++i) pixels.insert(pixels.end(), {r, g, b});
    resources::uploadTexture(record, pixels.data());
    return record;
  }
  // An 8 x 8 field: columns 0-3 at height 100, columns 4-7 at 0.
  static world::Terrain cliffField(resources::TextureRecord ground, resources::TextureRecord detail) {
    std::vector<std::uint8_t> heights(64);
    for (int z = 0; z < 8; ++z)
      for (int x = 0; x < 8; ++x) heights[x + z * 8] = x < 4 ? 100 : 0;
    return world::Terrain::fromHeights(8, heights, ground, detail);
  }
  // Colour at scene (x, z), seen from above.
  static std::array<int, 3> pixel(float x, float z) {
    const auto p = DrawingTest::pixel(static_cast<int>(x / 16.0f * kSide), static_cast<int>(z / 16.0f * kSide));
    return {p.r, p.g, p.b};
  }
};

TEST_F(TerrainList, CallingTheListLeavesTheDetailUnitActiveAndCullingOff) {
  auto terrain = cliffField(solid(255, 255, 255), solid(128, 128, 128));
  terrain.buildList(1);
  EXPECT_EQ(terrain.quadCount(), 64);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));  // set again after the list
  GLint value = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
  EXPECT_EQ(value, GL_TEXTURE0_ARB);  // compiling did not run the list

  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  glCallList(terrain.list());
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]) << i;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
  EXPECT_EQ(value, GL_TEXTURE1_ARB);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(static_cast<GLuint>(value), terrain.detail().name);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_COMBINE_ARB);
  GLfloat scale = 0;
  glGetTexEnvfv(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, &scale);
  EXPECT_FLOAT_EQ(scale, 2.0f);
  GLfloat texture[16];
  glGetFloatv(GL_TEXTURE_MATRIX, texture);
  EXPECT_FLOAT_EQ(texture[0], 16.0f);
  EXPECT_FLOAT_EQ(texture[5], 16.0f);
  EXPECT_FLOAT_EQ(texture[10], 1.0f);
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_FRONT);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  platform::glext.activeTexture(GL_TEXTURE0_ARB);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(static_cast<GLuint>(value), terrain.texture().name);
  terrain.destroy();
  EXPECT_EQ(terrain.list(), 0u);
  EXPECT_TRUE(terrain.heights().empty());
}

TEST_F(TerrainList, LowGroundIsFoggedByItsDepthAndTheTopSideIsDrawn) {
  // White ground times a mid-grey detail, doubled: about white again.
  auto terrain = cliffField(solid(255, 255, 255), solid(128, 128, 128));
  terrain.buildList(1);
  world::Terrain::setFog(1, 0, 0, 1, 0, 100);  // red fog, full at coordinate 100
  glCallList(terrain.list());
  // Height 100: coordinate 0, no fog. Height 0: coordinate 100, all fog.
  const auto high = pixel(3.0f, 8.0f);
  const auto low = pixel(11.0f, 8.0f);
  EXPECT_GT(high[0], 230);
  EXPECT_GT(high[1], 230);
  EXPECT_GT(high[2], 230);
  EXPECT_GT(low[0], 230);
  EXPECT_LT(low[1], 25);
  EXPECT_LT(low[2], 25);

  // The detail really multiplies: a black detail darkens the ground out of the fog.
  glClear(GL_COLOR_BUFFER_BIT);
  terrain.destroy();
  auto dark = cliffField(solid(255, 255, 255), solid(0, 0, 0));
  dark.buildList(1);
  glCullFace(GL_FRONT);
  glEnable(GL_CULL_FACE);
  world::Terrain::setFog(1, 0, 0, 1, 0, 100);
  glCallList(dark.list());
  const auto black = pixel(3.0f, 8.0f);
  EXPECT_LT(black[0] + black[1] + black[2], 30);
  dark.destroy();
  glDisable(GL_FOG);
}

TEST_F(TerrainList, TheUndersideIsCulled) {
  auto terrain = cliffField(solid(255, 255, 255), solid(128, 128, 128));
  terrain.buildList(2);
  EXPECT_EQ(terrain.quadCount(), 16);
  glDisable(GL_FOG);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 16, 0, 16, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(-90, 1, 0, 0);  // looking up from below: scene z now runs up the window
  auto litPixels = [] {
    const auto pixels = gl().readPixels();
    int n = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) n += pixels[i] + pixels[i + 1] + pixels[i + 2] > 0 ? 1 : 0;
    return n;
  };
  glCallList(terrain.list());
  EXPECT_EQ(litPixels(), 0);
  // With culling off before the call (the list only chooses the face) the field is there.
  glDisable(GL_CULL_FACE);
  glCallList(terrain.list());
  EXPECT_GT(litPixels(), kSide * kSide / 2);
  terrain.destroy();
}

}  // namespace

namespace {

// Moving hands the list and the textures over; moving onto a terrain gives back what it held,
// and a moved-from terrain holds nothing that a later destroy could delete twice.
TEST_F(TerrainList, MovesHandOverTheListAndTexturesAndFreeWhatTheyReplace) {
  world::Terrain first = cliffField(solid(200, 0, 0), solid(128, 128, 128));
  first.buildList(1);
  const GLuint list = first.list();
  const GLuint ground = first.texture().name;
  world::Terrain moved(std::move(first));
  EXPECT_EQ(first.list(), 0u);
  EXPECT_TRUE(first.texture().empty() && first.detail().empty() && first.heights().empty());
  EXPECT_EQ(moved.list(), list);

  world::Terrain other = cliffField(solid(0, 200, 0), solid(128, 128, 128));
  other.buildList(1);
  const GLuint otherList = other.list();
  const GLuint otherGround = other.texture().name;
  other = std::move(moved);
  EXPECT_FALSE(glIsList(otherList)) << "the replaced list is given back";
  EXPECT_FALSE(glIsTexture(otherGround)) << "the replaced ground texture is given back";
  EXPECT_EQ(other.list(), list);
  EXPECT_EQ(other.texture().name, ground);
  first.destroy();
  moved.destroy();
  EXPECT_TRUE(glIsList(list)) << "destroying the moved-from terrains left the list alone";
  other.destroy();
  EXPECT_FALSE(glIsList(list));
}

}  // namespace
