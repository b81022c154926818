// Reads back the PNG files the program writes (8-bit RGB or RGBA, not interlaced), so tests
// can look at recorded frames and rendered pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct PngImage {
  int width = 0;
  int height = 0;
  int channels = 0;                 // 3 or 4
  std::vector<std::uint8_t> pixels;  // rows top to bottom
  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * channels];
  }
};

std::optional<PngImage> readPng(const std::string& path);

}  // namespace testing_support
