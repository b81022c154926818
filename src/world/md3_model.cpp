#include "world/md3_model.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <utility>
#include <cmath>
#include <cstring>

#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "resources/jpeg_texture.h"
#include "resources/tga_image.h"

namespace world {

namespace {

// Attached models form a tree; a chain deeper than this can only be a loop of attachments.
constexpr int kMaxAttachmentDepth = 16;

// The whole records of `count` starting at `offset` that really lie inside the file.
template <typename Record>
std::vector<Record> readRecords(std::span<const std::uint8_t> file, std::int64_t offset, std::int64_t count) {
  if (offset < 0 || count <= 0 || offset >= static_cast<std::int64_t>(file.size())) return {};
  const auto available = static_cast<std::int64_t>((file.size() - static_cast<size_t>(offset)) / sizeof(Record));
  std::vector<Record> records(static_cast<size_t>(std::min(count, available)));
  if (!records.empty()) std::memcpy(records.data(), file.data() + offset, records.size() * sizeof(Record));
  return records;
}

std::int32_t nonNegative(std::int32_t value) { return value < 0 ? 0 : value; }

// Sections are read back to back. A file from another tool may leave gaps between them; its
// header then says where a section really is, and an offset that lies inside the file past
// the header is taken instead. Offsets outside the file are ignored.
std::int64_t sectionStart(std::int32_t headerOffset, std::int64_t backToBack, std::int64_t fileSize) {
  if (headerOffset == backToBack) return backToBack;
  if (headerOffset >= static_cast<std::int64_t>(sizeof(md3::Md3Header)) && headerOffset < fileSize) return headerOffset;
  return backToBack;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

std::optional<Vec3> normalised(const Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0.0f) || !std::isfinite(length)) return std::nullopt;
  return Vec3{v.x / length, v.y / length, v.z / length};
}

Md3Surface readSurface(std::span<const std::uint8_t> whole, std::int64_t start) {
  Md3Surface surface;
  std::memcpy(&surface.header, whole.data() + start, sizeof surface.header);
  const auto& h = surface.header;
  // A surface's arrays lie within the surface. Without that, every surface of a damaged file
  // could point at the same block of triangles and frames, and the normals would be worked
  // out for it over and over. A size too small for the header or past the end of the file
  // makes this the last surface read: it runs to the end of the file.
  const std::int64_t rest = static_cast<std::int64_t>(whole.size()) - start;
  const std::int64_t extent = h.endOffset >= static_cast<std::int32_t>(sizeof h) && h.endOffset < rest ? h.endOffset : rest;
  const auto file = whole.subspan(static_cast<size_t>(start), static_cast<size_t>(extent));
  surface.name.assign(h.name, strnlen(h.name, sizeof h.name));
  surface.vertexCount = nonNegative(h.vertexCount);
  const std::int64_t v = surface.vertexCount;

  auto triangles = readRecords<md3::Md3Triangle>(file, h.trianglesOffset, h.triangleCount);
  surface.triangles.reserve(triangles.size());
  for (const auto& t : triangles) {
    const bool inside = std::all_of(std::begin(t.indices), std::end(t.indices),
                                    [v](std::int32_t i) { return i >= 0 && i < v; });
    if (inside)
      surface.triangles.push_back(t);
    else
      ++surface.droppedTriangles;
  }

  surface.vertices = readRecords<md3::Md3Vertex>(file, h.verticesOffset, v * nonNegative(h.frameCount));
  surface.frameCount = v > 0 ? static_cast<std::int32_t>(static_cast<std::int64_t>(surface.vertices.size()) / v) : 0;
  surface.vertices.resize(static_cast<size_t>(surface.frameCount * v));

  surface.texCoords = readRecords<md3::Md3TexCoord>(file, h.texCoordsOffset, v);
  // With at least one whole frame in the file V is bounded by its size, so padding is safe.
  if (surface.frameCount > 0) surface.texCoords.resize(static_cast<size_t>(v), md3::Md3TexCoord{0.0f, 0.0f});
  return surface;
}

}  // namespace

Vec3 decodeVertex(const md3::Md3Vertex& vertex) {
  return {vertex.position[0] * md3::kVertexScale, vertex.position[1] * md3::kVertexScale,
          vertex.position[2] * md3::kVertexScale};
}

std::optional<Vec3> faceNormal(const Vec3& c0, const Vec3& c1, const Vec3& c2) {
  return normalised(cross(minus(c2, c0), minus(c1, c0)));
}

