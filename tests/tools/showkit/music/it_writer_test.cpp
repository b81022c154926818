// The module writer, read back through libopenmpt: counts, packed cells, sample playback,
// instrument envelopes and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

#include "it_writer.h"

namespace musickit {
namespace {

ItSample sineSample(double hertz, int frames, std::uint32_t rate) {
  ItSample s;
  s.name = "sine";
  s.c5Speed = rate;
  for (int i = 0; i < frames; ++i)
    s.pcm.push_back(static_cast<std::int16_t>(std::lround(20000 * std::sin(2 * std::numbers::pi * hertz * i / rate))));
  return s;
}

ItModule smallModule(int channels, int patterns, int samples, int instruments) {
  ItModule m;
  m.channels = channels;
  for (int i = 0; i < samples; ++i) m.samples.push_back(sineSample(441, 400, 44100));
  for (int i = 0; i < instruments; ++i) {
    ItInstrument ins;
    ins.name = "ins" + std::to_string(i);
    ins.sample = 1 + i % samples;
    m.instruments.push_back(ins);
  }
  for (int p = 0; p < patterns; ++p) {
    ItPattern pattern(32 + p, channels);
    pattern.at(0, channels - 1) = {static_cast<std::uint8_t>(48 + p), 1, 40, 0, 0};
    m.patterns.push_back(pattern);
  }
  for (int p = patterns - 1; p >= 0; --p) m.orders.push_back(static_cast<std::uint8_t>(p));
  m.orders.push_back(0);
  return m;
}

std::vector<std::int16_t> render(openmpt::module& mod, double seconds) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * 44100));
  std::size_t done = 0;
  while (done < out.size()) {
    const std::size_t n = mod.read(44100, out.size() - done, out.data() + done);
    if (n == 0) break;
    done += n;
  }
  out.resize(done);
  return out;
}

double rms(const std::vector<std::int16_t>& pcm, double from, double to) {
  const auto a = static_cast<std::size_t>(from * 44100), b = std::min(pcm.size(), static_cast<std::size_t>(to * 44100));
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += double(pcm[i]) * pcm[i];
  return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

TEST(ItWriter, CountsReadBackThroughLibopenmpt) {
  struct Case {
    int channels, patterns, samples, instruments;
  };
  for (const Case c : {Case{1, 1, 1, 0}, Case{4, 3, 2, 0}, Case{18, 7, 5, 5}, Case{64, 12, 9, 3}}) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.instruments) + " instruments");
    const ItModule m = smallModule(c.channels, c.patterns, c.samples, c.instruments);
    const ItEncoding e = encodeIt(m);
    ASSERT_TRUE(e.error.empty()) << e.error;
    openmpt::module mod(e.bytes);
    EXPECT_EQ(mod.get_num_orders(), static_cast<int>(m.orders.size()));
    EXPECT_EQ(mod.get_num_patterns(), c.patterns);
    EXPECT_EQ(mod.get_num_samples(), c.samples);
    EXPECT_EQ(mod.get_num_instruments(), c.instruments);
    EXPECT_EQ(mod.get_num_channels(), c.channels);
    for (int p = 0; p < c.patterns; ++p) EXPECT_EQ(mod.get_pattern_num_rows(p), 32 + p);
    EXPECT_EQ(mod.get_metadata("warnings"), "");
  }
}

TEST(ItWriter, WorkedExamplePacksToTheDocumentedBytes) {
  ItPattern p(64, 1);
  p.at(0, 0) = {60, 1, 64, effectLetter('T'), 0x80};
  p.at(1, 0) = p.at(0, 0);  // everything repeated: all four reuse bits, a new mask
  p.at(2, 0) = p.at(0, 0);  // same mask again: no mask byte at all
  p.at(3, 0) = {62, 1, 64, 0, 0};
  std::vector<std::uint8_t> expected{0x81, 0x0F, 0x3C, 0x01, 0x40, 0x14, 0x80, 0x00,  // row 0
                                     0x81, 0xF0, 0x00,                                // row 1
                                     0x01, 0x00,                                      // row 2
                                     0x81, 0x61, 0x3E, 0x00};                         // row 3
  expected.insert(expected.end(), 60, 0x00);
  EXPECT_EQ(packPattern(p), expected);
  p.cells.pop_back();  // a grid that lies about its size is refused, not overrun
  EXPECT_TRUE(packPattern(p).empty());
}

