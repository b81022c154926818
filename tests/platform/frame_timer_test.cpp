#include "platform/frame_timer.h"

#include <gtest/gtest.h>

namespace {

class FrameTimerTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::useVirtualCounter(kFrequency); }
  void TearDown() override { platform::useRealCounter(); }
  static constexpr std::int64_t kFrequency = 3'579'545;  // an odd, real-world counter rate
};

TEST_F(FrameTimerTest, ClocksCountMillisecondsFromTheirOrigins) {
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  EXPECT_DOUBLE_EQ(platform::demoClockMs(), 0.0);
  platform::advanceVirtualCounter(kFrequency / 2);
  const double expected = static_cast<double>(kFrequency / 2) / (kFrequency * 0.001);
  EXPECT_DOUBLE_EQ(platform::demoClockMs(), expected);
  EXPECT_DOUBLE_EQ(platform::effectClockMs(), expected);
}

TEST_F(FrameTimerTest, ReadingsKeepTheirFractionOfAMillisecond) {
  platform::timerInit();
  platform::resetDemoClock();
  platform::advanceVirtualCounter(1);
  const double ms = platform::demoClockMs();
  EXPECT_GT(ms, 0.0);
  EXPECT_LT(ms, 0.001);
}

TEST_F(FrameTimerTest, ResettingOneClockLeavesTheOtherAlone) {
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  platform::advanceVirtualCounter(kFrequency);  // one second
  platform::resetEffectClock();
  EXPECT_NEAR(platform::demoClockMs(), 1000.0, 1e-9);
  EXPECT_DOUBLE_EQ(platform::effectClockMs(), 0.0);
  platform::advanceVirtualCounter(kFrequency);
  platform::resetDemoClock();
  EXPECT_NEAR(platform::effectClockMs(), 1000.0, 1e-9);
  EXPECT_DOUBLE_EQ(platform::demoClockMs(), 0.0);
}

TEST_F(FrameTimerTest, FrameDeltaMeasuresFromThePreviousReading) {
  platform::timerInit();
  platform::advanceVirtualCounter(kFrequency / 100);
  EXPECT_NEAR(platform::frameDeltaMs(), 10.0f, 0.001f);  // measured from timerInit
  EXPECT_FLOAT_EQ(platform::frameDeltaMs(), 0.0f);       // nothing in between
  platform::advanceVirtualCounter(kFrequency / 50);
  const float delta = platform::frameDeltaMs();
  EXPECT_NEAR(delta, 20.0f, 0.001f);
  EXPECT_FLOAT_EQ(platform::lastFrameDeltaMs(), delta);
  // The delta clock is not moved by the other two.
  platform::resetDemoClock();
  platform::resetEffectClock();
  platform::advanceVirtualCounter(kFrequency / 100);
  EXPECT_NEAR(platform::frameDeltaMs(), 10.0f, 0.001f);
}

TEST(FrameRateCounter, FramesStartOnTheRateExactlyAndSubFramesFallBetween) {
  struct Case {
    platform::FrameRate rate;
    double frameMs;
  };
  for (const Case c : {Case{{30, 1}, 100.0 / 3}, Case{{60000, 1001}, 1001.0 / 60}, Case{{24000, 1001}, 1001.0 / 24}}) {
    platform::useFrameRateCounter(c.rate);
    EXPECT_DOUBLE_EQ(platform::virtualFrameMs(), c.frameMs);  // the step a seek replays by
    platform::timerInit();
    platform::resetDemoClock();
    // A quarter of the way, then three quarters, then on: the next frame's start, not beyond.
    for (int frame = 0; frame < 100000; ++frame) {
      if (frame % 997 == 0) {
        platform::setVirtualFramePhase(0.25);
        platform::setVirtualFramePhase(0.75);
        EXPECT_NEAR(platform::demoClockMs(), (frame + 0.75) * c.frameMs, 1e-6);
      }
      platform::advanceVirtualFrame();
    }
    // 100000 frames on: no drift from the rate (the counter's frame is a whole count).
    EXPECT_NEAR(platform::demoClockMs(), 100000 * c.frameMs, 1e-6) << c.rate.num << "/" << c.rate.den;
  }
  platform::useRealCounter();
}

TEST(FrameTimerReal, ConsecutiveDeltasAreNearZeroAndTheClockIsAFraction) {
  platform::useRealCounter();
  platform::timerInit();
  platform::frameDeltaMs();
  EXPECT_LT(platform::frameDeltaMs(), 1.0f);
  platform::resetDemoClock();
  const double now = platform::demoClockMs();
  EXPECT_GE(now, 0.0);
  EXPECT_LT(now, 5.0);
}

}  // namespace
