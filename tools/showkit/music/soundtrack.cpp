#include "soundtrack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

#include "score.h"
#include "voices.h"

namespace musickit {

namespace {

// Channels of the score.
enum Channel : int {
  kKickCh,
  kSnareCh,
  kHatCh,
  kPercCh,
  kBassCh,
  kPadCh,    // three channels
  kLeadCh = kPadCh + 3,
  kArpCh,
  kBellCh,
  kDroneCh,
  kFxCh,
  kChoirCh,  // three channels
  kCrashCh = kChoirCh + 3,
  kEchoCh,
  kControlCh,
  kChannelCount
};

constexpr std::array<std::uint8_t, kChannelCount> kPan{32, 29, 42, 22, 32, 12, 32, 52, 27, 44, 18, 32, 32, 20, 40, 48, 38, 50, 32};

constexpr std::array kSections{
    SongSection{"intro", 0.0, 45.0, 96, 288},      SongSection{"tunnel", 45.0, 68.0, 120, 184},
    SongSection{"second level", 68.0, 96.0, 120, 224}, SongSection{"island", 96.0, 138.0, 80, 224},
    SongSection{"final", 138.0, 171.0, 120, 264},  SongSection{"credits", 171.0, 246.0, 96, 480},
};

using Progression = std::vector<std::pair<std::string_view, int>>;  // chord name, rows

Progression bars(std::initializer_list<std::string_view> names, int rowsEach = kRowsPerBar) {
  Progression p;
  for (std::string_view n : names) p.emplace_back(n, rowsEach);
  return p;
}

// Sustained chords on three channels starting at `first`; the last is released at the end.
void chords(Score& s, int row, const Progression& p, int instrument, int first, int vol, int transpose, int volStep = 0) {
  int at = row;
  for (const auto& [name, rows] : p) {
    const Chord c = chord(name);
    for (int v = 0; v < 3; ++v) s.note(first + v, at, c.tones[static_cast<std::size_t>(v)] + transpose, instrument, vol);
    at += rows;
    vol += volStep;
  }
  for (int v = 0; v < 3; ++v) s.off(first + v, at);
}

// Bass from one pattern character per row over each chord: 'R' root, 'r' soft root, 'O'/'o'
// octave up, 'F' fifth, 'L' the root an octave down, '-' release, '.' hold.
void bassLine(Score& s, int row, const Progression& p, std::string_view pattern, int instrument, int vol) {
  int at = row;
  for (const auto& [name, rows] : p) {
    const Chord c = chord(name);
    for (int r = 0; r < rows; ++r) {
      const char ch = pattern[static_cast<std::size_t>(r) % pattern.size()];
      switch (ch) {
        case 'R': s.note(kBassCh, at + r, c.root, instrument, vol); break;
        case 'r': s.note(kBassCh, at + r, c.root, instrument, vol * 2 / 3); break;
        case 'O': s.note(kBassCh, at + r, c.root + 12, instrument, vol); break;
        case 'o': s.note(kBassCh, at + r, c.root + 12, instrument, vol * 2 / 3); break;
        case 'F': s.note(kBassCh, at + r, c.root + 7, instrument, vol * 4 / 5); break;
        case 'L': s.note(kBassCh, at + r, c.root - 12, instrument, vol); break;
        case '-': s.off(kBassCh, at + r); break;
        default: break;
      }
    }
    at += rows;
  }
}

// Broken chords: one note every `step` rows, walking the tone indices (0-2 the chord, 3-5 an
// octave higher).
void arpeggio(Score& s, int channel, int row, const Progression& p, int step, std::string_view order, int instrument,
              int vol, int transpose, int volStep = 0) {
  int at = row;
  std::size_t k = 0;
  for (const auto& [name, rows] : p) {
    const Chord c = chord(name);
    for (int r = 0; r < rows; r += step) {
      const int index = order[k++ % order.size()] - '0';
      const int n = c.tones[static_cast<std::size_t>(index % 3)] + 12 * (index / 3) + transpose;
      s.note(channel, at + r, n, instrument, vol);
    }
    at += rows;
    vol += volStep;
  }
}

// A riser cut at its loudest on `endRow`, given the row length in seconds.
void riserInto(Score& s, int endRow, double rowSeconds, int vol) {
  const int rows = static_cast<int>(std::floor(riserSeconds() / rowSeconds));
  s.note(kFxCh, endRow - rows, 60, kRiser, vol);
  s.note(kFxCh, endRow, kNoteCut, 0);
}

void downbeat(Score& s, int row, int crashVol, int impactVol) {
  if (crashVol > 0) s.note(kCrashCh, row, 60, kCrash, crashVol);
  if (impactVol > 0) s.note(kFxCh, row, 60, kImpact, impactVol);
}

void tempo(Score& s, int row, int bpm) {
  s.effect(kControlCh, row, 'T', bpm);
}

// The main theme, eight bars over Dm C Bb A | Dm F Bb-C Dm.
constexpr std::string_view kThemeA = "A4 6 D5 2 E5 4 F5 4 | E5 6 D5 2 C5 4 A4 4 | Bb4 6 A4 2 G4 4 F4 2 G4 2 | A4 12 - 4";
constexpr std::string_view kThemeB = "A4 6 D5 2 E5 4 F5 2 G5 2 | A5 6 G5 2 F5 4 E5 4 | D5 6 C5 2 Bb4 4 C5 4 | D5 14 - 2";
const Progression kThemeChords{{"Dm", 16}, {"C", 16}, {"Bb", 16}, {"A", 16}, {"Dm", 16}, {"F", 16}, {"Bb", 8}, {"C", 8}, {"Dm", 16}};

void intro(Score& s, int o) {
  const double row = 15.0 / 96;
  tempo(s, o, 96);
  s.effect(kControlCh, o + 2, 'V', 0x80);
  // Bars 0-7: drone and distant voices, a bell calling from far away.
  s.note(kDroneCh, o, 38, kDrone, 30);
  s.volume(kDroneCh, o + 8 * 16, 40);
  s.off(kDroneCh, o + 272);
  chords(s, o, {{"Dm", 32}, {"Bb", 32}, {"Gm", 32}, {"A", 32}}, kChoir, kChoirCh, 20, 0, 4);
  s.phrase(kBellCh, o + 2 * 16, kBell, 26, "A5 4 D6 4 E6 4 F6 20 | - 32");
  s.phrase(kBellCh, o + 4 * 16 + 8, kBell, 22, "D6 4 C6 4 A5 24 | - 4 B5 4 A5 8 G5 8 F5 4 E5 8");
  // Bars 8-15: the band gathers; the theme's first half at bar 12.
  const Progression second = bars({"Dm", "Bb", "Gm", "A", "Dm", "C", "Bb", "A"});
  chords(s, o + 128, second, kChoir, kChoirCh, 34, 0);
  chords(s, o + 128, second, kPad, kPadCh, 18, 12, 2);
  bassLine(s, o + 128, second, "R.......r.......", kBass, 34);
  arpeggio(s, kArpCh, o + 128, second, 2, "02341432", kPluck, 16, 12, 2);
  s.beat(kHatCh, o + 160, 96, kClosedHat, "..o...o...o...ox", 0.8);
  s.beat(kKickCh, o + 192, 64, kKick, "x.......x.......", 0.8);
  s.phrase(kLeadCh, o + 192, kLead, 34, kThemeA);
  s.phrase(kBellCh, o + 176, kBell, 20, "F6 8 E6 8 | - 16 | A6 16");
  // Bars 16-17: the build into the tunnel.
  const Progression build = bars({"Bb", "A"});
  chords(s, o + 256, build, kPad, kPadCh, 36, 12, 6);
  chords(s, o + 256, build, kChoir, kChoirCh, 38, 0);
  bassLine(s, o + 256, build, "R.o.R.o.R.o.R.o.", kBass, 40);
  s.beat(kKickCh, o + 256, 32, kKick, "x...x...x...x...", 0.9);
  for (int r = 0; r < 32; ++r) {
    const bool sixteenths = r >= 16;
    if (sixteenths || r % 2 == 0) s.note(kSnareCh, o + 256 + r, 60, kSnare, 14 + r * 3 / 2);
  }
  s.phrase(kPercCh, o + 280, kTom, 50, "G5 2 E5 2 C5 2 A4 2");
  s.phrase(kLeadCh, o + 256, kLead, 38, "D5 8 E5 8 | C#5 16");
  riserInto(s, o + 288, row, 44);
}

void tunnel(Score& s, int o) {
  const double row = 15.0 / 120;
  tempo(s, o, 120);
  downbeat(s, o, 50, 56);
  const Progression p = bars({"Dm", "C", "Bb", "C", "Dm", "C", "Bb", "A", "Dm", "C", "Bb"});
  const int full = 11 * 16;
  s.beat(kKickCh, o, full, kKick, "X...x...X...x...");
  for (int b = 0; b < 11; ++b) {
    const bool fill = b % 4 == 3;
    s.beat(kSnareCh, o + b * 16, 16, kSnare, fill ? "....X.......X.ox" : "....X.......X...", 0.9);
    s.beat(kHatCh, o + b * 16, 16, kClosedHat, b < 2 ? "o.x.o.x.o.x.o.x." : "oox.oox.oox.oxxo", 0.85);
    if (b % 2 == 1) s.note(kPercCh, o + b * 16 + 14, 60, kOpenHat, 30);
  }
  bassLine(s, o, p, "R.RoR.RoR.RoR.Ro", kBass, 44);
  arpeggio(s, kArpCh, o, p, 1, "0124", kPluck, 22, 12);
  chords(s, o + 64, Progression(p.begin() + 4, p.end()), kPad, kPadCh, 26, 12);
  // Lead riff from bar 4, two bars a phrase.
  const int lead = o + 64;
  s.phrase(kLeadCh, lead, kLead, 40, "D5 3 D5 3 F5 2 A5 3 G5 3 F5 2 | E5 3 E5 3 G5 2 C6 4 A5 4");
  s.phrase(kLeadCh, lead + 32, kLead, 40, "D5 3 D5 3 F5 2 Bb5 3 A5 3 F5 2 | E5 3 C#5 3 E5 2 A5 8");
  s.phrase(kLeadCh, lead + 64, kLead, 44, "D6 3 D6 3 C6 2 A5 3 G5 3 F5 2 | E5 3 E5 3 G5 2 C6 4 E6 4");
  s.phrase(kLeadCh, lead + 96, kLead, 44, "F6 6 D6 2 Bb5 8");
  chords(s, o + 128, bars({"Dm", "C", "Bb"}), kChoir, kChoirCh, 30, 12);
  // Half a bar of fill: snare roll and falling toms into the second level.
  for (int r = 0; r < 8; ++r) s.note(kSnareCh, o + full + r, 60, kSnare, 30 + r * 4);
  s.phrase(kPercCh, o + full, kTom, 54, "C6 2 A5 2 F5 2 D5 2");
  bassLine(s, o + full, {{"A", 8}}, "R.R.R.R.", kBass, 44);
  s.phrase(kLeadCh, o + full, kLead, 40, "A5 8");
  riserInto(s, o + 184, row, 40);
}

void secondLevel(Score& s, int o) {
  const double row = 15.0 / 120;
  tempo(s, o, 120);
  downbeat(s, o, 34, 60);
  const Progression p = bars({"Dm", "Dm", "Eb", "Dm", "Gm", "Gm", "Eb", "A", "Dm", "Eb", "Dm", "Gm", "Eb", "A"});
  s.note(kDroneCh, o, 38, kDrone, 44);
  s.off(kDroneCh, o + 208);
  bassLine(s, o, p, "R.o.r.R.o.r.R.o.", kPulseBass, 52);
  chords(s, o, p, kChoir, kChoirCh, 30, 0);
  for (int b = 0; b < 13; ++b) {
    s.beat(kKickCh, o + b * 16, 16, kKick, b % 4 == 3 ? "X.........X..x.x" : "X.........X.....");
    s.beat(kSnareCh, o + b * 16, 16, kSnare, b % 2 ? "........X.....o." : "........X.......", 0.85);
    s.beat(kHatCh, o + b * 16, 16, kClosedHat, b < 4 ? "..o...o...o...o." : "ooxoooxoooxoooxo", 0.7);
  }
  // Eerie bell stabs a tritone apart.
  for (int b : {1, 5, 9}) s.phrase(kBellCh, o + b * 16 + 4, kBell, 30, "A5 4 - 4 Eb6 4 - 4 | D6 16");
  // A low, slow line from bar 4, then the pads' dark colour.
  s.phrase(kLeadCh, o + 64, kLead, 30, "D5 8 Eb5 8 | D5 16 | G4 8 Bb4 8 | A4 16 | D5 8 F5 8 | Eb5 16 | D5 8 C#5 8 | D5 16");
  chords(s, o + 128, Progression(p.begin() + 8, p.end()), kPad, kPadCh, 22, 12, 1);
  // Last bar: tom fill and a riser into the island.
  const int last = o + 13 * 16;
  s.beat(kKickCh, last, 8, kKick, "X...x...");
  s.phrase(kPercCh, last + 8, kTom, 56, "C6 1 A5 1 F5 2 D5 2 A4 2");
  for (int r = 0; r < 8; ++r) s.note(kSnareCh, last + r * 2, 60, kSnare, 20 + r * 5);
  riserInto(s, o + 224, row, 38);
}

void island(Score& s, int o) {
  const double row = 15.0 / 80;
  tempo(s, o, 80);
  downbeat(s, o, 26, 0);
  const Progression p = bars({"F", "C", "Dm", "Bb", "F", "C", "Bb", "C", "Dm", "Bb", "F", "C", "Bb", "C"});
  chords(s, o, p, kPad, kPadCh, 26, 12);
  chords(s, o, p, kChoir, kChoirCh, 30, 0);
  arpeggio(s, kArpCh, o, p, 2, "01234543", kPluck, 26, 12);
  bassLine(s, o, p, "R.......r...o...", kBass, 36);
  s.beat(kKickCh, o + 32, 192, kKick, "x.......o.......", 0.8);
  s.beat(kHatCh, o + 32, 192, kClosedHat, "o.x.o.x.o.x.o.xo", 0.55);
  s.beat(kSnareCh, o + 64, 160, kSnare, "........o.......", 0.9);
  // Sea sparkle, then a calm, singing melody.
  s.phrase(kBellCh, o, kBell, 22, "C6 4 F6 4 A6 8 | - 16 | D6 4 F6 4 A6 8 | - 8 G6 8");
  s.phrase(kLeadCh, o + 64, kLead, 34,
           "A5 8 G5 4 F5 4 | G5 12 E5 4 | F5 8 D5 8 | E5 14 - 2 | "
           "D5 4 E5 4 F5 8 | D5 8 Bb4 8 | C5 4 F5 4 A5 8 | G5 14 - 2 | F5 8 D5 8 | E5 12 - 4");
  s.phrase(kBellCh, o + 128, kBell, 18, "A6 16 | F6 16 | C6 16 | E6 16");
  riserInto(s, o + 224, row, 30);
}

void finale(Score& s, int o) {
  const double row = 15.0 / 120;
  tempo(s, o, 120);
  downbeat(s, o, 40, 62);
  // First eight bars swell: voices enter one by one and grow.
  chords(s, o, kThemeChords, kPad, kPadCh, 24, 12, 3);
  chords(s, o, kThemeChords, kChoir, kChoirCh, 26, 0, 2);
  bassLine(s, o, kThemeChords, "R.......R.......", kBass, 42);
  for (int b = 0; b < 8; ++b) s.beat(kKickCh, o + b * 16, 16, kKick, "x...x...x...x...", 0.55 + 0.06 * b);
  arpeggio(s, kArpCh, o + 32, Progression(kThemeChords.begin() + 2, kThemeChords.end()), 2, "0123", kPluck, 18, 12, 2);
  s.beat(kHatCh, o + 64, 64, kClosedHat, "o.x.o.x.o.x.o.x.", 0.7);
  s.beat(kSnareCh, o + 64, 64, kSnare, "....x.......x...", 0.8);
  s.phrase(kLeadCh, o, kLead, 38, kThemeA);
  s.phrase(kLeadCh, o + 64, kLead, 42, kThemeB);
  // Bars 8-15: everything, the theme an octave up and the bells doubling it.
  const int full = o + 128;
  downbeat(s, full, 52, 48);
  s.note(kCrashCh, full + 64, 60, kCrash, 44);
  chords(s, full, kThemeChords, kPad, kPadCh, 40, 12);
  chords(s, full, kThemeChords, kChoir, kChoirCh, 38, 12);
  bassLine(s, full, kThemeChords, "R.o.R.o.R.o.R.oF", kBass, 46);
  s.beat(kKickCh, full, 128, kKick, "X...x...X...x...");
  for (int b = 0; b < 8; ++b) {
    s.beat(kSnareCh, full + b * 16, 16, kSnare, b == 7 ? "....X...X.x.XxXX" : "....X.......X...", 0.95);
    s.beat(kHatCh, full + b * 16, 16, kClosedHat, "oxXooxXooxXooxXo", 0.8);
  }
  arpeggio(s, kArpCh, full, kThemeChords, 1, "0124", kPluck, 24, 12);
  s.phrase(kLeadCh, full, kLead, 46, kThemeA, 12);
  s.phrase(kLeadCh, full + 64, kLead, 48, kThemeB, 12);
  s.phrase(kBellCh, full, kBell, 22, kThemeA, 12);
  s.phrase(kBellCh, full + 64, kBell, 22, kThemeB, 12);
  s.phrase(kPercCh, full + 120, kTom, 56, "C6 2 A5 2 F5 2 D5 2");
  // Half a bar: a rising roll into the credits.
  const int tail = o + 256;
  for (int r = 0; r < 8; ++r) s.note(kSnareCh, tail + r, 60, kSnare, 34 + r * 4);
  bassLine(s, tail, {{"A", 8}}, "R.R.R.R.", kBass, 46);
  chords(s, tail, {{"A", 8}}, kPad, kPadCh, 44, 12);
  riserInto(s, o + 264, row, 42);
}

void credits(Score& s, int o) {
  tempo(s, o, 96);
  downbeat(s, o, 44, 50);
  // Bars 0-7: the theme once more with a lighter band.
  chords(s, o, kThemeChords, kPad, kPadCh, 34, 12);
  chords(s, o, kThemeChords, kChoir, kChoirCh, 30, 0);
  bassLine(s, o, kThemeChords, "R.......R...o...", kBass, 40);
  s.beat(kKickCh, o, 128, kKick, "x.......x.......", 0.85);
  s.beat(kHatCh, o, 128, kClosedHat, "..x...x...x...xo", 0.7);
  s.beat(kSnareCh, o + 16, 112, kSnare, "........o.......");
  s.phrase(kLeadCh, o, kLead, 38, kThemeA);
  s.phrase(kLeadCh, o + 64, kLead, 36, kThemeB);
  // Bars 8-15: the drums thin out; bells and plucks carry the theme.
  const int b8 = o + 128;
  chords(s, b8, kThemeChords, kPad, kPadCh, 30, 12, -1);
  chords(s, b8, kThemeChords, kChoir, kChoirCh, 28, 0);
  bassLine(s, b8, kThemeChords, "R...............", kBass, 34);
  s.beat(kHatCh, b8, 128, kClosedHat, "..o...o...o...o.", 0.7);
  arpeggio(s, kArpCh, b8, kThemeChords, 2, "012345", kPluck, 24, 12, -1);
  s.phrase(kBellCh, b8, kBell, 30, kThemeA, 12);
  s.phrase(kBellCh, b8 + 64, kBell, 28, kThemeB, 12);
  // Bars 16-23: only voices, drone and the intro's bell call.
  const int b16 = o + 256;
  const Progression calm = bars({"Dm", "Bb", "F", "C", "Dm", "Bb", "Gm", "A"});
  s.note(kDroneCh, b16, 38, kDrone, 32);
  chords(s, b16, calm, kChoir, kChoirCh, 30, 0);
  chords(s, b16, calm, kPad, kPadCh, 24, 12, -1);
  bassLine(s, b16, calm, "r...............", kBass, 30);
  s.phrase(kBellCh, b16 + 16, kBell, 24, "A5 4 D6 4 E6 4 F6 20 | - 16 | D6 4 C6 4 A5 24");
  arpeggio(s, kArpCh, b16, calm, 4, "0132", kPluck, 18, 12, -1);
  // Bars 24-29: the last chords and a long fade.
  const int b24 = o + 384;
  chords(s, b24, {{"Bb", 16}, {"A", 16}, {"Dm", 64}}, kChoir, kChoirCh, 30, 0, -2);
  chords(s, b24, {{"Bb", 16}, {"A", 16}, {"Dm", 64}}, kPad, kPadCh, 20, 12, -2);
  s.note(kBassCh, b24, 34, kBass, 26);
  s.note(kBassCh, b24 + 16, 33, kBass, 24);
  s.note(kBassCh, b24 + 32, 38, kBass, 22);
  s.phrase(kBellCh, b24 + 32, kBell, 22, "A5 8 D6 8 F6 32");
  for (int r = 448; r < 480; ++r) s.effect(kControlCh, o + r, 'W', 0x01);
}

}  // namespace

std::span<const SongSection> soundtrackSections() { return kSections; }

ItModule soundtrackModule() {
  int total = 0;
  std::vector<int> starts;
  for (const SongSection& section : kSections) {
    starts.push_back(total);
    total += section.rows;
  }
  Score score(kChannelCount, total);
  intro(score, starts[0]);
  tunnel(score, starts[1]);
  secondLevel(score, starts[2]);
  island(score, starts[3]);
  finale(score, starts[4]);
  credits(score, starts[5]);
  // Bells answered from the other side a dotted eighth later; the island's melody too.
  score.echo(kBellCh, kEchoCh, 0, starts[3] + 64, 3, 0.45);
  score.echo(kBellCh, kEchoCh, starts[4], total, 3, 0.45);
  score.echo(kLeadCh, kEchoCh, starts[3] + 64, starts[4], 3, 0.4);

  ItModule m;
  m.name = "Tolvek";
  m.initialSpeed = 6;
  m.initialTempo = static_cast<std::uint8_t>(kSections[0].tempo);
  m.mixVolume = 52;
  m.channels = kChannelCount;
  for (int ch = 0; ch < kChannelCount; ++ch) m.channelPan[static_cast<std::size_t>(ch)] = kPan[static_cast<std::size_t>(ch)];
  VoiceSet voices = showVoices();
  m.samples = std::move(voices.samples);
  m.instruments = std::move(voices.instruments);
  score.toPatterns(starts, m.patterns, m.orders);
  m.message =
      "Tolvek soundtrack\n"
      "Written by the Tolvek content kit: every voice synthesized, every note placed by code.\n"
      "intro 0:00, tunnel 0:45, second level 1:08, island 1:36, final 2:18, credits 2:51";
  return m;
}

std::vector<std::uint8_t> soundtrackFile(std::string* error) {
  ItEncoding e = encodeIt(soundtrackModule());
  if (error) *error = e.error;
  return std::move(e.bytes);
}

}  // namespace musickit
