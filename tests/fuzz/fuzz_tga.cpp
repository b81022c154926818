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
  // A texture comes with its size; beyond a million pixels no bigger than the file could
  // describe (128 pixels a byte at the very most). A refused file gives the empty record.
  const auto pixels = static_cast<std::uint64_t>(record.width) * static_cast<std::uint64_t>(record.height);
  if (record.name != 0 &&
      (record.width <= 0 || record.height <= 0 || (pixels > (1u << 20) && pixels > 128 * std::uint64_t{size})))
    std::abort();
  resources::releaseTexture(record);
  return 0;
}
