// The show's music.it as a listener would check it without ears: it loads, lasts long
// enough, changes tempo where the scenes change, never clips, never falls silent before the
// end, and its sections differ in level. Rendered once per test process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.hpp>

#include "soundtrack.h"

namespace musickit {
namespace {

constexpr int kRate = 44100;

struct Render {
  std::vector<std::uint8_t> bytes;
  ItModule module;
  double duration = 0;
  int orders = 0, patterns = 0, samples = 0, instruments = 0, channels = 0;
  std::vector<std::int16_t> pcm;   // interleaved stereo
  std::vector<double> tempoAt;     // libopenmpt's tempo at every whole second
};

const Render& render() {
  static const std::unique_ptr<Render> once = [] {
    auto r = std::make_unique<Render>();
    std::string error;
    r->bytes = soundtrackFile(&error);
    EXPECT_TRUE(error.empty()) << error;
    r->module = soundtrackModule();
    if (r->bytes.empty()) return r;
    openmpt::module mod(r->bytes);
    r->duration = mod.get_duration_seconds();
    r->orders = mod.get_num_orders();
    r->patterns = mod.get_num_patterns();
    r->samples = mod.get_num_samples();
    r->instruments = mod.get_num_instruments();
    r->channels = mod.get_num_channels();
    std::vector<std::int16_t> block(2 * kRate);
    for (;;) {
      r->tempoAt.push_back(mod.get_current_tempo());
      const std::size_t n = mod.read_interleaved_stereo(kRate, kRate, block.data());
      if (n == 0) break;
      r->pcm.insert(r->pcm.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * n));
    }
    return r;
  }();
  return *once;
}

double windowRms(const std::vector<std::int16_t>& pcm, double from, double to) {
  const auto a = static_cast<std::size_t>(from * kRate) * 2;
  const auto b = std::min(pcm.size(), static_cast<std::size_t>(to * kRate) * 2);
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) sum += double(pcm[i]) * pcm[i];
  return b > a ? std::sqrt(sum / double(b - a)) : 0.0;
}

double decibels(double rms) { return 20 * std::log10(std::max(rms, 1.0) / 32768.0); }

TEST(Soundtrack, ReadsBackWithTheCountsWritten) {
  const Render& r = render();
  ASSERT_FALSE(r.bytes.empty());
  EXPECT_EQ(r.orders, static_cast<int>(r.module.orders.size()));
  EXPECT_EQ(r.patterns, static_cast<int>(r.module.patterns.size()));
  EXPECT_EQ(r.samples, static_cast<int>(r.module.samples.size()));
  EXPECT_EQ(r.instruments, static_cast<int>(r.module.instruments.size()));
  EXPECT_EQ(r.channels, r.module.channels);
  EXPECT_GE(r.samples, 10);  // drums, basses, pads, lead, bell ...
}

TEST(Soundtrack, LastsTheWholeShow) {
  const Render& r = render();
  EXPECT_GE(r.duration, 243.0);
  EXPECT_LT(r.duration, 250.0);  // and does not run on long after the show ends
  EXPECT_GE(static_cast<double>(r.pcm.size()) / 2 / kRate, 243.0);
}

TEST(Soundtrack, SectionsFollowTheScenesInTime) {
  const Render& r = render();
  const auto sections = soundtrackSections();
  ASSERT_EQ(sections.size(), 6u);
  EXPECT_EQ(sections.front().start, 0.0);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const SongSection& s = sections[i];
    SCOPED_TRACE(std::string(s.name));
    if (i > 0) {
      EXPECT_EQ(s.start, sections[i - 1].end);
    }
    EXPECT_NEAR(s.rows * 15.0 / s.tempo, s.end - s.start, 1e-9);
    EXPECT_EQ(s.rows % 8, 0);  // whole half bars
    // libopenmpt plays the section's tempo from a second after its start to a second before its end.
    for (int t = static_cast<int>(std::ceil(s.start + 1)); t <= static_cast<int>(s.end - 1); ++t) {
      ASSERT_LT(static_cast<std::size_t>(t), r.tempoAt.size());
      ASSERT_EQ(r.tempoAt[static_cast<std::size_t>(t)], s.tempo) << "at " << t << " s";
    }
  }
  const double scenes[] = {45.0, 68.0, 96.0, 138.0, 171.0};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(sections[i].end, scenes[i]);
  EXPECT_GE(sections.back().end, 243.0);
}

TEST(Soundtrack, NeverClipsAndNeverFallsSilentBeforeTheEnd) {
  const Render& r = render();
  ASSERT_FALSE(r.pcm.empty());
  int peak = 0;
  for (std::int16_t v : r.pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
  EXPECT_LT(peak, 32000);
  EXPECT_GT(peak, 8000);
  for (double t = 0; t + 5 <= 240; t += 5) EXPECT_GT(decibels(windowRms(r.pcm, t, t + 5)), -40.0) << "window at " << t << " s";
  for (double t = 0; t + 1 <= 240; t += 1) EXPECT_GT(windowRms(r.pcm, t, t + 1), 30.0) << "second " << t;
}

TEST(Soundtrack, SectionsDifferInLevel) {
  const Render& r = render();
  const auto level = [&](double a, double b) { return decibels(windowRms(r.pcm, a, b)); };
  const double introStart = level(0, 15), introEnd = level(30, 45);
  const double tunnel = level(46, 67), island = level(100, 135), finalPeak = level(155, 170);
  const double creditsEnd = level(225, 240);
  EXPECT_GT(introEnd, introStart + 6) << "the intro builds";
  EXPECT_GT(tunnel, introStart + 6) << "the tunnel drives";
  EXPECT_GT(finalPeak, island + 3) << "the final swells above the calm island";
  EXPECT_LT(creditsEnd, finalPeak - 4) << "the credits wind down";
}

TEST(Soundtrack, BytesAreTheSameOnEveryRun) {
  const Render& r = render();
  EXPECT_EQ(soundtrackFile(), r.bytes);
}

}  // namespace
}  // namespace musickit
