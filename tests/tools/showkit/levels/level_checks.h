// Structural checks of a level file as the demo's reader sees it (after world::parseLevel):
// each returns the list of problems found, empty when the level is sound.
#pragma once

#include <string>
#include <vector>

#include "level_description.h"
#include "world/bsp_level.h"

namespace levels_test {

// Every face is listed by at least one leaf, and every leaf is reached exactly once from
// the root.
std::vector<std::string> unreachable(const world::LevelData& level);
// Every leaf's box lies in the half-space of each of its ancestors on the side it hangs on.
std::vector<std::string> leavesOutsideParents(const world::LevelData& level);
// Rows that do not see their own cluster, and pairs seen one way only.
std::vector<std::string> visibilityFaults(const world::LevelData& level);
// Faces of an air leaf whose front (the side from which they are wound clockwise: the demo
// culls the other) looks into solid space, or that lie outside the leaf's box.
std::vector<std::string> windingFaults(const world::LevelData& level);

// Cluster of the leaf holding p, or -2 when the walk finds no leaf.
int clusterAt(const world::LevelData& level, levelc::Vec3f p);

// The lightmap colour (0..255 per channel, averaged) the level shows at scene point p on the
// face lying on plane `axis` = p[axis] whose front faces `side`; -1 when no face is there.
float lightmapLevelAt(const world::LevelData& level, levelc::Vec3f p, int axis, int side);

}  // namespace levels_test
