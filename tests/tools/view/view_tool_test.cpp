// tolvek-view level, run as a program on a generated corridor: it records a deterministic
// flight, ends by itself when the path does, and refuses what it cannot show.
#include <gtest/gtest.h>

#include <set>

#include "level_builder.h"
#include "support/png_reader.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace {

using testing_support::runProgram;

class ViewTool : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.write("corridor.bsp", levelc::corridorLevel(4, 2).bytes());
    // 8 points: segments 0 to 3 are flown.
    folder_.write("corridor.trj", levelc::corridorPath(4, 8));
    ASSERT_TRUE(levelc::writeCorridorTextures(folder_.path()));
  }
  int frameCount(const std::string& dir) const {
    int n = 0;
    while (folder_.exists(dir + "/frame_" + std::string(6 - std::to_string(n).size(), '0') + std::to_string(n) + ".png")) ++n;
    return n;
  }
  testing_support::TempFolder folder_;
};

TEST_F(ViewTool, RecordsAFlightThatEndsWithThePath) {
  // 0.01 segments a millisecond at 25 frames a second: 0.4 of a segment a frame; t passes 1
  // on the third frame of each segment, and the fourth segment change ends the path.
  const auto result = runProgram("tolvek-view", "level corridor.bsp --path corridor.trj --rate 0.01 --record frames --fps 25",
                                 folder_.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_NE(result.output.find("path of 8 points"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("0 not found"), std::string::npos) << result.output;
  EXPECT_EQ(frameCount("frames"), 11);

  const auto first = testing_support::readPng(folder_.file("frames/frame_000000.png"));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->width, 640);
  EXPECT_EQ(first->height, 480);
  // Lit, textured walls: many different colours.
  std::set<int> colours;
  for (int y = 0; y < 480; y += 8)
    for (int x = 0; x < 640; x += 8) {
      const auto* p = first->at(x, y);
      colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
  EXPECT_GT(colours.size(), 200u);
  const auto* floor = first->at(320, 420);
  EXPECT_GT(floor[0] + floor[1] + floor[2], 150);
  // Down the middle lies the fourth segment, which the first one's visibility row leaves out.
  const auto* centre = first->at(320, 230);
  EXPECT_EQ(centre[0] + centre[1] + centre[2], 0);
}

TEST_F(ViewTool, StopsAtUntilAndRefusesWhatItCannotShow) {
  auto result = runProgram("tolvek-view", "level corridor.bsp --path corridor.trj --rate 0.0001 --record f --fps 10 --until 500",
                           folder_.path());
  ASSERT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(frameCount("f"), 5);

  result = runProgram("tolvek-view", "level corridor.bsp", folder_.path());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.output.find("--path"), std::string::npos);
  result = runProgram("tolvek-view", "picture corridor.bsp --path corridor.trj", folder_.path());
  EXPECT_EQ(result.exitCode, 2);
  result = runProgram("tolvek-view", "level corridor.bsp --path corridor.trj --fps 0", folder_.path());
  EXPECT_EQ(result.exitCode, 2);
  result = runProgram("tolvek-view", "level missing.bsp --path corridor.trj --record g", folder_.path());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.output.find("missing.bsp"), std::string::npos);
  result = runProgram("tolvek-view", "level corridor.bsp --path missing.trj --record g", folder_.path());
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
