// The soundtrack's synthesized voices: drums, basses, pads, lead, bell, pluck, drone and
// effects, each a 16-bit sample with its instrument (envelope, fade-out, new-note action).
// Everything is computed from code with fixed noise seeds, so the bytes never change.
#pragma once

#include <cstdint>
#include <vector>

#include "it_writer.h"

namespace musickit {

// Instrument numbers as the patterns use them (sample n belongs to instrument n).
enum Voice : std::uint8_t {
  kKick = 1,
  kSnare,
  kClosedHat,
  kOpenHat,
  kTom,
  kCrash,
  kBass,
  kPulseBass,
  kPad,
  kLead,
  kBell,
  kPluck,
  kDrone,
  kRiser,
  kImpact,
  kChoir,
  kVoiceCount = kChoir
};

struct VoiceSet {
  std::vector<ItSample> samples;
  std::vector<ItInstrument> instruments;
};

VoiceSet showVoices();

// Seconds the riser sample takes at C-5, so the score can end it on a downbeat.
double riserSeconds();

}  // namespace musickit
