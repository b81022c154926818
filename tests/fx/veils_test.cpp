#include "fx/veils.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "demo/cue_sheet.h"
#include "drawing_fixture.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace {

using fx_test::DrawingTest;
using fx_test::setClocks;

// ---- arithmetic ----

TEST(VeilAlphas, FadeInRunsFromOpaqueToClearAndBelow) {
  EXPECT_FALSE(fx::fadeInAlpha(1000.0, 1000.0f, 2000.0f));  // the start itself draws nothing
  EXPECT_FALSE(fx::fadeInAlpha(400.0, 1000.0f, 2000.0f));
  EXPECT_NEAR(*fx::fadeInAlpha(1000.001, 1000.0f, 2000.0f), 1.0f, 1e-5f);
  EXPECT_FLOAT_EQ(*fx::fadeInAlpha(1250.0, 1000.0f, 2000.0f), 0.75f);
  EXPECT_FLOAT_EQ(*fx::fadeInAlpha(2000.0, 1000.0f, 2000.0f), 0.0f);
  // Not clamped: after the end the alpha goes negative, which shows as nothing.
  EXPECT_FLOAT_EQ(*fx::fadeInAlpha(2500.0, 1000.0f, 2000.0f), -0.5f);
}

TEST(VeilAlphas, FadeOutKeepsCoveringAfterItsEnd) {
  EXPECT_FALSE(fx::fadeOutAlpha(3000.0, 3000.0f, 3800.0f));
  EXPECT_FLOAT_EQ(*fx::fadeOutAlpha(3200.0, 3000.0f, 3800.0f), 0.25f);
  EXPECT_FLOAT_EQ(*fx::fadeOutAlpha(3800.0, 3000.0f, 3800.0f), 1.0f);
  EXPECT_FLOAT_EQ(*fx::fadeOutAlpha(4600.0, 3000.0f, 3800.0f), 2.0f);
}

TEST(VeilAlphas, FadeInWindowDrawsOnlyStrictlyInside) {
  for (double now : {5000.0, 5800.0, 6900.0, 7000.0})
    EXPECT_FALSE(fx::fadeInWindowAlpha(now, 5800.0f, 6900.0f)) << now;
  EXPECT_FLOAT_EQ(*fx::fadeInWindowAlpha(6350.0, 5800.0f, 6900.0f), 0.5f);
  EXPECT_NEAR(*fx::fadeInWindowAlpha(6899.9, 5800.0f, 6900.0f), 0.0f, 1e-3f);
}

TEST(VeilAlphas, ZeroLengthFadesDoNotDivideByZero) {
  EXPECT_FLOAT_EQ(*fx::fadeInAlpha(10.0, 5.0f, 5.0f), 0.0f);
  EXPECT_FLOAT_EQ(*fx::fadeOutAlpha(10.0, 5.0f, 5.0f), 1.0f);
  EXPECT_FALSE(fx::fadeInWindowAlpha(5.0, 5.0f, 5.0f));
}

TEST(NoiseVeil, QuarterTurnsFollowTheEffectClock) {
  struct Case {
    double ms;
    int turns;
  };
  const Case cases[] = {{0, 0},   {60, 0},    {60.9, 0},  {61, 1},  {120, 1},    {120.99, 1},
                        {121, 2}, {170, 2},   {171, 3},   {199, 3}, {199.99, 3}, {200, 0},
                        {260, 0}, {261, 1},   {1371, 3},  {4e9 + 121, 2}};
  for (const Case& c : cases) EXPECT_EQ(fx::noiseQuarterTurns(c.ms), c.turns) << c.ms;
}

TEST(ScrollVeil, UpperEdgeSwingsByATenthWithTheSineOfTheClock) {
  EXPECT_FLOAT_EQ(fx::scrollUpperT(2.0f, 0.0), 2.0f);
  EXPECT_NEAR(fx::scrollUpperT(2.0f, M_PI / 2), 2.1f, 1e-6f);
  EXPECT_NEAR(fx::scrollUpperT(2.0f, 3 * M_PI / 2), 1.9f, 1e-6f);
  // One millisecond apart the edge jumps by a large part of its swing: a flicker, not a wave.
  EXPECT_NEAR(fx::scrollUpperT(2.0f, 1.0) - fx::scrollUpperT(2.0f, 0.0), 0.1 * std::sin(1.0), 1e-6);
  EXPECT_GT(std::fabs(fx::scrollUpperT(2.0f, 1.0) - fx::scrollUpperT(2.0f, 0.0)), 0.08f);
}

