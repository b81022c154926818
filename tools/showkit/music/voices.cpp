#include "voices.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace musickit {

namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kC5 = 261.6255653;
// Looped voices store whole cycles: one C cycle of the voice's home octave is
// 168 << (5 - octave) frames, played back near 44.1 kHz in that octave.
constexpr int kCycleC5 = 168;
constexpr double kRiserSeconds = 3.6;

int cycleFrames(int homeOctave) { return kCycleC5 << (5 - homeOctave); }
std::uint32_t c5SpeedFor(int homeOctave) {
  return static_cast<std::uint32_t>(std::lround(kC5 * kCycleC5)) << (5 - homeOctave);
}

// Small fixed-seed generator: the same noise on every run and every machine.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
  }

 private:
  std::uint32_t state_;
};

struct OnePole {
  double a, y = 0.0;
  explicit OnePole(double cutoff) : a(1.0 - std::exp(-kTwoPi * cutoff / kRate)) {}
  double low(double x) { return y += a * (x - y); }
  double high(double x) { return x - low(x); }
};

std::vector<std::int16_t> toPcm(const std::vector<double>& wave, double peak = 0.92) {
  double top = 1e-9;
  for (double v : wave) top = std::max(top, std::abs(v));
  std::vector<std::int16_t> pcm(wave.size());
  const double scale = peak * 32767.0 / top;
  for (std::size_t i = 0; i < wave.size(); ++i) pcm[i] = static_cast<std::int16_t>(std::lround(wave[i] * scale));
  return pcm;
}

// A short fade at the end of one-shot voices so a cut-off tail never clicks.
void fadeTail(std::vector<double>& wave, int frames) {
  const int n = std::min<int>(frames, static_cast<int>(wave.size()));
  for (int i = 0; i < n; ++i) wave[wave.size() - 1 - i] *= std::pow(static_cast<double>(i) / n, 2.0);
}

// Band-limited oscillators over a loop of `length` frames: each oscillator makes a whole
// number of cycles in the loop, so the loop joins without a click; detuning comes from
// neighbouring cycle counts. Harmonic h has weight shape(h) and is dropped above `maxHarmonic`.
struct Oscillator {
  int cycles;
  double gain;
  double phase;
};

template <typename Shape>
std::vector<double> additiveLoop(int length, const std::vector<Oscillator>& oscillators, int maxHarmonic, Shape shape) {
  std::vector<double> wave(static_cast<std::size_t>(length), 0.0);
  for (const Oscillator& osc : oscillators) {
    for (int h = 1; h <= maxHarmonic; ++h) {
      const double weight = shape(h) * osc.gain;
      if (weight == 0.0) continue;
      // Rotate a phasor instead of calling sin per frame.
      const double step = kTwoPi * static_cast<double>(osc.cycles) * h / length;
      const double cs = std::cos(step), sn = std::sin(step);
      double re = std::cos(osc.phase * h), im = std::sin(osc.phase * h);
      for (int i = 0; i < length; ++i) {
        wave[static_cast<std::size_t>(i)] += weight * im;
        const double nre = re * cs - im * sn;
        im = re * sn + im * cs;
        re = nre;
      }
    }
  }
  return wave;
}

ItSample looped(const char* name, std::vector<double> wave, int homeOctave) {
  ItSample s;
  s.name = name;
  s.pcm = toPcm(wave);
  s.c5Speed = c5SpeedFor(homeOctave);
  s.loop = true;
  s.loopBegin = 0;
  s.loopEnd = static_cast<std::uint32_t>(s.pcm.size());
  return s;
}

ItSample oneShot(const char* name, std::vector<double> wave, std::uint32_t c5Speed = 44100, int fade = 256) {
  fadeTail(wave, fade);
  ItSample s;
  s.name = name;
  s.pcm = toPcm(wave);
  s.c5Speed = c5Speed;
  return s;
}

