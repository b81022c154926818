#include "pack/archive_listing.h"

#include <algorithm>

#include "archive/crc32.h"

namespace pack {
namespace {

std::uint32_t get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t get32(const std::uint8_t* p) { return get16(p) | (get16(p + 2) << 16); }

}  // namespace

std::optional<ArchiveListing> listArchive(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kMarker.size() + kMainHeaderSize || !std::equal(kMarker.begin(), kMarker.end(), bytes.begin()))
    return std::nullopt;
  const std::uint8_t* main = bytes.data() + kMarker.size();
  ArchiveListing listing;
  listing.solid = (get16(main + 3) & kMainFlagSolid) != 0;
  const std::uint64_t mainSize = std::max<std::uint32_t>(get16(main + 5), kMainHeaderSize);
  std::uint64_t pos = kMarker.size() + mainSize;
  while (pos < bytes.size()) {
    if (bytes.size() - pos < 7) {
      listing.truncated = true;
      break;
    }
    const std::uint8_t* h = bytes.data() + pos;
    const std::uint32_t type = h[2];
    const std::uint32_t flags = get16(h + 3);
    const std::uint32_t headerSize = get16(h + 5);
    if (headerSize < 7) {
      listing.truncated = true;
      break;
    }
    std::uint64_t dataSize = 0;
    if (type == kFileHeaderType || (flags & kFlagHasData)) {
      if (bytes.size() - pos < kFileHeaderFixedSize) {
        listing.truncated = true;
        break;
      }
      if (flags & kFlagHasData) dataSize = get32(h + 7);
    }
    if (type == kFileHeaderType) {
      const std::uint32_t nameSize = get16(h + 26);
      if (headerSize < kFileHeaderFixedSize + nameSize || bytes.size() - pos < kFileHeaderFixedSize + nameSize) {
        listing.truncated = true;
        break;
      }
      EntryInfo info;
      info.flags = static_cast<std::uint16_t>(flags);
      info.packedSize = get32(h + 7);
      info.unpackedSize = get32(h + 11);
      info.crc = get32(h + 16);
      info.method = h[25];
      info.name.assign(reinterpret_cast<const char*>(h + kFileHeaderFixedSize), nameSize);
      const std::uint32_t crc = archive::crc32(h + 2, kFileHeaderFixedSize - 2 + nameSize);
      listing.headerCrcOk.push_back((crc & 0xFFFF) == get16(h));
      listing.entries.push_back(std::move(info));
    }
    const std::uint64_t next = pos + headerSize + dataSize;
    if (next > bytes.size()) {
      listing.truncated = true;
      break;
    }
    pos = next;
  }
  return listing;
}

}  // namespace pack
