// The font's glyphs in a browser: the picture made at build time, scaled to the asked height
// and cut to one bit a pixel at half coverage, compiled into glBitmap lists as on the desktop.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "resources/bitmap_font.h"
#include "resources/font_picture.h"

namespace resources {
namespace {

// The em size in pixels that a GDI-style height asks for.
double emPixels(int height) {
  if (height < 0) return -height;
  if (height == 0) return 12;
  return height / fontPicture.cellPerEm;
}

void compileGlyph(const GlyphPicture& g, double scale) {
  const float advance = static_cast<float>(std::lround(g.advance * scale));
  const int width = static_cast<int>(std::lround(g.width * scale));
  const int rows = static_cast<int>(std::lround(g.rows * scale));
  if (width <= 0 || rows <= 0) {
    glBitmap(0, 0, 0.0f, 0.0f, advance, 0.0f, nullptr);
    return;
  }
  // Rows bottom to top, each padded to 4 bytes, most significant bit first.
  const int stride = ((width + 7) / 8 + 3) & ~3;
  std::vector<GLubyte> packed(static_cast<std::size_t>(stride) * rows, 0);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < width; ++x) {
      // The mean coverage of the picture's pixels under this one.
      const int x0 = static_cast<int>(x / scale), x1 = std::max(x0 + 1, static_cast<int>((x + 1) / scale));
      const int y0 = static_cast<int>(y / scale), y1 = std::max(y0 + 1, static_cast<int>((y + 1) / scale));
      int sum = 0, count = 0;
      for (int py = y0; py < y1 && py < g.rows; ++py)
        for (int px = x0; px < x1 && px < g.width; ++px, ++count) sum += fontPicture.coverage[g.offset + py * g.width + px];
      if (count == 0 || sum < 128 * count) continue;
      packed[static_cast<std::size_t>(rows - 1 - y) * stride + x / 8] |= static_cast<GLubyte>(0x80 >> (x % 8));
    }
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  const int top = static_cast<int>(std::lround(g.top * scale));
  glBitmap(width, rows, static_cast<float>(-std::lround(g.left * scale)), static_cast<float>(rows - top), advance, 0.0f,
           packed.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

bool BitmapFont::create(int height) {
  listBase = glGenLists(kBitmapFontCharCount);
  const double scale = emPixels(height) / fontPicture.em;
  for (int i = 0; i < kBitmapFontCharCount; ++i) {
    glNewList(listBase + i, GL_COMPILE);
    compileGlyph(fontPicture.glyphs[static_cast<std::size_t>(i)], scale);
    glEndList();
  }
  return true;
}

}  // namespace resources
