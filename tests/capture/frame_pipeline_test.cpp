// The writer thread's arithmetic: pictures drawn N times larger come out as the mean of their
// N x N blocks, sub-frames as the exact rounded mean, in the recorded frame's row order.
#include "capture/frame_pipeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Runs `pictures` (drawn RGBA, bottom-up) through a pipeline, each completing a frame after
// `perFrame` of them, and returns the frames written.
std::vector<std::vector<std::uint8_t>> throughPipeline(capture::FrameShape shape,
                                                        const std::vector<std::vector<std::uint8_t>>& pictures,
                                                        int perFrame) {
  std::vector<std::vector<std::uint8_t>> frames;
  const std::size_t frameBytes = static_cast<std::size_t>(shape.width) * shape.height * 3;
  capture::FramePipeline pipeline(
      shape, [&](const std::uint8_t* rgb) { return frames.emplace_back(rgb, rgb + frameBytes), true; }, 2);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    std::uint8_t* buffer = pipeline.acquire();
    std::copy(pictures[i].begin(), pictures[i].end(), buffer);
    pipeline.submit(1, (i + 1) % static_cast<std::size_t>(perFrame) == 0);
  }
  EXPECT_TRUE(pipeline.finish());
  EXPECT_EQ(pipeline.framesWritten(), static_cast<int>(frames.size()));
  return frames;
}

TEST(FramePipeline, SubFramesAverageExactlyAndSixteenOfThemDoNotBand) {
  // One 256-wide row of a ramp moving by one level per sub-frame: the mean of 16 steps lands
  // on halves, which round up, and every level stays distinct (no banding).
  const capture::FrameShape shape{256, 1, 1};
  std::vector<std::vector<std::uint8_t>> pictures(16, std::vector<std::uint8_t>(256 * 4));
  for (int k = 0; k < 16; ++k)
    for (int x = 0; x < 256; ++x)
      for (int c = 0; c < 4; ++c) pictures[k][x * 4 + c] = static_cast<std::uint8_t>(std::min(255, x + k));
  const auto frames = throughPipeline(shape, pictures, 16);
  ASSERT_EQ(frames.size(), 1u);
  for (int x = 0; x < 256; ++x) {
    int sum = 0;
    for (int k = 0; k < 16; ++k) sum += std::min(255, x + k);
    ASSERT_EQ(frames[0][x * 3], (sum + 8) / 16) << x;
  }
  EXPECT_EQ(frames[0][3 * 100], 108);  // 100 + 7.5, rounded up
}

TEST(FramePipeline, SupersampledPicturesAreTheMeanOfTheirBlocksTopRowFirst) {
  // A 2 x 2 frame drawn 3 times larger: each block one value per channel, plus one odd pixel
  // that moves its block's mean by a ninth.
  const capture::FrameShape shape{2, 2, 3};
  std::vector<std::uint8_t> drawn(6 * 6 * 4);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      // Drawn rows come bottom-up: drawn row 0 is the bottom of the recorded frame's row 1.
      const int block = (y / 3) * 2 + x / 3;
      for (int c = 0; c < 3; ++c) drawn[(y * 6 + x) * 4 + c] = static_cast<std::uint8_t>(40 * block + 10 * c);
      drawn[(y * 6 + x) * 4 + 3] = 7;  // alpha plays no part
    }
  drawn[(5 * 6 + 5) * 4] = 255;  // top-right block, red: (8 x 120 + 255) / 9 = 135
  const auto frames = throughPipeline(shape, {drawn, drawn}, 1);
  ASSERT_EQ(frames.size(), 2u);
  const std::vector<std::uint8_t> expected = {80, 90, 100, 135, 130, 140, 0, 10, 20, 40, 50, 60};
  EXPECT_EQ(frames[0], expected);
  EXPECT_EQ(frames[1], expected);
}

}  // namespace
