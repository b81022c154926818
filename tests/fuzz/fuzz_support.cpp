#include "fuzz_support.h"

namespace fuzz_support {

void consume(std::span<const std::uint8_t> bytes) {
  volatile std::uint8_t sum = 0;
  for (const std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
}

}  // namespace fuzz_support
