// libFuzzer target: any bytes as a character's Animation.cfg, read by the table reader and
// shifted as the character does; then every animation is switched to and played for a few
// frames on body parts that carry tags, as drawing would look them up.
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz_support.h"
#include "world/character.h"

namespace {

// Four frames of one tag and no surfaces: enough for the frame and tag arithmetic.
world::Md3Model taggedPart(const char* tag) {
  world::Md3Data data;
  data.frameCount = 4;
  data.tagCount = 1;
  data.tags.resize(4);
  for (auto& t : data.tags) {
    t = {};
    std::snprintf(t.name, sizeof t.name, "%s", tag);
    t.axis[0][0] = t.axis[1][1] = t.axis[2][2] = 1.0f;
  }
  return world::Md3Model::fromData(std::move(data));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto config = world::parseAnimationConfig(std::string_view(reinterpret_cast<const char*>(data), size));
  world::AnimationTable table = config.table;
  world::shiftLowerBodyFrames(table);
  world::Character character;
  character.lowerBody() = taggedPart("tag_torso");
  character.upperBody() = taggedPart("tag_head");
  character.setAnimations(table);
  for (std::int32_t n = -1; n <= world::kAnimationCount; ++n) {
    character.setAnimation(n);
    for (int frame = 0; frame < 3; ++frame) {
      for (world::Md3Model* part : {&character.lowerBody(), &character.upperBody()}) {
        part->frameState().frac += 1.0f;
        part->advanceFrame();
        part->currentTagMatrix(0);
      }
    }
  }
  return 0;
}
