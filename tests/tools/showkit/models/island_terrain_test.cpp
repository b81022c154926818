#include "island_terrain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using modelkit::HeightField;

const HeightField& island() {
  static const HeightField field = modelkit::islandHeights();
  return field;
}

// Ground height in scene units (y = 2 h) at a scene point.
float groundY(float x, float z) { return 2 * island().sceneHeight(x, z); }

TEST(IslandTerrain, HoldsThePlacesOfTheIslandScene) {
  const HeightField& f = island();
  ASSERT_EQ(f.heights.size(), 1024u * 1024u);
  EXPECT_EQ(modelkit::checkIsland(f), std::vector<std::string>{});
  // The boat floats at (1379, 60, 315) over deep water (the sea is at y = 48).
  EXPECT_LT(groundY(1379, 315), 48 - 16);
  // River at y = 317 over x 1000-1090, z 1305-1386: the bed is under the water, the banks
  // beside it are not far below it.
  for (float z = 1310; z < 1386; z += 15) {
    EXPECT_LT(groundY(1045, z), 317 - 4) << z;
    EXPECT_GT(groundY(1045, z), 280) << z;
  }
  // The plateau is at h 150-160 beside the river.
  EXPECT_NEAR(f.at(470, 680), 155, 5);
  EXPECT_NEAR(f.at(580, 690), 155, 5);
  // Cliff: from the lip at z 1285 to the pool at z 1140 the ground falls over 200 units.
  EXPECT_GT(groundY(1060, 1290) - groundY(1060, 1150), 200);
  // Pool under the mist at (1040, 40, 1140): below the sea's level, land around it.
  EXPECT_LT(groundY(1040, 1140), 48);
  EXPECT_GT(groundY(900, 1146), 48);
  EXPECT_GT(groundY(1180, 1146), 48);
  // The sea covers x and z up to 1920; far off the island there is only sea floor.
  EXPECT_LT(groundY(100, 100), 48);
  EXPECT_LT(groundY(1900, 1000), 48);
}

TEST(IslandTerrain, CheckFindsAFlatWorld) {
  HeightField flat;
  flat.size = modelkit::kTerrainSize;
  flat.heights.assign(1024u * 1024u, 10);
  const auto problems = modelkit::checkIsland(flat);
  EXPECT_GE(problems.size(), 3u);  // no plateau, no cliff, no river bed under the water
  HeightField dry = island();
  for (int z = 150; z < 165; ++z)
    for (int x = 680; x < 700; ++x) dry.heights[static_cast<size_t>(x + z * 1024)] = 30;
  EXPECT_NE(modelkit::checkIsland(dry), std::vector<std::string>{});
  HeightField wrongSize;
  wrongSize.size = 512;
  wrongSize.heights.assign(512u * 512u, 0);
  EXPECT_NE(modelkit::checkIsland(wrongSize), std::vector<std::string>{});
}

TEST(IslandTerrain, PictureFollowsHeightAndSlope) {
  const showkit::Image picture = modelkit::terrainPicture(island());
  ASSERT_EQ(picture.width(), 1024);
  ASSERT_EQ(picture.height(), 1024);
  // Column gx, row gz: grass on the plateau, rock on the cliff, sand on a beach, dark sea
  // floor under the boat.
  const showkit::Rgba grass = picture.at(470, 690), cliff = picture.at(530, 625), floor = picture.at(689, 157);
  EXPECT_GT(grass.g, grass.r);
  EXPECT_GT(grass.g, grass.b);
  EXPECT_LT(std::fabs(cliff.r - cliff.g), 0.08f) << "rock is greyish";
  EXPECT_LT(floor.r + floor.g + floor.b, grass.r + grass.g + grass.b + 0.3f);
  int sandy = 0;
  for (int gx = 0; gx < 1024; gx += 2) {
    const int h = island().at(gx, 560);
    const showkit::Rgba c = picture.at(gx, 560);
    if (h >= 22 && h <= 25) sandy += c.r > c.b + 0.1f;
  }
  EXPECT_GT(sandy, 0) << "no sand at the water's edge";
  // The same island every run.
  EXPECT_EQ(modelkit::islandHeights().heights, island().heights);
}

TEST(IslandTerrain, HeightLookupsStayOnTheGrid) {
  HeightField f;
  f.size = 4;
  f.heights = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  EXPECT_EQ(f.at(1, 2), 9);  // x + z * size
  EXPECT_EQ(f.at(-5, 0), 0);
  EXPECT_EQ(f.at(9, 9), 15);
  EXPECT_FLOAT_EQ(f.sceneHeight(3, 2), 5.5f);  // grid (1.5, 1) between 5 and 6
  HeightField empty;
  EXPECT_EQ(empty.at(0, 0), 0);
}

}  // namespace
