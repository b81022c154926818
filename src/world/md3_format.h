// On-disk records of an MD3 model file, byte for byte. The model loader reads them and the
// content kit's model writer writes them, so both sides share this one header.
//
// Every integer is little-endian (32-bit signed unless the field says otherwise), every real
// a 32-bit IEEE float; the records need no padding (checked below). A file is laid out as
// header, frames, tags (frame-major), then the surfaces one after another; a surface is its
// header followed by shaders, triangles, texture coordinates and vertices, each found at the
// offset its header gives from the surface start. Models store z up.
#pragma once

#include <cstdint>
#include <type_traits>

namespace world::md3 {

constexpr int kNameLength = 64;
constexpr int kFrameNameLength = 16;

// A stored vertex coordinate of 64 is one model unit.
constexpr float kVertexScale = 1.0f / 64.0f;

struct Md3Header {
  char identification[4];  // "IDP3"; not checked on load
  std::int32_t version;    // 15; not checked on load
  char name[kNameLength];
  std::int32_t flags;
  std::int32_t frameCount;
  std::int32_t tagCount;
  std::int32_t surfaceCount;
  std::int32_t skinCount;
  std::int32_t framesOffset;    // from the start of the file
  std::int32_t tagsOffset;
  std::int32_t surfacesOffset;
  std::int32_t endOffset;       // file size
};

// Bounds of one frame in model units.
struct Md3Frame {
  float mins[3];
  float maxs[3];
  float origin[3];
  float radius;
  char name[kFrameNameLength];
};

// A joint: origin and the three axes of the attached model's frame. Tag i of frame f is
// record f x tagCount + i.
struct Md3Tag {
  char name[kNameLength];  // NUL-terminated
  float origin[3];
  float axis[3][3];
};

struct Md3SurfaceHeader {
  char identification[4];  // "IDP3"
  char name[kNameLength];  // NUL-terminated; skin lines name surfaces by it
  std::int32_t flags;
  std::int32_t frameCount;
  std::int32_t shaderCount;
  std::int32_t vertexCount;
  std::int32_t triangleCount;
  std::int32_t trianglesOffset;  // each offset counts from the surface start
  std::int32_t shadersOffset;
  std::int32_t texCoordsOffset;
  std::int32_t verticesOffset;
  std::int32_t endOffset;  // surface size: the next surface starts here
};

struct Md3Shader {
  char name[kNameLength];
  std::int32_t shaderIndex;
};

struct Md3Triangle {
  std::int32_t indices[3];
};

struct Md3TexCoord {
  float s;
  float t;
};

// Frame-major: vertex v of frame f is record f x vertexCount + v.
struct Md3Vertex {
  std::int16_t position[3];  // units of 1/64
  std::uint16_t normal;      // high byte: azimuth, low byte: angle from +z, both 0..255 for 0..2 pi
};

static_assert(sizeof(Md3Header) == 108);
static_assert(sizeof(Md3Frame) == 56);
static_assert(sizeof(Md3Tag) == 112);
static_assert(sizeof(Md3SurfaceHeader) == 108);
static_assert(sizeof(Md3Shader) == 68);
static_assert(sizeof(Md3Triangle) == 12);
static_assert(sizeof(Md3TexCoord) == 8);
static_assert(sizeof(Md3Vertex) == 8);
static_assert(std::is_trivially_copyable_v<Md3SurfaceHeader> && std::is_standard_layout_v<Md3SurfaceHeader>);
static_assert(std::is_trivially_copyable_v<Md3Vertex> && std::is_standard_layout_v<Md3Vertex>);

}  // namespace world::md3