TEST(EchoTrail, LayersZoomInAndFade) {
  const fx::EchoLayer first = fx::echoLayer(0, 2, 0.016f, 0.8f);
  const fx::EchoLayer second = fx::echoLayer(1, 2, 0.016f, 0.8f);
  EXPECT_FLOAT_EQ(first.alpha, 0.8f);
  EXPECT_FLOAT_EQ(second.alpha, 0.4f);
  EXPECT_FLOAT_EQ(first.inset, 0.0f);
  EXPECT_FLOAT_EQ(second.inset, 0.016f);
  const fx::EchoLayer last = fx::echoLayer(9, 10, 0.016f, 1.6f);
  EXPECT_NEAR(last.alpha, 0.16f, 1e-6f);
  EXPECT_NEAR(last.inset, 0.144f, 1e-6f);
}

TEST(EchoTrail, TheFirstLevelSwingsBetweenTwoAndTenLayers) {
  // cos(180 - now/300) = 1 at now = 300 (180 - 10 pi), -1 at 300 (180 - 11 pi).
  const double brightest = 300 * (180 - 10 * M_PI);
  const double faintest = 300 * (180 - 11 * M_PI);
  EXPECT_EQ(fx::introEchoLayerCount(brightest), 10);
  EXPECT_NEAR(fx::introEchoStartAlpha(brightest), 1.6f, 1e-5f);
  EXPECT_EQ(fx::introEchoLayerCount(faintest), 2);
  EXPECT_NEAR(fx::introEchoStartAlpha(faintest), 0.8f, 1e-5f);
  // cos = 0.9 gives 9.6 layers: the whole part, not the nearest.
  const double ninety = 300 * (180 - 10 * M_PI - std::acos(0.9));
  EXPECT_EQ(fx::introEchoLayerCount(ninety), 9);
  for (double now = demo::cue::kEchoTrailStartMs + 1; now < demo::cue::kEchoTrailEndMs; now += 7) {
    ASSERT_GE(fx::introEchoLayerCount(now), 2) << now;
    ASSERT_LE(fx::introEchoLayerCount(now), 10) << now;
  }
}

// ---- drawing ----

class VeilDrawing : public DrawingTest {};

// The frame at its centre, as a grey level.
int centre() { return DrawingTest::pixel(fx_test::kWidth / 2, fx_test::kHeight / 2).r; }

TEST_F(VeilDrawing, FadeInFromWhiteAtItsBounds) {
  setClocks(1500);
  fx::fadeIn(1000, 2000, 255, 255, 255, 0);
  EXPECT_NEAR(centre(), 128, 2);
  // The whole window is covered, corners too.
  EXPECT_NEAR(pixel(0, 0).r, 128, 2);
  EXPECT_NEAR(pixel(fx_test::kWidth - 1, fx_test::kHeight - 1).r, 128, 2);

  startFrame();
  setClocks(2000);
  fx::fadeIn(1000, 2000, 255, 255, 255, 0);
  EXPECT_EQ(centre(), 0);

  startFrame();
  setClocks(2600);
  fx::fadeIn(1000, 2000, 255, 255, 255, 0);
  EXPECT_EQ(centre(), 0);
}

TEST_F(VeilDrawing, FadeOutCoversWithTheFullColourAfterItsEnd) {
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  setClocks(5000);
  fx::fadeOut(1000, 2000, 255, 0, 127.5f, 0);
  const auto p = pixel(100, 100);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 0);
  EXPECT_NEAR(p.b, 128, 1);  // the blue below does not shine through
}

TEST_F(VeilDrawing, FadeOutHalfWayBlendsOverThePicture) {
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  setClocks(1500);
  fx::fadeOut(1000, 2000, 255, 255, 255, 0);
  const auto p = pixel(320, 240);
  EXPECT_EQ(p.r, 255);
  EXPECT_NEAR(p.g, 128, 2);
  EXPECT_NEAR(p.b, 128, 2);
}

