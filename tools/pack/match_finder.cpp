#include "pack/match_finder.h"

#include <algorithm>

namespace pack {

MatchFinder::MatchFinder()
    : head_(1u << kHashBits, -1), triples_(1u << kTripleBits, -1), previous_(kMask + 1, -1), pairs_(1u << 16, -1) {}

void MatchFinder::insertUpTo(std::span<const std::uint8_t> data, std::uint32_t end) {
  end = std::min<std::uint32_t>(end, data.size() >= 4 ? static_cast<std::uint32_t>(data.size() - 3) : 0);
  for (std::uint32_t pos = linked_; pos < end; ++pos) {
    const std::uint8_t* p = data.data() + pos;
    const std::uint32_t h = hash4(p);
    previous_[pos & kMask] = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
    triples_[hash3(p)] = static_cast<std::int32_t>(pos);
    pairs_[p[0] | (p[1] << 8)] = static_cast<std::int32_t>(pos);
  }
  linked_ = std::max(linked_, end);
}

void MatchFinder::rebuild(std::span<const std::uint8_t> data, std::uint32_t end) {
  std::fill(head_.begin(), head_.end(), -1);
  std::fill(triples_.begin(), triples_.end(), -1);
  std::fill(previous_.begin(), previous_.end(), -1);
  std::fill(pairs_.begin(), pairs_.end(), -1);
  linked_ = end > kMask ? end - kMask : 0;
  insertUpTo(data, end);
}

std::int32_t MatchFinder::chainHead(std::span<const std::uint8_t> data, std::uint32_t pos) const {
  if (pos + 4 > data.size()) return -1;
  return head_[hash4(data.data() + pos)];
}

std::int32_t MatchFinder::lastTriple(std::span<const std::uint8_t> data, std::uint32_t pos) const {
  if (pos + 3 > data.size()) return -1;
  return triples_[hash3(data.data() + pos)];
}

std::int32_t MatchFinder::lastPair(std::span<const std::uint8_t> data, std::uint32_t pos) const {
  if (pos + 2 > data.size()) return -1;
  return pairs_[data[pos] | (data[pos + 1] << 8)];
}

}  // namespace pack
