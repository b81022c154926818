// The conversion the lossy codecs get their frames in: BT.709 studio-range 4:2:0, with the
// chroma of each 2 x 2 block its mean and odd sides padded black.
#include "capture/frame_filter.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using Rgb = std::array<std::uint8_t, 3>;

std::vector<std::uint8_t> convert(const std::vector<Rgb>& pixels, int width, int height) {
  std::vector<std::uint8_t> rgb;
  for (const Rgb& p : pixels) rgb.insert(rgb.end(), p.begin(), p.end());
  std::vector<std::uint8_t> yuv(capture::yuv420Bytes(width, height), 0xAA);
  capture::rgbToYuv420(rgb.data(), width, height, yuv.data());
  return yuv;
}

TEST(Yuv420, PrimariesAndGreysTakeTheirBt709StudioRangeValues) {
  // Expected values: the BT.709 equations in double precision, rounded.
  const struct {
    Rgb colour;
    std::uint8_t y, cb, cr;
  } cases[] = {{{0, 0, 0}, 16, 128, 128},      {{255, 255, 255}, 235, 128, 128}, {{128, 128, 128}, 126, 128, 128},
               {{255, 0, 0}, 63, 102, 240},    {{0, 255, 0}, 173, 42, 26},       {{0, 0, 255}, 32, 240, 118}};
  for (const auto& c : cases) {
    const auto yuv = convert({c.colour, c.colour, c.colour, c.colour}, 2, 2);
    const std::vector<std::uint8_t> expected = {c.y, c.y, c.y, c.y, c.cb, c.cr};
    EXPECT_EQ(yuv, expected) << int(c.colour[0]) << "," << int(c.colour[1]) << "," << int(c.colour[2]);
  }
}

TEST(Yuv420, ChromaIsTheBlockMeanAndOddSidesArePaddedBlack) {
  // Red, green over blue, white: luma per pixel, one chroma pair for the mean colour.
  const auto block = convert({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}, 2, 2);
  EXPECT_EQ(block, (std::vector<std::uint8_t>{63, 173, 32, 235, 128, 128}));

  // 3 x 1 becomes 4 x 2: the fourth column and the second row are black, and the second
  // block's chroma mixes its one white pixel with three black ones.
  const auto odd = convert({{255, 255, 255}, {255, 255, 255}, {255, 255, 255}}, 3, 1);
  ASSERT_EQ(odd.size(), 4u * 2u + 2u * 2u);
  const std::vector<std::uint8_t> luma(odd.begin(), odd.begin() + 8);
  EXPECT_EQ(luma, (std::vector<std::uint8_t>{235, 235, 235, 16, 16, 16, 16, 16}));
  EXPECT_EQ(odd[8], 128);  // Cb of both blocks: grey either way
  EXPECT_EQ(odd[9], 128);
  EXPECT_EQ(odd[10], 128);  // Cr
  EXPECT_EQ(odd[11], 128);
}

TEST(Yuv420, AFrameStraightFromTheDrawnPictureIsTheFrameOfItsPackedRows) {
  // Odd in both directions, so the padding and the row order both count.
  for (const auto& [width, height] : {std::pair{5, 3}, std::pair{4, 2}, std::pair{1, 1}}) {
    std::vector<std::uint8_t> drawn(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < drawn.size(); ++i) drawn[i] = static_cast<std::uint8_t>(i * 37 + 11);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    capture::packRows(drawn.data(), width, height, rgb.data());
    std::vector<std::uint8_t> viaRgb(capture::yuv420Bytes(width, height)), direct(viaRgb.size(), 0xAA);
    capture::rgbToYuv420(rgb.data(), width, height, viaRgb.data());
    capture::drawnToYuv420(drawn.data(), width, height, direct.data());
    EXPECT_EQ(direct, viaRgb) << width << "x" << height;
  }
}

}  // namespace
