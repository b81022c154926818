// What the reader's tests need besides the archiver: small archives of stored entries, and
// damage done to the archiver's bytes field by field through the format's own header layout.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "pack/archive_writer.h"
#include "pack/bit_writer.h"

namespace archive_testing {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text);

// The archiver's bytes; fails the test when it refuses.
Bytes build(pack::ArchiveWriter& writer);
// An archive of entries stored as they are (name, contents), optionally encrypted.
Bytes storedArchive(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& password = {});

// Offset of the n-th file header (0 first), walking the blocks from the main header.
std::size_t fileHeaderAt(const Bytes& archive, int n);
// Changes the n-th file header's fields; with `reseal` its CRC is made to match again.
void editFileHeader(Bytes& archive, int n, const std::function<void(archive::BlockHeader&)>& edit, bool reseal = true);
// Gives the n-th entry another name of any length (the archiver refuses names over 255).
void renameEntry(Bytes& archive, int n, const std::string& name);
// Sets the main header's size; a larger one gets that many more bytes after it.
void setMainHeaderSize(Bytes& archive, std::uint16_t size);

// Canonical codes for code lengths, as the reader rebuilds them, for streams written by hand.
class CodeBook {
 public:
  explicit CodeBook(std::span<const std::uint8_t> lengths);
  void put(pack::BitWriter& out, int symbol) const;

 private:
  std::vector<std::uint8_t> lengths_;
  std::vector<std::uint16_t> codes_;
};

}  // namespace archive_testing
