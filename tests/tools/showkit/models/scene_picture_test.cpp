// The kit's models and island drawn by the demo's own scenes (its monks, glass column and
// island). Set TOLVEK_MODELKIT_PREVIEW to a folder to keep the pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "demo/intro_objects.h"
#include "demo/island_scene.h"
#include "demo/scene_objects.h"
#include "platform/frame_timer.h"
#include "platform/render_state.h"
#include "show_folder.h"
#include "show_kit.h"
#include "show_models.h"
#include "support/drawing_test.h"
#include "world/md3_model.h"
#include "world/terrain.h"
#include "written_models.h"

namespace {

constexpr int kSide = 320;

class KitScenePicture : public testing_support::DrawingTest<kSide, kSide> {
 protected:
  static void SetUpTestSuite() {
    DrawingTest::SetUpTestSuite();
    if (!drawable()) return;
    const std::string& root = modelkit_test::writtenModels().folder.path();
    // The island needs its terrain files and the detail picture beside the models.
    showkit::ShowFolder folder(root);
    showkit::writeTerrain(folder);
    showkit::writeIslandPictures(folder);
    directory_ = std::make_unique<testing_support::ScopedWorkingDirectory>(root);
  }
  static void TearDownTestSuite() {
    directory_.reset();
    DrawingTest::TearDownTestSuite();
  }

  static void begin(double fov, double eyeX, double eyeY, double eyeZ, double atX, double atY, double atZ, double far = 3700) {
    platform::applyStandardRenderState();  // what every scene starts from
    glViewport(0, 0, kSide, kSide);
    glClearColor(0.05f, 0.05f, 0.08f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, 1, 1, far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, atX, atY, atZ, 0, 1, 0);
    glColor4f(1, 1, 1, 1);
  }

  // Share of pixels that differ from the clear colour.
  static double finish(const std::string& name) {
    if (const char* folder = std::getenv("TOLVEK_MODELKIT_PREVIEW"); folder && *folder)
      gl().savePng(std::string(folder) + "/" + name + ".png");
    const std::vector<std::uint8_t> pixels = gl().readPixels();
    size_t drawn = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
      drawn += std::abs(pixels[i] - 13) + std::abs(pixels[i + 1] - 13) + std::abs(pixels[i + 2] - 20) > 12;
    return static_cast<double>(drawn) / (pixels.size() / 4);
  }

  // The demo clock at `ms`, on a virtual counter.
  static void setDemoTime(double ms) {
    platform::useVirtualCounter(1000000);
    platform::timerInit();
    platform::resetDemoClock();
    platform::advanceVirtualCounter(static_cast<std::int64_t>(ms * 1000));
  }

  static std::unique_ptr<testing_support::ScopedWorkingDirectory> directory_;
};

std::unique_ptr<testing_support::ScopedWorkingDirectory> KitScenePicture::directory_;

// The intro's objects as its scene draws them, from a camera looking at their group, at a
// moment inside the group's window.
TEST_F(KitScenePicture, MonksAndTheGlassColumnInTheirScenes) {
  auto& o = demo::sceneObjects;
  o.frustum = std::make_unique<fx::ViewFrustum>();
  o.monk = std::make_unique<world::Md3Model>(world::Md3Model::load("data\\models\\moine.md3"));
  o.monk->loadSkinJpeg("data\\models\\moine.skin", "data\\models");
  o.chelou = std::make_unique<world::Md3Model>(world::Md3Model::load("models\\chelou.md3"));
  o.chelou->loadSkinTga("models\\chelou.skin", "models");
  ASSERT_TRUE(o.monk->loaded() && o.chelou->loaded());
  ASSERT_NE(o.monk->data().surfaces[0].texture.name, 0u) << "the skin line names no loadable picture";
  ASSERT_NE(o.chelou->data().surfaces[0].texture.name, 0u);
  // The column's model is small: its reference point must stay in view, so the camera keeps
  // some distance.
  const struct {
    const char* name;
    double ms;
    float eye[3], at[3];
    double share;
  } views[] = {{"monks_0", 25000, {-240, 50, -200}, {-310, 35, -250}, 0.02},
               {"monks_1", 26000, {-420, 45, -300}, {-290, 35, -250}, 0.02},
               {"chelou", 35000, {-345, 40, 180}, {-396, 37, 131}, 0.01}};
  for (const auto& v : views) {
    begin(60, v.eye[0], v.eye[1], v.eye[2], v.at[0], v.at[1], v.at[2]);
    setDemoTime(v.ms);
    o.frustum->extract();
    demo::drawIntroObjects();
    EXPECT_GT(finish(v.name), v.share) << v.name;
  }
  platform::useRealCounter();
  demo::destroySceneObjects();
}

// The island as its scene draws it (boat, fogged ground, sea, waterfall, sky, mist).
TEST_F(KitScenePicture, IslandWithBoatSeaAndWaterfall) {
  auto& o = demo::sceneObjects;
  o.terrain = std::make_unique<world::Terrain>(
      world::Terrain::load(1024, "models\\terrain.raw", "models\\terrain.jpg", "Textures\\Detail.jpg"));
  o.terrain->buildList(10);
  o.boat = std::make_unique<world::Md3Model>(world::Md3Model::load("models\\boat.md3"));
  ASSERT_TRUE(o.boat->loaded());
  o.boat->loadSkinJpeg("models\\boat.skin", "models");
  const struct {
    const char* name;
    float eye[3], at[3];
  } views[] = {{"island_south", {1024, 700, -500}, {1024, 100, 1000}}, {"island_east", {2600, 600, 1100}, {1000, 100, 1000}},
               {"island_north", {1000, 650, 2600}, {1024, 100, 1000}}, {"boat", {1300, 95, 200}, {1379, 55, 315}},
               {"waterfall", {900, 160, 1000}, {1066, 170, 1212}}};
  for (const auto& v : views) {
    begin(60, v.eye[0], v.eye[1], v.eye[2], v.at[0], v.at[1], v.at[2]);
    demo::drawIslandScene(0.0f, v.eye[1]);
    EXPECT_GT(finish(v.name), 0.2) << v.name;
  }
  demo::destroySceneObjects();
}

}  // namespace
