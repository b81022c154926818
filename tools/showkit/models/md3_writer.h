// Writes MD3 model files: frames with their bounds, tags per frame, and surfaces of
// triangles, texture coordinates and vertices in 1/64 units with packed normals. The layout
// is the back-to-back one of world/md3_format.h, with every header offset filled in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mesh_kit.h"

namespace modelkit {

struct TagPose {
  std::string name;
  Vec3 origin;
  std::array<Vec3, 3> axes{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
};

// One surface: the same triangles and texture coordinates in every frame, positions (and
// optionally normals) per frame. Triangles are counter-clockwise seen from outside, as the
// mesh kit builds them; the file stores them the other way round, which is what the demo's
// culling of front faces and its normal formula expect.
struct SurfaceFrames {
  std::string name;
  std::string shader;  // optional image path written into the shader record
  std::vector<Triangle> triangles;
  std::vector<Vec2> texCoords;                  // one per vertex; v grows down the picture
  std::vector<std::vector<Vec3>> positions;     // [frame][vertex]
  std::vector<std::vector<Vec3>> normals;       // [frame][vertex]; empty: computed
};

struct Md3Model {
  std::string name;
  int frameCount = 1;
  std::vector<std::vector<TagPose>> tags;  // [frame][tag]; empty for a model without tags
  std::vector<SurfaceFrames> surfaces;
};

struct Md3Encoding {
  std::vector<std::uint8_t> bytes;  // empty on error
  std::string error;
};

// The file, or an error that names what does not fit (counts that disagree between frames,
// an index out of range, a coordinate beyond the 16-bit range, a name too long).
Md3Encoding encodeMd3(const Md3Model& model);

// Packed normal: high byte the azimuth, low byte the angle from +z (0..255 for 0..2 pi).
std::uint16_t packNormal(Vec3 n);
Vec3 unpackNormal(std::uint16_t packed);

// Builds a surface from one mesh per frame (same topology in each).
SurfaceFrames surfaceFromMeshes(std::string name, const std::vector<Mesh>& frames);

}  // namespace modelkit
