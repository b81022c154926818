// The synthesized voices as the player sounds them: tuned voices play their note in tune,
// looped voices join without a step, one-shots die away, drums sit where drums sit.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

#include "voices.h"

namespace musickit {
namespace {

constexpr int kRate = 44100;

// One voice playing `note` for a second, rendered mono by libopenmpt.
std::vector<double> play(Voice voice, int note, double seconds = 1.0) {
  VoiceSet set = showVoices();
  ItModule m;
  m.channels = 1;
  m.samples = std::move(set.samples);
  m.instruments = std::move(set.instruments);
  ItPattern p(64, 1);
  p.at(0, 0) = {static_cast<std::uint8_t>(note), voice, 64, 0, 0};
  m.patterns.push_back(p);
  m.orders = {0};
  const ItEncoding e = encodeIt(m);
  EXPECT_TRUE(e.error.empty()) << e.error;
  openmpt::module mod(e.bytes);
  std::vector<float> out(static_cast<std::size_t>(seconds * kRate));
  std::size_t done = 0;
  while (done < out.size()) {
    const std::size_t n = mod.read(kRate, out.size() - done, out.data() + done);
    if (n == 0) break;
    done += n;
  }
  return std::vector<double>(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(done));
}

double frequencyOf(int note) { return 261.6255653 * std::pow(2.0, (note - 60) / 12.0); }

// The period (in frames) with the best normalized autocorrelation between 0.7 and 1.4 times
// the expected one, refined between frames.
double measuredFrequency(const std::vector<double>& x, double expected, std::size_t from) {
  const double period = kRate / expected;
  const int lo = static_cast<int>(period * 0.7), hi = static_cast<int>(period * 1.4) + 1;
  const std::size_t n = 8192;
  std::vector<double> score(static_cast<std::size_t>(hi + 2), -1.0);
  for (int lag = lo - 1; lag <= hi + 1; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = from; i < from + n; ++i) {
      xy += x[i] * x[i + static_cast<std::size_t>(lag)];
      xx += x[i] * x[i];
      yy += x[i + static_cast<std::size_t>(lag)] * x[i + static_cast<std::size_t>(lag)];
    }
    score[static_cast<std::size_t>(lag)] = xy / std::sqrt(xx * yy + 1e-12);
  }
  int best = lo;
  for (int lag = lo; lag <= hi; ++lag)
    if (score[static_cast<std::size_t>(lag)] > score[static_cast<std::size_t>(best)]) best = lag;
  const double a = score[static_cast<std::size_t>(best - 1)], b = score[static_cast<std::size_t>(best)],
               c = score[static_cast<std::size_t>(best + 1)];
  const double shift = (a - c) / (2 * (a - 2 * b + c));
  return kRate / (best + (std::isfinite(shift) ? shift : 0.0));
}

double cents(double measured, double expected) { return 1200 * std::log2(measured / expected); }

double rms(const std::vector<double>& x, double from, double to) {
  const auto a = static_cast<std::size_t>(from * kRate), b = std::min(x.size(), static_cast<std::size_t>(to * kRate));
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += x[i] * x[i];
  return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

TEST(Voices, TunedVoicesPlayTheirNotesInTune) {
  struct Case {
    Voice voice;
    const char* name;
    int note;
  };
  // Each voice in the register the score uses it in.
  for (const Case c : {Case{kBass, "bass", 38}, Case{kPulseBass, "pulse bass", 33}, Case{kPad, "pad", 62},
                       Case{kChoir, "choir", 53}, Case{kLead, "lead", 69}, Case{kDrone, "drone", 38},
                       Case{kPluck, "pluck", 67}}) {
    SCOPED_TRACE(c.name);
    const std::vector<double> x = play(c.voice, c.note);
    ASSERT_GT(x.size(), 30000u);
    const double expected = frequencyOf(c.note);
    EXPECT_NEAR(cents(measuredFrequency(x, expected, 6000), expected), 0.0, 12.0);
  }
}

TEST(Voices, BellRingsAtItsNote) {
  // The bell's partials are inharmonic; its strongest line near the note is the note itself.
  const std::vector<double> x = play(kBell, 69);
  const auto power = [&](double hz) {
    double re = 0, im = 0;
    for (std::size_t i = 0; i < 16384; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / 16384);
      re += w * x[i + 2000] * std::cos(2 * std::numbers::pi * hz * i / kRate);
      im += w * x[i + 2000] * std::sin(2 * std::numbers::pi * hz * i / kRate);
    }
    return re * re + im * im;
  };
  double bestHz = 0, best = 0;
  for (double hz = 400; hz <= 480; hz += 0.5)
    if (power(hz) > best) best = power(hz), bestHz = hz;
  EXPECT_NEAR(bestHz, 440.0, 2.0);
  EXPECT_GT(best, 4 * power(415.3));  // a clear line, not a smear
}

TEST(Voices, LoopedVoicesJoinWithoutSteps) {
  const VoiceSet set = showVoices();
  int looped = 0;
  for (const ItSample& s : set.samples) {
    if (!s.loop) continue;
    ++looped;
    SCOPED_TRACE(s.name);
    ASSERT_LE(s.loopEnd, s.pcm.size());
    // The step across the loop's seam is no larger than the steps inside the waveform.
    int largest = 0;
    for (std::size_t i = s.loopBegin + 1; i < s.loopEnd; ++i) largest = std::max(largest, std::abs(s.pcm[i] - s.pcm[i - 1]));
    const int seam = std::abs(s.pcm[s.loopBegin] - s.pcm[s.loopEnd - 1]);
    EXPECT_LE(seam, largest);
  }
  EXPECT_GE(looped, 6);
}

TEST(Voices, SamplesUseTheRangeWithoutClippingAndOneShotsEndQuiet) {
  const VoiceSet set = showVoices();
  ASSERT_EQ(set.samples.size(), static_cast<std::size_t>(kVoiceCount));
  ASSERT_EQ(set.instruments.size(), static_cast<std::size_t>(kVoiceCount));
  for (std::size_t i = 0; i < set.samples.size(); ++i) {
    const ItSample& s = set.samples[i];
    SCOPED_TRACE(s.name);
    EXPECT_EQ(set.instruments[i].sample, static_cast<int>(i + 1));
    int peak = 0;
    for (std::int16_t v : s.pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_GT(peak, 24000);
    EXPECT_LT(peak, 32767);
    if (!s.loop) {
      int tail = 0;
      for (std::size_t k = s.pcm.size() - 16; k < s.pcm.size(); ++k) tail = std::max(tail, std::abs(static_cast<int>(s.pcm[k])));
      EXPECT_LT(tail, 200);
    }
  }
}

TEST(Voices, DrumsAreShortAndLowOrHighWhereExpected) {
  const std::vector<double> kick = play(kKick, 60), hat = play(kClosedHat, 60), crash = play(kCrash, 60, 2.0);
  EXPECT_GT(rms(kick, 0.0, 0.1), 20 * rms(kick, 0.6, 0.9));   // the kick stops
  EXPECT_GT(rms(hat, 0.0, 0.05), 20 * rms(hat, 0.2, 0.5));    // the hat is a tick
  EXPECT_GT(rms(crash, 1.0, 1.5), 0.05 * rms(crash, 0.0, 0.2));  // the crash rings on
  // The kick's energy is low: smoothing it over a millisecond keeps most of it; the hat's is not.
  const auto lowShare = [](const std::vector<double>& x) {
    double all = 0, low = 0, avg = 0;
    for (std::size_t i = 0; i < 8000; ++i) {
      avg += (x[i] - avg) * 0.05;
      all += x[i] * x[i];
      low += avg * avg;
    }
    return low / all;
  };
  EXPECT_GT(lowShare(kick), 0.5);
  EXPECT_LT(lowShare(hat), 0.1);
}

}  // namespace
}  // namespace musickit
