#include "capture/frame_filter.h"

namespace capture {

void addBlockSums(const std::uint8_t* drawn, int width, int height, int n, std::uint32_t weight,
                  std::uint32_t* sums) {
  const std::size_t drawnRow = static_cast<std::size_t>(width) * n * 4;
  for (int y = 0; y < height; ++y) {
    // Recorded row y (from the top) covers drawn rows from the top y x n ... y x n + n - 1.
    std::uint32_t* out = sums + static_cast<std::size_t>(y) * width * 3;
    for (int k = 0; k < n; ++k) {
      const std::uint8_t* in = drawn + static_cast<std::size_t>(height * n - 1 - (y * n + k)) * drawnRow;
      if (n == 1) {
        for (int x = 0; x < width; ++x, in += 4) {
          out[3 * x] += in[0] * weight;
          out[3 * x + 1] += in[1] * weight;
          out[3 * x + 2] += in[2] * weight;
        }
        continue;
      }
      for (int x = 0; x < width; ++x) {
        std::uint32_t r = 0, g = 0, b = 0;
        for (int i = 0; i < n; ++i, in += 4) r += in[0], g += in[1], b += in[2];
        out[3 * x] += r * weight;
        out[3 * x + 1] += g * weight;
        out[3 * x + 2] += b * weight;
      }
    }
  }
}

void resolveSums(const std::uint32_t* sums, std::size_t values, std::uint32_t count, std::uint8_t* out) {
  // Division by a multiply and a shift, exact for these ranges: numerators below 2^21 and
  // counts up to 2^12 leave the reciprocal's error under one part in a count.
  const std::uint64_t reciprocal = (std::uint64_t{1} << 40) / count + 1;
  const std::uint32_t half = count / 2;
  for (std::size_t i = 0; i < values; ++i)
    out[i] = static_cast<std::uint8_t>(((sums[i] + half) * reciprocal) >> 40);
}

void packRows(const std::uint8_t* drawn, int width, int height, std::uint8_t* rgb) {
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = drawn + static_cast<std::size_t>(height - 1 - y) * row;
    std::uint8_t* out = rgb + static_cast<std::size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x, in += 4, out += 3) out[0] = in[0], out[1] = in[1], out[2] = in[2];
  }
}

}  // namespace capture
