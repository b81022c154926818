#include "archive_builder.h"

#include <cstdio>
#include <stdexcept>

#include "archive/crc32.h"
#include "archive/file_cipher.h"

namespace archive_testing {
namespace {

void put16(Bytes& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

}  // namespace

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes standardMarker() { return bytesOf(std::string("Rar!\x1A\x07\x00", 7)); }

ArchiveBuilder& ArchiveBuilder::marker(const Bytes& bytes) {
  marker_ = bytes;
  return *this;
}

ArchiveBuilder& ArchiveBuilder::solid() {
  mainFlags_ |= 0x0008;
  return *this;
}

ArchiveBuilder& ArchiveBuilder::mainHeaderSize(std::uint16_t size) {
  mainHeaderSize_ = size;
  return *this;
}

ArchiveBuilder& ArchiveBuilder::add(const TestEntry& entry) {
  Bytes area = entry.method == 0x30 ? entry.data : entry.packed;
  std::uint16_t flags = std::uint16_t(entry.flags | 0x8000);
  if (!entry.password.empty()) {
    flags |= 0x0004;
    area.resize((area.size() + 15) / 16 * 16, 0);
    archive::FileCipher cipher;
    cipher.initCipher(entry.password);
    for (std::size_t i = 0; i < area.size(); i += 16) cipher.encipherBlock(area.data() + i);
  }
  const std::uint16_t nameSize = entry.nameSize.value_or(std::uint16_t(entry.name.size()));
  Bytes header;
  header.push_back(0x74);
  put16(header, flags);
  put16(header, entry.headerSize.value_or(std::uint16_t(32 + entry.name.size())));
  put32(header, entry.packedSize.value_or(std::uint32_t(area.size())));
  put32(header, entry.unpackedSize.value_or(std::uint32_t(entry.data.size())));
  header.push_back(2);  // host system
  put32(header, entry.fileCrc.value_or(archive::crc32(entry.data.data(), entry.data.size())));
  put32(header, 0);  // file time
  header.push_back(entry.version);
  header.push_back(entry.method);
  put16(header, nameSize);
  put32(header, 0x20);  // attributes
  header.insert(header.end(), entry.name.begin(), entry.name.end());

  std::uint32_t crc = archive::crc32(header.data(), header.size()) & 0xFFFF;
  if (entry.breakHeaderCrc) crc ^= 0x5A5A;
  put16(blocks_, crc);
  blocks_.insert(blocks_.end(), header.begin(), header.end());
  blocks_.insert(blocks_.end(), area.begin(), area.end());
  return *this;
}

ArchiveBuilder& ArchiveBuilder::addBlock(std::uint8_t type, const Bytes& data) {
  put16(blocks_, 0);
  blocks_.push_back(type);
  put16(blocks_, data.empty() ? 0 : 0x8000);
  put16(blocks_, 11);
  put32(blocks_, std::uint32_t(data.size()));
  blocks_.insert(blocks_.end(), data.begin(), data.end());
  return *this;
}

Bytes ArchiveBuilder::bytes() const {
  Bytes out = marker_;
  put16(out, 0);  // header CRC: not checked
  out.push_back(0x73);
  put16(out, mainFlags_);
  put16(out, mainHeaderSize_);
  put16(out, 0);
  put32(out, 0);
  if (mainHeaderSize_ > 13) out.resize(out.size() + mainHeaderSize_ - 13, 0);
  out.insert(out.end(), blocks_.begin(), blocks_.end());
  return out;
}

void ArchiveBuilder::writeTo(const std::string& path) const {
  const Bytes data = bytes();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  std::fwrite(data.data(), 1, data.size(), file);
  std::fclose(file);
}

void BitWriter::put(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (used_ == 8) {
      bytes_.push_back(0);
      used_ = 0;
    }
    if ((value >> i) & 1) bytes_.back() |= std::uint8_t(0x80 >> used_);
    ++used_;
  }
}

Bytes BitWriter::bytes() const { return bytes_; }

CodeBook::CodeBook(const std::vector<int>& lengths) : lengths_(lengths), codes_(lengths.size()) {
  int count[16] = {};
  for (int l : lengths) ++count[l];
  count[0] = 0;
  std::uint32_t next[16] = {};
  std::uint32_t code = 0;
  for (int l = 1; l < 16; ++l) {
    code = (code + std::uint32_t(count[l - 1])) << 1;
    next[l] = code;
  }
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) codes_[s] = next[lengths[s]]++;
}

void CodeBook::put(BitWriter& out, int symbol) const {
  if (lengths_.at(std::size_t(symbol)) == 0) throw std::logic_error("symbol has no code");
  out.put(codes_[std::size_t(symbol)], lengths_[std::size_t(symbol)]);
}

void writeTables(BitWriter& out, const TableLengths& tables, const TableLengths* previous) {
  out.put(0, 1);                  // not audio
  out.put(previous ? 1 : 0, 1);   // keep the previous lengths for the deltas
  for (int i = 0; i < 16; ++i) out.put(4, 4);
  for (int i = 16; i < 19; ++i) out.put(0, 4);
  std::vector<int> all = tables.main;
  all.insert(all.end(), tables.dist.begin(), tables.dist.end());
  all.insert(all.end(), tables.repLen.begin(), tables.repLen.end());
  std::vector<int> before(all.size(), 0);
  if (previous) {
    before = previous->main;
    before.insert(before.end(), previous->dist.begin(), previous->dist.end());
    before.insert(before.end(), previous->repLen.begin(), previous->repLen.end());
  }
  // With all sixteen length codes four bits long, symbol s has the code s.
  for (std::size_t i = 0; i < all.size(); ++i) out.put(std::uint32_t((all[i] - before[i]) & 15), 4);
}

}  // namespace archive_testing