std::vector<double> frames(double seconds) { return std::vector<double>(static_cast<std::size_t>(seconds * kRate), 0.0); }

ItSample kick() {
  std::vector<double> w = frames(0.55);
  Noise noise(11);
  double phase = 0.0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    phase += kTwoPi * (46.0 + 120.0 * std::exp(-t / 0.035)) / kRate;
    const double body = std::sin(phase) * std::exp(-t / 0.28);
    const double click = noise.next() * std::exp(-t / 0.002) * 0.5;
    w[i] = std::tanh(1.6 * body) + click;
  }
  return oneShot("kick", std::move(w));
}

ItSample snare() {
  std::vector<double> w = frames(0.4);
  Noise noise(23);
  OnePole hp(900.0), lp(7000.0);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double tone = (std::sin(kTwoPi * 185.0 * t) + 0.5 * std::sin(kTwoPi * 330.0 * t)) * std::exp(-t / 0.05);
    const double hiss = lp.low(hp.high(noise.next())) * std::exp(-t / 0.12);
    w[i] = 0.55 * tone + 1.2 * hiss;
  }
  return oneShot("snare", std::move(w));
}

ItSample hat(const char* name, double seconds, double decay, std::uint32_t seed) {
  std::vector<double> w = frames(seconds);
  Noise noise(seed);
  OnePole hp1(6000.0), hp2(6000.0);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    // Two squares at an inharmonic ratio give the hiss a metallic edge.
    const double metal = (std::sin(kTwoPi * 3100.0 * t) > 0 ? 0.3 : -0.3) + (std::sin(kTwoPi * 4730.0 * t) > 0 ? 0.25 : -0.25);
    w[i] = hp2.high(hp1.high(noise.next() + metal)) * std::exp(-t / decay);
  }
  return oneShot(name, std::move(w));
}

ItSample tom() {
  std::vector<double> w = frames(0.6);
  Noise noise(37);
  double phase = 0.0;
  OnePole lp(2000.0);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    phase += kTwoPi * (98.0 + 60.0 * std::exp(-t / 0.06)) / kRate;
    w[i] = std::sin(phase) * std::exp(-t / 0.22) + 0.25 * lp.low(noise.next()) * std::exp(-t / 0.03);
  }
  return oneShot("tom", std::move(w));
}

ItSample crash() {
  std::vector<double> w = frames(2.4);
  Noise noise(41);
  OnePole hp(3500.0), lp(12000.0);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double ring = 0.2 * std::sin(kTwoPi * 5230.0 * t + 3.0 * std::sin(kTwoPi * 7410.0 * t));
    w[i] = lp.low(hp.high(noise.next() + ring)) * (std::exp(-t / 0.7) + 0.5 * std::exp(-t / 0.05));
  }
  return oneShot("crash", std::move(w));
}

ItSample riser() {
  std::vector<double> w = frames(kRiserSeconds);
  Noise noise(53);
  double low = 0.0, band = 0.0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double u = t / kRiserSeconds;
    const double cutoff = 220.0 * std::pow(30.0, u);  // 220 Hz up to 6.6 kHz
    const double f = 2.0 * std::sin(std::numbers::pi * cutoff / kRate);
    const double x = noise.next();
    low += f * band;
    const double high = x - low - 0.35 * band;
    band += f * high;
    w[i] = band * (0.05 + u * u) * (1.0 + 0.15 * std::sin(kTwoPi * (2.0 + 10.0 * u) * t));
  }
  return oneShot("riser", std::move(w), 44100, 2000);
}

ItSample impact() {
  std::vector<double> w = frames(2.0);
  Noise noise(67);
  OnePole lp(400.0);
  double phase = 0.0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    phase += kTwoPi * (32.0 + 50.0 * std::exp(-t / 0.25)) / kRate;
    w[i] = std::sin(phase) * std::exp(-t / 0.7) + 0.6 * lp.low(noise.next()) * std::exp(-t / 0.3);
  }
  return oneShot("impact", std::move(w));
}

