// Decodes the JPEG files the content kit writes, to look at their pixels in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct JpegPicture {
  int width = 0;
  int height = 0;
  int components = 0;                // 3 colour, 1 greyscale
  std::vector<std::uint8_t> pixels;  // rows top to bottom
  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * components];
  }
};

// Nothing when the file is missing or the library rejects it.
std::optional<JpegPicture> readJpeg(const std::string& path);

}  // namespace testing_support
