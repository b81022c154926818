// The final scene: made from its pictures or refused, its three phases at their strict bounds,
// and its window phase as the timeline draws it. The frames are saved under
// <build>/artifacts/final/ to be looked at.
#include "demo/final_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "demo/show.h"
#include "platform/file_system.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kStart = 141.99f, kA = kStart + 5, kB = kStart + 25;

// A picture of one colour with a darker grid, `side` pixels square.
std::vector<std::uint8_t> gridPicture(int side, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> rgb(static_cast<size_t>(side) * side * 3);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const bool line = x % 16 == 0 || y % 16 == 0;
      std::uint8_t* p = &rgb[(static_cast<size_t>(y) * side + x) * 3];
      p[0] = line ? r / 3 : r, p[1] = line ? g / 3 : g, p[2] = line ? b / 3 : b;
    }
  return rgb;
}

class FinalSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl.ok()) << "drawing tests need a display (run under xvfb-run -a)";
    auto& s = platform::settings;
    s = platform::Settings{};
    s.fieldOfView = 60.0f;
    s.aspectRatio = 1.7777f;
    platform::createFolders(folder.file("Textures/Morvan"));
    resources_test::writeJpeg(folder.file("Textures/Morvan/waterfx.jpg"), 64, 64, 3, gridPicture(64, 60, 160, 230));
    resources_test::writeJpeg(folder.file("Textures/sphere.jpg"), 128, 128, 3, gridPicture(128, 230, 140, 40));
    cwd = std::make_unique<testing_support::ScopedWorkingDirectory>(folder.path());
    platform::applyStandardRenderState();
    show.load({nullptr, 59});
  }
  void TearDown() override {
    if (scene) scene->destroy();
    show.unload();
    cwd.reset();
  }
  void writePaintings() {
    resources_test::writeJpeg(folder.file(demo::FinalScene::kFirstPicture), 64, 64, 3, gridPicture(64, 200, 120, 90));
    resources_test::writeJpeg(folder.file(demo::FinalScene::kSecondPicture), 64, 64, 3, gridPicture(64, 90, 120, 200));
  }
  // A frame as the timeline starts it; `fill` paints the buffer a colour of its own first, so
  // that drawing nothing shows.
  void startFrame(bool fill = false) {
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(fill ? 0.2f : 0.0f, fill ? 0.4f : 0.0f, fill ? 0.6f : 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    platform::applyStandardRenderState();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(150, 1.7777, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScissor(0, 59, kWidth, kHeight - 118);
    glEnable(GL_SCISSOR_TEST);
  }
  void save(const std::string& name) {
    const auto dir = std::filesystem::path(previous) / "artifacts" / "final";
    std::filesystem::create_directories(dir);
    gl.savePng((dir / name).string());
  }

  testing_support::GlTestContext gl{kWidth, kHeight};
  testing_support::TempFolder folder;
  std::string previous = std::filesystem::current_path().string();
  std::unique_ptr<testing_support::ScopedWorkingDirectory> cwd;
  std::unique_ptr<demo::FinalScene> scene;
  demo::Show show;
};

TEST_F(FinalSceneTest, AMissingPaintingIsTextureNotFound) {
  try {
    demo::FinalScene refused(kWidth, kHeight);
    FAIL() << "made without its paintings";
  } catch (const fx::MeshError& e) {
    EXPECT_STREQ(e.what(), "Texture not found");
  }
  writePaintings();
  scene = std::make_unique<demo::FinalScene>(kWidth, kHeight);
  EXPECT_FALSE(scene->firstPicture().empty());
  EXPECT_FALSE(scene->secondPicture().empty());
}

TEST_F(FinalSceneTest, NoPhaseAtAOrBAndPhaseThreeKeepsDepthWritesOff) {
  writePaintings();
  scene = std::make_unique<demo::FinalScene>(kWidth, kHeight);
  scene->setTimes(kStart, kA, kB, 10);
  for (float t : {kA, kB}) {
    startFrame(true);
    const auto before = gl.readPixels();
    scene->draw(t);
    EXPECT_EQ(gl.readPixels(), before) << "t = " << t;
  }
  for (float t : {kA - 0.01f, kA + 0.01f, kB + 0.01f}) {
    startFrame(true);
    const auto before = gl.readPixels();
    scene->draw(t);
    EXPECT_NE(gl.readPixels(), before) << "t = " << t;
  }
  GLboolean depthWrites = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_FALSE(depthWrites) << "phase 3 leaves depth writes off";
}

TEST_F(FinalSceneTest, TheWindowPhaseShowsTheBackdropInsideItsStencilRectangle) {
  writePaintings();
  scene = std::make_unique<demo::FinalScene>(kWidth, kHeight);
  scene->setTimes(kStart, kA, kB, 10);
  show.objects().stripSphere = std::make_unique<demo::StripSphere>();
  // Half way through the melt the painting still veils the window; once it has melted the
  // backdrop shows, and outside the window (above and below its 80 % of the height) there is
  // nothing but the sphere where it swings across.
  const auto meanAt = [&](int x0, int y0, int x1, int y1) {
    const auto px = gl.readPixels();
    double sum = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) sum += px[(static_cast<size_t>(y) * kWidth + x) * 4 + c];
    return sum / (3.0 * (x1 - x0) * (y1 - y0));
  };
  startFrame();
  demo::drawFinalBackdrop((kA + 5) * 120);
  scene->draw(kA + 5);
  save("window_melting.png");
  const double veiled = meanAt(5, 100, 40, 380);

  startFrame();
  demo::drawFinalBackdrop((kA + 12) * 120);
  scene->draw(kA + 12);
  save("window_open.png");
  EXPECT_LT(meanAt(5, 100, 40, 380), veiled - 20) << "the painting has melted off the window's side";
  EXPECT_GT(meanAt(200, 150, 440, 330), 10) << "backdrop, grid and sphere in the window";
  EXPECT_LT(meanAt(0, 0, kWidth, 59), 1) << "the letterbox stays black";
}

}  // namespace
