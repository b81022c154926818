// Impulse Tracker module writer: song header, order list, instruments (optional: without
// them the cells' instrument byte selects a sample), samples as 16-bit mono PCM and patterns
// in IT's packed form (channel masks and last-value reuse).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace musickit {

constexpr int kMaxChannels = 64;
constexpr int kMaxSamples = 99;
constexpr int kMaxInstruments = 99;
constexpr int kMaxPatterns = 200;
constexpr int kMinRows = 32;
constexpr int kMaxRows = 200;
constexpr int kMaxOrders = 255;  // pattern entries; the closing 255 makes 256

constexpr std::uint8_t kNoteC5 = 60;
constexpr std::uint8_t kNoteOff = 255;
constexpr std::uint8_t kNoteCut = 254;
constexpr std::uint8_t kNoteFade = 246;
constexpr std::uint8_t kNoNote = 253;     // empty note column (never written)
constexpr std::uint8_t kNoVolume = 255;   // empty volume column (never written)
constexpr std::uint8_t kOrderSkip = 254;

// Effect numbers of the command column (A = 1 ... Z = 26).
constexpr std::uint8_t effectLetter(char letter) { return static_cast<std::uint8_t>(letter - 'A' + 1); }

struct ItCell {
  std::uint8_t note = kNoNote;      // 0-119 (60 = C-5), kNoteOff, kNoteCut, kNoteFade
  std::uint8_t instrument = 0;      // 0 = none, else 1-99
  std::uint8_t volume = kNoVolume;  // raw volume column 0-212 (0-64 volume, 128-192 pan ...)
  std::uint8_t effect = 0;          // 0 = none, else 1-26
  std::uint8_t parameter = 0;

  bool empty() const { return note == kNoNote && instrument == 0 && volume == kNoVolume && effect == 0; }
  bool operator==(const ItCell&) const = default;
};

struct ItPattern {
  int rows = 64;
  int channels = 0;
  std::vector<ItCell> cells;  // rows x channels, row-major

  ItPattern() = default;
  ItPattern(int rowCount, int channelCount)
      : rows(rowCount),
        channels(channelCount),
        cells(static_cast<std::size_t>(std::max(rowCount, 0)) * static_cast<std::size_t>(std::max(channelCount, 0))) {}
  ItCell& at(int row, int channel) { return cells[static_cast<std::size_t>(row) * channels + channel]; }
  const ItCell& at(int row, int channel) const { return cells[static_cast<std::size_t>(row) * channels + channel]; }
  bool operator==(const ItPattern&) const = default;
};

struct ItSample {
  std::string name;
  std::vector<std::int16_t> pcm;  // mono frames
  std::uint32_t c5Speed = 44100;  // frames per second when played at C-5
  bool loop = false;
  bool pingPong = false;
  std::uint32_t loopBegin = 0;
  std::uint32_t loopEnd = 0;      // first frame after the loop
  std::uint8_t globalVolume = 64;
  std::uint8_t defaultVolume = 64;
  int pan = -1;                   // 0-64, or -1 for none
  std::uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0, vibratoWave = 0;
};

struct EnvelopeNode {
  std::int8_t value = 0;  // volume 0-64
  std::uint16_t tick = 0;
};

struct ItInstrument {
  std::string name;
  int sample = 1;                  // every note plays this sample (1-based)
  std::uint8_t newNoteAction = 0;  // 0 cut, 1 continue, 2 note off, 3 fade
  std::uint16_t fadeOut = 0;       // 0-128 per tick of a 1024 fade level
  std::uint8_t globalVolume = 128;
  std::vector<EnvelopeNode> volumeEnvelope;  // empty = off
  int sustainNode = -1;            // node held until note off, -1 none
};

struct ItModule {
  std::string name;
  std::uint8_t initialSpeed = 6;
  std::uint8_t initialTempo = 125;
  std::uint8_t globalVolume = 128;
  std::uint8_t mixVolume = 48;
  std::uint8_t separation = 128;
  int channels = 1;                  // channels in use; the rest are written disabled
  std::array<std::uint8_t, kMaxChannels> channelPan{};     // 0-64 (32 centre)
  std::array<std::uint8_t, kMaxChannels> channelVolume{};  // 0-64
  std::vector<std::uint8_t> orders;  // pattern numbers or kOrderSkip; the closing 255 is added
  std::vector<ItInstrument> instruments;
  std::vector<ItSample> samples;
  std::vector<ItPattern> patterns;
  std::string message;               // lines separated by '\n'

  ItModule() {
    channelPan.fill(32);
    channelVolume.fill(64);
  }
};

struct ItEncoding {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty on success; bytes is empty then
};

// The module as an .it file; refuses modules outside the format's limits (counts, rows,
// orders naming missing patterns, loops outside the sample, packed patterns over 64 KiB).
ItEncoding encodeIt(const ItModule& module);

// One pattern's packed rows (without the 8-byte header), as stored in the file; empty for a
// pattern whose cells do not match its size.
std::vector<std::uint8_t> packPattern(const ItPattern& pattern);

}  // namespace musickit
