#include "resources/bitmap_font.h"

#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/path_resolver.h"

namespace resources {
namespace {

// A text file the demo reads is a few kilobytes; anything near this is not one.
constexpr long kMaxTextSize = 64L << 20;

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
};

void textBox(const char* text) {
  platform::showMessageBox("Error", text, platform::BoxIcon::Information);
}

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

int bitmapFontHeight(int screenWidth) {
  const double k = std::bit_cast<float>(0x3CE66666u);
  return -static_cast<int>(static_cast<double>(screenWidth) * k);
}

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

bool BitmapFont::setText(std::span<const std::uint8_t> bytes) {
  text.clear();
  if (bytes.size() > static_cast<size_t>(kMaxTextSize)) return false;
  text.assign(bytes.begin(), bytes.end());
  return true;
}

void BitmapFont::loadText(std::string_view path) {
  text.clear();
  std::FILE* file = platform::openFile(path, "rb");
  if (!file) {
    textBox("Cannot read the file");
    return;
  }
  // The size first: a file over the limit is refused before anything is allocated for it.
  const long start = std::ftell(file);
  long end = -1;
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
  const bool sized = end >= start && start >= 0 && std::fseek(file, start, SEEK_SET) == 0;
  const long size = sized ? end - start : -1;
  std::vector<std::uint8_t> bytes;
  bool allocated = size >= 0 && size <= kMaxTextSize;
  if (allocated) {
    try {
      bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
      allocated = false;
    }
  }
  if (!allocated) {
    textBox("Allocation memory low");
    std::fclose(file);
    return;
  }
  const size_t got = size > 0 ? std::fread(bytes.data(), 1, bytes.size(), file) : 0;
  if (got < bytes.size()) {
    textBox("Thats zarbi kan meme");
    bytes.resize(got);
  }
  std::fclose(file);
  setText(bytes);
}

void BitmapFont::destroy() {
  if (listBase != 0) glDeleteLists(listBase, kBitmapFontCharCount);
  listBase = 0;
}

}  // namespace resources
