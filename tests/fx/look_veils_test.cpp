// Look frames of the veils, the echo trail, the fountain, the sky box and the light sprites,
// drawn over a simple picture under the show's projection and letterbox, and saved as
// PNG under <build>/artifacts/effects/ for a person to open. With the kit's show folder
// (build/show or TOLVEK_SHOW_DIR) its own pictures are used (ray.tga, part.tga, the sky faces,
// the loader picture), otherwise generated ones. Each frame is also checked for what a viewer should see.
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

#include "drawing_fixture.h"
#include "fx/light_sprites.h"
#include "fx/particle_system.h"
#include "fx/sky_box.h"
#include "fx/veils.h"
#include "platform/file_system.h"
#include "platform/render_state.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_table.h"
#include "resources/tga_image.h"
#include "support/temp_folder.h"

namespace {

using fx_test::kHeight;
using fx_test::kWidth;
using Bytes = std::vector<std::uint8_t>;

constexpr double kFieldOfView = 60.0;  // the show's Demo.conf
constexpr double kAspect = 1.7777;
constexpr int kLetterbox = 60;
constexpr const char* kSkyFaces[6] = {"Textures/back.jpg", "Textures/front.jpg", "Textures/bottom.jpg",
                                      "Textures/top.jpg",  "Textures/left.jpg",  "Textures/right.jpg"};

// ---- generated stand-ins for the show's pictures ----

Bytes backdropPicture(int side) {
  Bytes rgba(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      std::uint8_t* p = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      const bool line = x % 32 == 0 || y % 32 == 0;
      p[0] = static_cast<std::uint8_t>(line ? 20 : 60 + x * 120 / side);
      p[1] = static_cast<std::uint8_t>(line ? 20 : 50 + y * 100 / side);
      p[2] = static_cast<std::uint8_t>(line ? 20 : 110);
      p[3] = 255;
    }
  return rgba;
}

// Soft vertical rays, brightest at the bottom of the picture.
Bytes rayPicture(int side) {
  Bytes rgba(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double s = static_cast<double>(x) / side;
      const double ray = std::pow(0.5 + 0.5 * std::sin(s * 2 * M_PI * 5 + 1.3 * std::sin(s * 17)), 4);
      const double fall = 1.0 - static_cast<double>(y) / side;
      std::uint8_t* p = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(255 * ray * fall);
      p[3] = 255;
    }
  return rgba;
}

// White with a round, soft alpha: the glow of one particle or sprite.
Bytes glowPicture(int side) {
  Bytes rgba(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double dx = (x + 0.5) / side * 2 - 1;
      const double dy = (y + 0.5) / side * 2 - 1;
      const double d = std::min(1.0, std::sqrt(dx * dx + dy * dy));
      std::uint8_t* p = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      p[0] = p[1] = p[2] = 255;
      p[3] = static_cast<std::uint8_t>(255 * std::pow(1 - d, 2));
    }
  return rgba;
}

// A sky face: deep blue at the top to a pale horizon, a tint per face and a soft cloud band.
Bytes skyPicture(int side, int face) {
  Bytes rgba(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double h = static_cast<double>(y) / side;  // 0 at the top row
      const double cloud = 0.5 + 0.5 * std::sin(x * 0.08 + face) * std::sin(y * 0.05);
      std::uint8_t* p = &rgba[(static_cast<size_t>(y) * side + x) * 4];
      p[0] = static_cast<std::uint8_t>(std::min(255.0, 60 + 150 * h + 40 * cloud + 8 * face));
      p[1] = static_cast<std::uint8_t>(std::min(255.0, 100 + 130 * h + 30 * cloud));
      p[2] = static_cast<std::uint8_t>(std::min(255.0, 190 + 60 * h));
      p[3] = 255;
    }
  return rgba;
}

// The folder the textures come from: the show, or a temporary one with the generated pictures
// (the particle and sprite objects read their sprite by file name, like in the show).
struct PictureFolder {
  std::unique_ptr<testing_support::TempFolder> generated;
  std::string path;
  bool fromShow = false;

