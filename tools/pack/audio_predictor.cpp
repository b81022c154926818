#include "pack/audio_predictor.h"

#include <cstdlib>

namespace pack {

std::uint8_t AudioState::encode(int channel, std::uint8_t byte) {
  AudioChannel& c = channels[static_cast<size_t>(channel)];
  auto& h = c.history;
  auto& w = c.weight;
  c.sampleCount += 1;
  h[3] = h[2];
  h[2] = h[1];
  h[1] = c.prevDelta - h[0];
  h[0] = c.prevDelta;
  int p = 8 * c.prevSample + w[0] * h[0] + w[1] * h[1] + w[2] * h[2] + w[3] * h[3] + w[4] * crossDelta;
  p = (p >> 3) & 0xFF;
  const std::uint8_t delta = static_cast<std::uint8_t>(p - byte);
  const int sample = p - delta;  // equals byte modulo 256, but the reader keeps the full value

  const int e = static_cast<std::int8_t>(delta) * 8;
  auto& err = c.errorSum;
  err[0] += static_cast<std::uint32_t>(std::abs(e));
  err[1] += static_cast<std::uint32_t>(std::abs(e - h[0]));
  err[2] += static_cast<std::uint32_t>(std::abs(e + h[0]));
  err[3] += static_cast<std::uint32_t>(std::abs(e - h[1]));
  err[4] += static_cast<std::uint32_t>(std::abs(e + h[1]));
  err[5] += static_cast<std::uint32_t>(std::abs(e - h[2]));
  err[6] += static_cast<std::uint32_t>(std::abs(e + h[2]));
  err[7] += static_cast<std::uint32_t>(std::abs(e - h[3]));
  err[8] += static_cast<std::uint32_t>(std::abs(e + h[3]));
  err[9] += static_cast<std::uint32_t>(std::abs(e - crossDelta));
  err[10] += static_cast<std::uint32_t>(std::abs(e + crossDelta));

  c.prevDelta = static_cast<std::int8_t>(sample - c.prevSample);
  crossDelta = c.prevDelta;
  c.prevSample = sample;

  if ((c.sampleCount & 31) == 0) {
    int best = 0;
    for (int i = 1; i < 11; ++i)
      if (err[static_cast<size_t>(i)] < err[static_cast<size_t>(best)]) best = i;
    err.fill(0);
    if (best > 0) {
      int& weight = w[static_cast<size_t>((best - 1) / 2)];
      if (best % 2 == 1) {
        if (weight >= -16) --weight;
      } else {
        if (weight < 16) ++weight;
      }
    }
  }
  return delta;
}

}  // namespace pack
