// libFuzzer target: any bytes as scroll.txt, read by the whole-file reader of the bitmap font
// (the end scene draws a picture, not this text; the file is only read).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "resources/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool silenced = (fuzz_support::silenceMessageBoxes(), true);
  (void)silenced;
  const std::string path = fuzz_support::writeInput("scroll.txt", data, size);
  resources::BitmapFont font;
  font.loadText(path);
  // The text is the file's bytes exactly.
  if (font.text.size() != size || font.textSize() != static_cast<std::int32_t>(size) ||
      (size > 0 && std::memcmp(font.text.data(), data, size) != 0))
    std::abort();
  return 0;
}
