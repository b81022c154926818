#include "md3_test_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace md3_testing {

namespace md3 = world::md3;

namespace {

template <typename Record>
void append(Bytes& bytes, const Record& record) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&record);
  bytes.insert(bytes.end(), p, p + sizeof record);
}

void copyName(char* field, std::size_t size, const std::string& name) {
  std::memset(field, 0, size);
  std::memcpy(field, name.data(), std::min(name.size(), size));
}

std::size_t surfaceSize(const TestSurface& s) {
  const std::size_t vertices = s.frames.empty() ? 0 : s.frames[0].size();
  return sizeof(md3::Md3SurfaceHeader) + s.triangles.size() * sizeof(md3::Md3Triangle) +
         s.texCoords.size() * sizeof(md3::Md3TexCoord) + s.frames.size() * vertices * sizeof(md3::Md3Vertex);
}

std::size_t tagRecords(const TestModel& model) {
  std::size_t n = 0;
  for (const auto& frame : model.tags) n += frame.size();
  return n;
}

}  // namespace

std::size_t surfaceStart(const TestModel& model, std::size_t surface) {
  std::size_t at = sizeof(md3::Md3Header) + static_cast<std::size_t>(model.frameCount) * sizeof(md3::Md3Frame) +
                   tagRecords(model) * sizeof(md3::Md3Tag);
  for (std::size_t i = 0; i < surface; ++i) at += surfaceSize(model.surfaces[i]);
  return at;
}

void putInt32(Bytes& bytes, std::size_t offset, std::int32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }

Bytes writeMd3(const TestModel& model) {
  Bytes bytes;
  md3::Md3Header header{};
  std::memcpy(header.identification, "IDP3", 4);
  header.version = 15;
  copyName(header.name, sizeof header.name, "test");
  header.frameCount = model.frameCount;
  header.tagCount = model.tags.empty() ? 0 : static_cast<std::int32_t>(model.tags[0].size());
  header.surfaceCount = static_cast<std::int32_t>(model.surfaces.size());
  header.framesOffset = sizeof header;
  header.tagsOffset = static_cast<std::int32_t>(sizeof header + model.frameCount * sizeof(md3::Md3Frame));
  header.surfacesOffset = static_cast<std::int32_t>(surfaceStart(model, 0));
  header.endOffset = static_cast<std::int32_t>(surfaceStart(model, model.surfaces.size()));
  append(bytes, header);
  for (std::int32_t f = 0; f < model.frameCount; ++f) {
    md3::Md3Frame frame{};
    frame.radius = 1.0f;
    append(bytes, frame);
  }
  for (const auto& frame : model.tags)
    for (const auto& t : frame) {
      md3::Md3Tag tag{};
      copyName(tag.name, sizeof tag.name, t.name);
      for (int i = 0; i < 3; ++i) {
        tag.origin[i] = t.origin[i];
        for (int j = 0; j < 3; ++j) tag.axis[i][j] = t.axes[i][j];
      }
      append(bytes, tag);
    }
  for (const auto& s : model.surfaces) {
    const std::int32_t vertices = s.frames.empty() ? 0 : static_cast<std::int32_t>(s.frames[0].size());
    md3::Md3SurfaceHeader h{};
    std::memcpy(h.identification, "IDP3", 4);
    copyName(h.name, sizeof h.name, s.name);
    h.frameCount = static_cast<std::int32_t>(s.frames.size());
    h.vertexCount = vertices;
    h.triangleCount = static_cast<std::int32_t>(s.triangles.size());
    h.trianglesOffset = sizeof h;
    h.shadersOffset = sizeof h;
    h.texCoordsOffset = static_cast<std::int32_t>(h.trianglesOffset + s.triangles.size() * sizeof(md3::Md3Triangle));
    h.verticesOffset = static_cast<std::int32_t>(h.texCoordsOffset + s.texCoords.size() * sizeof(md3::Md3TexCoord));
    h.endOffset = static_cast<std::int32_t>(surfaceSize(s));
    append(bytes, h);
    for (const auto& t : s.triangles) append(bytes, md3::Md3Triangle{{t[0], t[1], t[2]}});
    for (const auto& tc : s.texCoords) append(bytes, md3::Md3TexCoord{tc[0], tc[1]});
    for (const auto& frame : s.frames)
      for (const auto& v : frame) append(bytes, md3::Md3Vertex{{v[0], v[1], v[2]}, 0});
  }
  return bytes;
}

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

bool writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace md3_testing
