#include "resources/png_writer.h"

#include <zlib.h>

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace resources {
namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
              size_t size) {
  put32(out, static_cast<std::uint32_t>(size));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), data, data + size);
  put32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(size + 4))));
}

}  // namespace

bool writePngFile(std::string_view path, int width, int height, int channels,
                  const std::uint8_t* pixels, bool bottomUp, int compressionLevel) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || !pixels) return false;
  const size_t stride = static_cast<size_t>(width) * channels;

  // Filter type 0 (none) on every row keeps writing cheap; zlib does the rest.
  std::vector<std::uint8_t> raw;
  raw.reserve((stride + 1) * height);
  for (int y = 0; y < height; ++y) {
    const int source = bottomUp ? height - 1 - y : y;
    raw.push_back(0);
    const std::uint8_t* row = pixels + static_cast<size_t>(source) * stride;
    raw.insert(raw.end(), row, row + stride);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                compressionLevel) != Z_OK)
    return false;

  std::vector<std::uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
  std::uint8_t header[13] = {};
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) >> (24 - 8 * i));
    header[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (24 - 8 * i));
  }
  header[8] = 8;                       // bits per channel
  header[9] = channels == 3 ? 2 : 6;   // truecolour, with alpha for 4 channels
  putChunk(file, "IHDR", header, sizeof header);
  putChunk(file, "IDAT", packed.data(), packedSize);
  putChunk(file, "IEND", nullptr, 0);
  return platform::writeWholeFile(path, file.data(), file.size());
}

}  // namespace resources
