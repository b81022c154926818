// Reads MD3 files back for the tests: every count and offset checked against the bytes, so a
// writer fault shows as an error message rather than a crash.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "world/md3_format.h"

namespace modelkit_test {

struct ReadSurface {
  world::md3::Md3SurfaceHeader header{};
  size_t start = 0;  // file offset of the surface header
  std::string name;
  std::vector<std::array<int, 3>> triangles;
  std::vector<std::array<float, 2>> texCoords;
  std::vector<world::md3::Md3Vertex> vertices;  // frame-major, as stored

  std::array<float, 3> position(int frame, int vertex) const;  // in model units
};

struct ReadModel {
  world::md3::Md3Header header{};
  std::vector<world::md3::Md3Frame> frames;
  std::vector<world::md3::Md3Tag> tags;  // frame-major
  std::vector<ReadSurface> surfaces;

  const world::md3::Md3Tag* tag(int frame, const std::string& name) const;
};

// Follows the header's offsets; fails (with a reason) on anything that points outside the
// file or disagrees with the counts.
std::optional<ReadModel> readMd3(std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace modelkit_test
