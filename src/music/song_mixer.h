// Inside the music layer: the mix of every song that renders into an output (the audio
// device's callback or the offline recording).
#pragma once

#include <cstddef>
#include <cstdint>

namespace music {

constexpr std::size_t kMixChunkFrames = 1024;

// Renders `frames` stereo frames of the playing songs at `rate` Hz into `stereo`
// (2 x frames values), summed and clipped; silence when nothing plays. Takes the mixer lock.
void mixPlayingSongs(std::int16_t* stereo, std::size_t frames, int rate);

}  // namespace music