  PictureFolder() {
    if (const std::string show = testing_support::kitShowFolder(); !show.empty()) {
      const std::string& dir = show;
      bool complete = platform::fileExists(dir + "/Textures/ray.tga") &&
                      platform::fileExists(dir + "/Textures/part.tga") &&
                      platform::fileExists(dir + "/Textures/tolvek-loader.jpg");
      for (const char* face : kSkyFaces) complete = complete && platform::fileExists(dir + "/" + face);
      if (complete) {
        path = dir;
        fromShow = true;
        return;
      }
      std::fprintf(stderr, "look_veils: %s lacks some pictures; using generated ones\n", show.c_str());
    }
    generated = std::make_unique<testing_support::TempFolder>();
    path = generated->path();
    platform::createFolders(path + "/Textures");
    resources::writeTga(path + "/Textures/part.tga", 64, 64, 32, glowPicture(64));
  }
};

class LookVeils : public fx_test::DrawingTest {
 public:
  static void SetUpTestSuite() {
    DrawingTest::SetUpTestSuite();
    if (!drawable()) return;
    folder_ = std::make_unique<PictureFolder>();
    artifacts_ = (std::filesystem::current_path() / "artifacts" / "effects").string();
    platform::createFolders(artifacts_);
    testing_support::ScopedWorkingDirectory inside(folder_->path);
    if (folder_->fromShow) {
      backdrop_ = resources::loadJpegTexture("Textures/tolvek-loader.jpg").name;
      ray_ = resources::loadTgaTexture("Textures/ray.tga").name;
      for (int f = 0; f < 6; ++f) resources::textureTable.entries[13 + f] = resources::loadJpegTexture(kSkyFaces[f]);
    } else {
      backdrop_ = smoothTexture(256, backdropPicture(256));
      ray_ = smoothTexture(128, rayPicture(128));
      for (int f = 0; f < 6; ++f) resources::textureTable.entries[13 + f].name = smoothTexture(128, skyPicture(128, f));
    }
    std::printf("look frames in %s, pictures from %s\n", artifacts_.c_str(),
                folder_->fromShow ? folder_->path.c_str() : "generated test pictures");
  }
  static void TearDownTestSuite() {
    resources::textureTable = {};
    folder_.reset();
    DrawingTest::TearDownTestSuite();
  }

