// Drawing levels in a real GL context (Xvfb, Mesa) and reading the pixels back. The camera
// sits at the origin looking down -z with a 90-degree view.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <memory>

#include "fx/view_frustum.h"
#include "level_builder.h"
#include "picture_files.h"
#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using levelc::LevelBuilder;
using levelc::leafChild;
using levelc::screenQuad;
using world::Vec3;
namespace bsp = world::bsp;

constexpr int kSide = 64;

class LevelRender : public testing_support::DrawingTest<kSide, kSide> {
 protected:
  void prepare() override {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(90.0, 1.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    frustum_.extract();
  }
  void TearDown() override { level_.destroy(); }

  void load(const LevelBuilder& w, float scale = 1.0f) { level_.loadFromMemory(w.bytes(), scale); }
  void render(Vec3 eye, std::uint8_t lightmaps = 1, std::uint8_t textures = 1) {
    level_.render(eye, [this](float a, float b, float c, float d, float e, float f) {
      return frustum_.containsBox(a, b, c, d, e, f);
    }, lightmaps, textures);
  }
  // Pixel at fractions of the window from the top left.
  static testing_support::Rgba pixel(float fx, float fy) {
    return DrawingTest::pixel(static_cast<int>(fx * (kSide - 1)), static_cast<int>(fy * (kSide - 1)));
  }
  std::vector<std::int32_t> drawn() const {
    const auto faces = level_.lastDrawnFaces();
    return {faces.begin(), faces.end()};
  }

  fx::ViewFrustum frustum_;
  world::BspLevel level_;
};

#define EXPECT_RGB(actual, R, G, B)          \
  do {                                       \
    const testing_support::Rgba px = (actual); \
    EXPECT_NEAR(px.r, (R), 2) << "red";      \
    EXPECT_NEAR(px.g, (G), 2) << "green";    \
    EXPECT_NEAR(px.b, (B), 2) << "blue";     \
  } while (0)

// One node: scene z >= -100 is the front (leaf 0, where the camera is), the rest the back.
LevelBuilder withCameraLeaf(int cameraCluster) {
  LevelBuilder w;
  const int plane = w.addPlane({0, 0, 1}, -100);
  w.addNode(plane, leafChild(0), leafChild(1));
  w.addLeaf(cameraCluster, {-50, -50, -100}, {50, 50, 50}, {});
  w.addLeaf(-1, {-50, -50, -200}, {50, 50, -100}, {});
  return w;
}

void leftHalf(float z, Vec3 (&corners)[4]) {
  corners[0] = {-2 * -z, -2 * -z, z};
  corners[1] = {0, -2 * -z, z};
  corners[2] = {0, 2 * -z, z};
  corners[3] = {-2 * -z, 2 * -z, z};
}
void rightHalf(float z, Vec3 (&corners)[4]) {
  corners[0] = {0, -2 * -z, z};
  corners[1] = {2 * -z, -2 * -z, z};
  corners[2] = {2 * -z, 2 * -z, z};
  corners[3] = {0, 2 * -z, z};
}

TEST_F(LevelRender, FaceSharedByThreeVisibleLeavesIsDrawnOncePerRender) {
  LevelBuilder w = withCameraLeaf(0);
  Vec3 quad[4];
  screenQuad(-5, 10, quad);
  const int shared = w.addQuad(quad, -1, -1);
  Vec3 left[4];
  leftHalf(-4, left);
  const int hidden = w.addQuad(left, -1, -1);
  Vec3 right[4];
  rightHalf(-4, right);
  const int behind = w.addQuad(right, -1, -1);
  w.addLeaf(0, {-10, -10, -10}, {10, 10, 0}, {shared});
  w.addLeaf(1, {-10, -10, -10}, {10, 10, 0}, {shared});
  w.addLeaf(2, {-10, -10, -10}, {10, 10, 0}, {shared, shared});
  w.addLeaf(3, {-10, -10, -10}, {10, 10, 0}, {hidden});   // cluster not seen from 0
  w.addLeaf(0, {-10, -10, 10}, {10, 10, 20}, {behind});   // box behind the camera
  w.setVisibility({{0, 1, 2}, {1}, {2}, {3}});
  load(w);

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glColor4f(0.25f, 0.25f, 0.25f, 1);
  render({0, 0, 0}, 0, 0);
  EXPECT_EQ(level_.cameraLeaf(), 0);
  EXPECT_EQ(drawn(), std::vector<std::int32_t>{shared});
  EXPECT_EQ(level_.lastRenderStats().leavesPassed, 4);  // the camera leaf and three listing it
  EXPECT_RGB(pixel(0.5f, 0.5f), 64, 64, 64);
  EXPECT_RGB(pixel(0.2f, 0.5f), 64, 64, 64);
  EXPECT_RGB(pixel(0.8f, 0.5f), 64, 64, 64);
  // A second render in the same frame starts from cleared flags and draws the level again.
  render({0, 0, 0}, 0, 0);
  EXPECT_EQ(drawn(), std::vector<std::int32_t>{shared});
  EXPECT_RGB(pixel(0.5f, 0.5f), 128, 128, 128);
}

TEST_F(LevelRender, OnlyPolygonFacesAreDrawn) {
  LevelBuilder w = withCameraLeaf(-1);
  Vec3 quad[4];
  screenQuad(-5, 10, quad);
  Vec3 left[4];
  leftHalf(-3, left);
  // Patches, meshes and billboards of other tools' files cover the whole view.
  const int patch = w.addQuad(quad, -1, -1, 2);
  const int mesh = w.addQuad(quad, -1, -1, 3);
  const int billboard = w.addQuad(quad, -1, -1, 4);
  const int none = w.addQuad(quad, -1, -1, 0);
  const int polygon = w.addQuad(left, -1, -1);
  w.addLeaf(-1, {-10, -10, -10}, {10, 10, 0}, {patch, mesh, billboard, none, polygon, patch});
  load(w);

  render({0, 0, 0});
  EXPECT_EQ(drawn(), std::vector<std::int32_t>{polygon});
  EXPECT_RGB(pixel(0.25f, 0.5f), 255, 255, 255);
  EXPECT_RGB(pixel(0.75f, 0.5f), 0, 0, 0);
}

TEST_F(LevelRender, SwitchesGovernTheTwoUnitsAndFacesAlwaysDraw) {
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory cwd(folder.path());
  ASSERT_TRUE(platform::createFolders("textures"));
  Bytes red;
  for (int i = 0; i < 8 * 8; ++i) red.insert(red.end(), {255, 0, 0});
  const Bytes jpeg = showkit::encodeJpeg(red, 8, 8, 3, 100, true);
  ASSERT_TRUE(platform::writeWholeFile("textures/red.jpg", jpeg.data(), jpeg.size()));

  LevelBuilder w = withCameraLeaf(-1);
  const int shader = w.addShader("Textures/Red");   // found whatever the case on disk
  const int missing = w.addShader("textures/none");  // no image: drawn untextured
  w.addShader(std::string(63, 'a'));
  const int lightmap = w.addLightmap(100, 100, 100);
  Vec3 left[4], right[4];
  leftHalf(-5, left);
  rightHalf(-5, right);
  const int lit = w.addQuad(left, shader, lightmap);
  const int unlit = w.addQuad(right, missing, -1);  // no lightmap: binds none
  w.addLeaf(-1, {-10, -10, -10}, {10, 10, 0}, {lit, unlit});
  load(w, 2.0f);

  ASSERT_EQ(level_.textureFileNames().size(), 3u);
  EXPECT_EQ(level_.textureFileNames()[0], "Textures/Red.jpg");
  EXPECT_EQ(level_.textureFileNames()[2], std::string(63, 'a') + ".jpg");
  EXPECT_NE(level_.textures()[0].name, 0u);
  EXPECT_EQ(level_.textures()[0].width, 8);
  EXPECT_EQ(level_.textures()[1].name, 0u);
  ASSERT_EQ(level_.lightmapTextures().size(), 1u);

  // The lightmap texture holds the scaled bytes, with mipmaps.
  std::vector<std::uint8_t> texels(128 * 128 * 3);
  glBindTexture(GL_TEXTURE_2D, level_.lightmapTextures()[0]);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels[0], 200);
  EXPECT_EQ(texels[texels.size() - 1], 200);
  GLint minFilter = 0, mipWidth = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH, &mipWidth);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(mipWidth, 1);

  glColor4f(0.5f, 0.5f, 0.5f, 1);
  struct Case {
    std::uint8_t lightmaps, textures;
    testing_support::Rgba left;
  };
  // 128 x 200 / 255 = 100: the lightmap modulates the colour (or the texture) on unit 1.
  for (const Case c : {Case{0, 0, {128, 128, 128}}, Case{0, 1, {128, 0, 0}}, Case{1, 0, {100, 100, 100}},
                       Case{1, 1, {100, 0, 0}}, Case{2, 2, {128, 128, 128}}}) {
    SCOPED_TRACE(testing::Message() << int(c.lightmaps) << int(c.textures));
    glClear(GL_COLOR_BUFFER_BIT);
    render({0, 0, 0}, c.lightmaps, c.textures);
    EXPECT_RGB(pixel(0.25f, 0.5f), c.left.r, c.left.g, c.left.b);
    EXPECT_RGB(pixel(0.75f, 0.5f), 128, 128, 128);
  }
}

