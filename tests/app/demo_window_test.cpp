// Window behaviour under Xvfb: size, resize, keys, close and the frame-rate caption.
#include "app/demo_window.h"

#include <SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "platform/keyboard.h"
#include "platform/settings.h"

namespace {

class DemoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::settings = platform::Settings{};
    platform::settings.windowTitle = "Tolvek";
    platform::settings.fieldOfView = 60.0f;
    platform::settings.aspectRatio = 1.7777f;
    platform::keys = platform::KeyState{};
    app::frameRate = app::FrameRateCounter{};
  }
  void TearDown() override { app::closeDemoWindow(); }

  static SDL_Event windowEvent(Uint8 kind, int a = 0, int b = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = kind;
    e.window.data1 = a;
    e.window.data2 = b;
    return e;
  }
  // A key event as a layout reports it: the key's place and what the layout prints on it.
  static SDL_Event keyEvent(Uint32 type, SDL_Scancode place, SDL_Keycode printed = SDLK_UNKNOWN) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = place;
    e.key.keysym.sym = printed;
    return e;
  }
};

TEST_F(DemoWindowTest, OpensAtTheChosenSizeWithTheConfiguredProjection) {
  ASSERT_TRUE(app::openDemoWindow(800, 600, 32, false, "Tolvek"));
  int w = 0, h = 0;
  SDL_GetWindowSize(app::demoWindow(), &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  GLint stencil = 0;
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  EXPECT_EQ(stencil, 8);
  // The projection uses the configured aspect, not the window's 4:3.
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5] / projection[0], 1.7777f, 1e-4f);
  EXPECT_STREQ(SDL_GetWindowTitle(app::demoWindow()), "Tolvek");
}

// A resized window keeps the picture it was opened with: its viewport and projection stay,
// and it is drawn apart and shown scaled; back at the picture's size it is drawn directly.
TEST_F(DemoWindowTest, AResizeKeepsThePictureItsViewportAndItsProjection) {
  ASSERT_TRUE(app::openDemoWindow(640, 480, 32, false, "Tolvek"));
  GLfloat projection[16], after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  const auto resizeTo = [](int w, int h) {
    SDL_SetWindowSize(app::demoWindow(), w, h);
    for (SDL_Event e; SDL_WaitEventTimeout(&e, 300);) app::handleWindowEvent(e);
  };
  resizeTo(800, 300);
  EXPECT_TRUE(app::demoPictureApart());
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  glGetFloatv(GL_PROJECTION_MATRIX, after);
  EXPECT_TRUE(std::equal(projection, projection + 16, after));
  resizeTo(640, 480);
  EXPECT_FALSE(app::demoPictureApart());
}

TEST_F(DemoWindowTest, KeysAreRecordedByVirtualKeyCodeWhileDown) {
  ASSERT_TRUE(app::openDemoWindow(640, 480, 32, false, "Tolvek"));
  app::handleWindowEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE));
  app::handleWindowEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_T));
  app::handleWindowEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT));
  EXPECT_TRUE(platform::keys.down[27]);
  EXPECT_TRUE(platform::keys.down['T']);
  EXPECT_TRUE(platform::keys.down[37]);
  // A press and release between two frames leaves no trace.
  app::handleWindowEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE));
  app::handleWindowEvent(keyEvent(SDL_KEYUP, SDL_SCANCODE_SPACE));
  app::handleWindowEvent(keyEvent(SDL_KEYUP, SDL_SCANCODE_T));
  EXPECT_FALSE(platform::keys.down[32]);
  EXPECT_FALSE(platform::keys.down['T']);
  EXPECT_TRUE(platform::keys.down[27]);
  // On a French keyboard the key printed A sits where a US keyboard has Q: it is Q (strafe
  // left), as on the keyboards the authoring keys were laid out for.
  app::handleWindowEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_a));
  EXPECT_TRUE(platform::keys.down['Q']);
  EXPECT_FALSE(platform::keys.down['A']);
}

TEST_F(DemoWindowTest, CloseBoxPostsTheQuitMessage) {
  ASSERT_TRUE(app::openDemoWindow(640, 480, 32, false, "Tolvek"));
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  app::handleWindowEvent(windowEvent(SDL_WINDOWEVENT_CLOSE));
  SDL_PumpEvents();
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT), 1);
}

TEST_F(DemoWindowTest, CaptionShowsTheFramesOfTheSecondBeforeLast) {
  ASSERT_TRUE(app::openDemoWindow(640, 480, 32, false, "Tolvek"));
  // Drive the timer by hand: frames counted in each "second".
  app::frameRate.frameCount = 30;
  app::updateFpsTitle();  // first tick shows 0 and halves the average towards 0
  EXPECT_STREQ(SDL_GetWindowTitle(app::demoWindow()), "Tolvek - [0 FPS]");
  EXPECT_FLOAT_EQ(app::frameRate.fpsAverage, 0.0f);
  EXPECT_EQ(app::frameRate.frameCount, 0);
  app::frameRate.frameCount = 50;
  app::updateFpsTitle();
  EXPECT_STREQ(SDL_GetWindowTitle(app::demoWindow()), "Tolvek - [30 FPS]");
  EXPECT_FLOAT_EQ(app::frameRate.fpsAverage, 15.0f);
  app::updateFpsTitle();
  EXPECT_STREQ(SDL_GetWindowTitle(app::demoWindow()), "Tolvek - [50 FPS]");
  EXPECT_FLOAT_EQ(app::frameRate.fpsAverage, 32.5f);
}

TEST_F(DemoWindowTest, CaptionAfterThreeSecondsOfRealFrames) {
  ASSERT_TRUE(app::openDemoWindow(320, 240, 32, false, "Tolvek"));
  const Uint32 start = SDL_GetTicks();
  while (SDL_GetTicks() - start < 3300) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      app::handleWindowEvent(event);
      continue;
    }
    glClear(GL_COLOR_BUFFER_BIT);
    app::swapDemoWindow();
    ++app::frameRate.frameCount;
  }
  const std::string title = SDL_GetWindowTitle(app::demoWindow());
  std::smatch match;
  ASSERT_TRUE(std::regex_match(title, match, std::regex(R"(Tolvek - \[(\d+) FPS\])"))) << title;
  EXPECT_GT(std::stoi(match[1]), 0) << "the second tick already shows a whole second of frames";
  EXPECT_GT(app::frameRate.fpsAverage, 0.0f);
}

TEST_F(DemoWindowTest, RenderStateIsTheStandardOne) {
  ASSERT_TRUE(app::openDemoWindow(640, 480, 32, false, "Tolvek"));
  app::initRenderState();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint value = 0;
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_FRONT);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_FOG_MODE, &value);
  EXPECT_EQ(value, GL_EXP2);
  glGetIntegerv(GL_BLEND_DST, &value);
  EXPECT_EQ(value, GL_ONE);
  GLfloat density = 0;
  glGetFloatv(GL_FOG_DENSITY, &density);
  EXPECT_FLOAT_EQ(density, 0.0016f);
}

}  // namespace
