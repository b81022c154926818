#include "archive/file_cipher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "archive/crc32.h"

namespace archive {
namespace {

constexpr std::array<std::uint8_t, 256> kInitialSbox = {
    215, 19,  149, 35,  73,  197, 192, 205, 249, 28,  16,  119, 48,  221, 2,   42,
    232, 1,   177, 233, 14,  88,  219, 25,  223, 195, 244, 90,  87,  239, 153, 137,
    255, 199, 147, 70,  92,  66,  246, 13,  216, 40,  62,  29,  217, 230, 86,  6,
    71,  24,  171, 196, 101, 113, 218, 123, 93,  91,  163, 178, 202, 67,  44,  235,
    107, 250, 75,  234, 49,  167, 125, 211, 83,  114, 157, 144, 32,  193, 143, 36,
    158, 124, 247, 187, 89,  214, 141, 47,  121, 228, 61,  130, 213, 194, 174, 251,
    97,  110, 54,  229, 115, 57,  152, 94,  105, 243, 212, 55,  209, 245, 63,  11,
    164, 200, 31,  156, 81,  176, 227, 21,  76,  99,  139, 188, 127, 17,  248, 51,
    207, 120, 189, 210, 8,   226, 41,  72,  183, 203, 135, 165, 166, 60,  98,  7,
    122, 38,  155, 170, 69,  172, 252, 238, 39,  134, 59,  128, 236, 27,  240, 80,
    131, 3,   85,  206, 145, 79,  154, 142, 159, 220, 201, 133, 74,  64,  20,  129,
    224, 185, 138, 103, 173, 182, 43,  34,  254, 82,  198, 151, 231, 180, 58,  10,
    118, 26,  102, 12,  50,  132, 22,  191, 136, 111, 162, 179, 45,  4,   148, 108,
    161, 56,  78,  126, 242, 222, 15,  175, 146, 23,  33,  241, 181, 190, 77,  225,
    0,   46,  169, 186, 68,  95,  237, 65,  53,  208, 253, 168, 9,   18,  100, 52,
    116, 184, 160, 96,  109, 37,  30,  106, 140, 104, 150, 5,   204, 117, 112, 84};

std::uint32_t loadWord(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

void storeWord(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

}  // namespace

std::uint32_t FileCipher::sboxWord(std::uint32_t t) const {
  return std::uint32_t(sbox_[t & 255]) | std::uint32_t(sbox_[(t >> 8) & 255]) << 8 |
         std::uint32_t(sbox_[(t >> 16) & 255]) << 16 | std::uint32_t(sbox_[t >> 24]) << 24;
}

// words holds A, B, C, D after the initial key XOR; the round order is the only difference
// between the two directions.
void FileCipher::rounds(std::uint32_t* words, bool forward) const {
  std::uint32_t a = words[0], b = words[1], c = words[2], d = words[3];
  for (int step = 0; step < 32; ++step) {
    const int r = forward ? step : 31 - step;
    std::uint32_t t = (c + std::rotl(d, 11)) ^ key_[r & 3];
    const std::uint32_t ta = a ^ sboxWord(t);
    t = (d ^ std::rotl(c, 17)) + key_[r & 3];
    const std::uint32_t tb = b ^ sboxWord(t);
    a = c;
    b = d;
    c = ta;
    d = tb;
  }
  words[0] = a;
  words[1] = b;
  words[2] = c;
  words[3] = d;
}

void FileCipher::encipherBlock(std::uint8_t* block16) {
  std::uint32_t w[4];
  for (int i = 0; i < 4; ++i) w[i] = loadWord(block16 + 4 * i) ^ key_[i];
  rounds(w, true);
  storeWord(block16 + 0, w[2] ^ key_[0]);
  storeWord(block16 + 4, w[3] ^ key_[1]);
  storeWord(block16 + 8, w[0] ^ key_[2]);
  storeWord(block16 + 12, w[1] ^ key_[3]);
  mixKeys(block16);
}

void FileCipher::decipherBlock(std::uint8_t* block16) {
  std::uint8_t cipherText[kBlockSize];
  std::memcpy(cipherText, block16, kBlockSize);
  std::uint32_t w[4];
  for (int i = 0; i < 4; ++i) w[i] = loadWord(block16 + 4 * i) ^ key_[i];
  rounds(w, false);
  storeWord(block16 + 0, w[2] ^ key_[0]);
  storeWord(block16 + 4, w[3] ^ key_[1]);
  storeWord(block16 + 8, w[0] ^ key_[2]);
  storeWord(block16 + 12, w[1] ^ key_[3]);
  mixKeys(cipherText);
}

void FileCipher::mixKeys(const std::uint8_t* block16) {
  const auto& table = crcTable();
  for (std::size_t i = 0; i < kBlockSize; i += 4) {
    key_[0] ^= table[block16[i]];
    key_[1] ^= table[block16[i + 1]];
    key_[2] ^= table[block16[i + 2]];
    key_[3] ^= table[block16[i + 3]];
  }
}

void FileCipher::initCipher(std::string_view password) {
  key_ = {0xD3A3B879u, 0x3F6D12F7u, 0x7515A235u, 0xA4E7F123u};
  // One byte more than the longest password, so the odd-length look-up of pwBuf[i + 1] and
  // the last 16-byte block always stay inside the buffer and see zero padding.
  std::array<std::uint8_t, kMaxPasswordLength + 1> pwBuf{};
  const std::size_t len = std::min(password.size(), kMaxPasswordLength);
  std::memcpy(pwBuf.data(), password.data(), len);
  sbox_ = kInitialSbox;

  const auto& table = crcTable();
  for (std::uint32_t j = 0; j < 256; ++j) {
    for (std::size_t i = 0; i < len; i += 2) {
      const std::uint8_t y = std::uint8_t(table[(pwBuf[i + 1] + j) & 255]);
      std::uint8_t x = std::uint8_t(table[(pwBuf[i] - j) & 255]);
      for (std::size_t k = 1; x != y; ++k) {
        std::swap(sbox_[x], sbox_[(x + i + k) & 255]);
        x = std::uint8_t(x + 1);
      }
    }
  }
  for (std::size_t i = 0; i < len; i += kBlockSize) encipherBlock(pwBuf.data() + i);
  // The padded password is a secret; do not leave it on the stack.
  volatile std::uint8_t* wipe = pwBuf.data();
  for (std::size_t i = 0; i < pwBuf.size(); ++i) wipe[i] = 0;
}

}  // namespace archive
