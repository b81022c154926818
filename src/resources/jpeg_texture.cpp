// The JPEG texture: decoded by the JPEG decoder of the build (libjpeg on the desktop),
// uploaded with the shared settings.
#include "resources/jpeg_texture.h"

#include "platform/file_system.h"

namespace resources {

bool decodeJpegFile(std::string_view path, JpegImage& image) {
  image = JpegImage{};
  const auto bytes = platform::readWholeFile(path);
  return bytes && decodeJpegBytes(*bytes, image);
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