Vec3 lerp(const Vec3& a, const Vec3& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

md3::Md3Tag interpolateTag(const md3::Md3Tag& a, const md3::Md3Tag& b, float t) {
  md3::Md3Tag out = a;
  for (int i = 0; i < 3; ++i) {
    out.origin[i] = a.origin[i] + (b.origin[i] - a.origin[i]) * t;
    for (int j = 0; j < 3; ++j) out.axis[i][j] = a.axis[i][j] + (b.axis[i][j] - a.axis[i][j]) * t;
  }
  return out;
}

std::array<float, 16> tagMatrix(const md3::Md3Tag& tag) {
  return {tag.axis[0][0], tag.axis[0][1], tag.axis[0][2], 0.0f,
          tag.axis[1][0], tag.axis[1][1], tag.axis[1][2], 0.0f,
          tag.axis[2][0], tag.axis[2][1], tag.axis[2][2], 0.0f,
          tag.origin[0],  tag.origin[1],  tag.origin[2],  1.0f};
}

void advanceFrame(FrameState& state) {
  if (state.frac < 1.0f) return;
  state.frac = 0.0f;
  // In 64 bits: a hostile animation table may put a frame at the end of the int32 range.
  const std::int64_t current = std::int64_t{state.current} + 1;
  state.current = current >= state.end ? state.start : static_cast<std::int32_t>(current);
  const std::int64_t next = std::int64_t{state.current} + 1;
  state.next = next >= state.end ? state.start : static_cast<std::int32_t>(next);
}

bool skinLineNames(std::string_view line, std::string_view surfaceName) {
  if (line.empty() || surfaceName.empty()) return false;
  return line.find(surfaceName) != std::string_view::npos;
}

std::optional<std::string> skinImageName(std::string_view line) {
  const size_t slash = line.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return std::nullopt;
  return std::string(line.substr(slash + 1));
}

std::vector<SkinChoice> parseSkin(std::string_view text, std::span<const std::string> surfaceNames) {
  struct Chosen {
    size_t line = 0;
    std::string image;
  };
  std::vector<std::optional<Chosen>> chosen(surfaceNames.size());
  size_t lineStart = 0;
  for (size_t lineIndex = 0; lineStart < text.size(); ++lineIndex) {
    size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    // Skins written on Windows end their lines with CR LF; the CR is not part of a file name.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (size_t i = 0; i < surfaceNames.size(); ++i) {
      if (!skinLineNames(line, surfaceNames[i])) continue;
      if (auto image = skinImageName(line)) chosen[i] = Chosen{lineIndex, std::move(*image)};
    }
  }
  std::vector<SkinChoice> choices;
  for (size_t i = 0; i < chosen.size(); ++i)
    if (chosen[i]) choices.push_back({i, std::move(chosen[i]->image)});
  std::stable_sort(choices.begin(), choices.end(), [&](const SkinChoice& a, const SkinChoice& b) {
    return chosen[a.surface]->line < chosen[b.surface]->line;
  });
  return choices;
}

Vec3 Md3Surface::position(std::int32_t frame, std::int32_t vertex) const {
  return decodeVertex(vertices[static_cast<size_t>(frame) * static_cast<size_t>(vertexCount) + static_cast<size_t>(vertex)]);
}

const Vec3& Md3Surface::normal(std::int32_t frame, std::int32_t vertex) const {
  return normals[static_cast<size_t>(frame) * static_cast<size_t>(vertexCount) + static_cast<size_t>(vertex)];
}

