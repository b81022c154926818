// The island's height field (terrain.raw: 1024 x 1024 bytes, grid point (gx, gz) with
// height h is the scene point (2 gx, 2 h, 2 gz)) and its ground picture (terrain.jpg,
// column gx and row gz), shaped around the places the island scene uses: the boat's deep
// water, the plateau with the river channel, the cliff under the waterfall and the pool
// at its foot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace modelkit {

constexpr int kTerrainSize = 1024;
constexpr int kSeaLevel = 24;  // the sea's quads lie at y = 48

struct HeightField {
  int size = 0;
  std::vector<std::uint8_t> heights;  // gx + gz x size
  int at(int gx, int gz) const;       // clamped to the grid
  // Height at a scene point (x, z), bilinear between grid points, in height units.
  float sceneHeight(float x, float z) const;
};

HeightField islandHeights();
showkit::Image terrainPicture(const HeightField& field);

// What the island scene needs of the ground; one line per problem, empty when all hold.
std::vector<std::string> checkIsland(const HeightField& field);

}  // namespace modelkit
