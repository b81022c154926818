// Drawing MD3 models in a real GL context (Xvfb, Mesa) and reading the pixels back: skins,
// the flipped t coordinate, interpolated frames, the fraction, tags carrying other models.
// The view is orthographic, x and y from -2 to 2 model units, looking down -z.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <memory>

#include "md3_test_models.h"
#include "platform/gl_extensions.h"
#include "resources/tga_image.h"
#include "support/drawing_test.h"
#include "support/temp_folder.h"
#include "world/md3_model.h"

namespace {

using md3_testing::TestModel;
using md3_testing::TestSurface;

constexpr int kSide = 64;

using Rgb = testing_support::Rgba;

// An 8 x 8 TGA whose first four rows (t < 0.5 once loaded) have one colour, the rest another.
bool writeTwoToneTga(const std::string& path, Rgb low, Rgb high, int side = 8) {
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const Rgb c = y < side / 2 ? low : high;
      pixels.insert(pixels.end(), {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                                   static_cast<std::uint8_t>(c.b)});
    }
  return resources::writeTga(path, side, side, 24, pixels);
}

// A square of half side `half` (1/64 units) whose vertices all carry texture coordinate t.
TestSurface flatSquare(const std::string& name, std::int16_t half, float t) {
  TestSurface s = md3_testing::squareSurface(name, half);
  for (auto& tc : s.texCoords) tc = {0.5f, t};
  return s;
}

class Md3Draw : public testing_support::DrawingTest<kSide, kSide> {
 protected:
  void prepare() override {
    glMatrixMode(GL_PROJECTION);
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
  }

  // Pixel at model coordinates (x, y) of the view.
  static Rgb pixel(float x, float y) {
    return DrawingTest::pixel(static_cast<int>((x + 2.0f) / 4.0f * kSide), static_cast<int>((2.0f - y) / 4.0f * kSide));
  }
  static bool lit(float x, float y) {
    const Rgb p = pixel(x, y);
    return p.r + p.g + p.b > 200;
  }

  testing_support::TempFolder folder_;
};

TEST_F(Md3Draw, SkinLinesPickImagesFromTheFolderAndTheLastMatchingLineWins) {
  ASSERT_TRUE(writeTwoToneTga(folder_.file("red.tga"), {255, 0, 0}, {255, 0, 0}, 8));
  ASSERT_TRUE(writeTwoToneTga(folder_.file("green.tga"), {0, 255, 0}, {0, 255, 0}, 4));
  TestModel m;
  m.surfaces = {flatSquare("h", 16, 0.5f), flatSquare("h_eyes", 16, 0.5f), flatSquare("plain", 16, 0.5f),
                flatSquare("unnamed", 16, 0.5f)};
  auto model = world::Md3Model::fromMemory(md3_testing::writeMd3(m));
  folder_.write("model.skin",
                "h_eyes,models/players/x/green.tga\r\n"  // both h and h_eyes; CR LF line end
                "h,models/players/x/red.tga\n"           // h again: red replaces green
                "/red.tga,plain\n"                       // the only "/" comes first: nothing
                "\n"
                "plain,models/missing.tga");             // no such image: an empty record
  model.loadSkinTga(folder_.file("model.skin"), folder_.path());
  const auto& s = model.data().surfaces;
  EXPECT_EQ(s[0].texture.width, 8);
  EXPECT_NE(s[0].texture.name, 0u);
  EXPECT_EQ(s[1].texture.width, 4);
  EXPECT_NE(s[1].texture.name, 0u);
  EXPECT_TRUE(s[2].texture.empty());
  EXPECT_TRUE(s[3].texture.empty());

  // A missing skin file changes nothing.
  model.loadSkinTga(folder_.file("none.skin"), folder_.path());
  EXPECT_EQ(model.data().surfaces[0].texture.width, 8);
  model.destroy();
  EXPECT_FALSE(model.loaded());
  EXPECT_TRUE(model.data().surfaces.empty());
}