namespace {

// The triangles that can add to the normals, in file order, each with the number of times
// it occurs: a triangle with a corner used twice has no direction, and the copies of a
// triangle add its normal once multiplied rather than once each. A damaged file may repeat a
// few triangles thousands of times, and the normals of every frame would be worked out from
// all of them.
struct NormalTriangle {
  md3::Md3Triangle triangle;
  float copies;
};

std::vector<NormalTriangle> normalTriangles(const std::vector<md3::Md3Triangle>& triangles) {
  auto key = [&](std::uint32_t i) {
    const auto& c = triangles[i].indices;
    return std::array<std::int32_t, 3>{c[0], c[1], c[2]};
  };
  std::vector<std::uint32_t> order(triangles.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
  // copies[i]: for the first of a group of equal triangles the group's size, else 0.
  std::vector<std::uint32_t> copies(triangles.size(), 0);
  for (size_t k = 0; k < order.size();) {
    size_t end = k + 1;
    while (end < order.size() && key(order[end]) == key(order[k])) ++end;
    const auto c = key(order[k]);
    if (c[0] != c[1] && c[1] != c[2] && c[0] != c[2]) copies[order[k]] = static_cast<std::uint32_t>(end - k);
    k = end;
  }
  std::vector<NormalTriangle> kept;
  for (size_t i = 0; i < triangles.size(); ++i)
    if (copies[i] > 0) kept.push_back({triangles[i], static_cast<float>(copies[i])});
  return kept;
}

}  // namespace

void computeNormals(Md3Surface& surface, std::int32_t modelFrameCount) {
  surface.normalFrames = std::min(nonNegative(modelFrameCount), surface.frameCount);
  const size_t v = static_cast<size_t>(surface.vertexCount);
  surface.normals.assign(static_cast<size_t>(surface.normalFrames) * v, Vec3{});
  const auto triangles = surface.normalFrames > 0 ? normalTriangles(surface.triangles) : std::vector<NormalTriangle>{};
  for (std::int32_t f = 0; f < surface.normalFrames; ++f) {
    Vec3* n = surface.normals.data() + static_cast<size_t>(f) * v;
    for (const auto& [t, copies] : triangles) {
      const auto face = faceNormal(surface.position(f, t.indices[0]), surface.position(f, t.indices[1]),
                                   surface.position(f, t.indices[2]));
      if (!face) continue;  // collinear corners: no direction to add
      for (const std::int32_t i : t.indices) {
        n[i].x += face->x * copies;
        n[i].y += face->y * copies;
        n[i].z += face->z * copies;
      }
    }
  }
  // A vertex of no face (or whose faces cancel) keeps the zero normal.
  for (auto& normal : surface.normals) normal = normalised(normal).value_or(Vec3{});
}

Md3Data parseMd3(std::span<const std::uint8_t> file) {
  Md3Data data;
  if (file.size() < sizeof(md3::Md3Header)) return data;
  std::memcpy(&data.header, file.data(), sizeof data.header);
  data.frameCount = nonNegative(data.header.frameCount);
  data.tagCount = nonNegative(data.header.tagCount);

  const std::int64_t size = static_cast<std::int64_t>(file.size());
  std::int64_t tagsStart = static_cast<std::int64_t>(sizeof(md3::Md3Header)) +
                           std::int64_t{data.frameCount} * static_cast<std::int64_t>(sizeof(md3::Md3Frame));
  tagsStart = sectionStart(data.header.tagsOffset, tagsStart, size);
  const std::int64_t tagRecords = std::int64_t{data.frameCount} * data.tagCount;
  data.tags = readRecords<md3::Md3Tag>(file, tagsStart, tagRecords);
  // More tag records than the file has bytes: the surfaces would start past its end.
  std::int64_t start = tagRecords > size ? size : tagsStart + tagRecords * static_cast<std::int64_t>(sizeof(md3::Md3Tag));
  start = sectionStart(data.header.surfacesOffset, start, size);

  const std::int32_t surfaceCount = nonNegative(data.header.surfaceCount);
  for (std::int32_t i = 0; i < surfaceCount; ++i) {
    if (start < 0 || start > size - static_cast<std::int64_t>(sizeof(md3::Md3SurfaceHeader))) break;
    data.surfaces.push_back(readSurface(file, start));
    computeNormals(data.surfaces.back(), data.frameCount);
    const std::int32_t surfaceSize = data.surfaces.back().header.endOffset;
    // A surface smaller than its own header cannot be followed by another one; going on
    // would read the same bytes again, as many times as the count claims.
    if (surfaceSize < static_cast<std::int32_t>(sizeof(md3::Md3SurfaceHeader))) break;
    start += surfaceSize;
  }
  return data;
}

Md3Model Md3Model::load(std::string_view fileName) {
  const auto bytes = platform::readWholeFile(fileName);
  if (!bytes) return {};
  return fromMemory(*bytes);
}

Md3Model Md3Model::fromMemory(std::span<const std::uint8_t> file) {
  Md3Model model = fromData(parseMd3(file));
  model.loaded_ = file.size() >= sizeof(md3::Md3Header);
  return model;
}

Md3Model Md3Model::fromData(Md3Data data) {
  Md3Model model;
  model.data_ = std::move(data);
  model.loaded_ = true;
  const size_t tagsInFrame0 = std::min(static_cast<size_t>(model.data_.tagCount), model.data_.tags.size());
  model.attachments_.assign(tagsInFrame0, nullptr);
  model.state_ = FrameState{};
  model.state_.end = model.data_.frameCount - 1;
  return model;
}

void Md3Model::loadSkin(std::string_view skinFile, std::string_view folder,
                        resources::TextureRecord (*loader)(std::string_view)) {
  const auto bytes = platform::readWholeFile(skinFile);
  if (!bytes) return;
  std::vector<std::string> names;
  for (const auto& surface : data_.surfaces) names.push_back(surface.name);
  // Only the winning line's image is loaded: a skin naming one surface thousands of times
  // must not load and give back its picture as often.
  for (const SkinChoice& choice :
       parseSkin(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), names)) {
    auto& texture = data_.surfaces[choice.surface].texture;
    resources::releaseTexture(texture);
    texture = loader(std::string(folder) + '\\' + choice.image);
  }
}

void Md3Model::loadSkinTga(std::string_view skinFile, std::string_view folder) {
  loadSkin(skinFile, folder, [](std::string_view path) { return resources::loadTgaTexture(path); });
}

