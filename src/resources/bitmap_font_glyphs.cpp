// The font's glyphs: FreeType rasterises Liberation Sans Bold into one glBitmap list per
// character.
#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "resources/bitmap_font.h"

namespace resources {
namespace {

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
};


// The em size in pixels that a GDI-style height asks for.
FT_UInt pixelSize(FT_Face face, int height) {
  if (height < 0) return static_cast<FT_UInt>(-height);
  if (height == 0) return 12;
  int cell = face->ascender - face->descender;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
    cell = os2->usWinAscent + os2->usWinDescent;
  if (cell <= 0) return static_cast<FT_UInt>(height);
  return static_cast<FT_UInt>(std::lround(static_cast<double>(height) * face->units_per_EM / cell));
}

// One glyph as glBitmap wants it: rows bottom to top, each padded to 4 bytes (the default
// unpack alignment when the list is compiled), most significant bit first.
void compileGlyph(FT_GlyphSlot slot) {
  const FT_Bitmap& bitmap = slot->bitmap;
  const float advance = static_cast<float>((slot->advance.x + 32) >> 6);
  const int width = static_cast<int>(bitmap.width);
  const int rows = static_cast<int>(bitmap.rows);
  if (width == 0 || rows == 0 || bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
    glBitmap(0, 0, 0.0f, 0.0f, advance, 0.0f, nullptr);
    return;
  }
  const int stride = ((width + 7) / 8 + 3) & ~3;
  const int rowBytes = (width + 7) / 8;
  std::vector<GLubyte> packed(static_cast<size_t>(stride) * rows, 0);
  for (int y = 0; y < rows; ++y) {
    // FreeType rows run top to bottom for a positive pitch, bottom to top for a negative one.
    const int sourceRow = bitmap.pitch >= 0 ? y : rows - 1 - y;
    const unsigned char* source = bitmap.buffer + static_cast<long>(sourceRow) * std::abs(bitmap.pitch);
    GLubyte* target = &packed[static_cast<size_t>(rows - 1 - y) * stride];
    for (int i = 0; i < rowBytes; ++i) target[i] = source[i];
  }
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBitmap(width, rows, static_cast<float>(-slot->bitmap_left),
           static_cast<float>(rows - slot->bitmap_top), advance, 0.0f, packed.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

std::string bitmapFontFile() {
  for (const char* path : kFontFiles)
    if (platform::fileExists(path)) return path;
  return {};
}

bool BitmapFont::create(int height) {
  listBase = glGenLists(kBitmapFontCharCount);
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  const std::string file = bitmapFontFile();
  bool ok = !file.empty() && FT_Init_FreeType(&library) == 0 &&
            FT_New_Face(library, file.c_str(), 0, &face) == 0 &&
            FT_Set_Pixel_Sizes(face, 0, pixelSize(face, height)) == 0;
  for (int i = 0; i < kBitmapFontCharCount; ++i) {
    glNewList(listBase + i, GL_COMPILE);
    if (ok && FT_Load_Char(face, static_cast<FT_ULong>(kBitmapFontFirstChar + i),
                           FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0)
      compileGlyph(face->glyph);
    glEndList();
  }
  if (face) FT_Done_Face(face);
  if (library) FT_Done_FreeType(library);
  return ok;
}

}  // namespace resources
