// A whole song as one long grid of rows, written with musician's helpers (phrases in note
// names, drum strings, chords), then cut into patterns at section boundaries.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "it_writer.h"

namespace musickit {

constexpr int kRowsPerBeat = 4;
constexpr int kRowsPerBar = 16;

// A note name with octave ("D5", "Bb4", "F#3") as an IT note (C5 = 60); -1 if malformed.
int noteNumber(std::string_view name);

struct Chord {
  int root;                   // bass note, octave 3 (D3 = 38)
  std::array<int, 3> tones;   // close voicing around octave 4
};
// Chords by name: "Dm", "C", "Bb", "A", "F", "Gm", "Eb", "Am".
Chord chord(std::string_view name);

class Score {
 public:
  Score(int channels, int rows);

  int channels() const { return channels_; }
  int rows() const { return rows_; }
  ItCell& at(int row, int channel);

  // Cells outside the grid are ignored, so a phrase running past the end is cut there.
  void note(int channel, int row, int note, int instrument, int volume = -1);
  void off(int channel, int row);
  void volume(int channel, int row, int volume);
  void effect(int channel, int row, char letter, int parameter);

  // "A4 6 D5 2 - 4 E5 4": note names (or '-' for a rest) each followed by a length in rows.
  // A note is released at its end unless another note starts there. Returns the rows used.
  int phrase(int channel, int row, int instrument, int volume, std::string_view text, int transpose = 0);

  // One character per row, repeated over `rows`: 'X' accent, 'x' normal, 'o' soft, '.' none.
  void beat(int channel, int row, int rows, int instrument, std::string_view hits, double level = 1.0, int pitch = 60);

  // Copies the notes of channel `from` in rows [first, last) onto channel `to`, `delay`
  // rows later and at `gain` times their volume: an echo on a channel of its own.
  void echo(int from, int to, int first, int last, int delay, double gain);

  // The cells as patterns of at most 64 rows (never fewer than 32) that never straddle a
  // section start; identical patterns are stored once.
  void toPatterns(const std::vector<int>& sectionStarts, std::vector<ItPattern>& patterns,
                  std::vector<std::uint8_t>& orders) const;

 private:
  int channels_;
  int rows_;
  std::vector<ItCell> cells_;
};

}  // namespace musickit
