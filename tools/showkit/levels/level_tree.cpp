#include <algorithm>
#include <limits>
#include <map>

#include "compiler_steps.h"

namespace levelc {

namespace {

using Range = std::array<std::array<int, 2>, 3>;  // [axis][from, to) in cells

// Cell counts per label over any box of cells in constant time (summed-volume tables).
class LabelCounts {
 public:
  explicit LabelCounts(const CellGrid& grid) {
    labels_ = 1;
    for (int k = 0; k < grid.cellCount(2); ++k)
      for (int j = 0; j < grid.cellCount(1); ++j)
        for (int i = 0; i < grid.cellCount(0); ++i)
          labels_ = std::max(labels_, grid.label(i, j, k) + 2);
    sx_ = grid.cellCount(0) + 1;
    sy_ = grid.cellCount(1) + 1;
    sz_ = grid.cellCount(2) + 1;
    sums_.assign(static_cast<std::size_t>(labels_) * sx_ * sy_ * sz_, 0);
    for (int k = 1; k < sz_; ++k)
      for (int j = 1; j < sy_; ++j)
        for (int i = 1; i < sx_; ++i) {
          const int own = grid.label(i - 1, j - 1, k - 1) + 1;
          for (int l = 0; l < labels_; ++l)
            sum(l, i, j, k) = (l == own) + sum(l, i - 1, j, k) + sum(l, i, j - 1, k) +
                              sum(l, i, j, k - 1) - sum(l, i - 1, j - 1, k) -
                              sum(l, i - 1, j, k - 1) - sum(l, i, j - 1, k - 1) +
                              sum(l, i - 1, j - 1, k - 1);
        }
  }

  int labels() const { return labels_; }
  int count(int l, const Range& r) const {
    const int x0 = r[0][0], x1 = r[0][1], y0 = r[1][0], y1 = r[1][1], z0 = r[2][0], z1 = r[2][1];
    return sum(l, x1, y1, z1) - sum(l, x0, y1, z1) - sum(l, x1, y0, z1) - sum(l, x1, y1, z0) +
           sum(l, x0, y0, z1) + sum(l, x0, y1, z0) + sum(l, x1, y0, z0) - sum(l, x0, y0, z0);
  }
  // Gini impurity times the cell count: 0 for a box of one label.
  double impurity(const Range& r) const {
    double n = 0, squares = 0;
    for (int l = 0; l < labels_; ++l) {
      const double c = count(l, r);
      n += c;
      squares += c * c;
    }
    return n > 0 ? n - squares / n : 0;
  }

 private:
  int& sum(int l, int i, int j, int k) {
    return sums_[((static_cast<std::size_t>(l) * sz_ + k) * sy_ + j) * sx_ + i];
  }
  int sum(int l, int i, int j, int k) const {
    return sums_[((static_cast<std::size_t>(l) * sz_ + k) * sy_ + j) * sx_ + i];
  }

  int labels_ = 1, sx_ = 0, sy_ = 0, sz_ = 0;
  std::vector<int> sums_;
};

class TreeBuilder {
 public:
  TreeBuilder(const CellGrid& grid, CompiledLevel& level) : grid_(grid), level_(level), counts_(grid) {}

  int build(const Range& range) {
    const IntBox box = boxOf(range);
    if (counts_.impurity(range) <= 0.0) return makeLeaf(range, box);

    // The split that leaves the purest two halves; ties go to the more even split.
    double bestScore = std::numeric_limits<double>::infinity();
    long long bestBalance = 0;
    int bestAxis = -1, bestCut = 0;
    for (int axis = 0; axis < 3; ++axis)
      for (int cut = range[axis][0] + 1; cut < range[axis][1]; ++cut) {
        Range low = range, high = range;
        low[axis][1] = cut;
        high[axis][0] = cut;
        const double score = counts_.impurity(low) + counts_.impurity(high);
        const long long balance = std::llabs(static_cast<long long>(cut - range[axis][0]) -
                                             (range[axis][1] - cut));
        if (score < bestScore - 1e-9 || (score < bestScore + 1e-9 && balance < bestBalance)) {
          bestScore = score;
          bestBalance = balance;
          bestAxis = axis;
          bestCut = cut;
        }
      }
    Range low = range, high = range;
    low[bestAxis][1] = bestCut;
    high[bestAxis][0] = bestCut;
    const int node = static_cast<int>(level_.nodes.size());
    level_.nodes.push_back({});
    level_.nodes[node].plane = planeIndex(bestAxis, grid_.lines(bestAxis)[bestCut]);
    level_.nodes[node].box = box;
    const int front = build(high);  // the high side is in front of a +axis normal
    const int back = build(low);
    level_.nodes[node].front = front;
    level_.nodes[node].back = back;
    return node;
  }

