// The models and the island drawn by the demo's own Md3Model and Terrain the way their
// scenes place them (transforms, lights, fog, sea). Set TOLVEK_MODELKIT_PREVIEW to a folder
// to keep the pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/gl_extensions.h"
#include "show_folder.h"
#include "show_kit.h"
#include "show_models.h"
#include "support/gl_context.h"
#include "world/md3_model.h"
#include "world/terrain.h"
#include "written_models.h"

namespace {

constexpr int kSide = 320;

class KitScenePicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    context_ = std::make_unique<testing_support::GlTestContext>(kSide, kSide);
    if (!context_->ok()) return;
    const std::string& root = modelkit_test::writtenModels().folder.path();
    // The island needs its terrain files and the detail picture beside the models.
    showkit::ShowFolder folder(root);
    showkit::writeTerrain(folder);
    showkit::writeIslandPictures(folder);
    directory_ = std::make_unique<testing_support::ScopedWorkingDirectory>(root);
  }
  static void TearDownTestSuite() {
    directory_.reset();
    context_.reset();
  }
  void SetUp() override { ASSERT_TRUE(context_->ok()) << "drawing tests need a display (run under xvfb-run -a)"; }

  static void begin(double fov, double eyeX, double eyeY, double eyeZ, double atX, double atY, double atZ, double far = 3700) {
    glViewport(0, 0, kSide, kSide);
    glClearColor(0.05f, 0.05f, 0.08f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, 1, 1, far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, atX, atY, atZ, 0, 1, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
  }

  // Share of pixels that differ from the clear colour.
  static double finish(const std::string& name) {
    if (const char* folder = std::getenv("TOLVEK_MODELKIT_PREVIEW"); folder && *folder)
      context_->savePng(std::string(folder) + "/" + name + ".png");
    const std::vector<std::uint8_t> pixels = context_->readPixels();
    size_t drawn = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
      drawn += std::abs(pixels[i] - 13) + std::abs(pixels[i + 1] - 13) + std::abs(pixels[i + 2] - 20) > 12;
    return static_cast<double>(drawn) / (pixels.size() / 4);
  }

  static void roomLights() {
    const float ambient[] = {0.5f, 0.5f, 0.5f, 0}, red[] = {1, 0.8f, 0.8f, 0}, white[] = {1, 1, 1, 0};
    const float p1[] = {-325, 20, -227, 0.6f}, p2[] = {-325, 20, -227, 0.5f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, red);
    glLightfv(GL_LIGHT1, GL_POSITION, p1);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0.00005f);
    glLightfv(GL_LIGHT2, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT2, GL_POSITION, p2);
    glLightf(GL_LIGHT2, GL_QUADRATIC_ATTENUATION, 0.00005f);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHTING);
  }

  static std::unique_ptr<testing_support::GlTestContext> context_;
  static std::unique_ptr<testing_support::ScopedWorkingDirectory> directory_;
};

std::unique_ptr<testing_support::GlTestContext> KitScenePicture::context_;
std::unique_ptr<testing_support::ScopedWorkingDirectory> KitScenePicture::directory_;

TEST_F(KitScenePicture, MonksFloatInTheirRoom) {
  world::Md3Model monk = world::Md3Model::load("data\\models\\moine.md3");
  ASSERT_TRUE(monk.loaded());
  monk.loadSkinJpeg("data\\models\\moine.skin", "data\\models");
  ASSERT_NE(monk.data().surfaces[0].texture.name, 0u) << "the skin line names no loadable picture";
  const float places[3][4] = {{-236, 37, -336, 220}, {-344, 37, -184, 90}, {-296, 37, -232, 180}};
  for (int view = 0; view < 2; ++view) {
    begin(60, view == 0 ? -200 : -420, 45, view == 0 ? -160 : -300, -290, 35, -250);
    roomLights();
    for (const auto& p : places) {
      glPushMatrix();
      glTranslatef(p[0], p[1], p[2]);
      glRotatef(-90, 1, 0, 0);
      glRotatef(p[3], 0, 0, 1);
      monk.draw(0);
      glPopMatrix();
    }
    glDisable(GL_LIGHTING);
    EXPECT_GT(finish("monks_" + std::to_string(view)), 0.02) << view;
  }
  monk.destroy();
}

