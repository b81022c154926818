#include "md3_readback.h"

#include <cstring>

namespace modelkit_test {

namespace md3 = world::md3;

namespace {

template <typename T>
bool readAt(std::span<const std::uint8_t> bytes, size_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

std::string fixedName(const char* field, size_t size) {
  const void* end = std::memchr(field, 0, size);
  return std::string(field, end ? static_cast<size_t>(static_cast<const char*>(end) - field) : size);
}

}  // namespace

std::array<float, 3> ReadSurface::position(int frame, int vertex) const {
  const md3::Md3Vertex& v = vertices[static_cast<size_t>(frame) * static_cast<size_t>(header.vertexCount) + static_cast<size_t>(vertex)];
  return {v.position[0] * md3::kVertexScale, v.position[1] * md3::kVertexScale, v.position[2] * md3::kVertexScale};
}

const md3::Md3Tag* ReadModel::tag(int frame, const std::string& name) const {
  for (int i = 0; i < header.tagCount; ++i) {
    const md3::Md3Tag& t = tags[static_cast<size_t>(frame * header.tagCount + i)];
    if (fixedName(t.name, sizeof t.name) == name) return &t;
  }
  return nullptr;
}

std::optional<ReadModel> readMd3(std::span<const std::uint8_t> bytes, std::string& error) {
  ReadModel model;
  if (!readAt(bytes, 0, model.header)) return error = "short header", std::nullopt;
  const md3::Md3Header& h = model.header;
  if (h.frameCount < 1 || h.frameCount > 4096 || h.tagCount < 0 || h.tagCount > 64 || h.surfaceCount < 0 || h.surfaceCount > 64)
    return error = "implausible counts", std::nullopt;
  if (h.endOffset != static_cast<std::int32_t>(bytes.size())) return error = "end offset is not the file size", std::nullopt;
  for (int f = 0; f < h.frameCount; ++f) {
    md3::Md3Frame frame{};
    if (!readAt(bytes, static_cast<size_t>(h.framesOffset) + static_cast<size_t>(f) * sizeof frame, frame)) return error = "frames outside the file", std::nullopt;
    model.frames.push_back(frame);
  }
  for (int i = 0; i < h.frameCount * h.tagCount; ++i) {
    md3::Md3Tag tag{};
    if (!readAt(bytes, static_cast<size_t>(h.tagsOffset) + static_cast<size_t>(i) * sizeof tag, tag)) return error = "tags outside the file", std::nullopt;
    model.tags.push_back(tag);
  }
  size_t start = static_cast<size_t>(h.surfacesOffset);
  for (int s = 0; s < h.surfaceCount; ++s) {
    ReadSurface surface;
    surface.start = start;
    if (!readAt(bytes, start, surface.header)) return error = "surface header outside the file", std::nullopt;
    const md3::Md3SurfaceHeader& sh = surface.header;
    surface.name = fixedName(sh.name, sizeof sh.name);
    if (sh.vertexCount < 0 || sh.triangleCount < 0 || sh.frameCount != h.frameCount || sh.endOffset <= 0)
      return error = "surface " + surface.name + ": bad counts", std::nullopt;
    for (int t = 0; t < sh.triangleCount; ++t) {
      md3::Md3Triangle tri{};
      if (!readAt(bytes, start + static_cast<size_t>(sh.trianglesOffset) + static_cast<size_t>(t) * sizeof tri, tri))
        return error = "surface " + surface.name + ": triangles outside the file", std::nullopt;
      for (int k : tri.indices)
        if (k < 0 || k >= sh.vertexCount) return error = "surface " + surface.name + ": index out of range", std::nullopt;
      surface.triangles.push_back({tri.indices[0], tri.indices[1], tri.indices[2]});
    }
    for (int v = 0; v < sh.vertexCount; ++v) {
      md3::Md3TexCoord st{};
      if (!readAt(bytes, start + static_cast<size_t>(sh.texCoordsOffset) + static_cast<size_t>(v) * sizeof st, st))
        return error = "surface " + surface.name + ": texture coordinates outside the file", std::nullopt;
      surface.texCoords.push_back({st.s, st.t});
    }
    for (int v = 0; v < sh.vertexCount * sh.frameCount; ++v) {
      md3::Md3Vertex vertex{};
      if (!readAt(bytes, start + static_cast<size_t>(sh.verticesOffset) + static_cast<size_t>(v) * sizeof vertex, vertex))
        return error = "surface " + surface.name + ": vertices outside the file", std::nullopt;
      surface.vertices.push_back(vertex);
    }
    if (start + static_cast<size_t>(sh.endOffset) > bytes.size()) return error = "surface " + surface.name + " ends past the file", std::nullopt;
    start += static_cast<size_t>(sh.endOffset);
    model.surfaces.push_back(std::move(surface));
  }
  if (start != bytes.size()) return error = "bytes left after the last surface", std::nullopt;
  return model;
}

}  // namespace modelkit_test
