#include "md3_writer.h"

#include <cmath>
#include <cstring>

#include "world/md3_format.h"

namespace modelkit {

namespace md3 = world::md3;

namespace {

constexpr float kTwoPi = 6.28318530718f;

template <typename T>
void put(std::vector<std::uint8_t>& out, const T& record) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&record);
  out.insert(out.end(), p, p + sizeof(T));
}

template <typename T>
void putAt(std::vector<std::uint8_t>& out, size_t offset, const T& record) {
  std::memcpy(out.data() + offset, &record, sizeof(T));
}

bool copyName(char* field, size_t size, const std::string& name) {
  std::memset(field, 0, size);
  if (name.size() >= size) return false;
  std::memcpy(field, name.data(), name.size());
  return true;
}

bool quantise(float v, std::int16_t& out) {
  const float scaled = std::round(v * 64);
  if (!(scaled >= -32768 && scaled <= 32767)) return false;
  out = static_cast<std::int16_t>(scaled);
  return true;
}

std::vector<Vec3> computeNormals(const std::vector<Vec3>& positions, const std::vector<Triangle>& triangles) {
  Mesh mesh;
  mesh.positions = positions;
  mesh.triangles = triangles;
  smoothNormals(mesh);
  return mesh.normals;
}

}  // namespace

std::uint16_t packNormal(Vec3 n) {
  n = normalized(n);
  float azimuth = std::atan2(n.y, n.x);
  if (azimuth < 0) azimuth += kTwoPi;
  const float polar = std::acos(std::fmax(-1.0f, std::fmin(1.0f, n.z)));
  const auto a = static_cast<unsigned>(std::lround(azimuth * 255 / kTwoPi)) & 0xffu;
  const auto p = static_cast<unsigned>(std::lround(polar * 255 / kTwoPi)) & 0xffu;
  return static_cast<std::uint16_t>((a << 8) | p);
}

Vec3 unpackNormal(std::uint16_t packed) {
  const float azimuth = static_cast<float>((packed >> 8) & 0xff) * kTwoPi / 255;
  const float polar = static_cast<float>(packed & 0xff) * kTwoPi / 255;
  return {std::cos(azimuth) * std::sin(polar), std::sin(azimuth) * std::sin(polar), std::cos(polar)};
}

SurfaceFrames surfaceFromMeshes(std::string name, const std::vector<Mesh>& frames) {
  SurfaceFrames s;
  s.name = std::move(name);
  if (frames.empty()) return s;
  s.triangles = frames[0].triangles;
  s.texCoords = frames[0].uvs;
  for (const Mesh& m : frames) {
    s.positions.push_back(m.positions);
    s.normals.push_back(m.normals.size() == m.positions.size() ? m.normals : computeNormals(m.positions, m.triangles));
  }
  return s;
}

