// The texture record every part of the demo holds for an image it draws, and the upload
// settings shared by the JPEG and TGA loaders.
//
// A record is a plain value: width, height and bits are information, `name` is the OpenGL
// texture to bind. Whoever asked for a record owns its texture and gives it back with
// releaseTexture while the rendering context is still current (textures cannot be deleted
// after the context is gone, so there is no destructor doing it behind the owner's back).
#pragma once

#include <cstdint>

namespace resources {

struct TextureRecord {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bits = 0;    // 8 x colour components of the decoded image
  std::uint32_t name = 0;   // 0: no texture (missing or rejected file)

  bool empty() const { return name == 0; }
};

// Deletes the texture (when there is one) and clears the record.
void releaseTexture(TextureRecord& record);

// Generates a texture name into record.name, binds it, builds the whole mipmap chain from
// `pixels` (rows of width x bits/8 bytes, first row at t = 0) when bits is 24 or 32, and sets
// the linear / trilinear filters. Wrap modes and the texture environment are left alone and
// the texture stays bound. Other depths get a name with no image.
void uploadTexture(TextureRecord& record, const std::uint8_t* pixels);

}  // namespace resources
