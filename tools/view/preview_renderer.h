// A small software renderer for looking at the kit's models without a window: flat-lit,
// textured, depth-buffered triangles of MD3 files as the demo's reader reads them, culled the
// way the demo culls (the files' clockwise faces are the front), saved as PNG.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "mesh_kit.h"
#include "world/md3_model.h"

namespace view {

modelkit::Transform tagTransform(const world::md3::Md3Tag& tag);
// Tag `name` in frame `frame`, or nothing.
const world::md3::Md3Tag* findTag(const world::Md3Data& model, int frame, const std::string& name);

class PreviewCanvas {
 public:
  // Camera with z up looking from eye to target.
  PreviewCanvas(int width, int height, modelkit::Vec3 eye, modelkit::Vec3 target, float fovDegrees);

  // Draws frame `frame` of every surface, placed by `place`; skin rows run top to bottom,
  // sampled with t flipped for JPEG skins the way the demo shows them.
  void drawModel(const world::Md3Data& model, int frame, const modelkit::Transform& place, const showkit::Image& skin, bool jpeg);
  void drawFloor(float z, float halfSize, modelkit::Vec3 centre);
  int pixelsDrawn() const { return drawn_; }
  const showkit::Image& image() const { return image_; }
  bool savePng(const std::string& path) const;

 private:
  void triangle(const modelkit::Vec3 (&p)[3], const modelkit::Vec2 (&uv)[3], const showkit::Image* skin, bool jpeg,
                showkit::Rgba flat);
  int width_, height_;
  modelkit::Vec3 eye_, forward_, right_, up_;
  float focal_;
  showkit::Image image_;
  std::vector<float> depth_;
  int drawn_ = 0;
};

}  // namespace view
