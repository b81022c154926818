// Length-limited Huffman code lengths and the canonical codes the reader rebuilds from them
// (shorter codes first, equal lengths in symbol order).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pack {

// Optimal lengths for the frequencies, none longer than `limit`. Unused symbols get 0; a lone
// used symbol gets length 1 so that it still has a code to send.
std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> frequencies, int limit);

// Canonical codes (right-aligned) for the lengths; unused symbols get 0.
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// Bits needed to send the symbols with these lengths.
std::uint64_t codedBits(std::span<const std::uint32_t> frequencies, std::span<const std::uint8_t> lengths);

}  // namespace pack
