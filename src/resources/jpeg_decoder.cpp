// JPEG decoding through libjpeg (libjpeg-turbo's libjpeg62 interface).
#include "resources/jpeg_texture.h"

#include <csetjmp>
#include <cstdio>
#include <new>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "platform/path_resolver.h"

namespace resources {
namespace {

constexpr int kMaxSide = 16384;
// Huffman-coded data spends at least a bit on every 8 x 8 block of every component, so no
// such file holds more than 512 pixels a byte. A header claiming more sits on too few bytes,
// which the library would stretch into a whole grey picture of the claimed size.
constexpr std::uint64_t kMaxPixelsPerByte = 512;

// The library's standard handler ends the process on a damaged file; this one returns to
// the decoder, which releases everything and reports failure instead.
struct ErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings about recoverable damage would only clutter standard error.
void ignoreMessage(j_common_ptr) {}

// Kept free of objects with destructors between setjmp and the library calls, so the jump
// back skips nothing that needs cleaning up.
// Reads from `file`, or from `bytes` when there is no file; `size` is the length of either.
bool decodeStream(std::FILE* file, const std::uint8_t* bytes, std::size_t size, JpegImage& image,
                  std::vector<JSAMPROW>& rows) {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = errorExit;
  errors.standard.output_message = ignoreMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  if (file)
    jpeg_stdio_src(&cinfo, file);
  else
    jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  // Checked before decompression starts: a progressive file would otherwise buffer the
  // whole claimed picture.
  if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide ||
      std::uint64_t{cinfo.image_width} * cinfo.image_height > kMaxPixelsPerByte * size) {
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
  std::FILE* file = platform::openFile(path, "rb");
  if (!file) return false;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return false;
  }
  std::vector<JSAMPROW> rows;
  const bool ok = decodeStream(file, nullptr, static_cast<std::size_t>(size), image, rows);
  std::fclose(file);
  if (!ok) image = JpegImage{};
  return ok;
}

bool decodeJpegBytes(std::span<const std::uint8_t> bytes, JpegImage& image) {
  image = JpegImage{};
  if (bytes.empty()) return false;
  std::vector<JSAMPROW> rows;
  const bool ok = decodeStream(nullptr, bytes.data(), bytes.size(), image, rows);
  if (!ok) image = JpegImage{};
  return ok;
}

}  // namespace resources