TEST_F(LevelRender, LightmapsAreScaledByTheLevelFactor) {
  LevelBuilder w = withCameraLeaf(-1);
  const int lightmap = w.addLightmap(201, 100, 40);
  Vec3 quad[4];
  screenQuad(-5, 10, quad);
  w.addLeaf(-1, {-10, -10, -10}, {10, 10, 0}, {w.addQuad(quad, -1, lightmap)});
  load(w, 0.5f);
  render({0, 0, 0}, 1, 1);
  EXPECT_RGB(pixel(0.5f, 0.5f), 100, 50, 20);

  // No lightmaps at all: still loads and draws.
  w.lightmapBytes.clear();
  w.lightmapCount = 0;
  load(w, 0.5f);
  EXPECT_TRUE(level_.lightmapTextures().empty());
  glClear(GL_COLOR_BUFFER_BIT);
  render({0, 0, 0}, 1, 1);
  EXPECT_RGB(pixel(0.5f, 0.5f), 255, 255, 255);
}

TEST_F(LevelRender, CameraOutsideEveryClusterDrawsEveryLeafInView) {
  LevelBuilder w = withCameraLeaf(-1);
  Vec3 left[4], right[4], quad[4];
  leftHalf(-5, left);
  rightHalf(-5, right);
  screenQuad(-5, 10, quad);
  const int a = w.addQuad(left, -1, -1);
  const int b = w.addQuad(right, -1, -1);
  const int c = w.addQuad(quad, -1, -1);
  w.addLeaf(4, {-10, -10, -10}, {0, 10, 0}, {a});
  w.addLeaf(7, {0, -10, -10}, {10, 10, 0}, {b});
  w.addLeaf(5, {-10, -10, 5}, {10, 10, 20}, {c});  // behind the camera
  w.setVisibility({{0}, {1}});  // no row would let any of them through
  load(w);
  render({0, 0, 0});
  EXPECT_EQ(level_.cameraLeaf(), 0);
  EXPECT_EQ(drawn(), (std::vector<std::int32_t>{a, b}));
  EXPECT_RGB(pixel(0.25f, 0.5f), 255, 255, 255);
  EXPECT_RGB(pixel(0.75f, 0.5f), 255, 255, 255);

  // The same level from a camera in cluster 0: nothing of clusters 4, 5 and 7 is seen.
  w.leaves[0].cluster = 0;
  load(w);
  glClear(GL_COLOR_BUFFER_BIT);
  render({0, 0, 0});
  EXPECT_TRUE(drawn().empty());
  EXPECT_RGB(pixel(0.5f, 0.5f), 0, 0, 0);
}

