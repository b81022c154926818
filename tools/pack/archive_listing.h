// Reads the block headers of an archive (no data) for the tool's listing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pack/archive_writer.h"

namespace pack {

struct ArchiveListing {
  bool solid = false;
  std::vector<EntryInfo> entries;
  std::vector<bool> headerCrcOk;  // per entry
  bool truncated = false;         // the walk met a header or data area cut short
};

// Nothing when the bytes do not start with the marker and a whole main header.
std::optional<ArchiveListing> listArchive(std::span<const std::uint8_t> bytes);

}  // namespace pack
