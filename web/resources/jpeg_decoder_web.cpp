// JPEG pictures in a browser, decoded by stb_image (baseline and progressive, 8-bit, grey or
// colour) in place of libjpeg, with the same answers: no scaling, RGB for colour files, grey
// for grey ones, the first scanline first, and the same limits on what a header may claim.
// Its inverse DCT and chroma upsampling round differently from libjpeg-turbo's, so a pixel
// may differ by a few levels; the picture is the same.
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cstring>

#include "resources/jpeg_texture.h"

namespace resources {
namespace {

constexpr int kMaxSide = 16384;
// As on the desktop: coded data spends at least a bit on every 8 x 8 block of each component.
constexpr std::uint64_t kMaxPixelsPerByte = 512;

}  // namespace

bool decodeJpegBytes(std::span<const std::uint8_t> bytes, JpegImage& image) {
  image = JpegImage{};
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  const auto size = static_cast<int>(bytes.size());
  int width = 0, height = 0, components = 0;
  if (!stbi_info_from_memory(bytes.data(), size, &width, &height, &components)) return false;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixelsPerByte * bytes.size())
    return false;
  // Grey stays grey; anything else is delivered as RGB, as libjpeg's default output does.
  const int wanted = components == 1 ? 1 : 3;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), size, &width, &height, &components, wanted);
  if (!pixels) return false;
  image.width = width;
  image.height = height;
  image.components = wanted;
  image.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * wanted);
  stbi_image_free(pixels);
  return true;
}

}  // namespace resources
