#include "archive/crc32.h"

#include <bit>
#include <cstring>

namespace archive {
namespace {

// Eight tables let the loop take eight bytes per step; the checksum is checked over every
// extracted byte, so it sits on the hot path of extraction.
struct CrcTables {
  std::array<std::array<std::uint32_t, 256>, 8> slice{};

  CrcTables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      slice[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (std::size_t t = 1; t < 8; ++t)
        slice[t][i] = (slice[t - 1][i] >> 8) ^ slice[0][slice[t - 1][i] & 0xFF];
  }
};

const CrcTables& tables() {
  static const CrcTables instance;
  return instance;
}

}  // namespace

const std::array<std::uint32_t, 256>& crcTable() { return tables().slice[0]; }

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t previous) {
  const auto& t = tables().slice;
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = ~previous;
  while (size >= 8) {
    std::uint32_t lo;
    std::uint32_t hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
    if constexpr (std::endian::native == std::endian::big) {
      lo = __builtin_bswap32(lo);
      hi = __builtin_bswap32(hi);
    }
    lo ^= c;
    c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
        t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    size -= 8;
  }
  while (size-- > 0) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
  return ~c;
}

}  // namespace archive
