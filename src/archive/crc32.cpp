#include "archive/crc32.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The running register (not complemented) over `size` bytes, eight at a time.
std::uint32_t crcSliced(std::uint32_t c, const std::uint8_t* p, std::size_t size) {
  const auto& t = tables().slice;
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
  return c;
}

#if defined(__x86_64__)
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

// Folds 64-byte blocks with carry-less multiplication down to one 16-byte value that leaves the
// register where the blocks would have; the table loop takes it from there. The constants are
// powers of x modulo the polynomial, bit-reflected, for folding across 512 and 128 bits.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t crcFolded(std::uint32_t c,
                                                                  const std::uint8_t* p,
                                                                  std::size_t& size) {
  const __m128i fold512 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i fold128 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  auto load = [](const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(int(c)));
  __m128i x2 = load(p + 16);
  __m128i x3 = load(p + 32);
  __m128i x4 = load(p + 48);
  p += 64;
  size -= 64;
  while (size >= 64) {
    x1 = fold(x1, fold512, load(p));
    x2 = fold(x2, fold512, load(p + 16));
    x3 = fold(x3, fold512, load(p + 32));
    x4 = fold(x4, fold512, load(p + 48));
    p += 64;
    size -= 64;
  }
  x1 = fold(x1, fold128, x2);
  x1 = fold(x1, fold128, x3);
  x1 = fold(x1, fold128, x4);
  while (size >= 16) {
    x1 = fold(x1, fold128, load(p));
    p += 16;
    size -= 16;
  }
  alignas(16) std::uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), x1);
  return crcSliced(0, rest, 16);
}

bool haveCarrylessMultiply() {
  static const bool have = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return have;
}
#endif

}  // namespace

const std::array<std::uint32_t, 256>& crcTable() { return tables().slice[0]; }

std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t previous) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t c = ~previous;
#if defined(__x86_64__)
  if (size >= 256 && haveCarrylessMultiply()) {
    std::size_t left = size;
    c = crcFolded(c, p, left);
    p += size - left;
    size = left;
  }
#endif
  return ~crcSliced(c, p, size);
}

}  // namespace archive
