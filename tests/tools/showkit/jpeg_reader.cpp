#include "jpeg_reader.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace testing_support {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

[[noreturn]] void leave(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

bool decode(std::FILE* file, int& width, int& height, int& components, std::vector<std::uint8_t>* pixels) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = leave;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  components = info.output_components;
  pixels->resize(static_cast<size_t>(width) * height * components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels->data() + static_cast<size_t>(info.output_scanline) * width * components;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::optional<JpegPicture> readJpeg(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  JpegPicture picture;
  const bool ok = decode(file, picture.width, picture.height, picture.components, &picture.pixels);
  std::fclose(file);
  if (!ok) return std::nullopt;
  return picture;
}

}  // namespace testing_support
