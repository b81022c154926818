// The animated character: its animation table, the animation switch, and the three parts
// drawn from a folder, carried by their tags (pixels read back under Xvfb).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "md3_test_models.h"
#include "platform/file_system.h"
#include "resources/tga_image.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "world/character.h"

namespace {

using md3_testing::TestModel;
using md3_testing::TestSurface;
using world::AnimationRange;

TEST(AnimationConfig, TableLinesAreThoseThatStartWithADigit) {
  const auto config = world::parseAnimationConfig(
      "// animation config file\n"
      "sex m\n"
      "headoffset 0 0 0\n"
      "footsteps boot\n"
      "\n"
      "0\t30\t0\t25\t\t// BOTH_DEATH1\n"
      "29 1 1 25 // BOTH_DEAD1\r\n"
      "  -1 5 5 5\n"
      "30 30 0 20\n"
      "40 2\n"            // too few numbers: the reader stops at the next word
      "fps 3 4 5\n"
      "50\n60\n70\n80\n");  // numbers are read across line ends
  ASSERT_EQ(config.entries, 5);
  EXPECT_EQ(config.table[0], (AnimationRange{0, 30, 0, 25}));
  EXPECT_EQ(config.table[1], (AnimationRange{29, 1, 1, 25}));
  EXPECT_EQ(config.table[2], (AnimationRange{30, 30, 0, 20}));
  EXPECT_EQ(config.table[3], (AnimationRange{40, 2, 0, 0}));
  EXPECT_EQ(config.table[4], (AnimationRange{50, 60, 70, 80}));
  for (int i = 5; i < world::kAnimationCount; ++i) EXPECT_EQ(config.table[i], AnimationRange{}) << i;
  EXPECT_EQ(config.ignored, 0);
}

TEST(AnimationConfig, MoreThanTwentySixLinesAreReadPastAndHugeNumbersSaturate) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += std::to_string(i * 10) + " 5 5 20\n";
  text += "99999999999 -99999999999 +7 3\n";
  const auto config = world::parseAnimationConfig(text);
  EXPECT_EQ(config.entries, 26);
  EXPECT_EQ(config.ignored, 5);
  EXPECT_EQ(config.table[25].firstFrame, 250);

  const auto huge = world::parseAnimationConfig("99999999999 -99999999999 +7 3\n");
  EXPECT_EQ(huge.table[0], (AnimationRange{INT32_MAX, INT32_MIN, 7, 3}));
  EXPECT_EQ(world::parseAnimationConfig("").entries, 0);
  EXPECT_EQ(world::parseAnimationConfig("7").table[0], (AnimationRange{7, 0, 0, 0}));
}

TEST(AnimationConfig, LowerBodyRangesMoveByTheGapBetweenEntriesSixAndThirteen) {
  world::AnimationTable table{};
  for (int i = 0; i < world::kAnimationCount; ++i) table[i] = {100 + i * 10, 5, 0, 20};
  table[6].firstFrame = 90;
  table[13].firstFrame = 100;
  world::shiftLowerBodyFrames(table);
  EXPECT_EQ(table[13].firstFrame, 90);
  EXPECT_EQ(table[24].firstFrame, 100 + 24 * 10 - 10);
  EXPECT_EQ(table[12].firstFrame, 100 + 12 * 10);  // upper-body entries stay
  EXPECT_EQ(table[25].firstFrame, 100 + 25 * 10);  // so does the last one
  EXPECT_EQ(table[5].firstFrame, 150);
  EXPECT_EQ(table[13].frameCount, 5);
}

class CharacterSwitch : public ::testing::Test {
 protected:
  void SetUp() override {
    world::AnimationTable table{};
    for (int i = 0; i < world::kAnimationCount; ++i) table[i] = {i * 10, i + 1, 0, 15};
    character_.setAnimations(table);
    character_.lowerBody().frameState() = {0.4f, 1, 2, 0, 7};
    character_.upperBody().frameState() = {0.6f, 3, 4, 0, 7};
  }
  world::Character character_;
};

TEST_F(CharacterSwitch, BothHalvesThenTheUpperBodyOnly) {
  character_.setAnimation(3);
  for (auto* part : {&character_.lowerBody(), &character_.upperBody()}) {
    const auto& s = part->frameState();
    EXPECT_EQ(s.start, 30);
    EXPECT_EQ(s.end, 34);
    EXPECT_EQ(s.current, 30);
    EXPECT_EQ(s.next, 30);
  }
  EXPECT_EQ(character_.lowerAnimation(), 3);
  EXPECT_EQ(character_.upperAnimation(), 3);
  // The fractions are kept.
  EXPECT_FLOAT_EQ(character_.lowerBody().frameState().frac, 0.4f);
  EXPECT_FLOAT_EQ(character_.upperBody().frameState().frac, 0.6f);

  character_.setAnimation(8);
  EXPECT_EQ(character_.upperBody().frameState().start, 80);
  EXPECT_EQ(character_.upperBody().frameState().end, 89);
  EXPECT_EQ(character_.upperBody().frameState().current, 80);
  EXPECT_EQ(character_.upperAnimation(), 8);
  EXPECT_EQ(character_.lowerBody().frameState().start, 30);
  EXPECT_EQ(character_.lowerAnimation(), 3);

  character_.setAnimation(24);
  EXPECT_EQ(character_.lowerBody().frameState().start, 240);
  EXPECT_EQ(character_.lowerBody().frameState().end, 265);
  EXPECT_EQ(character_.lowerAnimation(), 24);
  EXPECT_EQ(character_.upperBody().frameState().start, 80);
}

