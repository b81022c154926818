#include "archive_damage.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "pack/huffman_code.h"

namespace archive_testing {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes build(pack::ArchiveWriter& writer) {
  auto bytes = writer.buildArchive();
  EXPECT_TRUE(bytes.has_value()) << writer.error();
  return bytes.value_or(Bytes{});
}

Bytes storedArchive(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& password) {
  pack::ArchiveWriter writer({.password = password, .solid = false, .store = true});
  for (const auto& [name, text] : entries) EXPECT_TRUE(writer.addEntry(name, bytesOf(text))) << writer.error();
  return build(writer);
}

std::size_t fileHeaderAt(const Bytes& bytes, int n) {
  const auto main = archive::readMainHeader(std::span(bytes).subspan(archive::kMarker.size()).first<archive::kMainHeaderSize>());
  std::uint64_t at = archive::kMarker.size() + main.size;
  for (;;) {
    if (at + archive::kFileHeaderSize > bytes.size()) throw std::out_of_range("no such file header");
    const auto h = archive::readBlockHeader(std::span(bytes).subspan(at).first<archive::kFileHeaderSize>());
    if (h.type == archive::kFileHeaderType && n-- == 0) return at;
    at = archive::nextBlockStart(at, h);
  }
}

void editFileHeader(Bytes& bytes, int n, const std::function<void(archive::BlockHeader&)>& edit, bool reseal) {
  const std::size_t at = fileHeaderAt(bytes, n);
  const auto fixed = std::span(bytes).subspan(at).first<archive::kFileHeaderSize>();
  archive::BlockHeader h = archive::readBlockHeader(fixed);
  const std::size_t nameSize = h.nameSize;
  edit(h);
  archive::writeBlockHeader(h, fixed);
  if (reseal) {
    const auto name = std::span<const std::uint8_t>(bytes).subspan(at + archive::kFileHeaderSize, nameSize);
    archive::layout::put16(fixed.data(), archive::headerCrc(fixed, name));
  }
}

void renameEntry(Bytes& bytes, int n, const std::string& name) {
  const std::size_t at = fileHeaderAt(bytes, n);
  const auto old = archive::readBlockHeader(std::span(bytes).subspan(at).first<archive::kFileHeaderSize>());
  const auto nameAt = bytes.begin() + static_cast<std::ptrdiff_t>(at + archive::kFileHeaderSize);
  bytes.erase(nameAt, nameAt + old.nameSize);
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at + archive::kFileHeaderSize), name.begin(), name.end());
  editFileHeader(bytes, n, [&](archive::BlockHeader& h) {
    h.nameSize = static_cast<std::uint16_t>(name.size());
    h.size = static_cast<std::uint16_t>(archive::kFileHeaderSize + name.size());
  });
}

void setMainHeaderSize(Bytes& bytes, std::uint16_t size) {
  const auto main = std::span(bytes).subspan(archive::kMarker.size()).first<archive::kMainHeaderSize>();
  archive::MainHeader h = archive::readMainHeader(main);
  const std::size_t end = archive::kMarker.size() + h.size;
  if (size > h.size) bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(end), size - h.size, 0);
  h.size = size;
  archive::writeMainHeader(h, std::span(bytes).subspan(archive::kMarker.size()).first<archive::kMainHeaderSize>());
}

CodeBook::CodeBook(std::span<const std::uint8_t> lengths)
    : lengths_(lengths.begin(), lengths.end()), codes_(pack::canonicalCodes(lengths)) {}

void CodeBook::put(pack::BitWriter& out, int symbol) const {
  if (lengths_.at(static_cast<std::size_t>(symbol)) == 0) throw std::logic_error("symbol has no code");
  out.put(codes_[static_cast<std::size_t>(symbol)], lengths_[static_cast<std::size_t>(symbol)]);
}

}  // namespace archive_testing
