#include "md3_test_models.h"

#include <gtest/gtest.h>

#include <cstring>

#include "md3_writer.h"

namespace md3_testing {

Bytes writeMd3(const TestModel& model) {
  modelkit::Md3Model m;
  m.name = "test";
  m.frameCount = model.frameCount;
  for (const auto& frame : model.tags) {
    auto& poses = m.tags.emplace_back();
    for (const TestTag& t : frame) {
      modelkit::TagPose pose;
      pose.name = t.name;
      pose.origin = {t.origin[0], t.origin[1], t.origin[2]};
      for (std::size_t a = 0; a < 3; ++a) pose.axes[a] = {t.axes[a][0], t.axes[a][1], t.axes[a][2]};
      poses.push_back(pose);
    }
  }
  for (const TestSurface& s : model.surfaces) {
    modelkit::SurfaceFrames surface;
    surface.name = s.name;
    // The writer turns the mesh kit's counter-clockwise triangles round as it stores them.
    for (const auto& t : s.triangles) surface.triangles.push_back({t[0], t[2], t[1]});
    for (const auto& tc : s.texCoords) surface.texCoords.push_back({tc[0], tc[1]});
    for (const auto& frame : s.frames) {
      auto& positions = surface.positions.emplace_back();
      for (const auto& v : frame)
        positions.push_back({v[0] * md3::kVertexScale, v[1] * md3::kVertexScale, v[2] * md3::kVertexScale});
    }
    m.surfaces.push_back(std::move(surface));
  }
  const modelkit::Md3Encoding encoded = modelkit::encodeMd3(m);
  EXPECT_EQ(encoded.error, "");
  return encoded.bytes;
}

std::size_t surfaceStart(const Bytes& file, std::size_t surface) {
  md3::Md3Header header;
  std::memcpy(&header, file.data(), sizeof header);
  std::size_t at = static_cast<std::size_t>(header.surfacesOffset);
  for (std::size_t i = 0; i < surface; ++i) {
    md3::Md3SurfaceHeader s;
    std::memcpy(&s, file.data() + at, sizeof s);
    at += static_cast<std::size_t>(s.endOffset);
  }
  return at;
}

void putInt32(Bytes& bytes, std::size_t offset, std::int32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

TestSurface squareSurface(const std::string& name, std::int16_t half) {
  TestSurface s;
  s.name = name;
  const std::int16_t h = half;
  const std::int16_t m = static_cast<std::int16_t>(-half);
  s.frames = {{{m, m, 0}, {h, m, 0}, {h, h, 0}, {m, h, 0}}};
  s.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  s.triangles = {{0, 2, 1}, {0, 3, 2}};
  return s;
}

}  // namespace md3_testing
