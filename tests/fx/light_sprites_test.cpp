#include "fx/light_sprites.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "drawing_fixture.h"
#include "platform/file_system.h"
#include "resources/tga_image.h"
#include "support/temp_folder.h"

namespace {

using fx::Float3;

TEST(LightSpritePlaces, AtTheStartAllFiveSitAtOneCornerInWhite) {
  const Float3 p{-40.0f, 12.5f, 300.0f};
  for (int i = 1; i <= fx::kLightSpriteCount; ++i) {
    const fx::LightSprite s = fx::lightSprite(i, 0.0, p, 6.0f);
    EXPECT_FLOAT_EQ(s.position.x, -34.0f) << i;
    EXPECT_FLOAT_EQ(s.position.y, 12.5f) << i;
    EXPECT_FLOAT_EQ(s.position.z, 306.0f) << i;
    EXPECT_FLOAT_EQ(s.colour.r, 1.0f) << i;
    EXPECT_FLOAT_EQ(s.colour.g, 1.0f) << i;
    EXPECT_FLOAT_EQ(s.colour.b, 1.0f) << i;
  }
}

TEST(LightSpritePlaces, EachSpriteCirclesAtItsOwnMultipleOfTheBaseSpeed) {
  const Float3 p{0.0f, 0.0f, 0.0f};
  const double quarter = 1000.0 * M_PI / 2;  // sprite 1 has turned a quarter (1 rad/s)
  const fx::LightSprite one = fx::lightSprite(1, quarter, p, 6.0f);
  EXPECT_NEAR(one.position.x, 0.0f, 1e-4f);
  EXPECT_NEAR(one.position.y, 6.0f, 1e-4f);
  EXPECT_NEAR(one.position.z, 6.0f * std::cos(1.25 * M_PI / 2), 1e-4f);
  EXPECT_NEAR(one.colour.r, 0.0f, 1e-5f);
  EXPECT_NEAR(one.colour.g, std::cos(M_PI / 2 / 1.2), 1e-5f);
  EXPECT_NEAR(one.colour.b, std::cos(1.25 * M_PI / 2), 1e-5f);  // negative: shows as 0

  const fx::LightSprite two = fx::lightSprite(2, quarter, p, 6.0f);  // half a turn
  EXPECT_NEAR(two.position.x, -6.0f, 1e-4f);
  EXPECT_NEAR(two.position.y, 0.0f, 1e-4f);
  EXPECT_NEAR(two.colour.r, -1.0f, 1e-5f);
}

class LightSpriteDrawing : public fx_test::DrawingTest {};

TEST_F(LightSpriteDrawing, BillboardIsASquareFacingTheCamera) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_FOG);
  // Turned about y so that fixed axes would show the quad edge-on.
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  fx::drawBillboard(2.0f, -10.0f, 0.0f, 0.0f);  // 10 ahead after the turn
  // Half-size 2 at distance 10 under 90 degrees: 48 pixels either way.
  EXPECT_EQ(pixel(320, 240).r, 255);
  EXPECT_EQ(pixel(320 + 44, 240 - 44).r, 255);
  EXPECT_EQ(pixel(320 - 44, 240 + 44).r, 255);
  EXPECT_EQ(pixel(320 + 52, 240).r, 0);
  EXPECT_EQ(pixel(320, 240 - 52).r, 0);
}

TEST_F(LightSpriteDrawing, AtClockZeroTheClusterGlowsWhiteBesideThePoint) {
  const fx::LightSprites sprites("");
  const Float3 p{100.0f, 20.0f, -50.0f};
  // Camera 100 units in front of p + (6, 0, 6).
  glTranslatef(-106.0f, -20.0f, 50.0f - 6.0f - 100.0f);
  glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_ZERO);  // the draw sets its own
  fx_test::setClocks(0);
  sprites.draw(p, 6.0f, 16.0f);
  EXPECT_EQ(pixel(320, 240).r, 255);
  EXPECT_EQ(pixel(320, 240).b, 255);
  // Half-size 16 at 100: about 38 pixels; beyond, the clear colour is untouched.
  EXPECT_EQ(pixel(320 + 30, 240).g, 255);
  EXPECT_NEAR(pixel(320 + 50, 240).g, 51, 1);
  EXPECT_EQ(testing_support::standardStateDifferences(), std::vector<std::string>{});
}

TEST_F(LightSpriteDrawing, SpritesSpreadOutAndTakeTheirOwnColoursLater) {
  const fx::LightSprites sprites("");
  const Float3 p{0.0f, 0.0f, 0.0f};
  glTranslatef(0.0f, 0.0f, -60.0f);
  glDisable(GL_DEPTH_TEST);
  const double now = 1000.0 * M_PI / 3;  // sprite i has turned i x 60 degrees: no overlaps
  fx_test::setClocks(now);
  sprites.draw(p, 6.0f, 1.0f);
  // Sprite 1 at (3, 5.196, 6 cos(1.25 pi / 3)), colour (cos 60deg, cos(pi / 3.6), cos(1.25 pi / 3)).
  const float z = 6.0f * static_cast<float>(std::cos(1.25 * M_PI / 3));
  const float pixelsPerUnit = 240.0f / (60.0f - z);
  const auto s1 = pixel(static_cast<int>(320 + 3 * pixelsPerUnit),
                        static_cast<int>(240 - 6 * std::sin(M_PI / 3) * pixelsPerUnit));
  EXPECT_NEAR(s1.r, 128, 2);
  EXPECT_NEAR(s1.g, 255 * std::cos(M_PI / 3.6), 2);
  EXPECT_NEAR(s1.b, 255 * std::cos(1.25 * M_PI / 3), 2);
  // Sprite 3, half a turn round, has every channel below zero (cos of pi, 0.83 pi, 1.25 pi):
  // it adds nothing, rather than its magnitudes.
  const float z3 = 6.0f * static_cast<float>(std::cos(3.75 * M_PI / 3));
  const auto s3 = pixel(static_cast<int>(320 - 6 * 240.0f / (60.0f - z3)), 240);
  EXPECT_EQ(s3.r + s3.g + s3.b, 0);
}

TEST_F(LightSpriteDrawing, TextureComesFromTheTgaFile) {
  testing_support::TempFolder folder;
  testing_support::ScopedWorkingDirectory here(folder.path());
  ASSERT_TRUE(platform::createFolder("Textures"));
  const std::vector<std::uint8_t> grey(8 * 8 * 3, 128);
  ASSERT_TRUE(resources::writeTga("Textures/part.tga", 8, 8, 24, grey));
  fx::LightSprites sprites("Textures\\part.tga");
  EXPECT_FALSE(sprites.texture().empty());
  EXPECT_EQ(sprites.texture().width, 8);
  sprites.destroy();
  EXPECT_TRUE(sprites.texture().empty());
  // A missing file leaves an untextured cluster that still draws.
  fx::LightSprites missing("Textures\\none.tga");
  EXPECT_TRUE(missing.texture().empty());
}

}  // namespace
