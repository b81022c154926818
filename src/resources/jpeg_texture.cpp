// The JPEG texture: decoded by the JPEG decoder of the build (libjpeg on the desktop),
// uploaded with the shared settings.
#include "resources/jpeg_texture.h"

namespace resources {

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
