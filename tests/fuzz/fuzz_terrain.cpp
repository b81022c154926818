// libFuzzer target: any bytes as the island's height file "Terrain.raw", loaded by the
// terrain loader at the show's size and compiled into its display list at the show's step.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "world/terrain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const std::string path = fuzz_support::writeInput("Terrain.raw", data, size);
  // No pictures: the fuzzed file is the height field alone.
  world::Terrain terrain = world::Terrain::load(1024, path, "no-terrain.jpg", "no-detail.jpg");
  terrain.buildList(10);
  terrain.destroy();
  return 0;
}
