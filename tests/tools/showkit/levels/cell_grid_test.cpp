#include "cell_grid.h"

#include <gtest/gtest.h>

namespace {

using levelc::CellGrid;
using levelc::IntBox;
using levelc::LevelDescription;

// Two rooms joined by a low passage, with a pillar in the first room.
LevelDescription twoRooms() {
  LevelDescription level;
  levelc::Room a, b, passage;
  a.box = {{0, 0, 0}, {100, 80, 100}};
  b.box = {{200, 0, 0}, {300, 80, 100}};
  passage.box = {{100, 0, 40}, {200, 40, 60}};
  a.trimHeight = b.trimHeight = passage.trimHeight = 0;
  level.rooms = {a, b, passage};
  level.blocks.push_back({IntBox{{40, 0, 40}, {60, 80, 60}}, levelc::Material::Stone, false, {}});
  return level;
}

TEST(CellGrid, LinesLabelsAndBlocks) {
  const CellGrid grid(twoRooms());
  // A shell of solid cells closes the level on every side.
  EXPECT_EQ(grid.lines(0), (std::vector<int>{-16, 0, 40, 60, 100, 200, 300, 316}));
  EXPECT_EQ(grid.lines(1), (std::vector<int>{-16, 0, 40, 80, 96}));
  // Room of each cell: the pillar is solid and knows its block, the passage is air of room 2.
  EXPECT_EQ(grid.label(0, 1, 1), levelc::kSolid);  // the shell
  EXPECT_EQ(grid.label(1, 1, 1), 0);
  EXPECT_EQ(grid.label(2, 1, 2), levelc::kSolid);
  EXPECT_EQ(grid.block(2, 1, 2), 0);
  EXPECT_EQ(grid.label(4, 1, 2), 2);
  EXPECT_EQ(grid.label(4, 2, 2), levelc::kSolid);  // above the passage
  EXPECT_EQ(grid.block(4, 2, 2), -1);
  EXPECT_EQ(grid.label(5, 2, 1), 1);
  EXPECT_FALSE(grid.airOrOutside(-1, 0, 0));
  EXPECT_FALSE(grid.airOrOutside(0, 0, grid.cellCount(2)));
}

TEST(CellGrid, PointsAndSegments) {
  const CellGrid grid(twoRooms());
  EXPECT_TRUE(grid.inAir({10, 10, 10}));
  EXPECT_FALSE(grid.inAir({50, 10, 50}));    // pillar
  EXPECT_FALSE(grid.inAir({150, 60, 50}));   // above the passage
  EXPECT_FALSE(grid.inAir({-1, 10, 10}));    // outside the grid
  EXPECT_FALSE(grid.inAir({10, 10, 300}));

  EXPECT_TRUE(grid.segmentClear({10, 20, 10}, {90, 20, 30}));
  EXPECT_FALSE(grid.segmentClear({10, 20, 50}, {90, 20, 50}));   // through the pillar
  EXPECT_TRUE(grid.segmentClear({80, 20, 50}, {250, 20, 50}));   // along the passage
  EXPECT_FALSE(grid.segmentClear({80, 60, 50}, {250, 60, 50}));  // over it, in the wall
  EXPECT_FALSE(grid.segmentClear({90, 20, 10}, {210, 20, 10}));  // beside it
  EXPECT_FALSE(grid.segmentClear({10, 20, 10}, {10, 20, -10}));  // out of the level
  // Going down from a start exactly on a line uses the cell below it.
  EXPECT_TRUE(grid.segmentClear({150, 40, 50}, {150, 10, 50}));
  EXPECT_FALSE(grid.segmentClear({150, 40, 50}, {150, 60, 50}));
  // A zero-length segment is as clear as its point.
  EXPECT_TRUE(grid.segmentClear({10, 20, 10}, {10, 20, 10}));
  EXPECT_FALSE(grid.segmentClear({50, 20, 50}, {50, 20, 50}));
}

TEST(CellGrid, EmptyDescriptionIsOneSolidCell) {
  const CellGrid grid(LevelDescription{});
  EXPECT_EQ(grid.cellCount(0), 3);
  EXPECT_FALSE(grid.air(1, 1, 1));
  EXPECT_FALSE(grid.inAir({0.5f, 0.5f, 0.5f}));
  EXPECT_FALSE(grid.segmentClear({0.5f, 0.5f, 0.5f}, {0.6f, 0.5f, 0.5f}));
}

}  // namespace
