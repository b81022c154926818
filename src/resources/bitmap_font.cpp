#include "resources/bitmap_font.h"

#include <GL/gl.h>

#include <bit>
#include <cstdio>
#include <new>

#include "platform/message_box.h"
#include "platform/path_resolver.h"

namespace resources {
namespace {

// A text file the demo reads is a few kilobytes; anything near this is not one.
constexpr long kMaxTextSize = 64L << 20;

void textBox(const char* text) {
  platform::showMessageBox("Error", text, platform::BoxIcon::Information);
}

}  // namespace

int bitmapFontHeight(int screenWidth) {
  const double k = std::bit_cast<float>(0x3CE66666u);
  return -static_cast<int>(static_cast<double>(screenWidth) * k);
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
