#include "resources/texture_table.h"

#include <GL/gl.h>

#include "platform/crt_random.h"
#include "resources/jpeg_texture.h"
#include "resources/tga_image.h"

namespace resources {

const std::array<TextureTableFile, kTextureTableSize> kTextureTableFiles = {{
    {"Textures\\Loving.tga", TextureReader::Tga},
    {"Textures\\Tolvek.tga", TextureReader::Tga},
    {"Textures\\Title.tga", TextureReader::Tga},
    {"Textures\\Glass.jpg", TextureReader::Jpeg},
    {"Textures\\Where.tga", TextureReader::Tga},
    {"Textures\\Doing.tga", TextureReader::Tga},
    {"Textures\\Guys.tga", TextureReader::Tga},
    {"Textures\\Thing.tga", TextureReader::Tga},
    {"Textures\\Going.tga", TextureReader::Tga},
    {"Textures\\ray.tga", TextureReader::Tga},
    {"Textures\\cyb.tga", TextureReader::Tga},
    {"Textures\\cybmask.tga", TextureReader::Tga},
    {"Textures\\waves.jpg", TextureReader::Jpeg},
    {"Textures\\back.jpg", TextureReader::Jpeg},
    {"Textures\\front.jpg", TextureReader::Jpeg},
    {"Textures\\bottom.jpg", TextureReader::Jpeg},
    {"Textures\\top.jpg", TextureReader::Jpeg},
    {"Textures\\left.jpg", TextureReader::Jpeg},
    {"Textures\\right.jpg", TextureReader::Jpeg},
    {"Textures\\sphere.jpg", TextureReader::Jpeg},
    {"Textures\\barre.jpg", TextureReader::Jpeg},
    {"Textures\\morvan\\waterfx.jpg", TextureReader::Jpeg},
    {"Textures\\tolvek-loader.jpg", TextureReader::Jpeg},
    {"Textures\\scroll.jpg", TextureReader::Jpeg},
}};

TextureTable textureTable;

std::vector<std::uint8_t> noisePixels() {
  constexpr int size = kNoiseTextureSize;
  std::vector<std::uint8_t> pixels(static_cast<size_t>(size) * size * 4);
  // Nothing has drawn from the generator when the original builds its table, so its
  // sequence starts at the initial seed; seeding here keeps that true whatever ran before.
  platform::crtSrand(1);
  for (int x = 0; x < size; ++x) {
    for (int y = 0; y < size; ++y) {
      const auto v = static_cast<std::uint8_t>(platform::crtRand() % 255);
      std::uint8_t* p = &pixels[(static_cast<size_t>(y) * size + x) * 4];
      p[0] = p[1] = p[2] = v;
      p[3] = 255;
    }
  }
  return pixels;
}

std::uint32_t createNoiseTexture() {
  const auto pixels = noisePixels();
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, kNoiseTextureSize, kNoiseTextureSize, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  return name;
}

std::uint32_t createTargetTexture(int size) {
  // Frame copies fill it later; zeros only keep the first frames predictable.
  const std::vector<std::uint8_t> scratch(static_cast<size_t>(size) * size * 4, 0);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, scratch.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

void loadTextureTable(int targetSize) {
  for (int i = 0; i < kTextureTableSize; ++i) {
    const TextureTableFile& file = kTextureTableFiles[i];
    textureTable.entries[i] = file.reader == TextureReader::Tga ? loadTgaTexture(file.path, 0)
                                                                : loadJpegTexture(file.path);
  }
  textureTable.noiseTexture = createNoiseTexture();
  textureTable.targetSize = targetSize;
  textureTable.trailTexture = createTargetTexture(targetSize);
  textureTable.backdropTexture = createTargetTexture(targetSize);
}

void releaseTextureTable() {
  for (TextureRecord& record : textureTable.entries) releaseTexture(record);
}

void releaseGeneratedTextures() {
  for (std::uint32_t* name : {&textureTable.noiseTexture, &textureTable.trailTexture, &textureTable.backdropTexture}) {
    if (*name != 0) glDeleteTextures(1, name);
    *name = 0;
  }
}

}  // namespace resources
