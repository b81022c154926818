// The texture table: 24 images from Textures\ loaded once when rendering is initialised, in
// a fixed order that scenes address by index, plus three generated textures (a grey noise
// texture and two 512 x 512 targets of frame copies).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "resources/texture_record.h"

namespace resources {

constexpr int kTextureTableSize = 24;
constexpr int kTargetTextureSize = 512;
constexpr int kNoiseTextureSize = 256;

enum class TextureReader { Tga, Jpeg };

struct TextureTableFile {
  const char* path;
  TextureReader reader;
};

// The entries by what they show; scenes bind them by these indices.
enum TableEntry : int {
  kLovingPicture = 0,
  kGroupLogo,
  kTitlePicture,
  kGlassPicture,
  kWherePicture,  // the five caption pictures follow in cue order
  kDoingPicture,
  kGuysPicture,
  kThingPicture,
  kGoingPicture,
  kRayPicture,
  kFramePicture,      // cyb.tga
  kFrameMaskPicture,  // cybmask.tga
  kWavesPicture,
  kSkyBack,
  kSkyFront,
  kSkyBottom,
  kSkyTop,
  kSkyLeft,
  kSkyRight,
  kSpherePicture,
  kBarPicture,
  kWaterFxPicture,
  kLoaderPicture,
  kScrollPicture,
};

// Index i of the table is loaded from kTextureTableFiles[i].
extern const std::array<TextureTableFile, kTextureTableSize> kTextureTableFiles;

struct TextureTable {
  std::array<TextureRecord, kTextureTableSize> entries{};
  // Bare texture names; they end with the rendering context, not with the table.
  std::uint32_t noiseTexture = 0;
  std::uint32_t trailTexture = 0;
  std::uint32_t backdropTexture = 0;
  int targetSize = kTargetTextureSize;  // the side of the two frame-copy targets
};

extern TextureTable textureTable;

// Entry i (0..23) of the table.
inline const TextureRecord& tableTexture(int index) { return textureTable.entries.at(index); }
// Its OpenGL name (0 when the picture was missing).
inline std::uint32_t tableTextureName(int index) { return tableTexture(index).name; }

// Loads the 24 entries from the working directory (a missing file leaves its entry empty and
// loading goes on), then makes the noise, trail and backdrop textures, the last two
// `targetSize` square (larger than the design's 512 only for a supersampled show). Needs a
// current OpenGL context.
void loadTextureTable(int targetSize = kTargetTextureSize);

// Deletes the 24 entries' textures in index order and clears them. The generated textures
// are left to the context.
void releaseTextureTable();
// Deletes the noise, trail and backdrop textures too: for a host that loads the show again in
// the same context (a reload, a loop), which would otherwise make three more each time.
void releaseGeneratedTextures();

// 256 x 256 RGBA grey noise, filled column by column from the C runtime generator
// (value = rand() % 255, alpha 255), reseeded with the runtime's initial seed 1 first so
// that every run, and every call, gives the same picture.
std::vector<std::uint8_t> noisePixels();

// Uploads noisePixels() as a bare texture with nearest filtering and no mipmaps.
std::uint32_t createNoiseTexture();

// A size x size RGBA texture with undefined contents and linear filtering.
std::uint32_t createTargetTexture(int size);

}  // namespace resources