TEST_F(VeilDrawing, FadeShowsItsTextureTintedByItsColour) {
  const GLuint blue = solidTexture(0, 0, 255);
  setClocks(3000);
  fx::fadeOut(1000, 2000, 255, 255, 255, blue);
  const auto p = pixel(320, 240);
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.b, 255);
  glDeleteTextures(1, &blue);
}

TEST_F(VeilDrawing, FadeInWindowLeavesFrameAndStateAloneAtOrOutsideItsBounds) {
  glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  GLint depthBefore = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
  for (double now : {500.0, 1000.0, 2000.0, 2500.0}) {
    setClocks(now);
    fx::fadeInWindow(1000, 2000, 255, 255, 255, 0);
    EXPECT_NEAR(centre(), 64, 1) << now;
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << now;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << now;
    EXPECT_TRUE(glIsEnabled(GL_FOG)) << now;
  }
  setClocks(1500);
  fx::fadeInWindow(1000, 2000, 255, 255, 255, 0);
  EXPECT_NEAR(centre(), 64 + (255 - 64) / 2, 2);
  GLint depthAfter = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
  EXPECT_EQ(depthAfter, depthBefore);
}

TEST_F(VeilDrawing, NoiseVeilIsFaintAndTurnsByQuarters) {
  setClocks(10);
  fx::noiseOverlay(255, 255, 255, 6);
  const auto still = gl().readPixels();
  const double mean = meanRed();
  // A tenth of noise that averages half grey.
  EXPECT_GT(mean, 9.0);
  EXPECT_LT(mean, 16.0);
  int distinct[256] = {};
  for (size_t i = 0; i < still.size(); i += 4) distinct[still[i]] = 1;
  int levels = 0;
  for (int v : distinct) levels += v;
  EXPECT_GT(levels, 10);  // grain, not a flat tint

  startFrame();
  setClocks(50);  // still no turn
  fx::noiseOverlay(255, 255, 255, 6);
  EXPECT_EQ(gl().readPixels(), still);

  startFrame();
  setClocks(100);  // a quarter turn
  fx::noiseOverlay(255, 255, 255, 6);
  EXPECT_NE(gl().readPixels(), still);
}

TEST_F(VeilDrawing, ScrollVeilAddsLightOnceStarted) {
  glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const GLuint white = solidTexture(255, 255, 255);
  setClocks(100);
  fx::scrollOverlay(100, 255, 255, 255, 0.5f, 1, 2, 1, white);
  EXPECT_NEAR(centre(), 64, 1);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));

  setClocks(101);
  fx::scrollOverlay(100, 255, 255, 255, 0.5f, 1, 2, 1, white);
  EXPECT_NEAR(centre(), 64 + 128, 2);  // added, not blended over
  glDeleteTextures(1, &white);
}

TEST_F(VeilDrawing, ResetRestoresTheStandardStateAfterAVeil) {
  // Disturb what a scene might have changed, then a veil, then the reset.
  glShadeModel(GL_FLAT);
  glClearColor(0.5f, 0.1f, 0.2f, 0.3f);
  glClearDepth(0.5);
  glDepthFunc(GL_ALWAYS);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glCullFace(GL_BACK);
  glDisable(GL_CULL_FACE);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  const GLfloat black[4] = {0, 0, 0, 0};
  glFogfv(GL_FOG_COLOR, black);
  glFogf(GL_FOG_DENSITY, 0.5f);
  glHint(GL_FOG_HINT, GL_FASTEST);
  glFogf(GL_FOG_START, 5);
  glFogf(GL_FOG_END, 20);
  setClocks(1500);
  fx::fadeOut(1000, 2000, 10, 20, 30, 0);
  fx::resetSceneState();
  EXPECT_EQ(testing_support::standardStateDifferences(), std::vector<std::string>{});
}

