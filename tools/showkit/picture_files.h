// Pictures to files: JPEG through libjpeg's compressor, TGA through the program's own
// writer, and optional PNG previews for looking at the art while it is made.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image.h"
#include "show_folder.h"

namespace showkit {

// Baseline JPEG, three components (a greyscale file would load without an image), rows
// top first. Empty on failure.
std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality = 90);
// The same from bytes: rows top first of width x components bytes, components 3 (RGB) or 1
// (greyscale); without chroma subsampling small colour blocks survive intact.
std::vector<std::uint8_t> encodeJpeg(std::span<const std::uint8_t> pixels, int width, int height, int components,
                                     int quality, bool subsampleChroma);

bool writeJpeg(ShowFolder& folder, std::string_view relativePath, const Image& image);
// 32-bit TGA with alpha; the picture's top row is shown at the top of a quad whose t = 1
// edge is up (the orientation every TGA user of the demo draws with).
bool writeTga32(ShowFolder& folder, std::string_view relativePath, const Image& image);

// When the environment names a folder in TOLVEK_SHOWKIT_PREVIEW, every picture is also
// saved there as PNG (TGAs over a dark ground, as they are seen in the show).
void savePreview(std::string_view relativePath, const Image& image, bool hasAlpha);

}  // namespace showkit
