// The C runtime's rand/srand arithmetic, so that the noise texture and the particles come
// out as they did on the original platform, on every run.
#pragma once

namespace platform {

constexpr int kCrtRandMax = 0x7fff;

void crtSrand(unsigned int seed);
int crtRand();  // 0 .. kCrtRandMax
// The generator's whole state; crtSrand with it puts the generator back there.
unsigned int crtRandState();

}  // namespace platform
