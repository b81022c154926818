// libFuzzer target: any bytes as a level file, loaded by the level loader (textures named by
// its shaders, lightmap textures) and drawn from a few eyes: the origin, the middle of its
// first vertices and every node plane's foot, with and without the frustum's box test.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "world/bsp_level.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const std::string path = fuzz_support::writeInput("level.bsp", data, size);
  world::BspLevel level;
  if (!level.load(path, 2.0f)) return 0;

  std::vector<world::Vec3> eyes{{0.0f, 0.0f, 0.0f}};
  const auto& vertices = level.data().vertices;
  if (!vertices.empty()) eyes.push_back({vertices[0].position[0], vertices[0].position[1], vertices[0].position[2]});
  for (const auto& plane : level.data().planes) {
    if (eyes.size() >= 8) break;
    eyes.push_back({plane.normal[0] * plane.distance, plane.normal[1] * plane.distance, plane.normal[2] * plane.distance});
  }
  const world::BoxInView halfSpace = [](float x0, float, float, float x1, float, float) { return x0 <= 0.0f || x1 <= 0.0f; };
  for (const auto& eye : eyes) {
    level.render(eye, nullptr, 1, 1);
    // Every drawn fan has vertices of its own: a frame draws no more vertices than there are.
    std::int64_t fanVertices = 0;
    for (const std::int32_t face : level.lastDrawnFaces()) fanVertices += level.data().faces[face].vertexCount;
    if (fanVertices > static_cast<std::int64_t>(vertices.size())) std::abort();
    level.render(eye, halfSpace, 0, 1);
  }
  level.destroy();
  return 0;
}
