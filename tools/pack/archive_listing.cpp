#include "pack/archive_listing.h"

#include <algorithm>

namespace pack {

std::optional<ArchiveListing> listArchive(std::span<const std::uint8_t> bytes) {
  using namespace archive;
  if (bytes.size() < kMarker.size() + kMainHeaderSize || !std::equal(kMarker.begin(), kMarker.end(), bytes.begin()))
    return std::nullopt;
  const MainHeader main = readMainHeader(bytes.subspan(kMarker.size()).first<kMainHeaderSize>());
  ArchiveListing listing;
  listing.solid = (main.flags & kArchiveSolid) != 0;
  std::uint64_t pos = kMarker.size() + std::max<std::uint64_t>(main.size, kMainHeaderSize);
  while (pos < bytes.size()) {
    const auto rest = bytes.subspan(static_cast<size_t>(pos));
    // Only what is there: a block shorter than a file header may end the archive.
    std::array<std::uint8_t, kFileHeaderSize> fixed{};
    std::copy_n(rest.begin(), std::min(rest.size(), fixed.size()), fixed.begin());
    const BlockHeader h = readBlockHeader(fixed);
    const bool hasData = (h.flags & kHasData) != 0;
    if (rest.size() < kMinBlockSize || h.size < kMinBlockSize ||
        ((h.type == kFileHeaderType || hasData) && rest.size() < kFileHeaderSize)) {
      listing.truncated = true;
      break;
    }
    if (h.type == kFileHeaderType) {
      if (h.size < kFileHeaderSize + h.nameSize || rest.size() < kFileHeaderSize + h.nameSize) {
        listing.truncated = true;
        break;
      }
      const auto name = rest.subspan(kFileHeaderSize, h.nameSize);
      EntryInfo info;
      info.flags = h.flags;
      info.packedSize = h.packedSize;
      info.unpackedSize = h.unpackedSize;
      info.crc = h.fileCrc;
      info.method = h.method;
      info.name.assign(name.begin(), name.end());
      listing.headerCrcOk.push_back(headerCrc(rest.first<kFileHeaderSize>(), name) == h.crc);
      listing.entries.push_back(std::move(info));
    }
    const std::uint64_t next = nextBlockStart(pos, h);
    if (next > bytes.size()) {
      listing.truncated = true;
      break;
    }
    pos = next;
  }
  return listing;
}

}  // namespace pack
