// Most-significant-bit-first bit output, the order in which the reader peeks its 16-bit
// windows.
#pragma once

#include <cstdint>
#include <vector>

namespace pack {

class BitWriter {
 public:
  // Appends the low `count` bits of `value` (count 0..25), highest first.
  void put(std::uint32_t value, int count) {
    if (count == 0) return;
    accumulator_ = (accumulator_ << count) | (value & ((1u << count) - 1));
    pending_ += count;
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
    }
    accumulator_ &= (1ull << pending_) - 1;
  }

  std::uint64_t bitCount() const { return bytes_.size() * 8ull + static_cast<unsigned>(pending_); }

  // Pads the last byte with zero bits and hands the bytes over.
  std::vector<std::uint8_t> finish() {
    if (pending_ > 0) put(0, 8 - pending_);
    return std::move(bytes_);
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint64_t accumulator_ = 0;
  int pending_ = 0;
};

}  // namespace pack
