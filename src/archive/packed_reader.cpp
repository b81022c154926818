#include "archive/packed_reader.h"

#include <algorithm>

#include "archive/debug_log.h"

namespace archive {

void PackedReader::beginEntry(std::FILE* archive, std::uint64_t packedSize, int level,
                              std::string_view password) {
  archive_ = archive;
  remaining_ = packedSize;
  level_ = level;
  if (level_ != 0) cipher_.initCipher(password);
}

std::size_t PackedReader::readPacked(std::uint8_t* buffer, std::size_t count) {
  if (count == 0 || !archive_) return 0;
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, remaining_));
  const std::size_t got = std::fread(buffer, 1, wanted, archive_);
  remaining_ -= got;
  if (level_ == 0) return got;
  if (level_ < 20) {
    logMessage("Old Crypt() not supported!");
    return got;
  }
  for (std::size_t offset = 0; offset < got; offset += FileCipher::kBlockSize)
    cipher_.decipherBlock(buffer + offset);
  return got;
}

}  // namespace archive
