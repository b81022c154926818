// Truevision TGA pictures: the true-colour subset the demo reads (24 or 32 bits, uncompressed
// type 2 or run-length type 10) and writes (uncompressed type 2).
//
// Reading never trusts the file: sizes outside 1..16384 are a bad format, and so is a picture
// of over a million pixels that its pixel stream could not describe even as run-length
// packets of 128 pixels (the densest coding the format has); a short or damaged pixel stream
// leaves the rest of the picture zero, and run-length packets that run past the last pixel
// stop there.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "resources/texture_record.h"

namespace resources {

constexpr int kTgaHeaderSize = 18;
constexpr int kTgaMaxSide = 16384;

enum class TgaStatus {
  Ok,
  BadType,   // header too short, image type other than 2 or 10, or an absurd size
  BadDepth,  // bits per pixel other than 24 or 32
};

// The 18-byte header as far as it is read and written: byte 2 the image type, 12-15 width and
// height (signed 16-bit), 16 the bits per pixel, 17 the image descriptor. The rest (ID length,
// colour map, origin) is written as 0 and ignored when read, so pixels follow the header.
struct TgaHeader {
  int imageType = 2;
  int width = 0;
  int height = 0;
  int bits = 24;
  int descriptor = 0;
};
TgaHeader readTgaHeader(std::span<const std::uint8_t, kTgaHeaderSize> bytes);
std::array<std::uint8_t, kTgaHeaderSize> writeTgaHeader(const TgaHeader& header);

struct TgaImage {
  int width = 0;
  int height = 0;
  int bits = 0;                      // 24 or 32
  std::vector<std::uint8_t> pixels;  // R, G, B (, A); the file's first row is row 0
};

struct TgaDecodeResult {
  TgaStatus status = TgaStatus::BadType;
  TgaImage image;
};

// Decodes a TGA file whose header starts at bytes[0]. Rows are flipped when the image
// descriptor byte is non-zero (any value, not only the top-left origin bit).
TgaDecodeResult decodeTga(std::span<const std::uint8_t> bytes);

// Reads the TGA file at `path` (through the path resolver) whose header starts at byte
// `offset`, and uploads it with the shared texture settings. A missing file gives an empty
// record silently; a bad type or depth shows the "Bad TGA format" box and gives an empty
// record.
TextureRecord loadTgaTexture(std::string_view path, long offset = 0);

// Writes an uncompressed TGA. `pixels` holds height rows of width x bits/8 bytes R, G, B
// (, A), bottom row first (OpenGL's read-back order). 24-bit files keep that order with
// descriptor 0; 32-bit files are stored top row first with descriptor 0x28 (8 alpha bits,
// top-left origin), which other programs read with alpha and which loadTgaTexture turns
// back so that both load upright. Returns false, leaving no file, when the arguments do not
// fit or the file cannot be written.
bool writeTga(std::string_view path, int width, int height, int bits,
              std::span<const std::uint8_t> pixels);

}  // namespace resources