TEST_F(CharacterSwitch, EachNumberDrivesTheHalvesOfItsGroup) {
  for (int n = 0; n <= 24; ++n) {
    character_ = world::Character{};
    SetUp();
    character_.setAnimation(n);
    const bool lowerMoved = character_.lowerBody().frameState().start == n * 10;
    const bool upperMoved = character_.upperBody().frameState().start == n * 10;
    EXPECT_EQ(lowerMoved, n <= 5 || n >= 13) << n;
    EXPECT_EQ(upperMoved, n <= 12) << n;
    EXPECT_EQ(character_.lowerAnimation(), lowerMoved ? n : 0) << n;
    EXPECT_EQ(character_.upperAnimation(), upperMoved ? n : 0) << n;
  }
}

TEST_F(CharacterSwitch, NumbersOutsideTheGroupsChangeNothing) {
  for (const int n : {25, -1, 26, INT32_MIN, INT32_MAX}) {
    character_.setUpperAnimationIndex(n);
    character_.setAnimation(n);
    EXPECT_EQ(character_.lowerBody().frameState().current, 1) << n;
    EXPECT_EQ(character_.lowerBody().frameState().end, 7) << n;
    EXPECT_EQ(character_.upperBody().frameState().current, 3) << n;
    EXPECT_EQ(character_.upperBody().frameState().start, 0) << n;
    EXPECT_EQ(character_.lowerAnimation(), 0) << n;
    EXPECT_EQ(character_.upperAnimation(), n) << n;  // only what the caller wrote
  }
}

// ---- the figure from a folder ----

constexpr int kSide = 64;

// A square in the file's y-z plane (it faces the viewer once the figure is turned), half side
// 4 units, in every one of `frames` frames.
TestSurface facingSquare(const std::string& name, int frames) {
  TestSurface s;
  s.name = name;
  const std::int16_t h = 4 * 64;
  const std::int16_t m = -h;
  for (int f = 0; f < frames; ++f) s.frames.push_back({{0, m, m}, {0, h, m}, {0, h, h}, {0, m, h}});
  s.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  s.triangles = {{0, 1, 2}, {0, 2, 3}};
  return s;
}

bool writeSolidTga(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 16; ++i) pixels.insert(pixels.end(), {r, g, b});
  return resources::writeTga(path, 4, 4, 24, pixels);
}

class CharacterFigure : public testing_support::DrawingTest<kSide, kSide> {
 protected:
  void prepare() override {
    const std::string doom = folder_.file("Doom");
    ASSERT_TRUE(platform::createFolder(doom));
    // Lower body: frame 0 carries the torso 24 units up, frame 1 also 16 units to the side.
    TestModel lower;
    lower.frameCount = 2;
    lower.tags = {{{"tag_torso", {0, 0, 24}}}, {{"tag_torso", {0, 16, 24}}}};
    lower.surfaces = {facingSquare("l_legs", 2)};
    TestModel upper;
    upper.frameCount = 2;
    upper.tags = {{{"tag_head", {0, 0, 16}}}, {{"tag_head", {0, 0, 16}}}};
    upper.surfaces = {facingSquare("u_torso", 2)};
    TestModel head;
    head.frameCount = 2;
    head.surfaces = {facingSquare("h_head", 2)};
    for (auto& v : head.surfaces[0].frames[1]) v[1] = static_cast<std::int16_t>(v[1] + 20 * 64);
    folder_.write("Doom/Lower.md3", md3_testing::writeMd3(lower));
    folder_.write("Doom/Upper.md3", md3_testing::writeMd3(upper));
    folder_.write("Doom/Head.md3", md3_testing::writeMd3(head));
    folder_.write("Doom/Lower_default.skin", "l_legs,models/players/doom/red.tga\n");
    folder_.write("Doom/Upper_default.skin", "u_torso,models/players/doom/green.tga\n");
    folder_.write("Doom/Head_default.skin", "h_head,models/players/doom/blue.tga\n");
    ASSERT_TRUE(writeSolidTga(doom + "/red.tga", 255, 0, 0));
    ASSERT_TRUE(writeSolidTga(doom + "/green.tga", 0, 255, 0));
    ASSERT_TRUE(writeSolidTga(doom + "/blue.tga", 0, 0, 255));
    std::string cfg = "sex m\nheadoffset 0 0 0\n";
    for (int i = 0; i < world::kAnimationCount; ++i) cfg += i < 6 ? "0 1 0 20\n" : "0 2 0 20 // walk\n";
    folder_.write("Doom/Animation.cfg", cfg);
  }

