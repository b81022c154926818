// Which way each sky box picture looks. The sky box draws face F with texture coordinates
// (s, t) at the cube point skyFaceDirection(F, s, t) (t = 0 is the picture's first row), so
// a picture made from one function of that direction meets its neighbours without seams.
#pragma once

#include <array>
#include <string_view>

namespace showkit {

enum class SkyFace { Back, Front, Bottom, Top, Left, Right };

inline constexpr std::array kSkyFaces{SkyFace::Back, SkyFace::Front, SkyFace::Bottom,
                                      SkyFace::Top, SkyFace::Left, SkyFace::Right};

struct Vec3Tuple {
  float x, y, z;
};

// A point of the unit cube (each coordinate -1..1) seen through (s, t) of the face.
Vec3Tuple skyFaceDirection(SkyFace face, float s, float t);
std::string_view skyFaceFile(SkyFace face);

}  // namespace showkit
