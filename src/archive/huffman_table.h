// Canonical Huffman table of the archive's compression scheme: built from code lengths
// (0 = unused, 1..15), decoded from the next 16 bits of the input. A look-up on the first
// kQuickBits bits settles most symbols at once; the rest go through the code limits.
#pragma once

#include <array>
#include <cstdint>

#include "archive/archive_format.h"

namespace archive {

class HuffmanTable {
 public:
  static constexpr int kMaxSymbols = kMainSymbols;
  static constexpr int kQuickBits = 10;

  // `lengths` holds `symbolCount` code lengths (values above 15 use their low four bits).
  void build(const std::uint8_t* lengths, int symbolCount);

  // Decodes the symbol whose code starts the 16-bit window `bits` (most significant bit
  // first) and returns it with the number of bits its code takes.
  struct Decoded {
    unsigned symbol;
    unsigned length;
  };
  Decoded decode(std::uint32_t bits) const {
    const std::uint16_t quick = quick_[bits >> (16 - kQuickBits)];
    if (quick != 0) return {unsigned(quick >> 4), unsigned(quick & 15)};
    return decodeSlow(bits);
  }

 private:
  unsigned codeLength(std::uint32_t v) const;
  Decoded decodeSlow(std::uint32_t bits) const;

  int symbolCount_ = 0;
  std::array<std::uint32_t, 16> codeLimit_{};
  std::array<std::uint32_t, 16> firstSlot_{};
  std::array<std::uint16_t, kMaxSymbols> sortedSymbols_{};
  // symbol << 4 | code length, or 0 when the first bits do not settle the code.
  std::array<std::uint16_t, 1 << kQuickBits> quick_{};
};

}  // namespace archive