// What libopenmpt shows for a volume-column byte: its letter and its value.
std::pair<char, int> volumeColumn(std::uint8_t v) {
  if (v <= 64) return {'v', v};
  if (v <= 74) return {'a', v - 65};
  if (v <= 84) return {'b', v - 75};
  if (v <= 94) return {'c', v - 85};
  if (v <= 104) return {'d', v - 95};
  if (v <= 114) return {'e', v - 105};
  if (v <= 124) return {'f', v - 115};
  if (v >= 128 && v <= 192) return {'p', v - 128};
  if (v >= 193 && v <= 202) return {'g', v - 193};
  return {'h', v - 203};
}

ItCell randomCell(std::mt19937& rng, const ItCell& previous, int instruments) {
  std::uniform_int_distribution<int> pick(0, 99);
  if (pick(rng) < 35) return {};
  if (pick(rng) < 30) return previous;  // exact repeats exercise the reuse bits
  ItCell c;
  const int noteKind = pick(rng);
  if (noteKind < 60) c.note = static_cast<std::uint8_t>(pick(rng) * 119 / 99);
  else if (noteKind < 65) c.note = kNoteOff;
  else if (noteKind < 70) c.note = kNoteCut;
  else if (noteKind < 73) c.note = kNoteFade;
  else if (noteKind < 85) c.note = previous.note;
  if (pick(rng) < 60) c.instrument = static_cast<std::uint8_t>(1 + pick(rng) % instruments);
  static constexpr std::uint8_t kVolumes[] = {0, 64, 33, 65, 74, 80, 90, 100, 110, 120, 128, 160, 192, 193, 202, 203, 212};
  if (pick(rng) < 50) c.volume = kVolumes[pick(rng) % std::size(kVolumes)];
  if (pick(rng) < 50) {
    static constexpr char kLetters[] = "ADEFGHJKMNOPRSVWX";
    c.effect = effectLetter(kLetters[pick(rng) % (std::size(kLetters) - 1)]);
    c.parameter = static_cast<std::uint8_t>(pick(rng) % 4 == 0 ? previous.parameter : pick(rng) * 255 / 99);
  }
  return c;
}

