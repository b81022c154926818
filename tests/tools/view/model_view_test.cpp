// tolvek-view model, character and terrain, run as a program on generated files: they record
// frames that show what they load, and refuse what they cannot show.
#include <gtest/gtest.h>

#include "md3_test_models.h"
#include "picture_files.h"
#include "platform/file_system.h"
#include "resources/tga_image.h"
#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

using testing_support::runProgram;

// Pixels of a recorded frame that differ from the background at its top left corner.
int pixelsOffBackground(const std::string& path) {
  const auto image = testing_support::readPng(path);
  if (!image) return -1;
  const auto* bg = image->at(0, 0);
  int count = 0;
  for (int y = 0; y < image->height; y += 4)
    for (int x = 0; x < image->width; x += 4) {
      const auto* p = image->at(x, y);
      count += std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 30 ? 1 : 0;
    }
  return count;
}

// The mean red minus the mean blue of the pixels off the background.
int redness(const std::string& path) {
  const auto image = testing_support::readPng(path);
  if (!image) return -1000;
  const auto* bg = image->at(0, 0);
  long sum = 0, n = 0;
  for (int y = 0; y < image->height; y += 2)
    for (int x = 0; x < image->width; x += 2) {
      const auto* p = image->at(x, y);
      if (std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) <= 30) continue;
      sum += p[0] - p[2];
      ++n;
    }
  return n ? static_cast<int>(sum / n) : -1000;
}

// A closed box (six faces, outward triangles stored the other way round as the scenes cull).
md3_testing::TestSurface box(const std::string& name, std::int16_t half, int frames) {
  md3_testing::TestSurface s;
  s.name = name;
  const std::int16_t h = half, m = static_cast<std::int16_t>(-half);
  std::vector<std::array<std::int16_t, 3>> corners = {{m, m, m}, {h, m, m}, {h, h, m}, {m, h, m},
                                                       {m, m, h}, {h, m, h}, {h, h, h}, {m, h, h}};
  for (int f = 0; f < frames; ++f) s.frames.push_back(corners);
  for (int i = 0; i < 8; ++i) s.texCoords.push_back({static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1)});
  const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
  for (const auto& f : faces) {
    s.triangles.push_back({f[0], f[2], f[1]});
    s.triangles.push_back({f[0], f[3], f[2]});
  }
  return s;
}

bool writeSolidTga(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 64; ++i) pixels.insert(pixels.end(), {r, g, b});
  return resources::writeTga(path, 8, 8, 24, pixels);
}

class ModelViewTool : public ::testing::Test {
 protected:
  testing_support::TempFolder folder_;
};

TEST_F(ModelViewTool, ModelTurnsLitAndSkinned) {
  md3_testing::TestModel m;
  m.surfaces = {box("crate", 640, 1)};
  folder_.write("crate.md3", md3_testing::writeMd3(m));
  ASSERT_TRUE(platform::createFolder(folder_.file("images")));
  ASSERT_TRUE(writeSolidTga(folder_.file("images/red.tga"), 230, 20, 20));
  folder_.write("crate.skin", "crate,models/mapobjects/red.tga\n");
  const auto result = runProgram("tolvek-view", "model crate.md3 --skin crate.skin --folder images --record f --fps 10 --until 300",
                                 folder_.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_NE(result.output.find("1 surfaces (0 without texture), 12 triangles"), std::string::npos) << result.output;
  EXPECT_GT(pixelsOffBackground(folder_.file("f/frame_000002.png")), 500);
  EXPECT_GT(redness(folder_.file("f/frame_000002.png")), 60);

  auto refused = runProgram("tolvek-view", "model crate.md3", folder_.path());
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.output.find("--skin"), std::string::npos);
  refused = runProgram("tolvek-view", "model missing.md3 --skin crate.skin --record g", folder_.path());
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("missing.md3"), std::string::npos);
}

TEST_F(ModelViewTool, CharacterPlaysTheAnimationsItIsGiven) {
  ASSERT_TRUE(platform::createFolder(folder_.file("Guy")));
  md3_testing::TestModel lower, upper, head;
  lower.frameCount = upper.frameCount = 4;
  for (int f = 0; f < 4; ++f) {
    lower.tags.push_back({{"tag_torso", {0, 0, 12}}});
    upper.tags.push_back({{"tag_head", {0, 0, 12}}});
  }
  lower.surfaces = {box("legs", 384, 4)};
  upper.surfaces = {box("torso", 384, 4)};
  head.surfaces = {box("head", 256, 1)};
  folder_.write("Guy/Lower.md3", md3_testing::writeMd3(lower));
  folder_.write("Guy/Upper.md3", md3_testing::writeMd3(upper));
  folder_.write("Guy/Head.md3", md3_testing::writeMd3(head));
  for (const char* part : {"Lower", "Upper", "Head"}) {
    ASSERT_TRUE(writeSolidTga(folder_.file(std::string("Guy/") + part + ".tga"), 20, 200, 20));
    folder_.write(std::string("Guy/") + part + "_default.skin",
                  std::string("legs,a/Lower.tga\ntorso,a/Upper.tga\nhead,a/Head.tga\n"));
  }
  std::string cfg = "// table\n";
  for (int i = 0; i < 26; ++i) cfg += std::to_string(i % 3) + " 2 0 15\n";
  folder_.write("Guy/Animation.cfg", cfg);
  const auto result = runProgram("tolvek-view", "character Guy --lower 14 --upper 7 --record f --fps 10 --until 300",
                                 folder_.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  // Entry 14 is "2 2" moved down by entry 13's 1 - entry 6's 0; entry 7 is "1 2".
  EXPECT_NE(result.output.find("animation 14: frames 1 to 2"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("animation 7: frames 1 to 2"), std::string::npos) << result.output;
  EXPECT_GT(pixelsOffBackground(folder_.file("f/frame_000001.png")), 300);

  const auto refused = runProgram("tolvek-view", "character Nobody --record g", folder_.path());
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("Nobody"), std::string::npos);
}

TEST_F(ModelViewTool, TerrainOrbitsTheField) {
  // A 64 x 64 field: a round hill in the middle of a flat sea floor.
  std::string heights(64 * 64, '\0');
  for (int z = 0; z < 64; ++z)
    for (int x = 0; x < 64; ++x) {
      const int d2 = (x - 32) * (x - 32) + (z - 32) * (z - 32);
      heights[static_cast<size_t>(x + z * 64)] = static_cast<char>(d2 < 400 ? 160 - d2 / 3 : 10);
    }
  folder_.write("hill.raw", heights);
  folder_.write("ground.jpg", showkit::encodeJpeg(std::vector<std::uint8_t>(12, 160), 2, 2, 3, 100, true));
  folder_.write("detail.jpg", showkit::encodeJpeg(std::vector<std::uint8_t>(12, 128), 2, 2, 3, 100, true));
  const auto result = runProgram("tolvek-view", "terrain hill.raw ground.jpg detail.jpg --record f --fps 10 --until 200",
                                 folder_.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_NE(result.output.find("64 x 64 heights from 10 to 160, 49 quads"), std::string::npos) << result.output;
  EXPECT_GT(pixelsOffBackground(folder_.file("f/frame_000001.png")), 200);

  auto refused = runProgram("tolvek-view", "terrain hill.raw ground.jpg", folder_.path());
  EXPECT_EQ(refused.exitCode, 2);
  refused = runProgram("tolvek-view", "terrain none.raw ground.jpg detail.jpg --record g", folder_.path());
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find("none.raw"), std::string::npos);
}

}  // namespace