Md3Encoding encodeMd3(const Md3Model& model) {
  Md3Encoding result;
  const auto fail = [&](std::string what) {
    result.bytes.clear();
    result.error = model.name + ": " + std::move(what);
    return result;
  };
  const int frames = model.frameCount;
  if (frames < 1) return fail("no frames");
  const int tagCount = model.tags.empty() ? 0 : static_cast<int>(model.tags[0].size());
  if (!model.tags.empty() && static_cast<int>(model.tags.size()) != frames) return fail("tags not given for every frame");
  for (const auto& frameTags : model.tags) {
    if (static_cast<int>(frameTags.size()) != tagCount) return fail("tag count differs between frames");
    for (size_t i = 0; i < frameTags.size(); ++i)
      if (frameTags[i].name != model.tags[0][i].name) return fail("tag names differ between frames");
  }

  std::vector<std::uint8_t>& out = result.bytes;
  md3::Md3Header header{};
  std::memcpy(header.identification, "IDP3", 4);
  header.version = 15;
  if (!copyName(header.name, sizeof header.name, model.name)) return fail("model name too long");
  header.frameCount = frames;
  header.tagCount = tagCount;
  header.surfaceCount = static_cast<std::int32_t>(model.surfaces.size());
  header.skinCount = 0;
  header.framesOffset = sizeof(md3::Md3Header);
  header.tagsOffset = header.framesOffset + frames * static_cast<int>(sizeof(md3::Md3Frame));
  header.surfacesOffset = header.tagsOffset + frames * tagCount * static_cast<int>(sizeof(md3::Md3Tag));
  put(out, header);

  // Frame bounds cover every surface's vertices as stored (after rounding to 1/64).
  for (int f = 0; f < frames; ++f) {
    md3::Md3Frame frame{};
    bool any = false;
    float radius = 0;
    for (const SurfaceFrames& s : model.surfaces) {
      if (static_cast<int>(s.positions.size()) != frames) return fail("surface " + s.name + " lacks frames");
      for (Vec3 p : s.positions[static_cast<size_t>(f)]) {
        const float q[3] = {std::round(p.x * 64) / 64, std::round(p.y * 64) / 64, std::round(p.z * 64) / 64};
        for (int k = 0; k < 3; ++k) {
          frame.mins[k] = any ? std::fmin(frame.mins[k], q[k]) : q[k];
          frame.maxs[k] = any ? std::fmax(frame.maxs[k], q[k]) : q[k];
        }
        radius = std::fmax(radius, std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]));
        any = true;
      }
    }
    frame.radius = radius;
    copyName(frame.name, sizeof frame.name, "frame" + std::to_string(f));
    put(out, frame);
  }

  for (const auto& frameTags : model.tags)
    for (const TagPose& tag : frameTags) {
      md3::Md3Tag record{};
      if (!copyName(record.name, sizeof record.name, tag.name)) return fail("tag name too long");
      record.origin[0] = tag.origin.x, record.origin[1] = tag.origin.y, record.origin[2] = tag.origin.z;
      for (int a = 0; a < 3; ++a) {
        const Vec3 axis = tag.axes[static_cast<size_t>(a)];
        record.axis[a][0] = axis.x, record.axis[a][1] = axis.y, record.axis[a][2] = axis.z;
      }
      put(out, record);
    }

  for (const SurfaceFrames& s : model.surfaces) {
    const int vertices = static_cast<int>(s.texCoords.size());
    if (vertices == 0) return fail("surface " + s.name + " has no vertices");
    for (int f = 0; f < frames; ++f) {
      if (static_cast<int>(s.positions[static_cast<size_t>(f)].size()) != vertices)
        return fail("surface " + s.name + ": vertex count differs in frame " + std::to_string(f));
      if (!s.normals.empty() && s.normals[static_cast<size_t>(f)].size() != s.positions[static_cast<size_t>(f)].size())
        return fail("surface " + s.name + ": normal count differs in frame " + std::to_string(f));
    }
    for (const Triangle& t : s.triangles)
      for (int index : t)
        if (index < 0 || index >= vertices) return fail("surface " + s.name + ": triangle index out of range");

    const size_t start = out.size();
    md3::Md3SurfaceHeader sh{};
    std::memcpy(sh.identification, "IDP3", 4);
    if (!copyName(sh.name, sizeof sh.name, s.name)) return fail("surface name too long");
    sh.frameCount = frames;
    sh.shaderCount = s.shader.empty() ? 0 : 1;
    sh.vertexCount = vertices;
    sh.triangleCount = static_cast<std::int32_t>(s.triangles.size());
    sh.shadersOffset = sizeof(md3::Md3SurfaceHeader);
    sh.trianglesOffset = sh.shadersOffset + sh.shaderCount * static_cast<int>(sizeof(md3::Md3Shader));
    sh.texCoordsOffset = sh.trianglesOffset + sh.triangleCount * static_cast<int>(sizeof(md3::Md3Triangle));
    sh.verticesOffset = sh.texCoordsOffset + vertices * static_cast<int>(sizeof(md3::Md3TexCoord));
    sh.endOffset = sh.verticesOffset + frames * vertices * static_cast<int>(sizeof(md3::Md3Vertex));
    put(out, sh);
    if (!s.shader.empty()) {
      md3::Md3Shader shader{};
      if (!copyName(shader.name, sizeof shader.name, s.shader)) return fail("shader name too long");
      put(out, shader);
    }
    for (const Triangle& t : s.triangles) put(out, md3::Md3Triangle{{t[0], t[2], t[1]}});
    for (Vec2 uv : s.texCoords) put(out, md3::Md3TexCoord{uv.x, uv.y});
    for (int f = 0; f < frames; ++f) {
      const auto& positions = s.positions[static_cast<size_t>(f)];
      const std::vector<Vec3> normals = s.normals.empty() ? computeNormals(positions, s.triangles) : s.normals[static_cast<size_t>(f)];
      for (int v = 0; v < vertices; ++v) {
        md3::Md3Vertex vertex{};
        const Vec3 p = positions[static_cast<size_t>(v)];
        if (!quantise(p.x, vertex.position[0]) || !quantise(p.y, vertex.position[1]) || !quantise(p.z, vertex.position[2]))
          return fail("surface " + s.name + ": vertex beyond the 16-bit range");
        vertex.normal = packNormal(normals[static_cast<size_t>(v)]);
        put(out, vertex);
      }
    }
    if (out.size() - start != static_cast<size_t>(sh.endOffset)) return fail("surface size mismatch");
  }
  header.endOffset = static_cast<std::int32_t>(out.size());
  putAt(out, 0, header);
  return result;
}

}  // namespace modelkit
