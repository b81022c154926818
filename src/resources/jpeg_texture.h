// JPEG textures through the libjpeg62 interface, decoded with the library's default
// parameters (no scaling, RGB for colour files, greyscale for grey ones).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"

namespace resources {

struct JpegImage {
  int width = 0;
  int height = 0;
  int components = 0;                // 3 for colour, 1 for greyscale
  std::vector<std::uint8_t> pixels;  // first scanline (top of the picture) first

  // The components of pixel (x, y), y counted from the top.
  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                   static_cast<std::size_t>(components)];
  }
};

// Decodes a JPEG held in memory. False when the library rejects it, or it claims a side beyond
// 16384 pixels or more pixels than its bytes could code (over 512 a byte).
bool decodeJpegBytes(std::span<const std::uint8_t> bytes, JpegImage& image);
// The same for the file at `path` (through the path resolver); false also when it cannot be
// read.
bool decodeJpegFile(std::string_view path, JpegImage& image);

// Decodes and uploads with the shared texture settings; the first scanline lands at t = 0.
// A missing or rejected file gives an empty record (name 0) and no message. A greyscale file
// gives bits 8 and a texture name without an image.
TextureRecord loadJpegTexture(std::string_view path);

}  // namespace resources
