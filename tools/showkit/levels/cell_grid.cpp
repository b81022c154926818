#include "cell_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace levelc {

float length(Vec3f a) { return std::sqrt(dot(a, a)); }

namespace {

constexpr int kShell = 16;

bool holds(const IntBox& box, const std::array<double, 3>& p) {
  for (int a = 0; a < 3; ++a)
    if (p[a] <= box.min[a] || p[a] >= box.max[a]) return false;
  return true;
}

}  // namespace

CellGrid::CellGrid(const LevelDescription& level) {
  auto addBox = [&](const IntBox& box) {
    for (int a = 0; a < 3; ++a) {
      lines_[a].push_back(box.min[a]);
      lines_[a].push_back(box.max[a]);
    }
  };
  for (const Room& room : level.rooms) {
    addBox(room.box);
    // The trim bands need their own rows of cells so that their faces are separate.
    if (room.trimHeight > 0) lines_[1].push_back(room.box.min[1] + room.trimHeight);
    if (room.crownHeight > 0) lines_[1].push_back(room.box.max[1] - room.crownHeight);
  }
  for (const Block& block : level.blocks) addBox(block.box);
  for (auto& axis : lines_) {
    std::sort(axis.begin(), axis.end());
    axis.erase(std::unique(axis.begin(), axis.end()), axis.end());
    if (axis.size() < 2) axis = {0, 1};  // an empty description still gets one solid cell
    // A shell of solid cells all round: the tree then closes the level on every side, so
    // that any point outside it walks into solid space.
    axis.insert(axis.begin(), axis.front() - kShell);
    axis.push_back(axis.back() + kShell);
  }

  const std::size_t total =
      static_cast<std::size_t>(cellCount(0)) * cellCount(1) * cellCount(2);
  labels_.assign(total, kSolid);
  blocks_.assign(total, -1);
  for (int k = 0; k < cellCount(2); ++k)
    for (int j = 0; j < cellCount(1); ++j)
      for (int i = 0; i < cellCount(0); ++i) {
        const std::array<double, 3> centre{(lines_[0][i] + lines_[0][i + 1]) * 0.5,
                                           (lines_[1][j] + lines_[1][j + 1]) * 0.5,
                                           (lines_[2][k] + lines_[2][k + 1]) * 0.5};
        int label = kSolid;
        for (std::size_t r = 0; r < level.rooms.size(); ++r)
          if (holds(level.rooms[r].box, centre)) {
            label = static_cast<int>(r);
            break;
          }
        if (label == kSolid) continue;
        for (std::size_t b = 0; b < level.blocks.size(); ++b)
          if (holds(level.blocks[b].box, centre)) {
            blocks_[index(i, j, k)] = static_cast<int>(b);
            label = kSolid;
            break;
          }
        labels_[index(i, j, k)] = label;
      }
}

bool CellGrid::airOrOutside(int i, int j, int k) const {
  if (i < 0 || j < 0 || k < 0 || i >= cellCount(0) || j >= cellCount(1) || k >= cellCount(2))
    return false;
  return air(i, j, k);
}

int CellGrid::cellOf(int axis, float v) const {
  const auto& l = lines_[axis];
  if (!(v >= static_cast<float>(l.front())) || !(v < static_cast<float>(l.back()))) return -1;
  const auto it = std::upper_bound(l.begin(), l.end(), v,
                                   [](float x, int line) { return x < static_cast<float>(line); });
  return static_cast<int>(it - l.begin()) - 1;
}

bool CellGrid::inAir(Vec3f p) const {
  const int i = cellOf(0, p.x), j = cellOf(1, p.y), k = cellOf(2, p.z);
  return i >= 0 && j >= 0 && k >= 0 && air(i, j, k);
}

bool CellGrid::segmentClear(Vec3f a, Vec3f b) const {
  const std::array<float, 3> from{a.x, a.y, a.z};
  const std::array<float, 3> delta{b.x - a.x, b.y - a.y, b.z - a.z};
  std::array<int, 3> cell{};
  std::array<float, 3> next{};  // segment parameter of the next line crossed on each axis
  constexpr float kNever = std::numeric_limits<float>::infinity();
  for (int axis = 0; axis < 3; ++axis) {
    int c = cellOf(axis, from[axis]);
    const auto& l = lines_[axis];
    // A start on a line going down belongs to the cell below.
    if (c > 0 && delta[axis] < 0 && from[axis] == static_cast<float>(l[c])) --c;
    if (c < 0 && delta[axis] < 0 && from[axis] == static_cast<float>(l.back()))
      c = cellCount(axis) - 1;
    if (c < 0) return false;
    cell[axis] = c;
    if (delta[axis] > 0)
      next[axis] = (static_cast<float>(l[c + 1]) - from[axis]) / delta[axis];
    else if (delta[axis] < 0)
      next[axis] = (static_cast<float>(l[c]) - from[axis]) / delta[axis];
    else
      next[axis] = kNever;
  }
  // Each step crosses one line, so the walk ends after at most the number of lines.
  const int maxSteps = cellCount(0) + cellCount(1) + cellCount(2) + 3;
  for (int step = 0; step < maxSteps; ++step) {
    if (!air(cell[0], cell[1], cell[2])) return false;
    int axis = 0;
    if (next[1] < next[axis]) axis = 1;
    if (next[2] < next[axis]) axis = 2;
    if (!(next[axis] < 1.0f)) return true;
    const auto& l = lines_[axis];
    if (delta[axis] > 0) {
      if (++cell[axis] >= cellCount(axis)) return false;
      next[axis] = (static_cast<float>(l[cell[axis] + 1]) - from[axis]) / delta[axis];
    } else {
      if (--cell[axis] < 0) return false;
      next[axis] = (static_cast<float>(l[cell[axis]]) - from[axis]) / delta[axis];
    }
  }
  return true;
}

}  // namespace levelc
