// Writes 8-bit RGB or RGBA pictures as PNG files: recorded frames and the pictures that
// tests and tools save to be looked at.
#pragma once

#include <cstdint>
#include <string_view>

namespace resources {

// `pixels` holds `height` rows of width x channels bytes; the first row is the top of the
// picture unless `bottomUp` (OpenGL's read-back order). Returns false when the file cannot
// be written; no partial file is left then.
bool writePngFile(std::string_view path, int width, int height, int channels,
                  const std::uint8_t* pixels, bool bottomUp = false, int compressionLevel = 6);

}  // namespace resources
