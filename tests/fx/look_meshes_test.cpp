// Look frames of the generated meshes and the stencil window, drawn the way the final scene
// draws them and saved as PNG under <build>/artifacts/effects/ for a person to open: the wave
// grid filled and in lines, the rippling sphere calm and rough, the strip sphere (from outside
// and as the backdrop pass sees it from its centre), and the stencil window with the sphere
// inside it and crossing its edge. With TOLVEK_SHOW_DIR naming a show folder the show's own
// pictures are used, otherwise generated test pictures. Each frame is also checked for what a
// viewer should see.
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
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr float kFieldOfView = 60.0f;  // the show's Demo.conf
constexpr float kAspect = 1.7777f;
constexpr int kLetterbox = 60;  // bars of the 16:9 picture in a 640 x 480 window
constexpr double kSceneStart = 141.99;  // seconds: the final scene's first frame
constexpr double kWindowFrom = kSceneStart + 5;

constexpr const char* kPicturePath = "Textures/Morvan/Looking_at_Eternity_Initial_r.jpg";
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

Bytes paintingPicture(int width, int height) {
  Bytes rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool line = x % 32 == 0 || y % 32 == 0;
      unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(line ? 30 : 120 + x * 130 / width);
      p[1] = static_cast<unsigned char>(line ? 30 : 80 + y * 100 / height);
      p[2] = static_cast<unsigned char>(line ? 30 : 60);
    }
  return rgb;
}

// Where the pictures come from: the show folder, or a temporary folder of generated ones.
struct PictureFolder {
  std::unique_ptr<testing_support::TempFolder> generated;
  std::string path;
  bool fromShow = false;

  PictureFolder() {
    if (const char* show = std::getenv("TOLVEK_SHOW_DIR")) {
      const std::string dir = show;
      if (platform::fileExists(dir + "/" + kPicturePath) && platform::fileExists(dir + "/" + kSpherePath) &&
          platform::fileExists(dir + "/" + std::string(fx::WobbleSphere::kTexturePath))) {
        path = dir;
        fromShow = true;
        return;
      }
      std::fprintf(stderr, "look_meshes: %s lacks the final scene's pictures; using generated ones\n", show);
    }
    generated = std::make_unique<testing_support::TempFolder>();
    path = generated->path();
    platform::createFolders(path + "/Textures/Morvan");
    resources_test::writeJpeg(path + "/" + std::string(fx::WobbleSphere::kTexturePath), 128, 128, 3, waterPicture(128));
    resources_test::writeJpeg(path + "/" + kSpherePath, 256, 256, 3, globePicture(256));
    resources_test::writeJpeg(path + "/" + kPicturePath, 320, 240, 3, paintingPicture(320, 240));
  }
};

