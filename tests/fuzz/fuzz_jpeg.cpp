// libFuzzer target: any bytes as a JPEG picture, decoded and uploaded by the texture loader.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const std::string path = fuzz_support::writeInput("picture.jpg", data, size);
  resources::TextureRecord record = resources::loadJpegTexture(path);
  // A texture comes with its size, no bigger than the file's bytes could code.
  if (record.name != 0 &&
      (record.width <= 0 || record.height <= 0 ||
       static_cast<std::uint64_t>(record.width) * static_cast<std::uint64_t>(record.height) > 512 * std::uint64_t{size}))
    std::abort();
  resources::releaseTexture(record);
  return 0;
}
