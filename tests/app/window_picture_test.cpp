// The show's picture in windows of other sizes: where the picture lands for a table of
// window sizes, and the kit's show drawn in a window wider than 16:9 against the same moment
// in a 16:9 window of the same height (inside the bars, equal but for the few edges Mesa
// rasterises differently in a framebuffer of its own), the full-screen key and a resize.
#include "app/window_picture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/demo_config.h"
#include "app/demo_window.h"
#include "demo/show.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "support/box_recorder.h"
#include "support/temp_folder.h"

namespace {

using app::PictureRect;
using app::Size;

TEST(WindowPicture, SizeAndPlaceForATableOfWindows) {
  const struct {
    Size window, picture;
    PictureRect shown;  // of that picture in that window
  } cases[] = {
      {{1920, 1080}, {1920, 1080}, {0, 0, 1920, 1080}},     // 16:9: the window itself
      {{1280, 1024}, {1280, 1024}, {0, 0, 1280, 1024}},     // taller: the design's bars inside
      {{2560, 1080}, {1920, 1080}, {320, 0, 1920, 1080}},   // 21:9
      {{3440, 1440}, {2560, 1440}, {440, 0, 2560, 1440}},   // 21:9
      {{5120, 1440}, {2560, 1440}, {1280, 0, 2560, 1440}},  // 32:9
      {{7680, 4320}, {7680, 4320}, {0, 0, 7680, 4320}},
      {{561, 240}, {426, 240}, {67, 0, 426, 240}},  // 16:9 of 240 rows is 426.7: the whole columns
  };
  for (const auto& c : cases) {
    const Size picture = app::pictureSizeFor(c.window);
    EXPECT_EQ(picture, c.picture) << c.window.width << "x" << c.window.height;
    EXPECT_EQ(app::fitPicture(c.window, picture), c.shown) << c.window.width << "x" << c.window.height;
  }
  // A picture kept at its size in a window resized or toggled to another: scaled to fit,
  // bars where the window is too wide or too tall, nothing for a window of no height.
  EXPECT_EQ(app::fitPicture({2560, 1440}, {1280, 720}), (PictureRect{0, 0, 2560, 1440}));
  EXPECT_EQ(app::fitPicture({1280, 1024}, {1280, 720}), (PictureRect{0, 152, 1280, 720}));
  EXPECT_EQ(app::fitPicture({2560, 1080}, {1280, 720}), (PictureRect{320, 0, 1920, 1080}));
  EXPECT_EQ(app::fitPicture({800, 0}, {1280, 720}).height, 0);
}

// What the window shows next, bottom row first: composed into its back buffer and read from
// there (not from the screen, which a busy X server fills late).
std::vector<std::uint8_t> windowPicture(Size window) {
  app::composeDemoWindow();
  static const auto bind = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(SDL_GL_GetProcAddress("glBindFramebuffer"));
  glFinish();
  GLint drawing = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &drawing);
  bind(GL_READ_FRAMEBUFFER, 0);
  std::vector<std::uint8_t> pixels(static_cast<size_t>(window.width) * window.height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, window.width, window.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  bind(GL_READ_FRAMEBUFFER, static_cast<GLuint>(drawing));
  return pixels;
}

// Columns [x, x + width) of a picture `from` wide.
std::vector<std::uint8_t> columns(const std::vector<std::uint8_t>& pixels, int from, int x, int width) {
  std::vector<std::uint8_t> out;
  const size_t rows = pixels.size() / 3 / static_cast<size_t>(from);
  for (size_t y = 0; y < rows; ++y) {
    const auto row = pixels.begin() + static_cast<std::ptrdiff_t>((y * static_cast<size_t>(from) + x) * 3);
    out.insert(out.end(), row, row + width * 3);
  }
  return out;
}

// How far two pictures of one size are apart: the largest difference of a colour value and
// how many values differ at all.
struct Apart {
  int largest = 0;
  size_t values = 0;
};
Apart apart(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  Apart d;
  if (a.size() != b.size()) return {255, a.size() + b.size()};
  for (size_t i = 0; i < a.size(); ++i) {
    const int v = std::abs(int{a[i]} - int{b[i]});
    d.largest = std::max(d.largest, v);
    d.values += v != 0;
  }
  return d;
}

bool allBlack(const std::vector<std::uint8_t>& pixels) {
  for (const std::uint8_t v : pixels)
    if (v) return false;
  return true;
}

class ShowInAWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!folder.linkKitShow()) GTEST_SKIP() << "needs the kit's show folder (make show)";
    cwd = std::make_unique<testing_support::ScopedWorkingDirectory>(folder.path());
  }
  void TearDown() override {
    show.unload();
    app::closeDemoWindow();
    platform::useRealCounter();
  }

  // The moments of the show, drawn in a window of this size and presented; the picture of each.
  std::vector<std::vector<std::uint8_t>> playAt(Size window, const std::vector<double>& moments) {
    auto& s = platform::settings;
    s = platform::Settings{};
    const Size picture = app::pictureSizeFor(window);
    s.screenWidth = picture.width;
    s.screenHeight = picture.height;
    EXPECT_TRUE(app::loadDemoConfig(s));
    if (!app::openDemoWindow(window.width, window.height, 32, false, s.windowTitle)) {
      ADD_FAILURE() << "no window of " << window.width << "x" << window.height << ": " << SDL_GetError();
      return {};
    }
    app::initRenderState();
    platform::useFrameRateCounter(60);
    show.load({app::swapDemoWindow, app::computeLetterboxHeight(picture.width, picture.height)});
    show.frame();  // the loading sequence
    std::vector<std::vector<std::uint8_t>> pictures;
    for (const double ms : moments) {
      show.seek(ms);
      show.frame();
      pictures.push_back(windowPicture(window));
      app::swapDemoWindow();
    }
    return pictures;
  }
  void closeShow() {
    show.unload();
    app::closeDemoWindow();
  }

  testing_support::TempFolder folder;
  std::unique_ptr<testing_support::ScopedWorkingDirectory> cwd;
  testing_support::BoxRecorder boxes;  // a failure is told, never shown and waited for
  demo::Show show;
};