struct Coverage {
  int pixels = 0;
  int left = kWidth, right = -1, top = kHeight, bottom = -1;  // rows from the top
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

class LookMeshes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    context_ = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
    if (!context_->ok()) return;
    platform::settings.screenWidth = kWidth;  // the frame copy gives this viewport back
    platform::settings.screenHeight = kHeight;
    folder_ = std::make_unique<PictureFolder>();
    artifacts_ = (std::filesystem::current_path() / "artifacts" / "effects").string();
    platform::createFolders(artifacts_);
    {
      // The sphere finds its texture by its own relative path, as in the show.
      testing_support::ScopedWorkingDirectory inside(folder_->path);
      sphere_ = std::make_unique<fx::WobbleSphere>(1.0f, 64, 64);
      picture_ = resources::loadJpegTexture(kPicturePath);
      globe_ = resources::loadJpegTexture(kSpherePath);
    }
    backdrop_ = resources::createTargetTexture(resources::kTargetTextureSize);
    std::printf("look frames in %s, pictures from %s\n", artifacts_.c_str(),
                folder_->fromShow ? folder_->path.c_str() : "generated test pictures");
  }
  static void TearDownTestSuite() {
    if (sphere_) sphere_->destroy();
    sphere_.reset();
    resources::releaseTexture(picture_);
    resources::releaseTexture(globe_);
    if (backdrop_) glDeleteTextures(1, &backdrop_);
    folder_.reset();
    context_.reset();
  }

  void SetUp() override {
    ASSERT_TRUE(context_->ok()) << "drawing tests need a display (run under xvfb-run -a)";
    ASSERT_FALSE(picture_.empty());
    ASSERT_FALSE(globe_.empty());
    startFrame();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

  // The frame as the timeline starts it: standard state, the show's projection over the whole
  // window, letterbox scissor, cleared buffers.
  static void startFrame() {
    platform::applyStandardRenderState();
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4f(1, 1, 1, 1);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspect, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_SCISSOR_TEST);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
    glEnable(GL_SCISSOR_TEST);
  }

  static void save(const std::string& name) {
    const std::string path = artifacts_ + "/" + name;
    EXPECT_TRUE(context_->savePng(path)) << path;
  }

  // Pixels that differ from the colour at the top-left corner (the background).
  static Coverage coverage(int fromRow = 0, int toRow = kHeight) {
    const auto rgba = context_->readPixels();
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
    const auto rgba = context_->readPixels();
    std::array<double, 3> sum{};
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        for (int c = 0; c < 3; ++c) sum[c] += rgba[(static_cast<size_t>(y) * kWidth + x) * 4 + c];
    const double n = static_cast<double>((x1 - x0) * (y1 - y0));
    return {sum[0] / n, sum[1] / n, sum[2] / n};
  }

  // Share of the block's pixels that moved more than a little away from `before`.
  static double changedShare(const std::vector<std::uint8_t>& before, int x0, int y0, int x1, int y1) {
    const auto after = context_->readPixels();
    int changed = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const size_t at = (static_cast<size_t>(y) * kWidth + x) * 4;
        changed += std::abs(after[at] - before[at]) + std::abs(after[at + 1] - before[at + 1]) +
                       std::abs(after[at + 2] - before[at + 2]) > 12;
      }
    return static_cast<double>(changed) / ((x1 - x0) * (y1 - y0));
  }

  // The full-screen quad of the veils: +-1.7 by +-1 at z = 0, texture corners to match.
  static void veilQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-1.7f, -1, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-1.7f, 1, 0);
    glTexCoord2f(1, 1);
    glVertex3f(1.7f, 1, 0);
    glTexCoord2f(1, 0);
    glVertex3f(1.7f, -1, 0);
    glEnd();
  }

  // The final scene's backdrop pass: the strip sphere seen from its centre through a
  // 160-degree lens into the 512 x 512 corner, copied to the backdrop texture, the frame
  // cleared again.
  static void backdropPass(double sceneClock, bool copy = true) {
    const auto S = static_cast<float>(sceneClock);
    glPushMatrix();
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 0, -10, 0, 1, 0);
    gluPerspective(160, kAspect, 1, 700);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, 512, 512);
    glDisable(GL_SCISSOR_TEST);
    platform::glext.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, globe_.name);
    glEnable(GL_TEXTURE_2D);
    glRotatef(S / 30, 2.5f * std::cos(S / 60), 2.5f * std::cos(S / 120), 2.5f * std::sin(S / 120));
    glRotatef(S / 10, 0, 0, 1);
    fx::drawStripSphere(4, 32);
    if (copy) {
      fx::copyToTexture(512, backdrop_);
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      gluPerspective(kFieldOfView, kAspect, 1, 700);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
    }
    glPopMatrix();
  }

  // The backdrop picture of the window: backdrop texture on the veil quad, 8 times its size,
  // 8 units away, in black linear fog.
  static void backdropQuad() {
    glFogi(GL_FOG_MODE, GL_LINEAR);
    const float black[4] = {0, 0, 0, 0};
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_DENSITY, 0.01f);
    glFogf(GL_FOG_START, 5);
    glFogf(GL_FOG_END, 20);
    glHint(GL_FOG_HINT, GL_FASTEST);
    glEnable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0, 0, -8);
    platform::glext.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, backdrop_);
    glEnable(GL_TEXTURE_2D);
    glScalef(8, 8, 8);
    veilQuad();
    glPopMatrix();
  }

  // The swaying ring mesh: translucent blue filled, then faint smooth lines.
  static void drawGrid(fx::WaveGrid& grid, double t, bool filled, bool lines) {
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    glTranslatef(-15, 0, -70);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    grid.animate(t);
    if (filled) {
      glColor4f(0.2f, 0.2f, 0.6f, 0.6f);
      grid.setPolygonMode(GL_FILL);
      grid.draw();
    }
    if (lines) {
      glEnable(GL_LINE_SMOOTH);
      glLineWidth(0.2f);
      grid.setPolygonMode(GL_LINE);
      glColor4f(0.8f, 0.8f, 0.8f, 0.2f);
      grid.draw();
      glDisable(GL_LINE_SMOOTH);
    }
    glPopMatrix();
    glEnable(GL_TEXTURE_2D);
  }

  // The window pass of the final scene at time t (seconds), the caller having enabled the
  // stencil test.
  static void windowPass(fx::WaveGrid& grid, double t) {
    fx::stencilWindow(-kWidth / 2.0f, kWidth / 2.0f, -0.4f * kHeight, 0.4f * kHeight, kWidth, kHeight);
    backdropQuad();
    drawGrid(grid, t, true, true);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glTranslatef(0, 0, -5);
    glRotatef(static_cast<float>(15 * t), 0, 1, 0);
    glRotatef(static_cast<float>(20 * t), 1, 0, 0);
    glStencilFunc(GL_NOTEQUAL, 1, 1);
    glColor4f(1, 1, 1, 1);
    const double deg = 3.14159265358979 / 180;
    sphere_->setPosition(static_cast<float>(1.1 * std::sin(t * deg)), static_cast<float>(1.1 * std::sin(t * deg)),
                         static_cast<float>(2 * std::cos(15 * t * deg)));
    sphere_->setPolygonMode(GL_FILL);
    sphere_->animate(3 * t, false);
    sphere_->draw();
    glStencilFunc(GL_EQUAL, 1, 1);
    glColor4f(1, 1, 1, 0.5f);
    sphere_->draw();
  }

  // One whole frame of the window phase; with the picture melting away while t - A < 10.
  static void windowFrame(fx::WaveGrid& grid, double t, bool letterbox) {
    startFrame();
    backdropPass(t * 120);
    if (!letterbox) glDisable(GL_SCISSOR_TEST);
    glEnable(GL_STENCIL_TEST);
    windowPass(grid, t);
    glDisable(GL_STENCIL_TEST);
    glLoadIdentity();
    if (t - kWindowFrom < 10)
      fx::drawPicture(picture_.name, kWidth, kHeight, static_cast<float>((t - kWindowFrom) / 10), false);
  }

  static std::unique_ptr<testing_support::GlTestContext> context_;
  static std::unique_ptr<PictureFolder> folder_;
  static std::unique_ptr<fx::WobbleSphere> sphere_;
  static resources::TextureRecord picture_;
  static resources::TextureRecord globe_;
  static GLuint backdrop_;
  static std::string artifacts_;
};

