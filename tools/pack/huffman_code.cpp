#include "pack/huffman_code.h"

#include <algorithm>
#include <numeric>

namespace pack {
namespace {

// Plain Huffman depths by the two-queue method over leaves sorted by weight.
int huffmanDepths(const std::vector<std::uint64_t>& sortedWeights, std::vector<int>& depths) {
  const size_t leaves = sortedWeights.size();
  std::vector<std::uint64_t> weight(sortedWeights);
  weight.resize(2 * leaves - 1);
  std::vector<size_t> parent(2 * leaves - 1, 0);
  size_t nextLeaf = 0, nextInner = leaves, created = leaves;
  auto takeSmallest = [&]() {
    if (nextLeaf < leaves && (nextInner >= created || weight[nextLeaf] <= weight[nextInner])) return nextLeaf++;
    return nextInner++;
  };
  while (created < 2 * leaves - 1) {
    const size_t a = takeSmallest();
    const size_t b = takeSmallest();
    weight[created] = weight[a] + weight[b];
    parent[a] = parent[b] = created;
    ++created;
  }
  std::vector<int> depth(2 * leaves - 1, 0);
  int deepest = 0;
  for (size_t node = 2 * leaves - 1; node-- > 0;) {
    if (node == 2 * leaves - 2) continue;  // root
    depth[node] = depth[parent[node]] + 1;
    if (node < leaves) deepest = std::max(deepest, depth[node]);
  }
  depths.assign(depth.begin(), depth.begin() + static_cast<std::ptrdiff_t>(leaves));
  return deepest;
}

}  // namespace

std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> frequencies, int limit) {
  std::vector<std::uint8_t> lengths(frequencies.size(), 0);
  std::vector<std::uint32_t> used;
  for (std::uint32_t s = 0; s < frequencies.size(); ++s)
    if (frequencies[s] > 0) used.push_back(s);
  if (used.empty()) return lengths;
  if (used.size() == 1) {
    lengths[used[0]] = 1;
    return lengths;
  }
  std::vector<std::uint64_t> weights(used.size());
  for (size_t i = 0; i < used.size(); ++i) weights[i] = frequencies[used[i]];
  // Flattening the weights until the deepest leaf fits costs little and always ends: equal
  // weights give a balanced tree, and 2^15 leaves are far more than any table has.
  for (;;) {
    std::vector<size_t> order(used.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return weights[a] < weights[b]; });
    std::vector<std::uint64_t> sorted(order.size());
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = weights[order[i]];
    std::vector<int> depths;
    if (huffmanDepths(sorted, depths) <= limit) {
      for (size_t i = 0; i < order.size(); ++i) lengths[used[order[i]]] = static_cast<std::uint8_t>(depths[i]);
      return lengths;
    }
    for (auto& w : weights) w = (w >> 1) | 1;
  }
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
  std::uint32_t count[17] = {};
  for (auto l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[17] = {};
  std::uint32_t code = 0;
  for (int l = 1; l <= 16; ++l) {
    code = (code + count[l - 1]) << 1;
    next[l] = code;
  }
  std::vector<std::uint16_t> codes(lengths.size(), 0);
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] > 0) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
  return codes;
}

std::uint64_t codedBits(std::span<const std::uint32_t> frequencies, std::span<const std::uint8_t> lengths) {
  std::uint64_t bits = 0;
  for (size_t s = 0; s < frequencies.size(); ++s) bits += std::uint64_t{frequencies[s]} * lengths[s];
  return bits;
}

}  // namespace pack