  void drawFigure(world::Character& c, float speed) {
    testing_support::resetDrawingState(kSide, kSide);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-8, 8, -4, 12, -20, 20);  // scene x -8..8, y -4..12
    glMatrixMode(GL_MODELVIEW);
    c.draw(speed);
  }
  // The colour at scene (x, y): 'r', 'g', 'b', '-' for black, '?' for anything else.
  static char colourAt(float x, float y) {
    const auto p = pixel(static_cast<int>((x + 8.0f) / 16.0f * kSide), static_cast<int>((12.0f - y) / 16.0f * kSide));
    if (p.r > 200 && p.g < 50 && p.b < 50) return 'r';
    if (p.g > 200 && p.r < 50 && p.b < 50) return 'g';
    if (p.b > 200 && p.r < 50 && p.g < 50) return 'b';
    if (p.r + p.g + p.b < 30) return '-';
    return '?';
  }

  testing_support::TempFolder folder_;
};

TEST_F(CharacterFigure, TagsCarryTheUpperBodyAndTheHeadAtAQuarterOfTheFileSize) {
  auto c = world::Character::load(folder_.file("Doom"));
  // Entry 13 starts at 0 like entry 6: no shift.
  EXPECT_EQ(c.animations()[15], (AnimationRange{0, 2, 0, 20}));
  c.setAnimation(15);
  c.setAnimation(6);
  // File (x, y, z) lands at scene (y, z, x) / 4: legs at 0, torso at y 6, head at y 10.
  drawFigure(c, 0.0f);
  EXPECT_EQ(colourAt(0, 0), 'r');
  EXPECT_EQ(colourAt(0, 6), 'g');
  EXPECT_EQ(colourAt(0, 10), 'b');
  EXPECT_EQ(colourAt(4, 6), '-');
  // A quarter of 4 units: each square reaches 1 unit out, not 2.
  EXPECT_EQ(colourAt(0.8f, 0), 'r');
  EXPECT_EQ(colourAt(1.5f, 0), '-');
  const auto torso = c.lowerBody().currentTagMatrix(0);
  ASSERT_TRUE(torso);
  EXPECT_FLOAT_EQ((*torso)[14], 24.0f);
  EXPECT_FLOAT_EQ((*torso)[15], 1.0f);

  // Speed 0 keeps every frame where it is.
  drawFigure(c, 0.0f);
  EXPECT_EQ(c.lowerBody().frameState().current, 0);

  // One surface at speed 90 fills the lower body's fraction; the next draw steps it to frame
  // 1, where the torso tag stands 16 file units (4 scene units) to the side.
  drawFigure(c, 90.0f);
  drawFigure(c, 0.0f);
  EXPECT_EQ(c.lowerBody().frameState().current, 1);
  EXPECT_EQ(c.lowerBody().frameState().next, 0);
  EXPECT_EQ(colourAt(0, 0), 'r');
  EXPECT_EQ(colourAt(0, 6), '-');
  EXPECT_EQ(colourAt(4, 6), 'g');
  EXPECT_EQ(colourAt(4, 10), 'b');
  // The head's fraction grew with every draw, yet it was never moved off frame 0.
  EXPECT_GE(c.head().frameState().frac, 1.0f);
  EXPECT_EQ(c.head().frameState().current, 0);
  EXPECT_EQ(c.head().frameState().next, 0);
  c.destroy();
}

TEST_F(CharacterFigure, MissingPartsLeaveEmptyPartsAndTheRestStillDraws) {
  ASSERT_TRUE(platform::deleteFile(folder_.file("Doom/Head.md3")));
  ASSERT_TRUE(platform::deleteFile(folder_.file("Doom/Upper_default.skin")));
  ASSERT_TRUE(platform::deleteFile(folder_.file("Doom/Animation.cfg")));
  auto c = world::Character::load(folder_.file("Doom"));
  EXPECT_FALSE(c.head().loaded());
  EXPECT_TRUE(c.upperBody().loaded());
  for (const auto& range : c.animations()) EXPECT_EQ(range, AnimationRange{});
  drawFigure(c, 1.0f);
  EXPECT_EQ(colourAt(0, 0), 'r');
  EXPECT_EQ(colourAt(0, 10), '-');
  // No skin: the torso is drawn untextured in the current colour (white).
  EXPECT_EQ(colourAt(0, 6), '?');
  c.destroy();

  // Without the lower body nothing carries the rest.
  ASSERT_TRUE(platform::deleteFile(folder_.file("Doom/Lower.md3")));
  auto d = world::Character::load(folder_.file("Doom"));
  drawFigure(d, 1.0f);
  EXPECT_EQ(colourAt(0, 6), '-');
  d.destroy();
}

}  // namespace
