// Shared pieces of the archiver tests: extraction through the demo's reader and crafted
// contents that force particular symbols.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pack/archive_writer.h"

namespace pack_testing {

using Bytes = std::vector<std::uint8_t>;

// The entry through archive::extractFile; nothing when it reports failure (and then checks
// that it handed out no buffer and size 0).
std::optional<Bytes> extract(const std::string& archivePath, const std::string& entry, const char* password = nullptr);

// Writes the archive, failing the test with the writer's message when that does not work.
void writeOrFail(pack::ArchiveWriter& writer, const std::string& path);

Bytes concat(std::initializer_list<Bytes> parts);

// Builds data byte by byte: random bytes, or copies from a distance back (overlapping like
// the reader's copy, so distance 1 repeats the last byte).
class Crafted {
 public:
  explicit Crafted(std::uint64_t seed) : state_(seed | 1) {}
  Crafted& random(size_t count);
  Crafted& zeros(size_t count);
  Crafted& byte(std::uint8_t value);
  Crafted& copy(std::uint32_t distance, size_t length);
  // Overwrites the bytes at [size - back, size - back + count) with random ones, so that a
  // later copy from there has no nearer twin.
  Crafted& scramble(std::uint32_t back, size_t count);
  std::uint8_t randomByte();
  size_t size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  std::uint64_t state_;
};

}  // namespace pack_testing
