// The bitmap font's glyphs as made at build time (see tolvek-web-assets): grey coverage at an
// em of `em` pixels, with each glyph's box, its origin and its advance.
#pragma once

#include <array>

#include "resources/bitmap_font.h"

namespace resources {

struct GlyphPicture {
  int width, rows;  // the box, in pixels of the picture's em
  int left, top;    // from the pen position to the box's left edge and top row
  int advance;
  int offset;  // where its rows start in the coverage, top row first
};

struct FontPicture {
  int em;
  double cellPerEm;  // the whole cell height (ascent and descent) per em
  std::array<GlyphPicture, kBitmapFontCharCount> glyphs;
  const unsigned char* coverage;
};
extern const FontPicture fontPicture;

}  // namespace resources
