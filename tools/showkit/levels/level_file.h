// Writes level files (the format of world/bsp_format.h) from what the reader makes of them:
// world::parseLevel turns a file into a LevelData in scene axes, writeLevelFile turns such a
// LevelData back into the file, so a level stated in scene terms comes out exactly as the
// demo will read it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "world/bsp_level.h"

namespace levelc {

// Header "IBSP" version 46 and the 17 lumps in index order, each on a 4-byte boundary, the
// ones the reader does not read empty. Plane normals, vertex positions and box corners go
// from scene (x, y, z) to the file's (x, -z, y); the lightmaps are written as they are
// (count x 49152 bytes) and the visibility rows behind their cluster count and row size.
std::vector<std::uint8_t> writeLevelFile(const world::LevelData& level);

// The corners of the scene box lo..hi as the reader leaves them: each file corner is turned
// by itself, so the z of the minimum corner is the box's highest z and the other way round.
void setSceneBox(std::int32_t (&mins)[3], std::int32_t (&maxs)[3], const std::array<std::int32_t, 3>& lo,
                 const std::array<std::int32_t, 3>& hi);

}  // namespace levelc
