#include "platform/crt_random.h"

#include <cstdint>

namespace platform {
namespace {
std::uint32_t crtRandState = 1;
}

void crtSrand(unsigned int seed) { crtRandState = seed; }

int crtRand() {
  crtRandState = crtRandState * 214013u + 2531011u;
  return static_cast<int>((crtRandState >> 16) & 0x7fff);
}

}  // namespace platform