TEST(ItWriter, PackedCellsReadBackAtTheirRowsAndChannels) {
  std::mt19937 rng(20261208);
  ItModule m;
  m.channels = 12;
  for (int i = 0; i < 6; ++i) m.samples.push_back(sineSample(441, 64, 44100));
  // Two patterns: the channels' memory must start afresh in the second.
  for (int rows : {64, 200}) {
    ItPattern p(rows, m.channels);
    for (int ch = 0; ch < m.channels; ++ch) {
      ItCell previous{40, 2, 30, effectLetter('D'), 0x0F};
      for (int r = 0; r < rows; ++r) {
        p.at(r, ch) = randomCell(rng, previous, 6);
        if (!p.at(r, ch).empty()) previous = p.at(r, ch);
      }
    }
    m.patterns.push_back(p);
  }
  m.patterns[1].at(0, 3) = m.patterns[0].at(63, 3);
  m.orders = {0, 1};
  const ItEncoding e = encodeIt(m);
  ASSERT_TRUE(e.error.empty()) << e.error;
  openmpt::module mod(e.bytes);
  int checked = 0;
  for (int pat = 0; pat < 2; ++pat) {
    const ItPattern& p = m.patterns[static_cast<std::size_t>(pat)];
    ASSERT_EQ(mod.get_pattern_num_rows(pat), p.rows);
    for (int r = 0; r < p.rows; ++r) {
      for (int ch = 0; ch < m.channels; ++ch) {
        SCOPED_TRACE("pattern " + std::to_string(pat) + " row " + std::to_string(r) + " channel " + std::to_string(ch));
        const ItCell& c = p.at(r, ch);
        const auto get = [&](int what) { return mod.get_pattern_row_channel_command(pat, r, ch, what); };
        const auto text = [&](int what) { return mod.format_pattern_row_channel_command(pat, r, ch, what); };
        const int note = c.note == kNoNote ? 0 : c.note <= 119 ? c.note + 1 : c.note == kNoteFade ? 253 : c.note;
        EXPECT_EQ(get(openmpt::module::command_note), note);
        EXPECT_EQ(get(openmpt::module::command_instrument), c.instrument);
        if (c.volume == kNoVolume) {
          EXPECT_EQ(get(openmpt::module::command_volumeffect), 0);
        } else {
          const auto [letter, value] = volumeColumn(c.volume);
          EXPECT_EQ(text(openmpt::module::command_volumeffect), std::string(1, letter));
          EXPECT_EQ(get(openmpt::module::command_volume), value);
        }
        if (c.effect == 0) {
          EXPECT_EQ(get(openmpt::module::command_effect), 0);
        } else {
          EXPECT_EQ(text(openmpt::module::command_effect), std::string(1, static_cast<char>('A' + c.effect - 1)));
          EXPECT_EQ(get(openmpt::module::command_parameter), c.parameter);
        }
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, 264 * 12);
}

TEST(ItWriter, SamplesPlayAtTheirC5SpeedAndLoop) {
  // 441 Hz stored at 22050 frames a second, one 0.1 s looped stretch: C-5 plays 441 Hz for
  // as long as the note lasts, C-6 an octave higher.
  ItModule m;
  m.channels = 1;
  ItSample s = sineSample(441, 2205, 22050);
  s.loop = true;
  s.loopBegin = 0;
  s.loopEnd = 2205;
  m.samples.push_back(s);
  ItPattern p(32, 1);
  p.at(0, 0) = {60, 1, 64, 0, 0};
  p.at(16, 0) = {72, 1, 64, 0, 0};
  m.patterns.push_back(p);
  m.orders = {0};
  const ItEncoding e = encodeIt(m);
  ASSERT_TRUE(e.error.empty()) << e.error;
  openmpt::module mod(e.bytes);
  const std::vector<std::int16_t> pcm = render(mod, 3.84);
  auto crossings = [&](double from, double to) {
    int n = 0;
    for (auto i = static_cast<std::size_t>(from * 44100); i + 1 < static_cast<std::size_t>(to * 44100); ++i)
      n += (pcm[i] < 0) != (pcm[i + 1] < 0);
    return n;
  };
  ASSERT_GE(pcm.size(), static_cast<std::size_t>(3.8 * 44100));
  // Rows 0-15 last 1.92 s; one second well inside each half.
  EXPECT_NEAR(crossings(0.4, 1.4), 882, 6);
  EXPECT_NEAR(crossings(2.3, 3.3), 1764, 8);
  EXPECT_GT(rms(pcm, 1.6, 1.9), 1000.0);  // still sounding long after the 0.1 s of data
}

TEST(ItWriter, InstrumentEnvelopeSustainsUntilNoteOffThenFades) {
  ItModule m;
  m.channels = 1;
  ItSample s = sineSample(441, 4410, 44100);
  s.loop = true;
  s.loopEnd = 4410;
  m.samples.push_back(s);
  ItInstrument ins;
  ins.name = "env";
  ins.volumeEnvelope = {{0, 0}, {64, 6}, {32, 12}};
  ins.sustainNode = 2;
  ins.fadeOut = 128;  // silent 8 ticks after the note off
  m.instruments.push_back(ins);
  ItPattern p(64, 1);
  p.at(0, 0) = {60, 1, 64, 0, 0};
  p.at(32, 0) = {kNoteOff, 0, kNoVolume, 0, 0};
  m.patterns.push_back(p);
  m.orders = {0};
  const ItEncoding e = encodeIt(m);
  ASSERT_TRUE(e.error.empty()) << e.error;
  openmpt::module mod(e.bytes);
  const std::vector<std::int16_t> pcm = render(mod, 7.6);
  double peakOfEnvelope = 0;  // near tick 6
  for (double t = 0; t < 0.4; t += 0.005) peakOfEnvelope = std::max(peakOfEnvelope, rms(pcm, t, t + 0.01));
  const double held = rms(pcm, 1.0, 3.7);               // sustain at half the peak
  EXPECT_NEAR(held / peakOfEnvelope, 0.5, 0.1);
  EXPECT_LT(rms(pcm, 0.0, 0.01), held);                 // the attack starts from silence
  EXPECT_LT(rms(pcm, 4.2, 7.5), 5.0);                   // faded out after the note off
}

TEST(ItWriter, MessageAndNamesAreStored) {
  ItModule m = smallModule(2, 1, 1, 0);
  m.name = "A song name";
  m.samples[0].name = "first sample";
  m.message = "line one\nline two";
  const ItEncoding e = encodeIt(m);
  ASSERT_TRUE(e.error.empty()) << e.error;
  openmpt::module mod(e.bytes);
  EXPECT_EQ(mod.get_metadata("title"), "A song name");
  EXPECT_EQ(mod.get_metadata("message_raw"), "line one\nline two");
  EXPECT_EQ(mod.get_sample_names().at(0), "first sample");
}

TEST(ItWriter, RefusesModulesOutsideTheFormat) {
  const ItModule good = smallModule(4, 2, 2, 2);
  ASSERT_TRUE(encodeIt(good).error.empty());
  std::vector<std::pair<std::string, ItModule>> bad;
  auto add = [&](const std::string& what, auto change) {
    ItModule m = good;
    change(m);
    bad.emplace_back(what, m);
  };
  add("no channels", [](ItModule& m) { m.channels = 0; });
  add("65 channels", [](ItModule& m) { m.channels = 65; });
  add("100 samples", [](ItModule& m) { m.samples.resize(100, m.samples[0]); });
  add("201 patterns", [](ItModule& m) { m.patterns.resize(201, m.patterns[0]); });
  add("no orders", [](ItModule& m) { m.orders.clear(); });
  add("order past the patterns", [](ItModule& m) { m.orders.push_back(2); });
  add("31 rows", [](ItModule& m) { m.patterns[0] = ItPattern(31, 4); });
  add("201 rows", [](ItModule& m) { m.patterns[0] = ItPattern(201, 4); });
  add("pattern wider than the song", [](ItModule& m) { m.patterns[0] = ItPattern(32, 5); });
  add("cell for a missing instrument", [](ItModule& m) { m.patterns[0].at(1, 1).instrument = 3; });
  add("note 120", [](ItModule& m) { m.patterns[0].at(1, 1).note = 120; });
  add("volume column 213", [](ItModule& m) { m.patterns[0].at(1, 1).volume = 213; });
  add("effect 27", [](ItModule& m) { m.patterns[0].at(1, 1).effect = 27; });
  add("loop past the data", [](ItModule& m) {
    m.samples[1].loop = true;
    m.samples[1].loopEnd = static_cast<std::uint32_t>(m.samples[1].pcm.size() + 1);
  });
  add("empty loop", [](ItModule& m) {
    m.samples[1].loop = true;
    m.samples[1].loopBegin = m.samples[1].loopEnd = 10;
  });
  add("instrument without its sample", [](ItModule& m) { m.instruments[1].sample = 3; });
  add("envelope ticks going back", [](ItModule& m) { m.instruments[0].volumeEnvelope = {{0, 5}, {64, 5}}; });
  add("sustain past the envelope", [](ItModule& m) {
    m.instruments[0].volumeEnvelope = {{0, 0}, {64, 5}};
    m.instruments[0].sustainNode = 2;
  });
  add("tempo 31", [](ItModule& m) { m.initialTempo = 31; });
  add("message of 8000 bytes", [](ItModule& m) { m.message.assign(8000, 'x'); });
  add("pattern over 64 KiB", [](ItModule& m) {
    m.channels = 64;
    ItPattern p(200, 64);
    // Every value changes from row to row, so no cell packs below six bytes.
    for (int r = 0; r < 200; ++r)
      for (int ch = 0; ch < 64; ++ch)
        p.at(r, ch) = {static_cast<std::uint8_t>(r % 100), static_cast<std::uint8_t>(1 + r % 2),
                       static_cast<std::uint8_t>(r % 60), 4, static_cast<std::uint8_t>(r)};
    m.patterns[0] = p;
  });
  for (const auto& [what, m] : bad) {
    const ItEncoding e = encodeIt(m);
    EXPECT_FALSE(e.error.empty()) << what;
    EXPECT_TRUE(e.bytes.empty()) << what;
  }
}

}  // namespace
}  // namespace musickit
