// The archive format's file-data cipher: a 128-bit key state and a byte substitution table
// set from the password, a 32-round Feistel-like network over 16-byte blocks, and a key state
// that moves on after every block according to the ciphertext. Blocks therefore have to be
// processed strictly in order, from the same set-up, on both sides.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace archive {

class FileCipher {
 public:
  static constexpr std::size_t kBlockSize = 16;
  // Longer passwords are cut here; the reader keeps the password in a buffer of this size.
  static constexpr std::size_t kMaxPasswordLength = 255;

  // Sets keys and table from the password (and runs the keys through the password's own
  // blocks). Call once before the first block of every entry.
  void initCipher(std::string_view password);

  // Both directions move the key state identically for the same ciphertext, so a stream
  // encrypted block by block with encipherBlock decrypts block by block with decipherBlock.
  void decipherBlock(std::uint8_t* block16);
  void encipherBlock(std::uint8_t* block16);

 private:
  void mixKeys(const std::uint8_t* block16);
  std::uint32_t sboxWord(std::uint32_t t) const;
  void rounds(std::uint32_t* words, bool forward) const;

  std::array<std::uint32_t, 4> key_{};
  std::array<std::uint8_t, 256> sbox_{};
};

}  // namespace archive
