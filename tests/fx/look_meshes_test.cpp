// Look frames of the generated meshes, saved as PNG under <build>/artifacts/effects/ for a
// person to open: the rippling sphere calm and rough, the strip sphere from outside. (The
// final scene's own passes are looked at in the demo's tests.) With the kit's show folder
// (build/show or TOLVEK_SHOW_DIR) the show's own pictures are used, otherwise generated test
// pictures. Each frame
// is also checked for what a viewer should see.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fx/procedural_meshes.h"
#include "fx/screen_pictures.h"
#include "fx/veils.h"
#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_table.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kFieldOfView = 60.0f;  // the show's Demo.conf
constexpr float kAspect = 1.7777f;
constexpr int kLetterbox = 60;  // bars of the 16:9 picture in a 640 x 480 window
constexpr const char* kSpherePath = "Textures/sphere.jpg";

using Bytes = std::vector<std::uint8_t>;

// Generated stand-ins for the show's pictures: water ripples for the sphere, a banded globe
// for the backdrop, a warm gradient with a grid for the full-screen picture.
Bytes waterPicture(int side) {
  Bytes rgb(static_cast<size_t>(side) * side * 3);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double wave = 0.5 + 0.25 * std::sin(x * 0.19 + 2 * std::sin(y * 0.07)) + 0.25 * std::sin(y * 0.23);
      unsigned char* p = &rgb[(static_cast<size_t>(y) * side + x) * 3];
      p[0] = static_cast<unsigned char>(40 + 90 * wave);
      p[1] = static_cast<unsigned char>(110 + 100 * wave);
      p[2] = static_cast<unsigned char>(170 + 85 * wave);
    }
  return rgb;
}

Bytes globePicture(int side) {
  Bytes rgb(static_cast<size_t>(side) * side * 3);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const bool check = ((x / 16) + (y / 16)) % 2 == 0;
      unsigned char* p = &rgb[(static_cast<size_t>(y) * side + x) * 3];
      p[0] = static_cast<unsigned char>(check ? 230 : 60 + y * 150 / side);
      p[1] = static_cast<unsigned char>(check ? 140 : 40);
      p[2] = static_cast<unsigned char>(check ? 40 : 200 - y * 150 / side);
    }
  return rgb;
}

// Where the pictures come from: the show folder, or a temporary folder of generated ones.
struct PictureFolder {
  std::unique_ptr<testing_support::TempFolder> generated;
  std::string path;
  bool fromShow = false;

  PictureFolder() {
    if (const std::string show = testing_support::kitShowFolder(); !show.empty()) {
      const std::string& dir = show;
      if (platform::fileExists(dir + "/" + kSpherePath) &&
          platform::fileExists(dir + "/" + std::string(fx::WobbleSphere::kTexturePath))) {
        path = dir;
        fromShow = true;
        return;
      }
      std::fprintf(stderr, "look_meshes: %s lacks the final scene's pictures; using generated ones\n", show.c_str());
    }
    generated = std::make_unique<testing_support::TempFolder>();
    path = generated->path();
    platform::createFolders(path + "/Textures/Morvan");
    resources_test::writeJpeg(path + "/" + std::string(fx::WobbleSphere::kTexturePath), 128, 128, 3, waterPicture(128));
    resources_test::writeJpeg(path + "/" + kSpherePath, 256, 256, 3, globePicture(256));
  }
};

struct Coverage {
  int pixels = 0;
  int left = kWidth, right = -1, top = kHeight, bottom = -1;  // rows from the top
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

class LookMeshes : public testing_support::DrawingTest<kWidth, kHeight> {
 protected:
  static void SetUpTestSuite() {
    DrawingTest::SetUpTestSuite();
    if (!drawable()) return;
    platform::settings.screenWidth = kWidth;  // the frame copy gives this viewport back
    platform::settings.screenHeight = kHeight;
    folder_ = std::make_unique<PictureFolder>();
    artifacts_ = (std::filesystem::current_path() / "artifacts" / "effects").string();
    platform::createFolders(artifacts_);
    {
      // The sphere finds its texture by its own relative path, as in the show.
      testing_support::ScopedWorkingDirectory inside(folder_->path);
      sphere_ = std::make_unique<fx::WobbleSphere>(1.0f, 64, 64);
      globe_ = resources::loadJpegTexture(kSpherePath);
    }
    std::printf("look frames in %s, pictures from %s\n", artifacts_.c_str(),
                folder_->fromShow ? folder_->path.c_str() : "generated test pictures");
  }
  static void TearDownTestSuite() {
    if (sphere_) sphere_->destroy();
    sphere_.reset();
    resources::releaseTexture(globe_);
    folder_.reset();
    DrawingTest::TearDownTestSuite();
  }