// A moment of every scene: the intro's echo trail, the tunnel, the second level, the island
// with its mist, the final scene's stencil window, the credits.
const std::vector<double> kMoments = {40000.0, 60000.0, 80000.0, 130000.0, 155000.0, 200000.0};

TEST_F(ShowInAWindow, AWiderWindowShowsThe169PictureBetweenBlackBarsAndTheToggleScalesIt) {
  const Size plain{426, 240};
  const auto expected = playAt(plain, kMoments);
  ASSERT_EQ(expected.size(), kMoments.size());
  closeShow();
  for (const Size wide : {Size{561, 240}, Size{853, 240}}) {  // 21:9 and 32:9
    const auto shown = playAt(wide, kMoments);
    ASSERT_EQ(shown.size(), kMoments.size());
    const PictureRect r = app::fitPicture(wide, plain);
    ASSERT_EQ(r.width, plain.width);
    for (size_t i = 0; i < kMoments.size(); ++i) {
      const Apart d = apart(columns(shown[i], wide.width, r.x, r.width), expected[i]);
      // Drawn apart, Mesa rasterises a few edges differently from the window's own buffer.
      EXPECT_LE(d.largest, 8) << wide.width << "x" << wide.height << " at " << kMoments[i] << " ms";
      EXPECT_LE(d.values, expected[i].size() * 6 / 100) << wide.width << "x" << wide.height << " at " << kMoments[i] << " ms: values up to "
                              << d.largest << " apart";
      EXPECT_TRUE(allBlack(columns(shown[i], wide.width, 0, r.x))) << "left bar";
      EXPECT_TRUE(allBlack(columns(shown[i], wide.width, r.x + r.width, wide.width - r.x - r.width))) << "right bar";
    }
    if (wide.width != 853) {
      closeShow();
      continue;
    }
    // The full-screen key goes both ways with the show going on; a window resized (as full
    // screen resizes it) shows the picture it has, scaled, with bars.
    SDL_Event f11{};
    f11.type = SDL_KEYDOWN;
    f11.key.keysym.scancode = SDL_SCANCODE_F11;
    f11.key.keysym.sym = SDLK_F11;
    app::handleWindowEvent(f11);
    EXPECT_TRUE(app::demoWindowFullscreen());
    app::handleWindowEvent(f11);
    EXPECT_FALSE(app::demoWindowFullscreen());
    SDL_SetWindowSize(app::demoWindow(), 1000, 600);
    for (SDL_Event e; SDL_WaitEventTimeout(&e, 300);) app::handleWindowEvent(e);
    const Size resized{1000, 600};
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(app::demoWindow(), &w, &h);
    ASSERT_TRUE(w == resized.width && h == resized.height) << w << "x" << h;
    const double before = show.demoTimeMs();
    platform::advanceVirtualFrame();
    show.frame();
    EXPECT_NEAR(show.demoTimeMs(), before + 1000.0 / 60.0, 1e-6) << "the clock goes on by one frame";
    const auto full = windowPicture(resized);
    const PictureRect in = app::fitPicture(resized, plain);
    EXPECT_EQ(in.width, 1000);
    EXPECT_TRUE(allBlack(std::vector<std::uint8_t>(full.begin(), full.begin() + std::ptrdiff_t{in.y} * w * 3)))
        << "bar below";
    EXPECT_FALSE(allBlack(columns(full, w, in.x, in.width))) << "the picture";
    closeShow();
  }
}

}  // namespace
