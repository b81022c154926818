// CRC-32 of the archive format (reflected, polynomial 0xEDB88320, complemented result).
// The table doubles as the cipher's fixed pseudo-random table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace archive {

// The 256-entry byte table, built once.
const std::array<std::uint32_t, 256>& crcTable();

// CRC-32 of `size` bytes. Chainable like zlib's crc32: pass the result of the previous piece
// as `previous` to continue it; 0 starts a new checksum.
std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t previous = 0);

}  // namespace archive
