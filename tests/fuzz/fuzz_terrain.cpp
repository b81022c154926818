// libFuzzer target: any bytes as a height file, read into a field and turned into the
// vertices of its list at the show's step. The field is 124 x 124, small enough for every
// byte to be fuzzed (the show's is 1024 x 1024, the same arithmetic): its last quads reach
// past the field's end and the height rows wrap in z.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "world/terrain.h"

namespace {

constexpr std::int32_t kSize = 124;
constexpr std::int32_t kStep = 10;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const world::HeightField field = world::parseHeightField(std::span(data, size), kSize);
  const auto mesh = world::terrainMesh(field.heights, field.size, kStep);
  // 13 x 13 quads whatever the file holds, every height one the field has or 0.
  if (mesh.size() != 4u * 13 * 13) std::abort();
  return 0;
}
