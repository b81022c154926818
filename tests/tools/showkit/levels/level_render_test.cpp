// The show's levels drawn by the demo's own loader and renderer, with the demo's culling: from
// anywhere on the flights the picture is closed (no face missing, none culled away by a wrong
// winding) and lit.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "demo/cue_sheet.h"
#include "fx/view_frustum.h"
#include "level_compiler.h"
#include "level_textures.h"
#include "show_folder.h"
#include "show_levels.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"

namespace {

namespace cue = demo::cue;

constexpr int kWidth = 256, kHeight = 144;

struct View {
  world::Vec3 eye, target;
};

// Camera positions of a flight, every `everyMs` of the scene.
std::vector<View> flight(const std::string& trj, float rate, double durationMs, double everyMs) {
  world::CameraPath camera = world::CameraPath::fromText(trj);
  std::vector<View> views;
  double next = 0;
  for (double now = 0; now < durationMs; now += 1000.0 / 60) {
    camera.advance(static_cast<float>(1000.0 / 60 * rate));
    if (now >= next) {
      views.push_back({camera.eye(), camera.target()});
      next += everyMs;
    }
  }
  return views;
}

struct Picture {
  int holes = 0;  // pixels left at the clear colour
  double mean = 0;
};

Picture draw(world::BspLevel& level, const View& view, std::uint8_t switches) {
  testing_support::resetDrawingState(kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  gluPerspective(60, 1.7777, 1, 3000);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(view.eye.x, view.eye.y, view.eye.z, view.target.x, view.target.y, view.target.z, 0, 1, 0);
  fx::ViewFrustum frustum;
  frustum.extract();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glCullFace(GL_FRONT);  // as the demo draws
  glEnable(GL_CULL_FACE);
  level.render(view.eye, [&](float a, float b, float c, float d, float e, float f) {
    return frustum.containsBox(a, b, c, d, e, f);
  }, switches, switches);
  glFinish();
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  Picture picture;
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    picture.holes += pixels[i] == 0 && pixels[i + 1] == 0 && pixels[i + 2] == 0;
    picture.mean += (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3.0;
  }
  picture.mean /= kWidth * kHeight;
  return picture;
}

class ShowLevelRender : public testing_support::DrawingTest<kWidth, kHeight> {
 protected:
  void prepare() override {
    showkit::ShowFolder folder(textures_.path());
    ASSERT_TRUE(levelc::writeLevelTextures(folder));
  }

  void check(const levelc::LevelDescription& description, const std::string& trj, float rate,
             double durationMs, float lightmapScale) {
    testing_support::ScopedWorkingDirectory here(textures_.path());  // textures load from here
    world::BspLevel level;
    level.loadFromMemory(levelc::encodeLevel(levelc::compileLevel(description)), lightmapScale);
    for (const auto& name : level.textureFileNames()) EXPECT_TRUE(textures_.exists(name)) << name;
    for (const View& view : flight(trj, rate, durationMs, 1500)) {
      const Picture plain = draw(level, view, 0);
      EXPECT_EQ(plain.holes, 0) << "from (" << view.eye.x << ", " << view.eye.y << ", " << view.eye.z << ")";
      const Picture lit = draw(level, view, 1);
      EXPECT_GT(lit.mean, 8) << "from (" << view.eye.x << ", " << view.eye.y << ", " << view.eye.z << ")";
      EXPECT_LT(lit.mean, 200);
    }
    level.destroy();
  }

  testing_support::TempFolder textures_;
};

TEST_F(ShowLevelRender, IntroFlightSeesAClosedLitLevel) {
  check(levelc::introLevel(), levelc::cameraPathText(levelc::introPath(), "c"), cue::kIntroPathRate,
        cue::kIntroFlightMs, 1.0f);
}

TEST_F(ShowLevelRender, SecondFlightSeesAClosedLitLevel) {
  check(levelc::secondLevel(), levelc::cameraPathText(levelc::secondPath(), "c"), cue::kSecondLevelPathRate,
        cue::kSecondLevelFlightMs, 0.5f);
}

}  // namespace
