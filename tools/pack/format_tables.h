// Constants of the packed-data format the writer produces: symbol numbering, the slot tables
// shared with the reader, and the length bonuses the reader adds for far matches.
#pragma once

#include <array>
#include <cstdint>

namespace pack {

inline constexpr std::uint32_t kWindowSize = 1u << 20;
// The reader copies matches through a 2^20 ring; one byte less keeps every source byte
// strictly behind the write position.
inline constexpr std::uint32_t kMaxDistance = kWindowSize - 1;

inline constexpr int kMainSymbols = 298;
inline constexpr int kDistSymbols = 48;
inline constexpr int kRepLenSymbols = 28;
inline constexpr int kLzLengths = kMainSymbols + kDistSymbols + kRepLenSymbols;  // 374
inline constexpr int kAudioSymbols = 257;
inline constexpr int kLenCodeSymbols = 19;
inline constexpr int kMaxCodeLength = 15;

inline constexpr int kSymRepeatLast = 256;
inline constexpr int kSymRecentFirst = 257;  // 257..260
inline constexpr int kSymShortFirst = 261;   // 261..268
inline constexpr int kSymNewTables = 269;
inline constexpr int kSymNewMatchFirst = 270;  // 270..297
inline constexpr int kAudioSymNewTables = 256;

inline constexpr std::array<std::uint8_t, 28> kLengthBase = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr std::array<std::uint8_t, 28> kLengthBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

inline constexpr std::array<std::uint32_t, 48> kDistBase = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
inline constexpr std::array<std::uint8_t, 48> kDistBits = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

inline constexpr std::array<std::uint8_t, 8> kShortBase = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr std::array<std::uint8_t, 8> kShortBits = {2, 2, 3, 4, 5, 6, 6, 6};

// Extra length the reader adds to a new match (symbols 270-297) at this distance.
constexpr int newMatchBonus(std::uint32_t distance) {
  return (distance >= 0x2000 ? 1 : 0) + (distance >= 0x40000 ? 1 : 0);
}
// Extra length the reader adds to a recent-distance match (symbols 257-260).
constexpr int recentMatchBonus(std::uint32_t distance) {
  return (distance >= 0x101 ? 1 : 0) + newMatchBonus(distance);
}

inline constexpr std::array<std::uint8_t, 256> kLengthSlotOf = [] {
  std::array<std::uint8_t, 256> slots{};
  int slot = 0;
  for (int coded = 0; coded < 256; ++coded) {
    while (slot + 1 < 28 && kLengthBase[slot + 1] <= coded) ++slot;
    slots[coded] = static_cast<std::uint8_t>(slot);
  }
  return slots;
}();

// Slot of a coded length 0..255.
constexpr int lengthSlot(std::uint32_t coded) { return kLengthSlotOf[coded]; }

// Slot of distance - 1 (0 .. 2^20 - 1).
constexpr int distanceSlot(std::uint32_t distanceMinusOne) {
  int lo = 0, hi = 47;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (kDistBase[mid] <= distanceMinusOne) lo = mid; else hi = mid - 1;
  }
  return lo;
}

// Slot of a short-match distance - 1 (0..255).
constexpr int shortSlot(std::uint32_t distanceMinusOne) {
  int slot = 0;
  while (slot + 1 < 8 && kShortBase[slot + 1] <= distanceMinusOne) ++slot;
  return slot;
}

}  // namespace pack