TEST_F(LevelRender, CameraOnASplitPlaneDrawsWhatTheFrontLeafSees) {
  LevelBuilder w;
  const int plane = w.addPlane({1, 0, 0}, 0);
  w.addNode(plane, leafChild(0), leafChild(1));
  Vec3 left[4], right[4];
  leftHalf(-5, left);
  rightHalf(-5, right);
  const int frontFace = w.addQuad(left, -1, -1);
  const int backFace = w.addQuad(right, -1, -1);
  w.addLeaf(0, {0, -10, -10}, {10, 10, 10}, {frontFace});
  w.addLeaf(1, {-10, -10, -10}, {0, 10, 10}, {backFace});
  w.setVisibility({{0}, {1}});
  load(w);

  world::CameraPath camera = world::CameraPath::fromText("5\n0 0 0\n0 0 -1\n");
  level_.render(camera, [this](float a, float b, float c, float d, float e, float f) {
    return frustum_.containsBox(a, b, c, d, e, f);
  }, 1, 1);
  EXPECT_EQ(level_.cameraLeaf(), 0);
  EXPECT_EQ(drawn(), std::vector<std::int32_t>{frontFace});
  EXPECT_RGB(pixel(0.25f, 0.5f), 255, 255, 255);
  EXPECT_RGB(pixel(0.75f, 0.5f), 0, 0, 0);

  glClear(GL_COLOR_BUFFER_BIT);
  render({-0.01f, 0, 0});
  EXPECT_EQ(level_.cameraLeaf(), 1);
  EXPECT_RGB(pixel(0.25f, 0.5f), 0, 0, 0);
  EXPECT_RGB(pixel(0.75f, 0.5f), 255, 255, 255);
}

