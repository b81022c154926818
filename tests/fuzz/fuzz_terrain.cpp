// libFuzzer target: any bytes as the island's height file "Terrain.raw", read at the show's
// size and turned into the vertices of its list at the show's step.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "world/terrain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const world::HeightField field = world::parseHeightField(std::span(data, size), 1024);
  const auto mesh = world::terrainMesh(field.heights, field.size, 10);
  // 103 x 103 quads whatever the file holds.
  if (mesh.size() != 4u * 103 * 103) std::abort();
  return 0;
}
