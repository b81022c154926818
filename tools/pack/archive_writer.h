// Writes archives the demo's reader unpacks (the format of archive/archive_format.h): stored
// or compressed entries, normal or solid, optionally encrypted with a password. Used by the
// tolvek-pack tool, the content kit and the reader's tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "pack/compressor.h"

namespace pack {

// 1980-01-01 00:00:00, the first moment a DOS time stamp can hold.
inline constexpr std::uint32_t kDefaultDosTime = 0x00210000;
// The reader compares at most this many name bytes; longer names could never be found.
inline constexpr std::size_t kMaxNameLength = 255;

struct PackOptions {
  std::string password;  // empty: entries are not encrypted
  bool solid = false;    // compressed entries share one window and table history
  bool store = false;    // no compression at all
};

struct EntryInfo {
  std::string name;
  std::uint32_t unpackedSize = 0;
  std::uint32_t packedSize = 0;
  std::uint32_t crc = 0;
  std::uint8_t method = 0;
  std::uint16_t flags = 0;
};

class ArchiveWriter {
 public:
  explicit ArchiveWriter(PackOptions options = {});

  // Queues an entry under `name` (folders included, as the reader will be asked for it).
  // False, with error() telling why, for an empty or overlong name or data over 4 GiB.
  bool addEntry(std::string name, std::vector<std::uint8_t> bytes, std::uint32_t dosTime = kDefaultDosTime);
  // Queues an entry whose packed stream is already made (by hand, or by another compressor):
  // `bytes` is what it unpacks to. It counts as compressed, so in a solid archive it continues
  // the compressed entries before it.
  bool addPackedEntry(std::string name, std::vector<std::uint8_t> packed, std::vector<std::uint8_t> bytes);
  // Queues a block of another type (a comment 0x75, a sub-block 0x77, ...) with an optional
  // data area, in its place among the entries.
  void addBlock(std::uint8_t type, std::vector<std::uint8_t> data = {});

  // The whole archive, or nothing (see error()) when the options cannot be honoured.
  std::optional<std::vector<std::uint8_t>> buildArchive();
  // buildArchive, then the file, written under a temporary name and renamed.
  bool writeArchive(std::string_view path);

  // Of the last build: what each entry became, and what the compressor used.
  const std::vector<EntryInfo>& entries() const { return built_; }
  const CompressionStats& stats() const { return stats_; }
  const std::string& error() const { return error_; }

 private:
  struct Pending {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::uint32_t dosTime = kDefaultDosTime;
    std::optional<std::vector<std::uint8_t>> packed;  // made by the caller
    std::optional<std::uint8_t> blockType;            // not an entry: a block of this type
  };
  bool checkName(const std::string& name);

  PackOptions options_;
  std::vector<Pending> pending_;
  std::vector<EntryInfo> built_;
  CompressionStats stats_;
  std::string error_;
};

}  // namespace pack
