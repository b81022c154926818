#include <cstdlib>

#include "picture_files.h"
#include "resources/jpeg_errors.h"

namespace showkit {

namespace {

// Kept free of C++ objects with destructors, since the error path jumps out of it.
bool compress(const std::uint8_t* pixels, int width, int height, int components, int quality, bool subsampleChroma,
              unsigned char** out, unsigned long* outSize) {
  jpeg_compress_struct info;
  resources::JpegErrors errors;
  info.err = resources::useJpegErrors(errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (!subsampleChroma)
    for (int i = 0; i < info.num_components; ++i) info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(width) * components;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> encodeJpeg(std::span<const std::uint8_t> pixels, int width, int height, int components,
                                     int quality, bool subsampleChroma) {
  if (width <= 0 || height <= 0 || (components != 1 && components != 3) ||
      pixels.size() < static_cast<size_t>(width) * height * components)
    return {};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = compress(pixels.data(), width, height, components, quality, subsampleChroma, &buffer, &size);
  std::vector<std::uint8_t> bytes;
  if (ok && buffer) bytes.assign(buffer, buffer + size);
  std::free(buffer);  // jpeg_mem_dest's buffer is the caller's to free
  return bytes;
}

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality) {
  return encodeJpeg(image.toBytes(3), image.width(), image.height(), 3, quality, true);
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
