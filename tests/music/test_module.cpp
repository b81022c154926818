#include "test_module.h"

#include <cmath>

#include "it_writer.h"

namespace music_test {

std::vector<std::uint8_t> buildTestModule(const ModuleShape& shape) {
  musickit::ItModule module;
  module.name = "music test";
  module.initialSpeed = shape.speed;
  module.initialTempo = shape.tempo;
  module.channels = 1;

  // A looped, slightly rounded sawtooth: loud from its first frame on.
  musickit::ItSample saw;
  saw.name = "saw";
  constexpr int kFrames = 400;
  for (int i = 0; i < kFrames; ++i) {
    const double phase = static_cast<double>(i) / kFrames;
    saw.pcm.push_back(static_cast<std::int16_t>(std::lround(20000.0 * (1.0 - 2.0 * phase) + 3000.0 * std::sin(6.283 * phase))));
  }
  saw.loop = true;
  saw.loopEnd = kFrames;
  module.samples.push_back(saw);

  // Each pattern sounds one note on its first row, a different one each time.
  for (int p = 0; p < shape.patterns; ++p) {
    musickit::ItPattern pattern(shape.rows, 1);
    pattern.at(0, 0) = {static_cast<std::uint8_t>(48 + 5 * p), 1, 64, 0, 0};
    module.patterns.push_back(pattern);
    module.orders.push_back(static_cast<std::uint8_t>(p));
  }
  return musickit::encodeIt(module).bytes;
}

}  // namespace music_test
