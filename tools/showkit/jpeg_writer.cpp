#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "picture_files.h"

namespace showkit {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

// The library's default handler ends the process; return to the caller instead.
[[noreturn]] void leave(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

// Kept free of C++ objects with destructors, since the error path jumps out of it.
bool compress(const std::uint8_t* rgb, int width, int height, int quality, unsigned char** out,
              unsigned long* outSize) {
  jpeg_compress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = leave;
  if (setjmp(errors.escape)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality) {
  if (image.width() <= 0 || image.height() <= 0) return {};
  const std::vector<std::uint8_t> rgb = image.toBytes(3);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = compress(rgb.data(), image.width(), image.height(), quality, &buffer, &size);
  std::vector<std::uint8_t> bytes;
  if (ok && buffer) bytes.assign(buffer, buffer + size);
  std::free(buffer);  // jpeg_mem_dest's buffer is the caller's to free
  return bytes;
}

bool writeJpeg(ShowFolder& folder, std::string_view relativePath, const Image& image) {
  const std::vector<std::uint8_t> bytes = encodeJpeg(image);
  savePreview(relativePath, image, false);
  if (bytes.empty()) {
    folder.fail(std::string(relativePath) + ": JPEG encoding failed");
    return false;
  }
  return folder.writeFile(relativePath, bytes);
}

}  // namespace showkit
