#include "pack_test_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/archive_reader.h"

namespace pack_testing {

std::optional<Bytes> extract(const std::string& archivePath, const std::string& entry, const char* password) {
  std::uint8_t* data = reinterpret_cast<std::uint8_t*>(&data);  // must be overwritten
  std::uint32_t size = 0xDEADBEEF;
  const int ok = archive::extractFile(&data, &size, entry.c_str(), archivePath.c_str(), password);
  if (!ok) {
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    return std::nullopt;
  }
  Bytes out(data, data + size);
  std::free(data);
  return out;
}

void writeOrFail(pack::ArchiveWriter& writer, const std::string& path) {
  ASSERT_TRUE(writer.writeArchive(path)) << writer.error();
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::uint8_t Crafted::randomByte() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return static_cast<std::uint8_t>(state_ >> 24);
}

Crafted& Crafted::random(size_t count) {
  for (size_t i = 0; i < count; ++i) bytes_.push_back(randomByte());
  return *this;
}

Crafted& Crafted::zeros(size_t count) {
  bytes_.insert(bytes_.end(), count, 0);
  return *this;
}

Crafted& Crafted::byte(std::uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

Crafted& Crafted::copy(std::uint32_t distance, size_t length) {
  for (size_t i = 0; i < length; ++i) bytes_.push_back(bytes_[bytes_.size() - distance]);
  return *this;
}

Crafted& Crafted::scramble(std::uint32_t back, size_t count) {
  for (size_t i = 0; i < count; ++i) bytes_[bytes_.size() - back + i] = randomByte();
  return *this;
}

}  // namespace pack_testing
