// libFuzzer target: any bytes as a TGA picture, read and uploaded by the texture loader (the
// decoder, the bounded file read and the upload with its mipmaps).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "resources/texture_record.h"
#include "resources/tga_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  static const bool silenced = (fuzz_support::silenceMessageBoxes(), true);
  (void)silenced;
  const std::string path = fuzz_support::writeInput("picture.tga", data, size);
  resources::TextureRecord record = resources::loadTgaTexture(path);
  // A texture comes with its size; a refused file gives the empty record.
  if (record.name != 0 && (record.width <= 0 || record.height <= 0)) std::abort();
  resources::releaseTexture(record);
  return 0;
}
