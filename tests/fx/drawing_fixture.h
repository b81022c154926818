// What the effect drawing tests share: one hidden 640 x 480 window per suite with the frame
// textures the effects draw from, a demo and effect clock set to chosen milliseconds, and
// small pixel helpers.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/gl_context.h"

namespace fx_test {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Both clocks of the frame timer read `ms` until the next call (a virtual counter).
void setClocks(double ms);

struct Pixel {
  int r = 0, g = 0, b = 0, a = 0;
};

class DrawingTest : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  static testing_support::GlTestContext& gl() { return *context_; }

  // Perspective 90 degrees at the window's aspect, near 0.1, far 100; modelview identity;
  // a cleared black frame with the demo's standard state.
  static void startFrame();
  // Pixel (x, y) of the frame, y counted from the top.
  static Pixel pixel(int x, int y);
  // Mean of the red channel over the frame (the tests draw in grey).
  static double meanRed();
  // A square RGBA texture with nearest filtering, rows first row first.
  static GLuint makeTexture(int size, const std::vector<std::uint8_t>& rgba);
  static GLuint solidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);

 private:
  static std::unique_ptr<testing_support::GlTestContext> context_;
};

}  // namespace fx_test
