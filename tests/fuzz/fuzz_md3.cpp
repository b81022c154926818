// libFuzzer target: any bytes as an MD3 model file, loaded by the model loader and drawn for
// a few animation frames with a small model carried on each of its tags.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "md3_test_writer.h"
#include "world/md3_model.h"

namespace {

world::Md3Model& carriedModel() {
  static world::Md3Model model = [] {
    md3_testing::TestModel m;
    m.surfaces.push_back(md3_testing::squareSurface("carried", 64));
    const auto bytes = md3_testing::writeMd3(m);
    return world::Md3Model::fromMemory(bytes);
  }();
  return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const std::string path = fuzz_support::writeInput("model.md3", data, size);
  world::Md3Model model = world::Md3Model::load(path);
  // Surfaces do not share their frames: all of them together hold no more vertex records
  // than the file has room for (the normals, one per vertex, follow them).
  std::size_t vertexRecords = 0;
  for (const auto& surface : model.data().surfaces) vertexRecords += surface.vertices.size();
  if (vertexRecords * sizeof(world::md3::Md3Vertex) > size) std::abort();
  for (const auto& tag : model.data().tags)
    model.attach(std::string_view(tag.name, strnlen(tag.name, sizeof tag.name)), &carriedModel());
  // The scenes draw with speed 0; the character's parts move on, through every frame.
  for (int frame = 0; frame < 6; ++frame) {
    model.draw(frame < 2 ? 0.0f : 45.0f);
    model.advanceFrame();
    for (std::int32_t tag = -1; tag <= model.data().tagCount && tag < 64; ++tag) model.currentTagMatrix(tag);
  }
  model.destroy();
  return 0;
}
