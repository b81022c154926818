#include "preview_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "resources/png_writer.h"

namespace view {

using modelkit::Vec2;
using modelkit::Vec3;

modelkit::Transform tagTransform(const world::md3::Md3Tag& tag) {
  modelkit::Transform t;
  for (int a = 0; a < 3; ++a) t.axes[static_cast<size_t>(a)] = {tag.axis[a][0], tag.axis[a][1], tag.axis[a][2]};
  t.origin = {tag.origin[0], tag.origin[1], tag.origin[2]};
  return t;
}

const world::md3::Md3Tag* findTag(const world::Md3Data& model, int frame, const std::string& name) {
  for (std::int32_t i = 0; i < model.tagCount; ++i) {
    const std::size_t at = static_cast<std::size_t>(frame) * static_cast<std::size_t>(model.tagCount) + static_cast<std::size_t>(i);
    if (at < model.tags.size() && std::string_view(model.tags[at].name, strnlen(model.tags[at].name, sizeof model.tags[at].name)) == name)
      return &model.tags[at];
  }
  return nullptr;
}

PreviewCanvas::PreviewCanvas(int width, int height, Vec3 eye, Vec3 target, float fovDegrees)
    : width_(width), height_(height), eye_(eye), image_(width, height, {0.16f, 0.17f, 0.2f, 1}),
      depth_(static_cast<size_t>(width) * height, 1e30f) {
  forward_ = modelkit::normalized(target - eye);
  right_ = modelkit::normalized(modelkit::cross(forward_, {0, 0, 1}));
  up_ = modelkit::cross(right_, forward_);
  focal_ = static_cast<float>(height) * 0.5f / std::tan(fovDegrees * 3.14159265f / 360);
}

void PreviewCanvas::triangle(const Vec3 (&p)[3], const Vec2 (&uv)[3], const showkit::Image* skin, bool jpeg, showkit::Rgba flat) {
  // The demo's front faces are clockwise: their normal is (c2 - c0) x (c1 - c0).
  const Vec3 n = modelkit::cross(p[2] - p[0], p[1] - p[0]);
  const Vec3 centre = (p[0] + p[1] + p[2]) * (1.0f / 3);
  if (modelkit::dot(n, centre - eye_) >= 0) return;
  const Vec3 light = modelkit::normalized({-0.4f, -0.5f, 0.8f});
  const float shade = 0.4f + 0.7f * std::max(0.0f, modelkit::dot(modelkit::normalized(n), light));
  float sx[3], sy[3], w[3];
  for (int k = 0; k < 3; ++k) {
    const Vec3 d = p[k] - eye_;
    const float z = modelkit::dot(d, forward_);
    if (z < 0.1f) return;
    w[k] = 1 / z;
    sx[k] = static_cast<float>(width_) * 0.5f + modelkit::dot(d, right_) * focal_ * w[k];
    sy[k] = static_cast<float>(height_) * 0.5f - modelkit::dot(d, up_) * focal_ * w[k];
  }
  const float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
  if (std::fabs(area) < 1e-6f) return;
  const int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
  const int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      float b[3];
      b[0] = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
      b[1] = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
      b[2] = 1 - b[0] - b[1];
      if (b[0] < 0 || b[1] < 0 || b[2] < 0) continue;
      const float iw = b[0] * w[0] + b[1] * w[1] + b[2] * w[2];
      const float depth = 1 / iw;
      float& stored = depth_[static_cast<size_t>(y) * width_ + x];
      if (depth >= stored) continue;
      stored = depth;
      showkit::Rgba c = flat;
      if (skin) {
        const float s = (b[0] * uv[0].x * w[0] + b[1] * uv[1].x * w[1] + b[2] * uv[2].x * w[2]) / iw;
        const float t = (b[0] * uv[0].y * w[0] + b[1] * uv[1].y * w[1] + b[2] * uv[2].y * w[2]) / iw;
        const float row = jpeg ? 1 - t : t;
        c = skin->sample(s * static_cast<float>(skin->width()), row * static_cast<float>(skin->height()), true);
      }
      image_.at(x, y) = {c.r * shade, c.g * shade, c.b * shade, 1};
      ++drawn_;
    }
}

void PreviewCanvas::drawModel(const world::Md3Data& model, int frame, const modelkit::Transform& place, const showkit::Image& skin, bool jpeg) {
  for (const world::Md3Surface& s : model.surfaces) {
    if (frame < 0 || frame >= s.frameCount) continue;
    for (const auto& tri : s.triangles) {
      Vec3 p[3];
      Vec2 uv[3];
      for (int k = 0; k < 3; ++k) {
        const world::Vec3 q = s.position(frame, tri.indices[k]);
        p[k] = place.apply({q.x, q.y, q.z});
        const auto& st = s.texCoords[static_cast<size_t>(tri.indices[k])];
        uv[k] = {st.s, st.t};
      }
      triangle(p, uv, &skin, jpeg, {});
    }
  }
}

void PreviewCanvas::drawFloor(float z, float half, Vec3 centre) {
  const int n = 8;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const float x0 = centre.x - half + 2 * half * static_cast<float>(i) / n, x1 = x0 + 2 * half / n;
      const float y0 = centre.y - half + 2 * half * static_cast<float>(j) / n, y1 = y0 + 2 * half / n;
      const showkit::Rgba c = ((i + j) & 1) ? showkit::Rgba{0.3f, 0.3f, 0.32f, 1} : showkit::Rgba{0.22f, 0.22f, 0.24f, 1};
      const Vec3 a{x0, y0, z}, b{x1, y0, z}, cc{x1, y1, z}, d{x0, y1, z};
      const Vec2 uv[3]{};
      // Clockwise seen from above, like the files' front faces.
      triangle({a, cc, b}, uv, nullptr, false, c);
      triangle({a, d, cc}, uv, nullptr, false, c);
    }
}

bool PreviewCanvas::savePng(const std::string& path) const {
  const std::vector<std::uint8_t> bytes = image_.toBytes(3);
  return resources::writePngFile(path, width_, height_, 3, bytes.data());
}

}  // namespace view
