// From what was drawn to what is recorded: OpenGL's rows (bottom up, RGBA as read back) to
// the recorded picture (top down, RGB), through an N x N box filter when the show was drawn
// N times larger (supersampling) and a sum of sub-frames when several make one frame
// (motion blur). Sums are exact integers, so 16 sub-frames average without banding.
//
// The box filter: each recorded pixel is the plain mean of the N x N drawn pixels it covers.
// Flat areas come out exactly as drawn, nothing rings or spills into the neighbours, and it
// is what the supersampled picture means: the coverage of each pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capture {

// Adds each N x N block of `drawn` (N x width by N x height, bottom-up RGBA rows, alpha
// ignored) `weight` times to its pixel in `sums` (width x height x 3, top row first).
void addBlockSums(const std::uint8_t* drawn, int width, int height, int n, std::uint32_t weight,
                  std::uint32_t* sums);

// Each of `values` sums divided by `count` (1 to 4096), rounded to nearest, as bytes. Sums
// must not exceed count x 255.
void resolveSums(const std::uint32_t* sums, std::size_t values, std::uint32_t count, std::uint8_t* out);

// A picture drawn at its recorded size: bottom-up RGBA to top-down RGB.
void packRows(const std::uint8_t* drawn, int width, int height, std::uint8_t* rgb);

// The sides of a 4:2:0 picture, which must be even, and its size in bytes (planes Y, Cb, Cr).
int evenSide(int side);
std::size_t yuv420Bytes(int width, int height);
// The bytes of one frame as the writer hands it on: 4:2:0 planes, or packed RGB.
std::size_t frameBytes(int width, int height, bool yuv420);

// Top-down RGB (width x height) to planar 4:2:0 YCbCr, BT.709 in studio range as the lossy
// codecs take high definition: each chroma sample the mean of its 2 x 2 block, rounded. An odd
// side gets one black line, as ffmpeg's pad filter gives it. `yuv` holds yuv420Bytes.
void rgbToYuv420(const std::uint8_t* rgb, int width, int height, std::uint8_t* yuv);
// The same straight from a picture drawn at its recorded size (bottom-up RGBA rows, alpha
// ignored), without the packed RGB step.
void drawnToYuv420(const std::uint8_t* drawn, int width, int height, std::uint8_t* yuv);

}  // namespace capture
