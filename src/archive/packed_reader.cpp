#include "archive/packed_reader.h"

#include <algorithm>
#include <cstring>

#include "archive/archive_format.h"
#include "archive/debug_log.h"

namespace archive {

void PackedReader::beginEntry(std::span<const std::uint8_t> packed, int level, std::string_view password) {
  packed_ = packed;
  level_ = level;
  if (level_ != 0) cipher_.initCipher(password);
}

std::size_t PackedReader::readPacked(std::uint8_t* buffer, std::size_t count) {
  if (count == 0) return 0;
  const std::size_t got = std::min(count, packed_.size());
  if (got > 0) std::memcpy(buffer, packed_.data(), got);
  packed_ = packed_.subspan(got);
  if (level_ == 0) return got;
  if (level_ < kFirstCipherVersion) {
    logMessage("Old Crypt() not supported!");
    return got;
  }
  for (std::size_t offset = 0; offset < got; offset += FileCipher::kBlockSize)
    cipher_.decipherBlock(buffer + offset);
  return got;
}

}  // namespace archive