TEST_F(Md3Draw, TheTCoordinateIsFlippedAndUnskinnedSurfacesBindNoTexture) {
  ASSERT_TRUE(writeTwoToneTga(folder_.file("tone.tga"), {255, 0, 0}, {0, 255, 0}));
  TestModel m;
  TestSurface left = flatSquare("left", 40, 0.1f);   // model t 0.1 samples the image at 0.9
  TestSurface right = flatSquare("right", 40, 0.9f);
  TestSurface bare = flatSquare("bare", 40, 0.1f);
  for (auto& v : left.frames[0]) v[0] = static_cast<std::int16_t>(v[0] - 80);
  for (auto& v : right.frames[0]) v[0] = static_cast<std::int16_t>(v[0] + 80);
  for (auto& v : bare.frames[0]) v[1] = static_cast<std::int16_t>(v[1] + 90);
  m.surfaces = {left, right, bare};
  auto model = world::Md3Model::fromMemory(md3_testing::writeMd3(m));
  folder_.write("tone.skin", "left,a/tone.tga\nright,a/tone.tga\n");
  model.loadSkinTga(folder_.file("tone.skin"), folder_.path());

  platform::glext.activeTexture(GL_TEXTURE1_ARB);
  model.draw(0.0f);
  const Rgb l = pixel(-1.25f, 0.0f);
  const Rgb r = pixel(1.25f, 0.0f);
  EXPECT_GT(l.g, 200);
  EXPECT_LT(l.r, 50);
  EXPECT_GT(r.r, 200);
  EXPECT_LT(r.g, 50);
  // The unskinned surface is drawn untextured, in the current colour.
  const Rgb b = pixel(0.0f, 1.4f);
  EXPECT_GT(b.r + b.g + b.b, 700);
  // Unit 0 left active and textured, with the last surface's texture (none) bound.
  GLint unit = 0, bound = -1;
  glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(unit, GL_TEXTURE0_ARB);
  EXPECT_EQ(bound, 0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  model.destroy();
}

TEST_F(Md3Draw, PositionsFollowTheFractionWhichGrowsOncePerSurface) {
  TestModel m;
  m.frameCount = 2;
  TestSurface s = md3_testing::squareSurface("moving", 20);
  auto shifted = [&](int dx) {
    auto frame = s.frames[0];
    for (auto& v : frame) v[0] = static_cast<std::int16_t>(v[0] + dx);
    return frame;
  };
  s.frames = {shifted(-96), shifted(96)};  // x = -1.5, then x = 1.5
  TestSurface away = md3_testing::squareSurface("away", 8);  // out of view
  for (auto& v : away.frames[0]) v[0] = static_cast<std::int16_t>(v[0] + 640);
  away.frames.push_back(away.frames[0]);
  m.surfaces = {s, away, away};
  auto model = world::Md3Model::fromMemory(md3_testing::writeMd3(m));
  glDisable(GL_TEXTURE_2D);
  auto& f = model.frameState();
  f.next = 1;
  model.draw(0.0f);
  EXPECT_EQ(f.frac, 0.0f);  // speed 0 never moves the fraction
  EXPECT_TRUE(lit(-1.5f, 0.0f));
  EXPECT_FALSE(lit(0.0f, 0.0f));

  glClear(GL_COLOR_BUFFER_BIT);
  f.frac = 0.5f;
  model.draw(9.0f);
  EXPECT_TRUE(lit(0.0f, 0.0f));
  EXPECT_FALSE(lit(-1.5f, 0.0f));
  EXPECT_FALSE(lit(1.5f, 0.0f));
  // Three surfaces, speed 9: three times 9 / 90.
  EXPECT_NEAR(f.frac, 0.5f + 0.3f, 1e-5f);

  glClear(GL_COLOR_BUFFER_BIT);
  f.frac = 1.0f;
  f.next = 1;
  model.draw(0.0f);
  EXPECT_TRUE(lit(1.5f, 0.0f));
  // The frame advance is the owner's call: drawing alone never moves the frames.
  EXPECT_EQ(f.current, 0);
}

TEST_F(Md3Draw, AttachedModelsRideTheInterpolatedTagAndAdvanceTheirOwnFraction) {
  TestModel parentFile;
  parentFile.frameCount = 2;
  md3_testing::TestTag at0{"tag_c", {-1.5f, 0, 0}};
  md3_testing::TestTag at1{"tag_c", {1.5f, 1.0f, 0}};
  // Frame 1 also turns the child a quarter about z: axis 0 becomes +y.
  at1.axes = {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
  parentFile.tags = {{{"other"}, at0}, {{"other"}, at1}};
  TestModel childFile;
  TestSurface bar = md3_testing::squareSurface("bar", 12);
  for (auto& v : bar.frames[0]) v[0] = static_cast<std::int16_t>(v[0] * 4);  // long in x
  childFile.surfaces = {bar};

  auto parent = world::Md3Model::fromMemory(md3_testing::writeMd3(parentFile));
  auto child = world::Md3Model::fromMemory(md3_testing::writeMd3(childFile));
  parent.attach("tag_c", &child);
  glDisable(GL_TEXTURE_2D);
  auto& f = parent.frameState();
  f.next = 1;
  parent.draw(0.0f);
  EXPECT_TRUE(lit(-1.5f, 0.0f));
  EXPECT_TRUE(lit(-1.0f, 0.0f));  // lying along x

  glClear(GL_COLOR_BUFFER_BIT);
  f.frac = 1.0f;
  parent.draw(0.0f);
  EXPECT_FALSE(lit(-1.5f, 0.0f));
  EXPECT_TRUE(lit(1.5f, 1.0f));
  EXPECT_TRUE(lit(1.5f, 1.6f));   // now standing along y
  EXPECT_FALSE(lit(1.0f, 1.0f));

  // The parent has no surface: its fraction stays, the child's grows by its own surface.
  parent.draw(4.5f);
  EXPECT_EQ(f.frac, 1.0f);
  EXPECT_NEAR(child.frameState().frac, 0.05f, 1e-6f);

  // A parent frame without tag records draws no child.
  glClear(GL_COLOR_BUFFER_BIT);
  f.current = 5;
  f.next = 5;
  parent.draw(0.0f);
  EXPECT_FALSE(lit(1.5f, 1.0f));
  EXPECT_FALSE(lit(-1.5f, 0.0f));
}

TEST_F(Md3Draw, DamagedFilesDrawWithoutStrayReads) {
  TestModel m;
  m.frameCount = 2;
  m.tags = {{{"t", {0, 0, 0}}}, {{"t", {1, 0, 0}}}};
  TestSurface s = md3_testing::squareSurface("s", 30);
  s.frames.push_back(s.frames[0]);
  m.surfaces = {s, s};
  const auto bytes = md3_testing::writeMd3(m);
  auto child = world::Md3Model::fromMemory(bytes);
  for (std::size_t size = 0; size <= bytes.size(); size += 3) {
    auto model = world::Md3Model::fromMemory(std::span(bytes.data(), size));
    model.attach("t", &child);
    for (const auto& frames : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-1, 2}, std::pair{1, 1}}) {
      model.frameState().current = frames.first;
      model.frameState().next = frames.second;
      model.draw(1.0f);
    }
  }
  // The whole file still draws after all that.
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_TEXTURE_2D);
  auto whole = world::Md3Model::fromMemory(bytes);
  whole.draw(0.0f);
  EXPECT_TRUE(lit(0.0f, 0.0f));
}

}  // namespace
