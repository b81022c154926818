#include "capture/recording_progress.h"

#include <gtest/gtest.h>

namespace {

TEST(RecordingProgress, LineShowsShareRateAndTimeLeftWithTheBarOnlyOnATerminal) {
  const capture::ProgressFigures f{61234.0, 246882.0, 52.4, 151.0};
  EXPECT_EQ(capture::progressLine(f, false), "61.2 s of 246.9 s (24%)  52 fps  2:31 left");
  EXPECT_EQ(capture::progressLine(f, true),
            "[#######.......................]  61.2 s of 246.9 s (24%)  52 fps  2:31 left");
  // Nothing done yet: no estimate; past the end the bar is full, never beyond.
  EXPECT_EQ(capture::progressLine({0.0, 3000.0, 0.0, -1.0}, false), "0.0 s of 3.0 s (0%)  0 fps");
  EXPECT_EQ(capture::progressLine({4000.0, 3000.0, 30.0, 0.0}, true).substr(0, 33),
            "[##############################] ");
}

}  // namespace
