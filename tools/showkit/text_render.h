// Text drawn with FreeType from the Liberation fonts into coverage masks.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "image.h"

namespace showkit {

class Font {
 public:
  // A font of the Liberation family by file name ("LiberationSerif-Bold.ttf"); null when
  // the file is missing or FreeType rejects it.
  static std::unique_ptr<Font> open(std::string_view fileName);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // One line of text as coverage (0..1): the box is the advance width (plus `tracking`
  // pixels between letters) by the font's ascent + descent at pixelSize, plus `margin`
  // empty pixels on every side (room for glows).
  Field renderLine(std::string_view text, int pixelSize, float tracking = 0, int margin = 0) const;
  // Width in pixels of renderLine's box without the margin.
  int lineWidth(std::string_view text, int pixelSize, float tracking = 0) const;
  // The largest size (at most maxSize) whose line fits into maxWidth.
  int fitSize(std::string_view text, int maxWidth, int maxSize, float trackingPerSize = 0) const;

 private:
  struct Handles;
  struct Opened {};  // only open() can make a Font

 public:
  Font(Opened, std::unique_ptr<Handles> handles);

 private:
  std::unique_ptr<Handles> handles_;
};

// Where the Liberation fonts live (fonts-liberation2).
std::string fontFolder();

}  // namespace showkit
