#include "demo/timeline.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "support/gl_context.h"

namespace {

class TimelineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl.ok());
    platform::settings = platform::Settings{};
    platform::settings.letterboxHeight = 59;
    demo::script = demo::ScriptState{};
    platform::useVirtualCounter(kFrequency);
    platform::timerInit();
  }
  void TearDown() override { platform::useRealCounter(); }
  static constexpr std::int64_t kFrequency = 1'000'000;  // one count per microsecond
  testing_support::GlTestContext gl{640, 480};
};

TEST_F(TimelineTest, FirstFrameLoadsAndStartsTheClocksAtZero) {
  platform::advanceVirtualCounter(5 * kFrequency);  // time spent before the first frame
  demo::runFrame();
  EXPECT_EQ(demo::script.sceneState, 0);
  EXPECT_DOUBLE_EQ(platform::demoClockMs(), 0.0);
  EXPECT_FLOAT_EQ(demo::script.frameDelta, 0.0f) << "loading time is not part of the first delta";
}

TEST_F(TimelineTest, EveryFrameClearsAndLetterboxesThePicture) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  demo::runFrame();
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[0], 0);
  EXPECT_EQ(box[1], 59);
  EXPECT_EQ(box[2], 640);
  EXPECT_EQ(box[3], 362);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << "the scissor is off again when the frame ends";
  const auto pixels = gl.readPixels();
  for (size_t i = 0; i < pixels.size(); i += 4 * 97) ASSERT_EQ(pixels[i] | pixels[i + 1] | pixels[i + 2], 0);
}

TEST_F(TimelineTest, SceneClockAndDeltaFollowTheFrameTime) {
  demo::runFrame();
  platform::advanceVirtualCounter(kFrequency / 50);  // 20 ms
  demo::runFrame();
  EXPECT_NEAR(demo::script.frameDelta, 20.0f, 1e-4f);
  EXPECT_NEAR(demo::script.sceneClock, 2.4f, 1e-4f);
}

TEST_F(TimelineTest, TheShowEndsOnlyAfterItsLastMillisecond) {
  demo::runFrame();
  platform::advanceVirtualCounter(246882 * (kFrequency / 1000));
  demo::runFrame();
  EXPECT_FALSE(platform::settings.demoDone) << "the comparison is strict";
  platform::advanceVirtualCounter(1);
  demo::runFrame();
  EXPECT_TRUE(platform::settings.demoDone);
}

}  // namespace
