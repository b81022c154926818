#include "support/png_reader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace testing_support {
namespace {

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

int paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

std::optional<PngImage> readPng(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) return std::nullopt;

  PngImage image;
  std::vector<std::uint8_t> compressed;
  size_t pos = 8;
  while (pos + 12 <= file.size()) {
    const std::uint32_t length = be32(&file[pos]);
    if (length > file.size() - pos - 12) return std::nullopt;
    const std::string type(reinterpret_cast<const char*>(&file[pos + 4]), 4);
    const std::uint8_t* data = &file[pos + 8];
    if (type == "IHDR") {
      image.width = static_cast<int>(be32(data));
      image.height = static_cast<int>(be32(data + 4));
      if (data[8] != 8 || (data[9] != 2 && data[9] != 6) || data[12] != 0) return std::nullopt;
      image.channels = data[9] == 2 ? 3 : 4;
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), data, data + length);
    } else if (type == "IEND") {
      break;
    }
    pos += 12 + length;
  }
  if (image.width <= 0 || image.height <= 0) return std::nullopt;

  const size_t stride = static_cast<size_t>(image.width) * image.channels;
  std::vector<std::uint8_t> raw((stride + 1) * image.height);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK ||
      rawSize != raw.size())
    return std::nullopt;

  image.pixels.resize(stride * image.height);
  const int bpp = image.channels;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t filter = raw[y * (stride + 1)];
    const std::uint8_t* src = &raw[y * (stride + 1) + 1];
    std::uint8_t* row = &image.pixels[y * stride];
    const std::uint8_t* up = y > 0 ? &image.pixels[(y - 1) * stride] : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
      const int b = up ? up[i] : 0;
      const int c = (up && i >= static_cast<size_t>(bpp)) ? up[i - bpp] : 0;
      int value = src[i];
      switch (filter) {
        case 0: break;
        case 1: value += a; break;
        case 2: value += b; break;
        case 3: value += (a + b) / 2; break;
        case 4: value += paeth(a, b, c); break;
        default: return std::nullopt;
      }
      row[i] = static_cast<std::uint8_t>(value);
    }
  }
  return image;
}

}  // namespace testing_support
