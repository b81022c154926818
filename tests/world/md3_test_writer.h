// Builds MD3 model files for the tests straight from the on-disk records, laid out back to
// back with every header offset filled in, so a test can state a model and then damage
// exactly the field it wants the loader to survive.
#pragma once

#include <array>
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
  std::vector<std::array<std::int32_t, 3>> triangles;
  std::vector<std::array<float, 2>> texCoords;                   // one per vertex
  std::vector<std::vector<std::array<std::int16_t, 3>>> frames;  // [frame][vertex], 1/64 units
};

struct TestModel {
  std::int32_t frameCount = 1;
  std::vector<std::vector<TestTag>> tags;  // [frame][tag]
  std::vector<TestSurface> surfaces;
};

Bytes writeMd3(const TestModel& model);

// Byte offsets inside a written file, for damaging it.
std::size_t surfaceStart(const TestModel& model, std::size_t surface);
void putInt32(Bytes& bytes, std::size_t offset, std::int32_t value);

// Field offsets within the records.
constexpr std::size_t kFrameCountField = 76;
constexpr std::size_t kTagCountField = 80;
constexpr std::size_t kSurfaceCountField = 84;
constexpr std::size_t kSurfaceFrameCountField = 72;
constexpr std::size_t kSurfaceVertexCountField = 80;
constexpr std::size_t kSurfaceTriangleCountField = 84;
constexpr std::size_t kSurfaceTrianglesOffsetField = 88;
constexpr std::size_t kSurfaceTexCoordsOffsetField = 96;
constexpr std::size_t kSurfaceVerticesOffsetField = 100;
constexpr std::size_t kSurfaceSizeField = 104;

// A flat square of two triangles in the file's x-y plane, side `half` x 2 (1/64 units) around
// the origin, one frame, texture coordinates spanning 0..1.
TestSurface squareSurface(const std::string& name, std::int16_t half);

bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace md3_testing