TEST_F(VeilDrawing, CopyToTextureTakesTheCornerAndGivesTheWindowBack) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 64, 64);
  glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glViewport(0, 0, 512, 512);

  fx::copyToTexture(512, resources::textureTable.trailTexture);

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], fx_test::kWidth);
  EXPECT_EQ(viewport[3], fx_test::kHeight);
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_EQ(pixel(10, fx_test::kHeight - 10).g, 0);  // the frame was cleared

  std::vector<std::uint8_t> texels(512 * 512 * 4);
  glBindTexture(GL_TEXTURE_2D, resources::textureTable.trailTexture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels[(10 * 512 + 10) * 4 + 1], 255);    // inside the green square
  EXPECT_EQ(texels[(100 * 512 + 100) * 4 + 1], 0);    // outside it
  GLint width = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  EXPECT_EQ(width, 512);  // copied into, not reallocated
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(VeilDrawing, EchoTrailOfTwoLayersAddsAlphaAndHalfAlpha) {
  glClearColor(0.4f, 0.4f, 0.4f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);  // what the copy clears the frame to
  glViewport(0, 0, 512, 512);
  fx::echoTrail(2, 0.0f, 0.0f, 0.5f);
  // 0.4 x 0.5 + 0.4 x 0.25 on a cleared frame.
  EXPECT_NEAR(centre(), 77, 2);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLint depth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 1);
  glDisable(GL_SCISSOR_TEST);
}

// Draws into the 512 x 512 corner the trail copies, in coordinates 0..1, untextured and
// unfogged, as the scene would before the trail.
template <class Draw>
void drawCorner(Draw draw) {
  glViewport(0, 0, 512, 512);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_FOG);
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  draw();
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(VeilDrawing, EchoTrailLayersZoomIntoTheFrame) {
  // A white square over the middle fifth of the 512 x 512 corner.
  drawCorner([] {
    glColor3f(1, 1, 1);
    glRectf(0.4f, 0.4f, 0.6f, 0.6f);
  });

  fx::echoTrail(2, 0.1f, 0.0f, 1.0f);
  // Layer 0 shows the square at x 256..384, layer 1 (half as bright) zoomed to 240..400.
  EXPECT_EQ(pixel(320, 240).r, 255);
  EXPECT_NEAR(pixel(248, 240).r, 128, 3);
  EXPECT_NEAR(pixel(392, 240).r, 128, 3);
  EXPECT_EQ(pixel(232, 240).r, 0);
  glDisable(GL_SCISSOR_TEST);
}

TEST_F(VeilDrawing, EchoTrailInPassesAgreesWithLayerByLayer) {
  if (fx::echoLayersPerPass() < 2) GTEST_SKIP() << "this driver draws the trail layer by layer only";
  // A picture with detail everywhere: colour ramps across the corner and a bright block.
  const auto picture = [] {
    glBegin(GL_QUADS);
    glColor3f(0.1f, 0.2f, 0.9f), glVertex2f(0, 0);
    glColor3f(0.9f, 0.1f, 0.3f), glVertex2f(0, 1);
    glColor3f(0.4f, 0.8f, 0.1f), glVertex2f(1, 1);
    glColor3f(0.2f, 0.5f, 0.5f), glVertex2f(1, 0);
    glEnd();
    glColor3f(1, 1, 1);
    glRectf(0.45f, 0.3f, 0.7f, 0.5f);
  };
  for (int count : {3, 9, 10}) {
    std::vector<std::uint8_t> frames[2];
    for (int layered = 0; layered < 2; ++layered) {
      fx::forceEchoLayersPerPass(layered ? 1 : 0);
      startFrame();
      drawCorner(picture);
      fx::echoTrail(count, 0.016f, 0.0f, 1.4f);
      frames[layered] = gl().readPixels();
    }
    fx::forceEchoLayersPerPass(0);
    // Colour only (alpha adds up differently and is never shown), and below the rows that
    // sample the texture above the 480 rows a 640 x 480 window can copy into it.
    int worst = 0;
    for (size_t i = 40 * 640 * 4; i < frames[0].size(); ++i)
      if (i % 4 != 3) worst = std::max(worst, std::abs(frames[0][i] - frames[1][i]));
    EXPECT_LE(worst, 2) << count << " layers";
    EXPECT_GT(frames[0][(240 * fx_test::kWidth + 320) * 4], 200) << "the layers add up";
  }
  glDisable(GL_SCISSOR_TEST);
}

}  // namespace
