// Reads the packed data of the current entry, decrypting it on the way when the entry is
// encrypted. The cipher's key state runs on from block to block, so reads must follow the data
// in order and every read but the last must be a whole number of blocks.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "archive/file_cipher.h"

namespace archive {

class PackedReader {
 public:
  // Starts an entry whose packed data are `packed` (already cut at the end of the archive).
  // Level 0 means no decryption; otherwise it is the entry's unpack version. `password` is
  // used only when the level is not 0.
  void beginEntry(std::span<const std::uint8_t> packed, int level, std::string_view password);

  // Reads up to `count` bytes (never past the entry's packed data). The buffer must have room
  // for `count` rounded up to a whole block: a short last block is decrypted as a whole one.
  std::size_t readPacked(std::uint8_t* buffer, std::size_t count);

 private:
  std::span<const std::uint8_t> packed_;
  int level_ = 0;
  FileCipher cipher_;
};

}  // namespace archive