ItSample bell() {
  std::vector<double> w = frames(2.6);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    // Frequency modulation at a non-integer ratio gives the bell's inharmonic partials.
    const double index = 2.2 * std::exp(-t / 0.5);
    const double fm = std::sin(kTwoPi * kC5 * t + index * std::sin(kTwoPi * kC5 * 3.5 * t));
    const double hum = 0.3 * std::sin(kTwoPi * kC5 * 2.01 * t) * std::exp(-t / 0.4);
    w[i] = (fm * std::exp(-t / 0.9) + hum) * std::min(1.0, t / 0.002);
  }
  return oneShot("bell", std::move(w));
}

ItSample pluck() {
  // Karplus-Strong string: a burst of filtered noise recirculated through an averaging delay.
  constexpr int kDelay = kCycleC5;
  std::vector<double> w = frames(1.4);
  Noise noise(79);
  OnePole lp(5000.0);
  std::vector<double> line(kDelay + 1);
  for (double& v : line) v = lp.low(noise.next());
  for (std::size_t i = 0; i < w.size(); ++i) {
    const std::size_t a = i % line.size(), b = (i + 1) % line.size();
    const double out = line[a];
    line[a] = 0.4985 * (line[a] + line[b]);
    w[i] = out;
  }
  // The averaging delay sounds half a frame longer than it is.
  return oneShot("pluck", std::move(w), static_cast<std::uint32_t>(std::lround(kC5 * (kDelay + 1.5))));
}

double lowPassWeight(double frequency, double cutoff) { return 1.0 / std::sqrt(1.0 + std::pow(frequency / cutoff, 4.0)); }

ItSample bass() {
  const int cycle = cycleFrames(2);  // home octave 2 (C-2 = 32.7 Hz)
  const double base = kC5 / 8.0;
  // A saw through a soft low-pass with its fundamental reinforced.
  std::vector<double> w = additiveLoop(cycle * 16, {{16, 1.0, 0.0}}, 48, [&](int h) {
    const double saw = 1.0 / h;
    return saw * lowPassWeight(base * h, 700.0);
  });
  std::vector<double> sub = additiveLoop(cycle * 16, {{16, 1.0, 0.0}}, 1, [](int) { return 0.5; });
  for (std::size_t i = 0; i < w.size(); ++i) w[i] += sub[i];
  return looped("bass", std::move(w), 2);
}

ItSample pulseBass() {
  const int cycle = cycleFrames(2);
  const double base = kC5 / 8.0;
  std::vector<double> w = additiveLoop(cycle * 8, {{8, 1.0, 0.0}}, 40, [&](int h) {
    const double square = (h % 2 == 1) ? 1.0 / h : 0.15 / h;
    return square * lowPassWeight(base * h, 420.0);
  });
  return looped("pulse bass", std::move(w), 2);
}

ItSample pad() {
  // Five saws a few cents apart (254..258 cycles in a loop of 256 cycles).
  const int length = cycleFrames(4) * 256;
  const double base = kC5 / 2.0;
  std::vector<Oscillator> osc{{254, 0.8, 0.0}, {255, 1.0, 1.1}, {256, 1.0, 2.3}, {257, 1.0, 4.0}, {258, 0.8, 5.2}};
  std::vector<double> w = additiveLoop(length, osc, 28, [&](int h) { return (1.0 / h) * lowPassWeight(base * h, 1600.0); });
  return looped("pad", std::move(w), 4);
}

ItSample choir() {
  // Softer, rounder ensemble: mostly low harmonics, wider detune.
  const int length = cycleFrames(4) * 256;
  const double base = kC5 / 2.0;
  std::vector<Oscillator> osc{{253, 0.7, 0.3}, {255, 1.0, 1.7}, {256, 1.0, 0.0}, {257, 1.0, 2.9}, {259, 0.7, 4.4}};
  std::vector<double> w = additiveLoop(length, osc, 12, [&](int h) {
    const double formant = 1.0 + 1.5 * std::exp(-std::pow((base * h - 800.0) / 300.0, 2.0));
    return formant / (h * h);
  });
  return looped("choir", std::move(w), 4);
}

