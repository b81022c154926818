// Deterministic noise: integer hashing only, so every run (and every machine) gives the
// same pictures. A period > 0 makes the noise repeat after that many lattice cells, which
// is what tiling textures need.
#pragma once

#include <cstdint>

namespace showkit {

std::uint32_t hash32(std::uint32_t x);
// Uniform 0..1 from integer coordinates and a seed.
float hashUnit(int x, int y, std::uint32_t seed);
float hashUnit3(int x, int y, int z, std::uint32_t seed);

// Smooth value noise in 0..1.
float valueNoise(float x, float y, std::uint32_t seed, int periodX = 0, int periodY = 0);
float valueNoise3(float x, float y, float z, std::uint32_t seed);

// Sums of octaves (each twice the frequency, `gain` times the amplitude), normalised to 0..1.
// With periods the sum tiles after periodX x periodY units of the first octave.
float fbm(float x, float y, int octaves, std::uint32_t seed, int periodX = 0, int periodY = 0,
          float gain = 0.5f);
float fbm3(float x, float y, float z, int octaves, std::uint32_t seed, float gain = 0.5f);

// Cellular noise: distances to the nearest and second-nearest feature point (one per cell)
// and the id of the nearest cell.
struct Cells {
  float f1 = 0, f2 = 0;
  std::uint32_t id = 0;
};
Cells cellNoise(float x, float y, std::uint32_t seed, int periodX = 0, int periodY = 0);

}  // namespace showkit
