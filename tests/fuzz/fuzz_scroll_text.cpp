// libFuzzer target: any bytes as scroll.txt, taken by the bitmap font's text (the end scene
// draws a picture, not this text; the file is only read).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "fuzz_support.h"
#include "resources/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  resources::BitmapFont font;
  // The text is the file's bytes exactly.
  if (!font.setText(std::span(data, size)) || font.text.size() != size ||
      font.textSize() != static_cast<std::int32_t>(size) || (size > 0 && std::memcmp(font.text.data(), data, size) != 0))
    std::abort();
  return 0;
}
