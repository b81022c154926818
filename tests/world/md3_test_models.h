// Models for the MD3 tests, stated the way the file stores them (vertices in 1/64 units,
// triangles in file order) and written by the content kit's model writer, so a test can state
// a model, write it, and then damage exactly the field it wants the loader to survive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/md3_format.h"

namespace md3_testing {

using Bytes = std::vector<std::uint8_t>;

struct TestTag {
  std::string name;
  std::array<float, 3> origin{0, 0, 0};
  std::array<std::array<float, 3>, 3> axes{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};

struct TestSurface {
  std::string name;
  std::vector<std::array<std::int32_t, 3>> triangles;            // corner order as in the file
  std::vector<std::array<float, 2>> texCoords;                   // one per vertex
  std::vector<std::vector<std::array<std::int16_t, 3>>> frames;  // [frame][vertex], 1/64 units
};

struct TestModel {
  std::int32_t frameCount = 1;
  std::vector<std::vector<TestTag>> tags;  // [frame][tag], the same names in every frame
  std::vector<TestSurface> surfaces;
};

// The file as the kit's writer makes it; an empty vector (and a failed test) when it refuses.
Bytes writeMd3(const TestModel& model);

// Byte offset of surface i's header in a written file, by the headers' own sizes.
std::size_t surfaceStart(const Bytes& file, std::size_t surface);
void putInt32(Bytes& bytes, std::size_t offset, std::int32_t value);

// Field offsets within the records.
namespace md3 = world::md3;
constexpr std::size_t kFrameCountField = offsetof(md3::Md3Header, frameCount);
constexpr std::size_t kTagCountField = offsetof(md3::Md3Header, tagCount);
constexpr std::size_t kSurfaceCountField = offsetof(md3::Md3Header, surfaceCount);
constexpr std::size_t kSurfaceFrameCountField = offsetof(md3::Md3SurfaceHeader, frameCount);
constexpr std::size_t kSurfaceVertexCountField = offsetof(md3::Md3SurfaceHeader, vertexCount);
constexpr std::size_t kSurfaceTriangleCountField = offsetof(md3::Md3SurfaceHeader, triangleCount);
constexpr std::size_t kSurfaceTrianglesOffsetField = offsetof(md3::Md3SurfaceHeader, trianglesOffset);
constexpr std::size_t kSurfaceTexCoordsOffsetField = offsetof(md3::Md3SurfaceHeader, texCoordsOffset);
constexpr std::size_t kSurfaceVerticesOffsetField = offsetof(md3::Md3SurfaceHeader, verticesOffset);
constexpr std::size_t kSurfaceSizeField = offsetof(md3::Md3SurfaceHeader, endOffset);

// A flat square of two triangles in the file's x-y plane, side `half` x 2 (1/64 units) around
// the origin, one frame, texture coordinates spanning 0..1.
TestSurface squareSurface(const std::string& name, std::int16_t half);

}  // namespace md3_testing
