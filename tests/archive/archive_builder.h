// Lays out small archives byte by byte for the reader's tests: marker, main header, file
// headers with correct header CRCs, stored or hand-assembled packed data, optional encryption
// through FileCipher, and deliberate damage where a test asks for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace archive_testing {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text);
Bytes standardMarker();

struct TestEntry {
  std::string name;
  Bytes data;      // the entry as extracted (its size and CRC go into the header)
  Bytes packed;    // the data area for a compressed entry; a stored entry uses `data`
  std::uint8_t method = 0x30;
  std::uint8_t version = 20;
  std::uint16_t flags = 0;  // extra header flags (0x0010 solid); encryption and data set below
  std::string password;     // non-empty: the data area is encrypted with it (whole blocks)
  bool breakHeaderCrc = false;
  std::optional<std::uint32_t> unpackedSize;  // overrides for damaged headers
  std::optional<std::uint32_t> packedSize;
  std::optional<std::uint32_t> fileCrc;
  std::optional<std::uint16_t> headerSize;
  std::optional<std::uint16_t> nameSize;
};

class ArchiveBuilder {
 public:
  ArchiveBuilder& marker(const Bytes& bytes);
  ArchiveBuilder& solid();
  ArchiveBuilder& mainHeaderSize(std::uint16_t size);
  ArchiveBuilder& add(const TestEntry& entry);
  // A block of another type (0x77 sub-block, 0x75 comment, ...) with an optional data area.
  ArchiveBuilder& addBlock(std::uint8_t type, const Bytes& data = {});

  Bytes bytes() const;
  void writeTo(const std::string& path) const;

 private:
  Bytes marker_ = standardMarker();
  std::uint16_t mainFlags_ = 0;
  std::uint16_t mainHeaderSize_ = 13;
  Bytes blocks_;
};

// Packed data is written most significant bit first, like the reader takes it.
class BitWriter {
 public:
  void put(std::uint32_t value, int count);
  Bytes bytes() const;  // the last byte padded with zero bits

 private:
  Bytes bytes_;
  int used_ = 8;  // bits used in the last byte
};

// Canonical codes for a set of code lengths, assigned the way the reader expects them.
class CodeBook {
 public:
  explicit CodeBook(const std::vector<int>& lengths);
  void put(BitWriter& out, int symbol) const;

 private:
  std::vector<int> lengths_;
  std::vector<std::uint32_t> codes_;
};

// Code lengths of the 374 non-audio symbols: main (298), distance (48), repeat length (28).
struct TableLengths {
  std::vector<int> main = std::vector<int>(298, 0);
  std::vector<int> dist = std::vector<int>(48, 0);
  std::vector<int> repLen = std::vector<int>(28, 0);
};

// Writes a table set with every length sent as a plain 4-bit code (length-code symbols 0..15
// all of length 4), as deltas to `previous` when given (the keep-previous-lengths bit set).
void writeTables(BitWriter& out, const TableLengths& tables, const TableLengths* previous = nullptr);

}  // namespace archive_testing