TEST_F(KitScenePicture, ChelouSpinsInsideTheColumn) {
  world::Md3Model chelou = world::Md3Model::load("models\\chelou.md3");
  ASSERT_TRUE(chelou.loaded());
  chelou.loadSkinTga("models\\chelou.skin", "models");
  ASSERT_NE(chelou.data().surfaces[0].texture.name, 0u);
  for (int turn = 0; turn < 3; ++turn) {
    begin(60, -396 + 22, 45, 131 + 22, -396, 37, 131);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glPushMatrix();
    glTranslatef(-396, 37, 131);
    glScalef(0.1f, 0.1f, 0.1f);
    glRotatef(70.0f * static_cast<float>(turn), 1, 1, 1);
    chelou.draw(0);
    glPopMatrix();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    EXPECT_GT(finish("chelou_" + std::to_string(turn)), 0.03);
  }
  chelou.destroy();
}

TEST_F(KitScenePicture, IslandWithBoatSeaAndWaterfall) {
  world::Terrain terrain = world::Terrain::load(1024, "models\\terrain.raw", "models\\terrain.jpg", "Textures\\Detail.jpg");
  terrain.buildList(10);
  world::Md3Model boat = world::Md3Model::load("models\\boat.md3");
  ASSERT_TRUE(boat.loaded());
  boat.loadSkinJpeg("models\\boat.skin", "models");
  const struct {
    const char* name;
    float eye[3], at[3];
  } views[] = {{"island_south", {1024, 700, -900}, {1024, 100, 1000}}, {"island_east", {2900, 600, 1100}, {1000, 100, 1000}},
               {"island_north", {1000, 650, 2900}, {1024, 100, 1000}}, {"boat", {1300, 95, 200}, {1379, 55, 315}},
               {"waterfall", {1060, 160, 900}, {1060, 200, 1250}}};
  for (const auto& v : views) {
    begin(60, v.eye[0], v.eye[1], v.eye[2], v.at[0], v.at[1], v.at[2]);
    // Boat (its scene transform at S = 0), the ground with the fog above water, the sea.
    const float w = 2 * (0.04f * std::sin(5.0f) + std::sin(5.0f));
    glPushMatrix();
    glTranslatef(1379, 60 + w, 315);
    glRotatef(-30 - w, 0, 1, 0);
    glRotatef(-80 - w, 1, 0, 0);
    glRotatef(-30 - w, 0, 0, 1);
    glScalef(0.3f, 0.5f, 0.5f);
    boat.draw(0);
    glPopMatrix();
    world::Terrain::setFog(0.6f, 0.7f, 0.7f, 0.3f, 50, 100);
    glCallList(terrain.list());
    platform::glext.activeTexture(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    platform::glext.activeTexture(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_FALSE);
    glColor4f(0.05f, 0.2f, 0.5f, 1);
    glBegin(GL_QUADS);
    for (int i = 0; i < 15; ++i)
      for (int j = 0; j < 15; ++j) {
        const float x0 = 128.0f * i, x1 = x0 + 128, z0 = 128.0f * j, z1 = z0 + 128;
        glVertex3f(x0, 48, z0);
        glVertex3f(x0, 48, z1);
        glVertex3f(x1, 48, z1);
        glVertex3f(x1, 48, z0);
      }
    glEnd();
    // The river and the falling strips (untextured here).
    glColor4f(0.05f, 0.5f, 0.8f, 1);
    const float strips[][4][3] = {{{1090, 317, 1386}, {1000, 317, 1386}, {1000, 317, 1305}, {1090, 317, 1305}},
                                  {{1090, 317, 1305}, {1000, 317, 1305}, {1040, 300, 1285}, {1070, 300, 1285}},
                                  {{1040, 300, 1285}, {1070, 300, 1285}, {1080, 200, 1240}, {1040, 200, 1240}},
                                  {{1040, 200, 1240}, {1080, 200, 1240}, {1080, 100, 1220}, {1040, 100, 1220}},
                                  {{1040, 100, 1220}, {1080, 100, 1220}, {1092, 70, 1190}, {1040, 70, 1190}},
                                  {{1040, 70, 1190}, {1092, 70, 1190}, {1090, 40, 1140}, {1040, 40, 1140}}};
    glDisable(GL_CULL_FACE);
    glBegin(GL_QUADS);
    for (const auto& quad : strips)
      for (const auto& p : quad) glVertex3fv(p);
    glEnd();
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    EXPECT_GT(finish(v.name), 0.2) << v.name;
  }
  boat.destroy();
  terrain.destroy();
}

}  // namespace
