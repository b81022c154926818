// libFuzzer target: any bytes as a TGA picture, decoded by the texture loader's reader.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "resources/tga_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const resources::TgaDecodeResult result = resources::decodeTga(std::span(data, size));
  if (result.status != resources::TgaStatus::Ok) return 0;
  // A picture comes with its size; beyond a million pixels no bigger than the file could
  // describe (128 pixels a byte at the very most); and all of its pixels.
  const auto& image = result.image;
  const auto pixels = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
  if (image.width <= 0 || image.height <= 0 || (pixels > (1u << 20) && pixels > 128 * std::uint64_t{size}) ||
      image.pixels.size() != pixels * static_cast<std::uint64_t>(image.bits / 8))
    std::abort();
  return 0;
}