void Md3Model::loadSkinJpeg(std::string_view skinFile, std::string_view folder) {
  loadSkin(skinFile, folder, [](std::string_view path) { return resources::loadJpegTexture(path); });
}

void Md3Model::attach(std::string_view tagName, Md3Model* child) {
  for (size_t i = 0; i < attachments_.size(); ++i) {
    const auto& tag = data_.tags[i];
    if (std::string_view(tag.name, strnlen(tag.name, sizeof tag.name)) == tagName) attachments_[i] = child;
  }
}

std::optional<std::array<float, 16>> Md3Model::currentTagMatrix(std::int32_t tag) const {
  const std::int64_t t = data_.tagCount;
  const std::int64_t count = static_cast<std::int64_t>(data_.tags.size());
  const std::int64_t a = std::int64_t{state_.current} * t + tag;
  const std::int64_t b = std::int64_t{state_.next} * t + tag;
  if (tag < 0 || tag >= t || state_.current < 0 || state_.next < 0 || a >= count || b >= count) return std::nullopt;
  return tagMatrix(interpolateTag(data_.tags[static_cast<size_t>(a)], data_.tags[static_cast<size_t>(b)], state_.frac));
}

void Md3Model::draw(float speed) { drawAt(speed, 0, true); }

void Md3Model::advance(float speed) { drawAt(speed, 0, false); }

bool blendSurface(const Md3Surface& surface, std::int32_t a, std::int32_t b, float frac, BlendedSurface& out) {
  if (!surface.hasFrame(a) || !surface.hasFrame(b) || surface.triangles.empty()) return false;
  const auto count = static_cast<size_t>(surface.vertexCount);
  out.positions.resize(count);
  out.normals.resize(count);
  out.texCoords.resize(count * 2);
  for (std::int32_t v = 0; v < surface.vertexCount; ++v) {
    const auto i = static_cast<size_t>(v);
    out.normals[i] = lerp(surface.normal(a, v), surface.normal(b, v), frac);
    out.positions[i] = lerp(surface.position(a, v), surface.position(b, v), frac);
    const auto& tc = surface.texCoords[i];
    out.texCoords[2 * i] = tc.s;
    out.texCoords[2 * i + 1] = 1.0f - tc.t;
  }
  out.indices.clear();
  for (const auto& triangle : surface.triangles)
    for (const std::int32_t v : triangle.indices) out.indices.push_back(static_cast<std::uint32_t>(v));
  return true;
}

void Md3Model::drawSurface(const Md3Surface& surface) const {
  // The triangles in their order in one call instead of one batch each.
  if (!blendSurface(surface, state_.current, state_.next, state_.frac, scratch_)) return;
  const platform::ScopedClientArrays arrays;
  glNormalPointer(GL_FLOAT, sizeof(Vec3), scratch_.normals.data());
  glEnableClientState(GL_NORMAL_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, 0, scratch_.texCoords.data());
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(Vec3), scratch_.positions.data());
  glEnableClientState(GL_VERTEX_ARRAY);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(scratch_.indices.size()), GL_UNSIGNED_INT,
                 scratch_.indices.data());
}

void Md3Model::drawAt(float speed, int depth, bool drawing) {
  if (depth > kMaxAttachmentDepth) return;
  for (const auto& surface : data_.surfaces) {
    if (drawing) {
      platform::glext.activeTexture(GL_TEXTURE0_ARB);
      glBindTexture(GL_TEXTURE_2D, surface.texture.name);
      glEnable(GL_TEXTURE_2D);
      drawSurface(surface);
    }
    state_.frac += speed * kFracPerSurface;
  }
  for (size_t i = 0; i < attachments_.size(); ++i) {
    Md3Model* child = attachments_[i];
    if (!child) continue;
    const auto matrix = currentTagMatrix(static_cast<std::int32_t>(i));
    if (!matrix) continue;
    if (drawing) {
      glPushMatrix();
      glMultMatrixf(matrix->data());
    }
    child->drawAt(speed, depth + 1, drawing);
    if (drawing) glPopMatrix();
  }
}

Md3Model::Md3Model(Md3Model&& other) noexcept { *this = std::move(other); }

Md3Model& Md3Model::operator=(Md3Model&& other) noexcept {
  if (this == &other) return *this;
  destroy();
  data_ = std::exchange(other.data_, {});
  attachments_ = std::exchange(other.attachments_, {});
  state_ = std::exchange(other.state_, {});
  loaded_ = std::exchange(other.loaded_, false);
  return *this;
}

void Md3Model::destroy() {
  for (auto& surface : data_.surfaces) resources::releaseTexture(surface.texture);
  data_ = Md3Data{};
  attachments_.clear();
  state_ = FrameState{};
  loaded_ = false;
}

}  // namespace world
