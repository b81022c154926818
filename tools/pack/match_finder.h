// Hash chains over the bytes the reader's window holds: every position is linked to the
// previous one with the same four bytes, so candidates come nearest first. Three-byte and
// two-byte matches, only worth their cost near by, get the most recent position alone.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pack {

class MatchFinder {
 public:
  MatchFinder();

  // Links every position below `end` of `data` not linked yet (positions need four bytes).
  void insertUpTo(std::span<const std::uint8_t> data, std::uint32_t end);
  // Forgets everything and relinks the last window's worth of positions below `end`.
  void rebuild(std::span<const std::uint8_t> data, std::uint32_t end);

  // The most recent position before `pos` with the same four bytes, or -1.
  std::int32_t chainHead(std::span<const std::uint8_t> data, std::uint32_t pos) const;
  // The most recent position before `pos` with the same three bytes, or -1.
  std::int32_t lastTriple(std::span<const std::uint8_t> data, std::uint32_t pos) const;
  std::int32_t chainNext(std::int32_t candidate) const { return previous_[static_cast<std::uint32_t>(candidate) & kMask]; }
  // The most recent position before `pos` with the same two bytes, or -1.
  std::int32_t lastPair(std::span<const std::uint8_t> data, std::uint32_t pos) const;

  std::uint32_t linkedEnd() const { return linked_; }

 private:
  static constexpr std::uint32_t kMask = (1u << 20) - 1;
  static constexpr int kHashBits = 17;

  static std::uint32_t hash4(const std::uint8_t* p) {
    const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  static std::uint32_t hash3(const std::uint8_t* p) {
    const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v * 2246822519u) >> (32 - kTripleBits);
  }
  static constexpr int kTripleBits = 16;

  std::vector<std::int32_t> head_;
  std::vector<std::int32_t> triples_;
  std::vector<std::int32_t> previous_;
  std::vector<std::int32_t> pairs_;
  std::uint32_t linked_ = 0;
};

}  // namespace pack
