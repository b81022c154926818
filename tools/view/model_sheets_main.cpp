// tolvek-model-sheets OUTDIR: renders the kit's models (as written, then read by the demo's
// reader) from a few sides into PNG files, to look at while shaping them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "resources/png_writer.h"
#include "preview_renderer.h"
#include "show_model_set.h"

using modelkit::Transform;
using modelkit::Vec3;
using view::PreviewCanvas;

namespace {

std::optional<world::Md3Data> readBack(const modelkit::SkinnedModel& m) {
  const modelkit::Md3Encoding e = modelkit::encodeMd3(m.model);
  if (e.bytes.empty()) {
    std::fprintf(stderr, "%s: %s\n", m.model.name.c_str(), e.error.c_str());
    return std::nullopt;
  }
  return world::parseMd3(e.bytes);
}

void turntable(const std::string& out, const std::string& name, const modelkit::SkinnedModel& m, float distance, float height,
               float floorZ) {
  const auto model = readBack(m);
  if (!model) return;
  for (int view = 0; view < 4; ++view) {
    const float a = 0.6f + 1.5707963f * static_cast<float>(view);
    PreviewCanvas canvas(480, 480, {distance * std::cos(a), distance * std::sin(a), height}, {0, 0, height * 0.3f}, 45);
    if (floorZ > -1e5f) canvas.drawFloor(floorZ, distance * 0.8f, {0, 0, 0});
    canvas.drawModel(*model, 0, Transform{}, m.skin, m.jpeg);
    canvas.savePng(out + "/" + name + "_" + std::to_string(view) + ".png");
  }
}

// One strip per animation: lower frame first+k with upper frame upperFirst+k, the head on
// its only frame, all joined through the tags as the demo joins them.
void characterStrip(const std::string& path, const modelkit::CharacterSet& c, const world::Md3Data& lower,
                    const world::Md3Data& upper, const world::Md3Data& head, int lowerFirst,
                    int upperFirst, int count, Vec3 eye) {
  const int cell = 260, perRow = 6, rows = (count + perRow - 1) / perRow;
  showkit::Image strip(cell * std::min(count, perRow), cell * rows);
  for (int k = 0; k < count; ++k) {
    PreviewCanvas canvas(cell, cell, eye, {0, 0, -5}, 45);
    canvas.drawFloor(modelkit::CharacterSet::kFloorZ, 60, {0, 0, 0});
    const int lf = lowerFirst + k, uf = upperFirst + k;
    canvas.drawModel(lower, lf, Transform{}, c.lower.skin, false);
    const auto* torso = view::findTag(lower, lf, "tag_torso");
    const auto* neck = view::findTag(upper, uf, "tag_head");
    if (!torso || !neck) return;
    const Transform upperPlace = view::tagTransform(*torso);
    canvas.drawModel(upper, uf, upperPlace, c.upper.skin, false);
    canvas.drawModel(head, 0, upperPlace * view::tagTransform(*neck), c.head.skin, false);
    for (int y = 0; y < cell; ++y)
      for (int x = 0; x < cell; ++x) strip.at(k % perRow * cell + x, k / perRow * cell + y) = canvas.image().at(x, y);
  }
  const std::vector<std::uint8_t> bytes = strip.toBytes(3);
  resources::writePngFile(path, strip.width(), strip.height(), 3, bytes.data());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tolvek-model-sheets OUTDIR\n");
    return 2;
  }
  const std::string out = argv[1];
  turntable(out, "moine", modelkit::monkModel(), 110, 20, -37);
  turntable(out, "boat", modelkit::boatModel(), 190, 60, -24);
  turntable(out, "chelou", modelkit::chelouModel(), 300, 60, -1e6f);

  const modelkit::CharacterSet c = modelkit::characterModel();
  const auto lower = readBack(c.lower), upper = readBack(c.upper), head = readBack(c.head);
  if (!lower || !upper || !head) return 1;
  const auto& a = c.animations;
  const int shift = a[13].first - a[6].first;
  const Vec3 side{12, 115, 5}, front{110, 35, 8};
  characterStrip(out + "/run_side.png", c, *lower, *upper, *head, a[15].first - shift, a[6].first, 10, side);
  characterStrip(out + "/run_front.png", c, *lower, *upper, *head, a[15].first - shift, a[6].first, 10, front);
  characterStrip(out + "/gesture.png", c, *lower, *upper, *head, a[22].first - shift, a[6].first, 16, front);
  for (int n : {0, 2, 4})
    characterStrip(out + "/death" + std::to_string(n) + ".png", c, *lower, *upper, *head, a[static_cast<size_t>(n)].first,
                   a[static_cast<size_t>(n)].first, a[static_cast<size_t>(n)].count, side);
  characterStrip(out + "/walk.png", c, *lower, *upper, *head, a[14].first - shift, a[11].first, 10, side);
  characterStrip(out + "/crouch.png", c, *lower, *upper, *head, a[23].first - shift, a[12].first, 10, front);
  return 0;
}
