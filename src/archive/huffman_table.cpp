#include "archive/huffman_table.h"

#include <algorithm>

namespace archive {

void HuffmanTable::build(const std::uint8_t* lengths, int symbolCount) {
  symbolCount_ = std::clamp(symbolCount, 0, kMaxSymbols);
  std::array<std::uint32_t, 16> count{};
  for (int i = 0; i < symbolCount_; ++i) ++count[lengths[i] & 15];
  count[0] = 0;

  // Code limits are left-justified to 16 bits; an over-full set of lengths (damaged data) only
  // saturates them, which keeps every later index computation in range.
  std::uint64_t n = 0;
  codeLimit_[0] = 0;
  firstSlot_[0] = 0;
  for (int l = 1; l < 16; ++l) {
    n = 2 * (n + count[l]);
    codeLimit_[l] = std::uint32_t(std::min<std::uint64_t>(n << (15 - l), 0xFFFF));
    firstSlot_[l] = firstSlot_[l - 1] + count[l - 1];
  }

  sortedSymbols_.fill(0);
  std::array<std::uint32_t, 16> next = firstSlot_;
  for (int symbol = 0; symbol < symbolCount_; ++symbol) {
    const int l = lengths[symbol] & 15;
    if (l != 0) sortedSymbols_[next[l]++] = std::uint16_t(symbol);
  }

  // A quick entry is only kept when every 16-bit window with these first bits decodes to the
  // same length (at most kQuickBits), so the look-up never disagrees with the full decoding.
  // The limits never decrease, so the prefixes of length l are one run: those whose lowest
  // window is at or above the limit of l - 1 and whose highest (the lowest + 62, bit 0 being
  // ignored) is below the limit of l.
  constexpr int kRestBits = 16 - kQuickBits;
  quick_.fill(0);
  for (unsigned l = 1; l <= unsigned(kQuickBits); ++l) {
    const std::uint32_t first = (codeLimit_[l - 1] + (1u << kRestBits) - 1) >> kRestBits;
    const std::uint32_t end = std::min<std::uint32_t>((codeLimit_[l] + 1) >> kRestBits, std::uint32_t(quick_.size()));
    for (std::uint32_t prefix = first; prefix < end; ++prefix) {
      std::uint32_t index = firstSlot_[l] + (((prefix << kRestBits) - codeLimit_[l - 1]) >> (16 - l));
      if (index >= std::uint32_t(symbolCount_)) index = 0;
      quick_[prefix] = std::uint16_t(sortedSymbols_[index] << 4 | l);
    }
  }
}

unsigned HuffmanTable::codeLength(std::uint32_t v) const {
  // The limits never decrease, so the first length whose limit lies above v is found by a
  // binary search over lengths 1..14; 15 when none does.
  unsigned lo = 1;
  unsigned hi = 15;
  while (lo < hi) {
    const unsigned mid = (lo + hi) / 2;
    if (v < codeLimit_[mid])
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

HuffmanTable::Decoded HuffmanTable::decodeSlow(std::uint32_t bits) const {
  const std::uint32_t v = bits & 0xFFFE;
  const unsigned l = codeLength(v);
  std::uint32_t index = firstSlot_[l] + ((v - codeLimit_[l - 1]) >> (16 - l));
  if (index >= std::uint32_t(symbolCount_)) index = 0;
  return {sortedSymbols_[index], l};
}

}  // namespace archive