ItSample lead() {
  const int length = cycleFrames(5) * 128;
  const double base = kC5;
  std::vector<Oscillator> osc{{127, 0.5, 2.1}, {128, 1.0, 0.0}, {129, 0.5, 1.3}};
  std::vector<double> w = additiveLoop(length, osc, 24, [&](int h) {
    const double mix = (h % 2 == 1) ? 1.0 / h : 0.55 / h;  // between saw and square
    return mix * lowPassWeight(base * h, 3200.0);
  });
  ItSample s = looped("lead", std::move(w), 5);
  s.vibratoSpeed = 10;
  s.vibratoDepth = 5;
  s.vibratoRate = 30;
  return s;
}

ItSample drone() {
  const int length = cycleFrames(2) * 64;
  const double base = kC5 / 8.0;
  // Root between two slowly beating copies, and a fifth, all dark.
  std::vector<Oscillator> osc{{63, 0.6, 1.0}, {64, 1.0, 0.0}, {65, 0.6, 2.5}, {96, 0.5, 2.0}};
  std::vector<double> w = additiveLoop(length, osc, 20, [&](int h) { return (1.0 / h) * lowPassWeight(base * h, 260.0); });
  return looped("drone", std::move(w), 2);
}

ItInstrument instrument(const char* name, int sample, std::uint8_t nna, std::uint16_t fadeOut,
                        std::vector<EnvelopeNode> envelope = {}, int sustain = -1) {
  ItInstrument ins;
  ins.name = name;
  ins.sample = sample;
  ins.newNoteAction = nna;
  ins.fadeOut = fadeOut;
  ins.volumeEnvelope = std::move(envelope);
  ins.sustainNode = sustain;
  return ins;
}

constexpr std::uint8_t kCut = 0, kContinue = 1, kFade = 3;

}  // namespace

double riserSeconds() { return kRiserSeconds; }

VoiceSet showVoices() {
  VoiceSet set;
  set.samples = {kick(),  snare(), hat("closed hat", 0.15, 0.03, 29), hat("open hat", 0.6, 0.22, 31),
                 tom(),   crash(), bass(),  pulseBass(), pad(),  lead(),
                 bell(),  pluck(), drone(), riser(),     impact(), choir()};
  set.instruments = {
      instrument("kick", kKick, kCut, 0),
      instrument("snare", kSnare, kCut, 0),
      instrument("closed hat", kClosedHat, kCut, 0),
      instrument("open hat", kOpenHat, kCut, 0),
      instrument("tom", kTom, kContinue, 0),
      instrument("crash", kCrash, kContinue, 0),
      instrument("bass", kBass, kCut, 40, {{0, 0}, {64, 1}, {50, 8}, {44, 30}}, 3),
      instrument("pulse bass", kPulseBass, kCut, 64, {{64, 0}, {40, 3}, {30, 10}}, 2),
      instrument("pad", kPad, kFade, 6, {{0, 0}, {64, 45}, {56, 90}}, 2),
      instrument("lead", kLead, kFade, 20, {{0, 0}, {64, 2}, {50, 14}}, 2),
      instrument("bell", kBell, kContinue, 0),
      instrument("pluck", kPluck, kContinue, 0),
      instrument("drone", kDrone, kFade, 4, {{0, 0}, {64, 90}}, 1),
      instrument("riser", kRiser, kCut, 0),
      instrument("impact", kImpact, kContinue, 0),
      instrument("choir", kChoir, kFade, 5, {{0, 0}, {64, 60}}, 1),
  };
  return set;
}

}  // namespace musickit
