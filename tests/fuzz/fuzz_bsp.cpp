// libFuzzer target: any bytes as a level file, read by the level reader; the camera's leaf
// found from a few eyes (the origin, the first vertex and the first node planes' feet), and
// the faces selected as a frame would draw them from the first two, with and without a box
// test.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "world/bsp_level.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const world::LevelData level = world::parseLevel(std::span(data, size));
  std::vector<std::uint8_t> lightmaps = level.lightmapBytes;
  world::scaleLightmaps(lightmaps, 2.0f);

  std::vector<world::Vec3> eyes{{0.0f, 0.0f, 0.0f}};
  if (!level.vertices.empty())
    eyes.push_back({level.vertices[0].position[0], level.vertices[0].position[1], level.vertices[0].position[2]});
  for (const auto& plane : level.planes) {
    if (eyes.size() >= 8) break;
    eyes.push_back({plane.normal[0] * plane.distance, plane.normal[1] * plane.distance, plane.normal[2] * plane.distance});
  }
  const world::BoxInView halfSpace = [](float x0, float, float, float x1, float, float) { return x0 <= 0.0f || x1 <= 0.0f; };
  for (const auto& eye : eyes) world::findCameraLeaf(level, eye);
  world::FaceSelection selection;
  for (size_t i = 0; i < eyes.size() && i < 2; ++i) {
    // Every drawn fan has vertices of its own: a frame draws no more vertices than there are.
    std::int64_t fanVertices = 0;
    for (const std::int32_t face : selection.select(level, eyes[i], {})) fanVertices += level.faces[face].vertexCount;
    if (fanVertices > static_cast<std::int64_t>(level.vertices.size())) std::abort();
    selection.select(level, eyes[i], halfSpace);
  }
  return 0;
}
