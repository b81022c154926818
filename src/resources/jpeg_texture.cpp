#include "resources/jpeg_texture.h"

#include <new>

#include "platform/file_system.h"
#include "resources/jpeg_errors.h"

namespace resources {
namespace {

constexpr int kMaxSide = 16384;
// Huffman-coded data spends at least a bit on every 8 x 8 block of every component, so no
// such file holds more than 512 pixels a byte. A header claiming more sits on too few bytes,
// which the library would stretch into a whole grey picture of the claimed size.
constexpr std::uint64_t kMaxPixelsPerByte = 512;

// Kept free of objects with destructors between setjmp and the library calls, so the jump
// back skips nothing that needs cleaning up.
bool decode(std::span<const std::uint8_t> bytes, JpegImage& image, std::vector<JSAMPROW>& rows) {
  jpeg_decompress_struct cinfo{};
  JpegErrors errors;
  cinfo.err = useJpegErrors(errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  // Checked before decompression starts: a progressive file would otherwise buffer the
  // whole claimed picture.
  if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide ||
      std::uint64_t{cinfo.image_width} * cinfo.image_height > kMaxPixelsPerByte * bytes.size()) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);

  const int width = static_cast<int>(cinfo.output_width);
  const int height = static_cast<int>(cinfo.output_height);
  const int components = cinfo.output_components;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || components <= 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const size_t stride = static_cast<size_t>(width) * components;
  try {
    image.pixels.assign(stride * height, 0);
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  for (int i = 0; i < height; ++i) rows[i] = &image.pixels[i * stride];
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION done = cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &rows[done], cinfo.output_height - done);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  image.width = width;
  image.height = height;
  image.components = components;
  return true;
}

}  // namespace

bool decodeJpegFile(std::string_view path, JpegImage& image) {
  image = JpegImage{};
  const auto bytes = platform::readWholeFile(path);
  return bytes && decodeJpegBytes(*bytes, image);
}

bool decodeJpegBytes(std::span<const std::uint8_t> bytes, JpegImage& image) {
  image = JpegImage{};
  if (bytes.empty()) return false;
  std::vector<JSAMPROW> rows;
  const bool ok = decode(bytes, image, rows);
  if (!ok) image = JpegImage{};
  return ok;
}

TextureRecord loadJpegTexture(std::string_view path) {
  TextureRecord record;
  JpegImage image;
  if (!decodeJpegFile(path, image)) return record;
  record.width = image.width;
  record.height = image.height;
  record.bits = image.components * 8;
  uploadTexture(record, image.pixels.data());
  return record;
}

}  // namespace resources
