// Deterministic sample contents for measuring and checking the archiver: text that reads
// like prose, binary data shaped like the demo's assets, and interleaved audio channels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pack {

std::vector<std::uint8_t> sampleText(std::size_t size, std::uint32_t seed);
std::vector<std::uint8_t> sampleBinary(std::size_t size, std::uint32_t seed);
// `channels` interleaved 8-bit signals (a few sine partials and a little noise each).
std::vector<std::uint8_t> sampleAudio(std::size_t size, int channels, std::uint32_t seed);
std::vector<std::uint8_t> sampleNoise(std::size_t size, std::uint32_t seed);

}  // namespace pack
