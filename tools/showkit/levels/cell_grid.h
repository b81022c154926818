// The level's space cut into a rectilinear grid: every box side of the description is a grid
// line, so each cell lies wholly in air (inside some room and no block) or wholly in solid
// space. Faces, the tree, the visibility and the shadows are all computed on these cells.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "level_description.h"

namespace levelc {

constexpr int kSolid = -1;

class CellGrid {
 public:
  explicit CellGrid(const LevelDescription& level);

  // Sorted, distinct grid coordinates along x, y, z.
  const std::vector<int>& lines(int axis) const { return lines_[axis]; }
  int cellCount(int axis) const { return static_cast<int>(lines_[axis].size()) - 1; }

  // kSolid, or the index of the first room whose box holds the cell.
  int label(int i, int j, int k) const { return labels_[index(i, j, k)]; }
  // Index of the block that fills the cell, or -1.
  int block(int i, int j, int k) const { return blocks_[index(i, j, k)]; }
  bool air(int i, int j, int k) const { return label(i, j, k) != kSolid; }
  // Cells outside the grid count as solid.
  bool airOrOutside(int i, int j, int k) const;

  // Cell index along `axis` holding coordinate v (a coordinate on a line goes to the cell
  // above it), or -1 outside the grid.
  int cellOf(int axis, float v) const;
  bool inAir(Vec3f p) const;
  // True when every cell the segment from a to b passes through is air.
  bool segmentClear(Vec3f a, Vec3f b) const;

 private:
  std::size_t index(int i, int j, int k) const {
    return (static_cast<std::size_t>(k) * cellCount(1) + j) * cellCount(0) + i;
  }

  std::array<std::vector<int>, 3> lines_;
  std::vector<int> labels_;
  std::vector<int> blocks_;
};

}  // namespace levelc
