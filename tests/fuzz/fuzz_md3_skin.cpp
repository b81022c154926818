// libFuzzer target: any bytes as a model's skin file, applied with both image readers to a
// model whose surfaces carry the names of the show's models, in a folder holding one small
// picture of each kind; then the model is drawn once.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "md3_test_writer.h"
#include "resources/tga_image.h"
#include "world/md3_model.h"

namespace {

struct Setup {
  std::string folder;
  md3_testing::Bytes model;
};

const Setup& setup() {
  static const Setup s = [] {
    fuzz_support::silenceMessageBoxes();
    Setup out;
    out.folder = fuzz_support::scratchFolder();
    md3_testing::TestModel m;
    for (const char* name : {"h_head", "u_torso", "l_legs", "boat", "s"})
      m.surfaces.push_back(md3_testing::squareSurface(name, 32));
    out.model = md3_testing::writeMd3(m);
    // 2 x 2 pictures the lines can name: "skin.tga", and the same bytes as "skin.jpg" (which
    // the JPEG reader rejects).
    const std::uint8_t pixels[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    resources::writeTga(out.folder + "/skin.tga", 2, 2, 24, pixels);
    resources::writeTga(out.folder + "/skin.jpg", 2, 2, 24, pixels);
    return out;
  }();
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::requireGlContext();
  const Setup& s = setup();
  const std::string skin = fuzz_support::writeInput("model.skin", data, size);
  world::Md3Model model = world::Md3Model::fromMemory(s.model);
  model.loadSkinTga(skin, s.folder);
  model.draw(0.0f);
  model.loadSkinJpeg(skin, s.folder);
  model.draw(0.0f);
  model.destroy();
  return 0;
}