TEST_F(LevelRender, LeavesTheDocumentedStateBehind) {
  LevelBuilder w = withCameraLeaf(-1);
  Vec3 quad[4];
  screenQuad(-5, 10, quad);
  w.addLeaf(-1, {-10, -10, -10}, {10, 10, 0}, {w.addQuad(quad, -1, w.addLightmap(9, 9, 9))});
  load(w);
  const auto& gl = platform::glext;
  gl.activeTexture(GL_TEXTURE0_ARB);
  gl.clientActiveTexture(GL_TEXTURE0_ARB);
  render({0, 0, 0});

  GLint active = 0, clientActive = 0, bound = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE_ARB, &clientActive);
  EXPECT_EQ(active, GL_TEXTURE1_ARB);
  EXPECT_EQ(clientActive, GL_TEXTURE1_ARB);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), level_.lightmapTextures()[0]);  // still bound
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  gl.clientActiveTexture(GL_TEXTURE0_ARB);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  gl.activeTexture(GL_TEXTURE0_ARB);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gl.clientActiveTexture(GL_TEXTURE1_ARB);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gl.clientActiveTexture(GL_TEXTURE0_ARB);
  glDisableClientState(GL_VERTEX_ARRAY);
}

TEST_F(LevelRender, MissingOrHostileFilesDrawNothingWrong) {
  testing_support::TempFolder folder;
  EXPECT_FALSE(level_.load(folder.file("absent.bsp"), 1.0f));
  EXPECT_TRUE(level_.data().faces.empty());
  render({0, 0, 0});
  EXPECT_TRUE(drawn().empty());
  EXPECT_RGB(pixel(0.5f, 0.5f), 0, 0, 0);

  // Shader and lightmap indices out of range bind nothing; the face is still drawn.
  LevelBuilder w = withCameraLeaf(-1);
  w.addLightmap(50, 50, 50);
  Vec3 quad[4];
  screenQuad(-5, 10, quad);
  w.addLeaf(-1, {-10, -10, -10}, {10, 10, 0}, {w.addQuad(quad, 12, 3)});
  folder.write("odd.bsp", w.bytes());
  EXPECT_TRUE(level_.load(folder.file("odd.bsp"), 1.0f));
  render({0, 0, 0});
  EXPECT_EQ(drawn().size(), 1u);
  EXPECT_RGB(pixel(0.5f, 0.5f), 255, 255, 255);
}

}  // namespace