  void prepare() override {
    ASSERT_FALSE(globe_.empty());
    startFrame();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

  // The frame as the timeline starts it: standard state, the show's projection over the whole
  // window, letterbox scissor, cleared buffers.
  static void startFrame() {
    testing_support::resetDrawingState(kWidth, kHeight);
    platform::applyStandardRenderState();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(kFieldOfView, kAspect, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
    glEnable(GL_SCISSOR_TEST);
  }

  static void save(const std::string& name) {
    const std::string path = artifacts_ + "/" + name;
    EXPECT_TRUE(gl().savePng(path)) << path;
  }

  // Pixels that differ from the colour at the top-left corner (the background).
  static Coverage coverage(int fromRow = 0, int toRow = kHeight) {
    const auto rgba = gl().readPixels();
    const unsigned char* corner = &rgba[0];
    Coverage c;
    for (int y = fromRow; y < toRow; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const unsigned char* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
        if (std::abs(p[0] - corner[0]) + std::abs(p[1] - corner[1]) + std::abs(p[2] - corner[2]) < 24) continue;
        ++c.pixels;
        c.left = std::min(c.left, x);
        c.right = std::max(c.right, x);
        c.top = std::min(c.top, y);
        c.bottom = std::max(c.bottom, y);
      }
    return c;
  }
  // Mean colour of a block of pixels, rows from the top.
  static std::array<double, 3> meanColour(int x0, int y0, int x1, int y1) {
    const auto rgba = gl().readPixels();
    std::array<double, 3> sum{};
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) sum[c] += rgba[(static_cast<size_t>(y) * kWidth + x) * 4 + c];
    const double n = static_cast<double>((x1 - x0) * (y1 - y0));
    return {sum[0] / n, sum[1] / n, sum[2] / n};
  }

  static std::unique_ptr<PictureFolder> folder_;
  static std::unique_ptr<fx::WobbleSphere> sphere_;
  static resources::TextureRecord globe_;
  static std::string artifacts_;
};

std::unique_ptr<PictureFolder> LookMeshes::folder_;
std::unique_ptr<fx::WobbleSphere> LookMeshes::sphere_;
resources::TextureRecord LookMeshes::globe_;
std::string LookMeshes::artifacts_;

TEST_F(LookMeshes, RipplingSphereCalmAndRough) {
  // A 4:3 projection so a round sphere stays round; the poles face up and down.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(40, 4.0 / 3.0, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FOG);
  glClearColor(0.1f, 0.1f, 0.12f, 1);

  auto drawSphere = [](double x, bool calm, float tilt) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -5);
    glRotatef(tilt, 1, 0, 0);
    sphere_->setPosition(0, 0, 0);
    sphere_->setPolygonMode(GL_FILL);
    sphere_->animate(x, calm);
    sphere_->draw();
  };

  drawSphere(1.0, true, 0);
  save("mesh_sphere_calm.png");
  const Coverage calm = coverage();
  // Calm: round, radius near 1 at 5 units under 40 degrees (about 1.05 x 240 / tan 20 / 5).
  EXPECT_NEAR(static_cast<double>(calm.width()) / calm.height(), 1.0, 0.12);
  EXPECT_GT(calm.height(), 230);
  EXPECT_LT(calm.height(), 310);

  drawSphere(1.0, true, 70);  // north pole towards the viewer
  save("mesh_sphere_calm_pole.png");
  const Coverage pole = coverage();
  EXPECT_NEAR(static_cast<double>(pole.width()) / pole.height(), 1.0, 0.12);
  // The pole region is surface, not a hole into the middle: the centre is textured like the rest.
  const auto centre = meanColour(kWidth / 2 - 4, kHeight / 2 - 4, kWidth / 2 + 4, kHeight / 2 + 4);
  EXPECT_GT(centre[0] + centre[1] + centre[2], 3 * 25);

  drawSphere(4.2, false, 20);
  save("mesh_sphere_rough.png");
  const Coverage rough = coverage();
  // Rough ripples reach much further out (and in) than the calm ones.
  EXPECT_GT(std::max(rough.width(), rough.height()), calm.height() + 20);
  glClearColor(0, 0, 0, 0);
}

TEST_F(LookMeshes, StripSphereFromOutside) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(40, 4.0 / 3.0, 1, 100);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FOG);
  glLoadIdentity();
  glTranslatef(0, 0, -20);
  glRotatef(25, 1, 0, 0);
  platform::glext.activeTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, globe_.name);
  glEnable(GL_TEXTURE_2D);
  fx::drawStripSphere(4, 32);
  save("mesh_strip_sphere.png");
  const Coverage outside = coverage();
  EXPECT_NEAR(static_cast<double>(outside.width()) / outside.height(), 1.0, 0.1);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

}  // namespace
