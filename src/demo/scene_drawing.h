// Small drawing steps the scenes of the show share.
#pragma once

#include <cstdint>

namespace demo {

// The veils' colour scale: 255 is full intensity.
constexpr float kWhite = 255.0f;

// Texture unit 0 active, `texture` bound, texturing on.
void bindOnUnit0(std::uint32_t texture);

// A texture coordinate for unit 0 through the multitexture entry point, as the progress
// screen and the end scene give theirs.
void unit0TexCoord(float s, float t);

// Full-window viewport, projection = perspective(fieldOfView, aspect, zNear, zFar),
// modelview identity: how the scenes hand the picture over to the next one.
void setShowProjection(float fieldOfView, float aspect, double zNear, double zFar);

// The same with the configured field of view and aspect.
void setWindowProjection(double zNear, double zFar);

}  // namespace demo
