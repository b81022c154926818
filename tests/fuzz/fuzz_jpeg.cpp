// libFuzzer target: any bytes as a JPEG picture, decoded by the texture loader's decoder.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "resources/jpeg_texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  resources::JpegImage image;
  if (!resources::decodeJpegBytes(std::span(data, size), image)) return 0;
  // A picture comes with its size, no bigger than the file's bytes could code, and all of
  // its pixels.
  const auto pixels = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
  if (image.width <= 0 || image.height <= 0 || pixels > 512 * std::uint64_t{size} ||
      image.pixels.size() != pixels * static_cast<std::uint64_t>(image.components))
    std::abort();
  return 0;
}
