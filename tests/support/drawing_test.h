// The OpenGL drawing fixture of the test suites that draw: one hidden window per suite (under
// Xvfb with Mesa's software renderer), a neutral state and a cleared frame before every test,
// pixels read back from the top left, and the check that the demo's standard state is in
// force (the state every scene starts from and every veil's reset restores).
//
//   class LevelRender : public testing_support::DrawingTest<64, 64> { ... };
//
// A suite sets its own state and projection in prepare(), which runs after the neutral state
// is set; a test without a display to draw on is skipped, saying why, before it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/gl_context.h"

namespace testing_support {

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};

// Viewport and scissor box over the window; identity matrices (projection, modelview, both texture units'
// texture matrices) with the modelview current; depth test, culling, blending, lighting,
// fog, stencil and scissor tests and both units' textures off; depth writes on; white
// colour; the frame cleared to black (depth 1, stencil 0).
void resetDrawingState(int width, int height);

// Pixel (x, y) of the back buffer, y counted from the top of a window `height` high.
Rgba readPixel(int x, int y, int height);

// Where the state differs from the demo's standard state, one line each; empty when it is
// all in force: white colour, smooth shading, black clear colour, clear depth 1, depth test
// (less or equal) with depth writes, nicest hints, additive alpha blend function with blending
// off, front faces culled, grey exponential fog on.
std::vector<std::string> standardStateDifferences();

template <int Width, int Height>
class DrawingTest : public ::testing::Test {
 public:
  static constexpr int kWidth = Width;
  static constexpr int kHeight = Height;

  static void SetUpTestSuite() { context_ = std::make_unique<GlTestContext>(Width, Height); }
  static void TearDownTestSuite() { context_.reset(); }
  void SetUp() override {
    if (!context_ || !context_->ok()) GTEST_SKIP() << "no OpenGL window: run the drawing tests under xvfb-run -a";
    resetDrawingState(Width, Height);
    prepare();
  }
  virtual void prepare() {}

  static bool drawable() { return context_ && context_->ok(); }
  static GlTestContext& gl() { return *context_; }
  static Rgba pixel(int x, int y) { return readPixel(x, y, Height); }

 private:
  static inline std::unique_ptr<GlTestContext> context_;
};

}  // namespace testing_support