std::unique_ptr<testing_support::GlTestContext> LookMeshes::context_;
std::unique_ptr<PictureFolder> LookMeshes::folder_;
std::unique_ptr<fx::WobbleSphere> LookMeshes::sphere_;
resources::TextureRecord LookMeshes::picture_;
resources::TextureRecord LookMeshes::globe_;
GLuint LookMeshes::backdrop_ = 0;
std::string LookMeshes::artifacts_;

double distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

TEST_F(LookMeshes, WaveGridFilledAndInLines) {
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  // The grid stands left of centre (x = -15 at 70 units: around column 253).
  constexpr int x0 = 235, x1 = 270, y0 = 200, y1 = 280;
  const std::array<double, 3> gridBlue{51, 51, 153};
  backdropPass(300);
  backdropQuad();
  const auto backdrop = context_->readPixels();
  const auto backdropOnly = meanColour(x0, y0, x1, y1);
  const auto rightOnly = meanColour(560, y0, 600, y1);
  drawGrid(grid, 2.0, true, false);
  save("mesh_grid_filled.png");
  const auto filled = meanColour(x0, y0, x1, y1);
  const double filledShare = changedShare(backdrop, x0, y0, x1, y1);
  EXPECT_GT(filledShare, 0.9) << "a body over the whole block";
  EXPECT_LT(distance(filled, gridBlue), 0.7 * distance(backdropOnly, gridBlue)) << "a translucent blue body";
  EXPECT_LT(distance(meanColour(560, y0, 600, y1), rightOnly), 2) << "right of the grid the backdrop is untouched";

  startFrame();
  backdropPass(300);
  backdropQuad();
  drawGrid(grid, 2.0, false, true);
  save("mesh_grid_lines.png");
  const double linesShare = changedShare(backdrop, x0, y0, x1, y1);
  EXPECT_GT(linesShare, 0.05) << "the lines show";
  EXPECT_LT(linesShare, 0.7 * filledShare) << "lines, not a body";

  // Both passes as the scene draws them, at a later moment.
  startFrame();
  backdropPass(900);
  backdropQuad();
  drawGrid(grid, 7.5, true, true);
  save("mesh_grid_scene.png");
}

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

