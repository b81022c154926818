// Small Impulse Tracker modules for the music tests, written with the kit's writer: one
// looped 16-bit sample, one channel, a note at the start of every pattern, fast rows.
#pragma once

#include <cstdint>
#include <vector>

namespace music_test {

struct ModuleShape {
  int patterns = 3;       // played once each, in order
  int rows = 32;          // rows per pattern
  std::uint8_t speed = 2;  // ticks per row
  std::uint8_t tempo = 255;
};

std::vector<std::uint8_t> buildTestModule(const ModuleShape& shape = {});

// Seconds one row lasts in such a module.
inline double rowSeconds(const ModuleShape& shape) { return shape.speed * 2.5 / shape.tempo; }

}  // namespace music_test
