// libFuzzer target: any bytes as a character's Animation.cfg, loaded with three small body
// parts by the character loader; then every animation is played and drawn for a few frames.
#include <GL/gl.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "md3_test_writer.h"
#include "world/character.h"

namespace {

// Lower body (with tag_torso), upper body (with tag_head) and head, four frames each.
const std::string& characterFolder() {
  static const std::string folder = [] {
    const std::string path = fuzz_support::scratchFolder();
    auto part = [&](const char* name, const char* tag) {
      md3_testing::TestModel m;
      m.frameCount = 4;
      auto surface = md3_testing::squareSurface(std::string(name) + "_mesh", 64);
      surface.frames.assign(4, surface.frames.front());
      m.surfaces.push_back(surface);
      if (tag) {
        m.tags.resize(4);
        for (auto& frame : m.tags) frame.push_back(md3_testing::TestTag{tag});
      }
      md3_testing::writeFile(path + "/" + name + ".md3", md3_testing::writeMd3(m));
    };
    part("Lower", "tag_torso");
    part("Upper", "tag_head");
    part("Head", nullptr);
    return path;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const std::string& folder = characterFolder();
  fuzz_support::writeInput("Animation.cfg", data, size);
  world::Character character = world::Character::load(folder);
  for (std::int32_t n = -1; n <= world::kAnimationCount; ++n) {
    character.setAnimation(n);
    for (int frame = 0; frame < 3; ++frame) {
      glLoadIdentity();  // draw leaves its scale and turns on the matrix
      character.draw(45.0f);
    }
  }
  character.destroy();
  return 0;
}
