// The bitmap font of the loading sequence: 96 display lists that draw the printable ASCII
// characters (32..127) of a bold sans-serif face with glBitmap at the current raster
// position, and the whole contents of a text file.
//
// The original asked the system for bold "Arial"; here FreeType rasterises Liberation Sans
// Bold, which has Arial's metrics, the way the system's font-to-bitmap call did: one-bit
// glyphs, origin on the baseline, advancing the raster position by the glyph's advance.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace resources {

constexpr int kBitmapFontFirstChar = 32;
constexpr int kBitmapFontCharCount = 96;

// The height the loading sequence asks for at a window width: -(width x k) truncated toward
// zero, k being the single-precision constant 0x3CE66666 (0.0281249992...) and the product
// taken in double precision: -14, -17, -22, -28 for 512, 640, 800, 1024.
int bitmapFontHeight(int screenWidth);

// The font file used for every bitmap font, or "" when none is installed.
std::string bitmapFontFile();

class BitmapFont {
 public:
  std::uint32_t listBase = 0;      // list listBase + (c - 32) draws character c
  std::vector<std::uint8_t> text;  // the file's bytes exactly, not zero-terminated

  std::int32_t textSize() const { return static_cast<std::int32_t>(text.size()); }

  // Builds the 96 lists. A negative height is the character height in pixels without
  // internal leading (the em size); a positive one the whole cell height. Needs a current
  // OpenGL context. Returns false, leaving 96 empty lists, when the face cannot be loaded;
  // nothing is shown either way.
  bool create(int height);

  // Takes a text's bytes exactly (carriage returns stay). False, leaving no text, when there
  // are more than a text of the show can hold (64 MiB).
  bool setText(std::span<const std::uint8_t> bytes);
  // Reads the whole file into the text. Failures show an "Error" box: "Cannot read the file",
  // "Allocation memory low" (also for a file over the limit, refused before it is read) or,
  // for a short read that keeps the bytes that arrived, "Thats zarbi kan meme".
  void loadText(std::string_view path);

  // Deletes the lists (the demo keeps them to the end; tests and tools clean up).
  void destroy();
};

}  // namespace resources
