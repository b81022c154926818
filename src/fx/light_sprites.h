// Light sprites: a cluster of five coloured glows circling a point that travels along a path.
// Each sprite runs its own tilted orbit at i times the base speed and pulses its red, green
// and blue at its own rates; all are camera-facing quads added to the picture.
//
// The travelling point belongs to the scene (a world::PointPath read from "ligths.trj"):
// effects sit beside the world, not on top of it, so the scene advances its path and hands the
// current position to draw. It creates this object first (the sprite texture is loaded before
// the path is read) and then its path.
#pragma once

#include <string_view>

#include "fx/particle_system.h"
#include "resources/texture_record.h"

namespace fx {

// One camera-facing textured quad of half-size `size` around the centre, its axes taken from
// the current modelview.
void drawBillboard(float size, float cx, float cy, float cz);

constexpr int kLightSpriteCount = 5;

struct LightSprite {
  Float3 position;
  Rgb colour;  // may be negative: OpenGL shows those channels as 0
};

// Sprite i (1..5) around `point` at `nowMs` on the demo clock.
LightSprite lightSprite(int index, double nowMs, const Float3& point, float radius);

class LightSprites {
 public:
  // Loads the sprite image (TGA); an empty name loads nothing.
  explicit LightSprites(std::string_view textureFile);
  LightSprites(const LightSprites&) = delete;
  LightSprites& operator=(const LightSprites&) = delete;

  // The five sprites around `point`, at `radius`, each quad of half-size `size`.
  void draw(const Float3& point, float radius, float size) const;
  // Gives the texture back (needs the rendering context).
  void destroy();

  const resources::TextureRecord& texture() const { return texture_; }

 private:
  resources::TextureRecord texture_;
};

}  // namespace fx
