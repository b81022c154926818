#include "platform/crt_random.h"

#include <cstdint>

namespace platform {
namespace {
std::uint32_t crtRandState_ = 1;
}

void crtSrand(unsigned int seed) { crtRandState_ = seed; }

unsigned int crtRandState() { return crtRandState_; }

int crtRand() {
  crtRandState_ = crtRandState_ * 214013u + 2531011u;
  return static_cast<int>((crtRandState_ >> 16) & 0x7fff);
}

}  // namespace platform
