// What the effect drawing tests add to the drawing fixture: a 640 x 480 window whose suites
// get the frame textures the effects draw from, the demo and effect clocks set to chosen
// milliseconds, the frame started as the timeline starts it, and small texture helpers.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "support/drawing_test.h"

namespace fx_test {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Both clocks of the frame timer read `ms` until the next call (a virtual counter).
void setClocks(double ms);

class DrawingTest : public testing_support::DrawingTest<kWidth, kHeight> {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void prepare() override { startFrame(); }

  // Perspective 90 degrees at the window's aspect, near 0.1, far 100; modelview identity;
  // a cleared black frame with the demo's standard state.
  static void startFrame();
  // Mean of the red channel over the frame (the tests draw in grey).
  static double meanRed();
  // A square RGBA texture with nearest filtering, rows first row first.
  static GLuint makeTexture(int size, const std::vector<std::uint8_t>& rgba);
  static GLuint solidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
};

}  // namespace fx_test