 private:
  IntBox boxOf(const Range& range) const {
    IntBox box;
    for (int a = 0; a < 3; ++a) {
      box.min[a] = grid_.lines(a)[range[a][0]];
      box.max[a] = grid_.lines(a)[range[a][1]];
    }
    return box;
  }

  int makeLeaf(const Range& range, const IntBox& box) {
    LevelLeaf leaf;
    leaf.box = box;
    const int label = grid_.label(range[0][0], range[1][0], range[2][0]);
    if (label != kSolid) {
      auto [it, added] = clusters_.try_emplace(label, level_.clusterCount);
      if (added) ++level_.clusterCount;
      leaf.cluster = it->second;
    }
    level_.leaves.push_back(leaf);
    return -static_cast<int>(level_.leaves.size());  // -(index + 1)
  }

  int planeIndex(int axis, int coordinate) {
    auto [it, added] = planes_.try_emplace({axis, coordinate}, static_cast<int>(level_.planes.size()));
    if (added) level_.planes.push_back({axis, coordinate});
    return it->second;
  }

  const CellGrid& grid_;
  CompiledLevel& level_;
  LabelCounts counts_;
  std::map<int, int> clusters_;  // room label -> cluster
  std::map<std::pair<int, int>, int> planes_;
};

// A face belongs to every air leaf whose side lies on the face's plane, on the face's front,
// and overlaps it with some area.
void assignFaces(CompiledLevel& level) {
  for (LevelLeaf& leaf : level.leaves) {
    if (leaf.cluster < 0) continue;
    for (std::size_t f = 0; f < level.faces.size(); ++f) {
      const LevelFace& face = level.faces[f];
      if (face.detail) {
        // A column's face belongs to every air leaf its box meets.
        const Vec3f a = face.origin, b = face.origin + face.uAxis * face.width + face.vAxis * face.height;
        const std::array<float, 3> lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
        const std::array<float, 3> hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
        bool meets = true;
        for (int axis = 0; axis < 3 && meets; ++axis)
          meets = lo[axis] <= leaf.box.max[axis] && hi[axis] >= leaf.box.min[axis];
        if (meets) leaf.faces.push_back(static_cast<int>(f));
        continue;
      }
      const int ua = (face.axis + 1) % 3, va = (face.axis + 2) % 3;
      const int side = face.side > 0 ? leaf.box.min[face.axis] : leaf.box.max[face.axis];
      if (side != face.plane) continue;
      if (std::min(face.u1, leaf.box.max[ua]) <= std::max(face.u0, leaf.box.min[ua])) continue;
      if (std::min(face.v1, leaf.box.max[va]) <= std::max(face.v0, leaf.box.min[va])) continue;
      leaf.faces.push_back(static_cast<int>(f));
    }
  }
}

}  // namespace

void buildTree(const CellGrid& grid, CompiledLevel& level) {
  level.planes.clear();
  level.nodes.clear();
  level.leaves.clear();
  level.clusterCount = 0;
  TreeBuilder builder(grid, level);
  Range whole{};
  for (int a = 0; a < 3; ++a) whole[a] = {0, grid.cellCount(a)};
  const int root = builder.build(whole);
  if (root < 0) {
    // A level of one kind of cell: the reader starts at node 0, so split off a thin slab
    // before the grid as a second leaf of the same kind.
    const int x = grid.lines(0).front();
    LevelNode node;
    node.plane = 0;
    node.front = root;
    node.back = -2;
    node.box = level.leaves[0].box;
    node.box.min[0] = x - 1;
    LevelLeaf slab = level.leaves[0];
    slab.box.min[0] = x - 1;
    slab.box.max[0] = x;
    level.planes.push_back({0, x});
    level.nodes.push_back(node);
    level.leaves.push_back(slab);
  }
  assignFaces(level);
}

}  // namespace levelc