 protected:
  static GLuint smoothTexture(int side, const Bytes& rgba) {
    const GLuint name = makeTexture(side, rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
  }

  // The show's frame: letterbox scissor, perspective of the show, the picture behind.
  static void sceneFrame(double zNear, double zFar) {
    startFrame();
    glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
    glEnable(GL_SCISSOR_TEST);
    drawBackdrop();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, kAspect, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // The picture over the whole viewport; `brightness` dims it like a dark level.
  static void drawBackdrop(float brightness = 1.0f) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, backdrop_);
    glColor3f(brightness, brightness, brightness);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glTexCoord2f(1, 1);
    glVertex2f(1, 0);
    glTexCoord2f(1, 0);
    glVertex2f(1, 1);
    glTexCoord2f(0, 0);
    glVertex2f(0, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    platform::applyStandardRenderState();
  }

  static void save(const std::string& name) {
    EXPECT_TRUE(gl().savePng(artifacts_ + "/" + name)) << name;
  }

  // Mean absolute difference per channel between two frames.
  static double difference(const Bytes& a, const Bytes& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
      if (i % 4 != 3) sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    return sum / (a.size() / 4 * 3);
  }

  static std::unique_ptr<PictureFolder> folder_;
  static std::string artifacts_;
  static GLuint backdrop_;
  static GLuint ray_;
};

std::unique_ptr<PictureFolder> LookVeils::folder_;
std::string LookVeils::artifacts_;
GLuint LookVeils::backdrop_ = 0;
GLuint LookVeils::ray_ = 0;

TEST_F(LookVeils, FadeToWhiteAtAQuarterHalfAndFull) {
  sceneFrame(1, 3700);
  const auto picture = pixel(200, 200);
  for (int percent : {25, 50, 100}) {
    sceneFrame(1, 3700);
    fx_test::setClocks(3000 + 8 * percent);
    fx::fadeOut(3000, 3800, 255, 255, 255, 0);
    fx::resetSceneState();
    save("fade_" + std::to_string(percent) + ".png");
    const auto veiled = pixel(200, 200);
    const double f = percent / 100.0;
    SCOPED_TRACE(percent);
    EXPECT_NEAR(veiled.r, picture.r + f * (255 - picture.r), 2);
    EXPECT_NEAR(veiled.b, picture.b + f * (255 - picture.b), 2);
    EXPECT_EQ(pixel(200, 20).r, 0);  // the letterbox bars stay black
  }
}

TEST_F(LookVeils, NoiseVeilIsVisibleButFaintUnderTheIslandProjection) {
  sceneFrame(1, 3700);
  const Bytes picture = gl().readPixels();
  sceneFrame(1, 3700);
  fx_test::setClocks(130);
  fx::noiseOverlay(255, 255, 255, 6);
  fx::resetSceneState();
  save("noise_veil.png");
  const double change = difference(gl().readPixels(), picture);
  EXPECT_GT(change, 2.0);   // it shows
  EXPECT_LT(change, 20.0);  // but only as a grain
}

TEST_F(LookVeils, ScrollVeilFlickersAtItsUpperEdge) {
  sceneFrame(1, 2000);
  const Bytes picture = gl().readPixels();
  Bytes frames[2];
  const double moments[2] = {12000.0, 12002.0};  // sin(now): two milliseconds apart
  for (int i = 0; i < 2; ++i) {
    sceneFrame(1, 2000);
    fx_test::setClocks(moments[i]);
    fx::scrollOverlay(0, 255, 255, 255, 0.5f, 1, 2, 1, ray_);
    fx::resetSceneState();
    save(i == 0 ? "scroll_veil_a.png" : "scroll_veil_b.png");
    frames[i] = gl().readPixels();
    EXPECT_GT(difference(frames[i], picture), 2.0);
  }
  EXPECT_GT(difference(frames[0], frames[1]), 0.5);
}

TEST_F(LookVeils, EchoTrailOfTwoAndTenLayers) {
  for (int layers : {2, 10}) {
    startFrame();
    // The scene goes into the 512 x 512 corner with the scissor off, as the timeline does it.
    // Dim like the first level, so ten layers adding up do not wash out to white.
    glViewport(0, 0, 512, 512);
    drawBackdrop(0.2f);
    const auto corner = pixel(256, kHeight - 256);
    glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
    fx::echoTrail(layers, 0.016f, 0, layers == 2 ? 0.8f : 1.2f);
    fx::resetSceneState();
    save("echo_" + std::to_string(layers) + ".png");
    SCOPED_TRACE(layers);
    // The layers add up over the picture's middle, brighter than the picture itself.
    const auto middle = pixel(kWidth / 2, kHeight / 2);
    EXPECT_GE(middle.r + middle.g + middle.b, corner.r + corner.g + corner.b);
    EXPECT_EQ(pixel(320, 20).r, 0);  // letterbox again after the copy
    glDisable(GL_SCISSOR_TEST);
  }
}

struct Lit {
  int count = 0;
  double x = 0, y = 0, r = 0, g = 0, b = 0;
};

Lit litPixels(const Bytes& frame, int threshold) {
  Lit lit;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const std::uint8_t* p = &frame[(static_cast<size_t>(y) * kWidth + x) * 4];
      if (p[0] + p[1] + p[2] < threshold) continue;
      ++lit.count;
      lit.x += x;
      lit.y += y;
      lit.r += p[0];
      lit.g += p[1];
      lit.b += p[2];
    }
  if (lit.count) {
    lit.x /= lit.count;
    lit.y /= lit.count;
    lit.r /= lit.count;
    lit.g /= lit.count;
    lit.b /= lit.count;
  }
  return lit;
}

TEST_F(LookVeils, FountainAfterOneSecondRisesInFireColours) {
  testing_support::ScopedWorkingDirectory inside(folder_->path);
  fx::ParticleSystem fountain(500, 0.15f, "Textures\\part.tga", {1.0f, 0.75f, 0.5f}, {1.0f, 0.4f, 0.05f});
  ASSERT_FALSE(fountain.texture().empty());
  // One second at 60 frames a second, each a step of the frame time / 2.8 as in the first level.
  for (int frame = 0; frame < 60; ++frame) fountain.update(1000.0f / 60 / 2.8f);
  startFrame();
  glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
  glEnable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, kAspect, 1, 2000);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(7.5, 25, 110, 7.5, 25, 0, 0, 1, 0);
  fountain.draw();
  // Where the emitter's patch sits on the screen (rows from the top).
  GLdouble model[16], projection[16], wx = 0, wy = 0, wz = 0;
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  gluProject(7.5, 0, 7.5, model, projection, viewport, &wx, &wy, &wz);
  const double emitterRow = kHeight - 1 - wy;
  save("fountain_1s.png");
  const Lit lit = litPixels(gl().readPixels(), 60);
  ASSERT_GT(lit.count, 500);
  // Risen above the emitter, and warm.
  EXPECT_LT(lit.y, emitterRow - 20);
  EXPECT_GT(lit.r, lit.b + 40);
  EXPECT_GE(lit.r, lit.g);
  fountain.destroy();
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(LookVeils, SkyBoxFromItsCentreFillsTheView) {
  startFrame();
  glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
  glEnable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, kAspect, 1, 3700);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_CULL_FACE);  // as the terrain list leaves it
  glDisable(GL_FOG);
  // Looking a little up, turned so that two faces and the top meet in the view.
  gluLookAt(1024, 0, 1024, 1024 - 700, 500, 1024 - 1000, 0, 1, 0);
  fx::drawSkyBox(1024, 0, 1024, 3300, 3300, 3300);
  save("sky_box.png");
  int black = 0;
  for (int y = kLetterbox + 1; y < kHeight - kLetterbox - 1; y += 7)
    for (int x = 0; x < kWidth; x += 7) {
      const auto p = pixel(x, y);
      black += p.r + p.g + p.b < 15;
    }
  EXPECT_EQ(black, 0);  // no gap, no face missing or beyond the far plane
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(LookVeils, LightSpritesOrbitInTheirOwnColours) {
  testing_support::ScopedWorkingDirectory inside(folder_->path);
  fx::LightSprites sprites("Textures\\part.tga");
  ASSERT_FALSE(sprites.texture().empty());
  startFrame();
  glScissor(0, kLetterbox, kWidth, kHeight - 2 * kLetterbox);
  glEnable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, kAspect, 1, 300);
  glMatrixMode(GL_MODELVIEW);
  gluLookAt(0, 0, 60, 0, 0, 0, 0, 1, 0);
  fx_test::setClocks(2300);
  sprites.draw({0, 0, 0}, 6, 16);
  save("light_sprites.png");
  const Bytes frame = gl().readPixels();
  const Lit lit = litPixels(frame, 60);
  EXPECT_GT(lit.count, 2000);
  // Several hues: some lit pixels lean red, others blue or green.
  int reddish = 0, other = 0;
  for (size_t i = 0; i < frame.size(); i += 4) {
    if (frame[i] + frame[i + 1] + frame[i + 2] < 60) continue;
    if (frame[i] > frame[i + 1] + 30 && frame[i] > frame[i + 2] + 30) ++reddish;
    else if (frame[i + 2] > frame[i] + 30 || frame[i + 1] > frame[i] + 30) ++other;
  }
  EXPECT_GT(reddish, 50);
  EXPECT_GT(other, 50);
  sprites.destroy();
  glDisable(GL_SCISSOR_TEST);
}

}  // namespace
