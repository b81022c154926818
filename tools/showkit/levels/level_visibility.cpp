#include <algorithm>

#include "compiler_steps.h"
#include "noise.h"

namespace levelc {

namespace {

// Rays tried between two clusters before they are declared hidden from each other.
constexpr int kRaysPerPair = 1500;

bool touchThroughAir(const IntBox& a, const IntBox& b) {
  // Two air leaves that share a piece of boundary with some area are open to each other.
  for (int axis = 0; axis < 3; ++axis) {
    if (a.max[axis] != b.min[axis] && b.max[axis] != a.min[axis]) continue;
    bool overlap = true;
    for (int other = 0; other < 3 && overlap; ++other)
      if (other != axis)
        overlap = std::min(a.max[other], b.max[other]) > std::max(a.min[other], b.min[other]);
    if (overlap) return true;
  }
  return false;
}

struct ClusterSampler {
  std::vector<int> leaves;
  std::vector<double> cumulativeVolume;

  Vec3f point(const std::vector<LevelLeaf>& all, std::uint32_t& seed) const {
    const double pick = showkit::hashUnit(static_cast<int>(seed++), 17, 0x51a7u) * cumulativeVolume.back();
    const auto it = std::upper_bound(cumulativeVolume.begin(), cumulativeVolume.end(), pick);
    const std::size_t index = std::min<std::size_t>(it - cumulativeVolume.begin(), leaves.size() - 1);
    const IntBox& box = all[leaves[index]].box;
    std::array<float, 3> p{};
    for (int a = 0; a < 3; ++a) {
      // Half a unit inside the box, where the camera of the renderer can be.
      const float lo = box.min[a] + 0.5f, hi = box.max[a] - 0.5f;
      const float u = showkit::hashUnit(static_cast<int>(seed++), a, 0x9e37u);
      p[a] = hi > lo ? lo + (hi - lo) * u : (box.min[a] + box.max[a]) * 0.5f;
    }
    return {p[0], p[1], p[2]};
  }
};

}  // namespace

void computeVisibility(const CellGrid& grid, CompiledLevel& level) {
  const int clusters = level.clusterCount;
  level.bytesPerRow = (clusters + 7) / 8;
  level.visibility.assign(static_cast<std::size_t>(clusters) * level.bytesPerRow, 0);
  level.stats.visiblePairs = 0;
  level.stats.visibilityRays = 0;
  auto mark = [&](int a, int b) {
    level.visibility[static_cast<std::size_t>(a) * level.bytesPerRow + b / 8] |=
        static_cast<std::uint8_t>(1u << (b & 7));
  };

  std::vector<ClusterSampler> samplers(clusters);
  for (std::size_t l = 0; l < level.leaves.size(); ++l) {
    const LevelLeaf& leaf = level.leaves[l];
    if (leaf.cluster < 0) continue;
    double volume = 1;
    for (int a = 0; a < 3; ++a) volume *= std::max(1, leaf.box.max[a] - leaf.box.min[a]);
    ClusterSampler& s = samplers[leaf.cluster];
    s.leaves.push_back(static_cast<int>(l));
    s.cumulativeVolume.push_back((s.cumulativeVolume.empty() ? 0 : s.cumulativeVolume.back()) + volume);
  }

  for (int a = 0; a < clusters; ++a) {
    mark(a, a);
    for (int b = a + 1; b < clusters; ++b) {
      bool sees = false;
      for (int la : samplers[a].leaves) {
        for (int lb : samplers[b].leaves)
          if (touchThroughAir(level.leaves[la].box, level.leaves[lb].box)) {
            sees = true;
            break;
          }
        if (sees) break;
      }
      std::uint32_t seed = static_cast<std::uint32_t>(a * 7919 + b * 104729);
      for (int ray = 0; ray < kRaysPerPair && !sees; ++ray) {
        const Vec3f from = samplers[a].point(level.leaves, seed);
        const Vec3f to = samplers[b].point(level.leaves, seed);
        ++level.stats.visibilityRays;
        sees = grid.segmentClear(from, to);
      }
      if (sees) {
        mark(a, b);
        mark(b, a);
        level.stats.visiblePairs += 2;
      }
    }
  }
}

}  // namespace levelc