TEST_F(LookMeshes, StripSphereFromOutsideAndAsTheBackdrop) {
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

  startFrame();
  backdropPass(1200, false);
  save("mesh_strip_sphere_backdrop.png");
  // From its centre the near plane cuts the sphere's wall at 75.5 degrees off the axis, which
  // the 160-degree lens puts at 0.68 of the half height; the 16:9 lens in the square corner
  // squeezes that circle to an upright ellipse around the corner's middle.
  const Coverage seen = coverage();
  EXPECT_NEAR((seen.left + seen.right) / 2.0, 256, 4);
  EXPECT_NEAR(static_cast<double>(seen.width()) / 512, 0.68 / kAspect, 0.03);
  EXPECT_NEAR((seen.top + seen.bottom) / 2.0, kHeight - 256, 6);
}

TEST_F(LookMeshes, StencilWindowWithTheSphereInsideAndAcrossItsEdge) {
  fx::WaveGrid grid(10, 25, 2.5f, 20);
  // Bars of the stencil window without the letterbox: 48 rows above and below.
  const int bar = kHeight / 2 - static_cast<int>(0.4 * kHeight) + 3;
  // Once the picture has melted away the sphere swings in and out of the window: pick the
  // moments it shows least and most outside it.
  double inside = 0, across = 0;
  int leastAcross = kWidth * kHeight, mostAcross = -1;
  for (double t = kWindowFrom + 10.25; t < kWindowFrom + 20; t += 0.5) {
    windowFrame(grid, t, false);
    const int inBars = coverage(0, bar - 4).pixels + coverage(kHeight - bar + 4, kHeight).pixels;
    if (inBars < leastAcross) {
      leastAcross = inBars;
      inside = t;
    }
    if (inBars > mostAcross) {
      mostAcross = inBars;
      across = t;
    }
  }
  EXPECT_LT(leastAcross, mostAcross / 20) << "the sphere never keeps (almost) inside the window";

  windowFrame(grid, inside, true);
  save("stencil_window_inside.png");
  // Inside the window: the backdrop; above and below the letterbox: nothing.
  EXPECT_GT(coverage(kLetterbox + 2, kHeight - kLetterbox - 2).pixels, kWidth * 100);
  EXPECT_EQ(coverage(0, kLetterbox).pixels, 0);
  // Left of the backdrop's ellipse the window is empty...
  const auto emptySide = meanColour(5, kLetterbox + 2, 40, kHeight - kLetterbox - 2);
  EXPECT_LT(emptySide[0] + emptySide[1] + emptySide[2], 3 * 2);

  windowFrame(grid, across, false);
  save("stencil_window_across.png");
  // The frame line: white rows 2 pixels inside the window's top and bottom edges.
  const int topLine = kHeight / 2 - static_cast<int>(0.4 * kHeight) + 2;
  const auto top = meanColour(0, topLine - 1, kWidth, topLine + 1);
  const auto bottom = meanColour(0, kHeight - topLine - 1, kWidth, kHeight - topLine + 1);
  EXPECT_GT(std::max(top[0] + top[1] + top[2], bottom[0] + bottom[1] + bottom[2]), 3 * 150);
  EXPECT_GT(mostAcross, 2000) << "the sphere shows opaque outside the window";

  // Half way through the melt the first picture still veils the window.
  windowFrame(grid, kWindowFrom + 5, true);
  save("stencil_window_melting.png");
  // ...until then veiled by the picture over the whole window.
  const auto veiledSide = meanColour(5, kLetterbox + 2, 40, kHeight - kLetterbox - 2);
  EXPECT_GT(veiledSide[0] + veiledSide[1] + veiledSide[2], 3 * 8);
}

}  // namespace
