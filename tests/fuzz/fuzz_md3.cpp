// libFuzzer target: any bytes as an MD3 model file, read by the model reader (with its
// normals), then played through a few frames as drawing would: the blended surfaces and the
// tag matrices of every tag, with the scenes' speed 0 and the character's speed.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "fuzz_support.h"
#include "world/md3_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  world::Md3Model model = world::Md3Model::fromMemory(std::span(data, size));
  // Surfaces do not share their frames: all of them together hold no more vertex records
  // than the file has room for.
  std::size_t vertexRecords = 0;
  for (const auto& surface : model.data().surfaces) vertexRecords += surface.vertices.size();
  if (vertexRecords * sizeof(world::md3::Md3Vertex) > size) std::abort();

  world::BlendedSurface blended;
  for (int frame = 0; frame < 6; ++frame) {
    world::FrameState& state = model.frameState();
    for (const auto& surface : model.data().surfaces) {
      if (world::blendSurface(surface, state.current, state.next, state.frac, blended))
        for (const std::uint32_t index : blended.indices)
          if (index >= blended.positions.size()) std::abort();
      state.frac += (frame < 2 ? 0.0f : 45.0f) * world::kFracPerSurface;
    }
    for (std::int32_t tag = -1; tag <= model.data().tagCount && tag < 64; ++tag) model.currentTagMatrix(tag);
    model.advanceFrame();
  }
  return 0;
}
