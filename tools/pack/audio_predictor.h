// The reader's multimedia filter, run forwards: for each byte of a channel the writer
// computes the same prediction the reader will and sends the prediction error instead of the
// byte. Both sides must adapt their weights identically, so this mirrors the reader's
// arithmetic exactly (signed intermediate values, full-integer previous sample).
#pragma once

#include <array>
#include <cstdint>

namespace pack {

struct AudioChannel {
  std::array<int, 5> weight{};  // W1..W5
  std::array<int, 4> history{};  // H1..H4
  int prevDelta = 0;
  std::array<std::uint32_t, 11> errorSum{};
  std::uint32_t sampleCount = 0;
  int prevSample = 0;
};

struct AudioState {
  std::array<AudioChannel, 4> channels{};
  int crossDelta = 0;
  int channelIndex = 0;

  // The coded value that makes the reader produce `byte` on `channel`; advances the state as
  // the reader will when it decodes that value.
  std::uint8_t encode(int channel, std::uint8_t byte);
};

}  // namespace pack
