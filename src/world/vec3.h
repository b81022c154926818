// The scene's vector: three single-precision floats, y up.
#pragma once

namespace world {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  friend bool operator==(const Vec3&, const Vec3&) = default;
};

}  // namespace world
