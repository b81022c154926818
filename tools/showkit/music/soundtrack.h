// The show's soundtrack, music.it: an original piece in D minor whose sections follow the
// scenes (the song starts 4.2 s into the show, so scene times are 4.2 s later than these).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "it_writer.h"

namespace musickit {

struct SongSection {
  std::string_view name;
  double start;  // seconds of song time
  double end;
  int tempo;     // at speed 6: one row is 15 / tempo seconds, 16 rows a bar
  int rows;
};

// intro, tunnel, second level, island, final, credits, back to back.
std::span<const SongSection> soundtrackSections();

ItModule soundtrackModule();

// The encoded file; empty when the writer refuses the module (the reason goes to `error`).
std::vector<std::uint8_t> soundtrackFile(std::string* error = nullptr);

}  // namespace musickit
