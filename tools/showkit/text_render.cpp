#include "text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace showkit {

struct Font::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Handles() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

std::string fontFolder() {
  if (const char* folder = std::getenv("TOLVEK_FONT_DIR"); folder && *folder) return folder;
  return "/usr/share/fonts/truetype/liberation2";
}

std::unique_ptr<Font> Font::open(std::string_view fileName) {
  auto handles = std::make_unique<Handles>();
  if (FT_Init_FreeType(&handles->library) != 0) return nullptr;
  const std::string path = fontFolder() + "/" + std::string(fileName);
  if (FT_New_Face(handles->library, path.c_str(), 0, &handles->face) != 0) return nullptr;
  return std::make_unique<Font>(Opened{}, std::move(handles));
}

Font::Font(Opened, std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
Font::~Font() = default;

namespace {

// Walks the glyphs of a line: calls visit(glyph slot, pen x in pixels) for each character.
template <typename Visit>
float layOut(FT_Face face, std::string_view text, int pixelSize, float tracking, bool render,
             Visit visit) {
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(1, pixelSize)));
  float pen = 0;
  FT_UInt previous = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern) == 0)
        pen += static_cast<float>(kern.x) / 64.0f;
    }
    if (FT_Load_Glyph(face, index, render ? FT_LOAD_RENDER : FT_LOAD_DEFAULT) == 0) {
      visit(face->glyph, pen);
      pen += static_cast<float>(face->glyph->advance.x) / 64.0f;
    }
    if (i + 1 < text.size()) pen += tracking;
    previous = index;
  }
  return pen;
}

}  // namespace

int Font::lineWidth(std::string_view text, int pixelSize, float tracking) const {
  const float width = layOut(handles_->face, text, pixelSize, tracking, false,
                             [](FT_GlyphSlot, float) {});
  return static_cast<int>(std::ceil(width));
}

int Font::fitSize(std::string_view text, int maxWidth, int maxSize, float trackingPerSize) const {
  int size = std::max(1, maxSize);
  while (size > 4 &&
         lineWidth(text, size, trackingPerSize * static_cast<float>(size)) > maxWidth)
    --size;
  return size;
}

Field Font::renderLine(std::string_view text, int pixelSize, float tracking, int margin) const {
  FT_Face face = handles_->face;
  const int width = lineWidth(text, pixelSize, tracking);
  const int ascent = static_cast<int>(std::ceil(static_cast<float>(face->size->metrics.ascender) / 64.0f));
  const int descent = static_cast<int>(std::ceil(static_cast<float>(-face->size->metrics.descender) / 64.0f));
  Field mask(width + 2 * margin, ascent + descent + 2 * margin);
  layOut(face, text, pixelSize, tracking, true, [&](FT_GlyphSlot glyph, float pen) {
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = margin + static_cast<int>(std::lround(pen)) + glyph->bitmap_left;
    const int top = margin + ascent - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row)
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
        const float coverage = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
        mask.at(x, y) = std::max(mask.at(x, y), coverage);
      }
  });
  return mask;
}

}  // namespace showkit
