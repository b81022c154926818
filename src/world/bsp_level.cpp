#include "world/bsp_level.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <utility>

#include "platform/file_system.h"
#include "platform/gl_extensions.h"
#include "resources/jpeg_texture.h"
#include "world/camera_path.h"

namespace world {

namespace {

// The bytes of lump `index` that really lie inside the file: a negative offset or length, or
// a lump starting past the end, gives nothing; one running past the end is cut there.
std::span<const std::uint8_t> lumpBytes(std::span<const std::uint8_t> file, const bsp::BspHeader& header,
                                        int index) {
  const bsp::LumpEntry& lump = header.lumps[index];
  if (lump.offset < 0 || lump.length <= 0) return {};
  const auto offset = static_cast<size_t>(lump.offset);
  if (offset >= file.size()) return {};
  const size_t length = std::min(static_cast<size_t>(lump.length), file.size() - offset);
  return file.subspan(offset, length);
}

// Whole records only: the remainder of a lump is ignored.
template <typename Record>
std::vector<Record> readRecords(std::span<const std::uint8_t> bytes) {
  std::vector<Record> records(bytes.size() / sizeof(Record));
  if (!records.empty()) std::memcpy(records.data(), bytes.data(), records.size() * sizeof(Record));
  return records;
}

void convertVector(float (&v)[3]) {
  const Vec3 scene = fileToScene(v[0], v[1], v[2]);
  v[0] = scene.x;
  v[1] = scene.y;
  v[2] = scene.z;
}

// Integer corners: the negation of INT32_MIN has no int32 value, so it saturates.
void convertCorner(std::int32_t (&c)[3]) {
  const std::int32_t y = c[1];
  const std::int32_t z = c[2];
  c[1] = z;
  c[2] = y == INT32_MIN ? INT32_MAX : -y;
}

void readVisibility(std::span<const std::uint8_t> file, const bsp::BspHeader& header, LevelData& level) {
  // Only the offset of this lump counts: the rows' size comes from their own header.
  const std::int32_t offset = header.lumps[bsp::kVisibilityLump].offset;
  if (offset < 0 || static_cast<size_t>(offset) > file.size() ||
      file.size() - static_cast<size_t>(offset) < sizeof(bsp::BspVisibilityHeader))
    return;
  bsp::BspVisibilityHeader vis;
  std::memcpy(&vis, file.data() + offset, sizeof vis);
  if (vis.clusterCount <= 0 || vis.bytesPerRow <= 0) return;
  const size_t available = file.size() - static_cast<size_t>(offset) - sizeof vis;
  // Keep the whole rows that are really there.
  const size_t rows = std::min<size_t>(static_cast<size_t>(vis.clusterCount), available / static_cast<size_t>(vis.bytesPerRow));
  if (rows == 0) return;
  const size_t size = rows * static_cast<size_t>(vis.bytesPerRow);
  const auto* begin = file.data() + offset + sizeof vis;
  level.visRows.assign(begin, begin + size);
  level.visClusterCount = static_cast<std::int32_t>(rows);
  level.visBytesPerRow = vis.bytesPerRow;
}

// Each drawn face has vertices of its own. A polygon whose fan reuses vertices of an earlier
// polygon in the file is damage: without this a few thousand faces spanning the same few
// thousand vertices would draw millions of triangles every frame. It keeps its record but
// no vertices, so it is not drawn.
void dropSharedFans(LevelData& level) {
  const auto vertexCount = static_cast<std::int64_t>(level.vertices.size());
  std::map<std::int64_t, std::int64_t> taken;  // first vertex -> end, of the fans kept so far
  for (auto& face : level.faces) {
    if (face.type != bsp::kPolygonFace || face.firstVertex < 0 || face.vertexCount <= 0) continue;
    const std::int64_t first = face.firstVertex;
    const std::int64_t end = first + face.vertexCount;
    if (end > vertexCount) continue;  // not drawn anyway
    auto next = taken.lower_bound(first);
    const bool overlapsNext = next != taken.end() && next->first < end;
    const bool overlapsPrevious = next != taken.begin() && std::prev(next)->second > first;
    if (overlapsNext || overlapsPrevious)
      face.vertexCount = 0;
    else
      taken.emplace(first, end);
  }
}

}  // namespace

Vec3 fileToScene(float x, float y, float z) { return {x, z, -y}; }

LevelData parseLevel(std::span<const std::uint8_t> file) {
  LevelData level;
  if (file.size() < sizeof(bsp::BspHeader)) return level;
  std::memcpy(&level.header, file.data(), sizeof level.header);
  const auto& header = level.header;

  level.shaders = readRecords<bsp::BspShader>(lumpBytes(file, header, bsp::kShaderLump));
  level.planes = readRecords<bsp::BspPlane>(lumpBytes(file, header, bsp::kPlaneLump));
  for (auto& plane : level.planes) convertVector(plane.normal);
  level.nodes = readRecords<bsp::BspNode>(lumpBytes(file, header, bsp::kNodeLump));
  for (auto& node : level.nodes) {
    convertCorner(node.mins);
    convertCorner(node.maxs);
  }
  level.leaves = readRecords<bsp::BspLeaf>(lumpBytes(file, header, bsp::kLeafLump));
  for (auto& leaf : level.leaves) {
    convertCorner(leaf.mins);
    convertCorner(leaf.maxs);
  }
  level.leafFaces = readRecords<bsp::BspLeafFace>(lumpBytes(file, header, bsp::kLeafFaceLump));
  level.vertices = readRecords<bsp::BspVertex>(lumpBytes(file, header, bsp::kVertexLump));
  for (auto& vertex : level.vertices) convertVector(vertex.position);
  level.faces = readRecords<bsp::BspFace>(lumpBytes(file, header, bsp::kFaceLump));
  dropSharedFans(level);

  const auto lightmaps = lumpBytes(file, header, bsp::kLightmapLump);
  level.lightmapCount = static_cast<std::int32_t>(lightmaps.size() / bsp::kLightmapBytes);
  level.lightmapBytes.assign(lightmaps.begin(),
                             lightmaps.begin() + static_cast<size_t>(level.lightmapCount) * bsp::kLightmapBytes);

  readVisibility(file, header, level);
  return level;
}

std::uint8_t scaleLightmapByte(std::uint8_t value, float scale) {
  const float x = static_cast<float>(value) * scale;
  if (x > 255.0f) return 255;
  if (!(x > 0.0f)) return 0;  // negative or NaN scale
  return static_cast<std::uint8_t>(x);
}

void scaleLightmaps(std::span<std::uint8_t> bytes, float scale) {
  for (auto& b : bytes) b = scaleLightmapByte(b, scale);
}

std::int32_t findCameraLeaf(const LevelData& level, const Vec3& eye) {
  const auto nodeCount = static_cast<std::int64_t>(level.nodes.size());
  if (nodeCount == 0) return -1;
  std::int32_t index = 0;
  // A well-formed tree reaches a leaf in fewer steps than it has nodes; more means a loop.
  for (std::int64_t steps = 0; index >= 0; ++steps) {
    if (index >= nodeCount || steps > nodeCount) return -1;
    const bsp::BspNode& node = level.nodes[index];
    if (node.plane < 0 || static_cast<size_t>(node.plane) >= level.planes.size()) return -1;
    const bsp::BspPlane& plane = level.planes[node.plane];
    const float d = plane.normal[0] * eye.x + plane.normal[1] * eye.y + plane.normal[2] * eye.z - plane.distance;
    index = d >= 0.0f ? node.front : node.back;
  }
  const std::int64_t leaf = -(std::int64_t{index} + 1);
  return leaf < static_cast<std::int64_t>(level.leaves.size()) ? static_cast<std::int32_t>(leaf) : -1;
}

bool clusterVisible(const LevelData& level, std::int32_t c, std::int32_t k) {
  if (c < 0 || c >= level.visClusterCount) return true;
  // Division truncates toward zero, so cluster -1 looks at bit 7 of byte 0.
  const std::int32_t byte = k / 8;
  if (byte < 0 || byte >= level.visBytesPerRow) return false;
  const size_t at = static_cast<size_t>(c) * static_cast<size_t>(level.visBytesPerRow) + static_cast<size_t>(byte);
  return (level.visRows[at] >> (k & 7)) & 1;
}

bool BspLevel::load(std::string_view fileName, float lightmapScale) {
  const auto bytes = platform::readWholeFile(fileName);
  if (!bytes) {
    destroy();
    return false;
  }
  loadFromMemory(*bytes, lightmapScale);
  return true;
}

void BspLevel::loadFromMemory(std::span<const std::uint8_t> file, float lightmapScale) {
  upload(parseLevel(file), lightmapScale);
}

void BspLevel::upload(LevelData level, float lightmapScale) {
  destroy();
  data_ = std::move(level);
  buildTextures(lightmapScale);
}

void BspLevel::buildTextures(float lightmapScale) {
  textureFileNames_.reserve(data_.shaders.size());
  textures_.reserve(data_.shaders.size());
  for (const auto& shader : data_.shaders) {
    // The name need not be terminated inside its 64 bytes.
    const std::string name(shader.name, strnlen(shader.name, sizeof shader.name));
    textureFileNames_.push_back(name + ".jpg");
    textures_.push_back(resources::loadJpegTexture(textureFileNames_.back()));
  }

  scaleLightmaps(data_.lightmapBytes, lightmapScale);
  lightmapTextures_.assign(static_cast<size_t>(data_.lightmapCount), 0);
  for (std::int32_t i = 0; i < data_.lightmapCount; ++i) {
    GLuint name = 0;
    glGenTextures(1, &name);
    lightmapTextures_[i] = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, bsp::kLightmapSide, bsp::kLightmapSide, GL_RGB, GL_UNSIGNED_BYTE,
                      data_.lightmapBytes.data() + static_cast<size_t>(i) * bsp::kLightmapBytes);
  }
  data_.lightmapBytes.clear();
  data_.lightmapBytes.shrink_to_fit();
}

BspLevel::BspLevel(BspLevel&& other) noexcept { *this = std::move(other); }

BspLevel& BspLevel::operator=(BspLevel&& other) noexcept {
  if (this == &other) return *this;
  destroy();
  data_ = std::exchange(other.data_, {});
  textureFileNames_ = std::exchange(other.textureFileNames_, {});
  textures_ = std::exchange(other.textures_, {});
  lightmapTextures_ = std::exchange(other.lightmapTextures_, {});
  selection_ = std::exchange(other.selection_, {});
  return *this;
}

void BspLevel::destroy() {
  for (auto& texture : textures_) resources::releaseTexture(texture);
  // The lightmaps go too: a level may be destroyed and reloaded in the same context.
  if (!lightmapTextures_.empty())
    glDeleteTextures(static_cast<GLsizei>(lightmapTextures_.size()), lightmapTextures_.data());
  data_ = LevelData{};
  textureFileNames_ = {};
  textures_ = {};
  lightmapTextures_ = {};
  selection_ = {};
}

std::span<const std::int32_t> FaceSelection::select(const LevelData& level, const Vec3& eye, const BoxInView& inView) {
  faceDrawn_.assign(level.faces.size(), 0);
  nextLeafFace_.resize(level.leafFaces.size() + 1);
  for (std::uint32_t i = 0; i < nextLeafFace_.size(); ++i) nextLeafFace_[i] = i;
  // The next entry not yet looked at, shortening the chain walked (path halving).
  auto unvisited = [this](std::uint32_t i) {
    while (nextLeafFace_[i] != i) i = nextLeafFace_[i] = nextLeafFace_[nextLeafFace_[i]];
    return i;
  };
  drawnFaces_.clear();
  stats_ = {};
  cameraLeaf_ = findCameraLeaf(level, eye);
  const std::int32_t cameraCluster = cameraLeaf_ >= 0 ? level.leaves[cameraLeaf_].cluster : -1;

  const auto leafFaceCount = static_cast<std::int64_t>(level.leafFaces.size());
  const auto faceCount = static_cast<std::int64_t>(level.faces.size());
  for (const bsp::BspLeaf& leaf : level.leaves) {
    if (!clusterVisible(level, cameraCluster, leaf.cluster)) continue;
    if (inView && !inView(static_cast<float>(leaf.mins[0]), static_cast<float>(leaf.mins[1]),
                          static_cast<float>(leaf.mins[2]), static_cast<float>(leaf.maxs[0]),
                          static_cast<float>(leaf.maxs[1]), static_cast<float>(leaf.maxs[2])))
      continue;
    ++stats_.leavesPassed;
    // Only the part of the leaf's range that lies inside the leaf-face array.
    const std::int64_t first = std::max<std::int64_t>(leaf.firstLeafFace, 0);
    const std::int64_t last = std::min<std::int64_t>(std::int64_t{leaf.firstLeafFace} + leaf.leafFaceCount,
                                                     leafFaceCount);
    // An entry already looked at in this render names a face already flagged (or none), so
    // it is passed over: a damaged level whose thousands of leaves all claim the whole array
    // costs one walk of it, not one per leaf.
    if (first >= last) continue;
    for (std::int64_t i = unvisited(static_cast<std::uint32_t>(first)); i < last;
         i = unvisited(static_cast<std::uint32_t>(i) + 1)) {
      nextLeafFace_[static_cast<size_t>(i)] = static_cast<std::uint32_t>(i) + 1;
      const std::int32_t face = level.leafFaces[i];
      if (face < 0 || face >= faceCount || faceDrawn_[face]) continue;
      faceDrawn_[face] = 1;
      // Only polygons are drawn; the flag keeps other types from being looked at again.
      if (level.faces[face].type != bsp::kPolygonFace) continue;
      const bsp::BspFace& f = level.faces[face];
      const std::int64_t vertexEnd = std::int64_t{f.firstVertex} + f.vertexCount;
      if (f.firstVertex < 0 || f.vertexCount <= 0 || vertexEnd > static_cast<std::int64_t>(level.vertices.size()))
        continue;  // a fan over vertices that do not exist
      drawnFaces_.push_back(face);
    }
  }
  stats_.facesDrawn = static_cast<std::int32_t>(drawnFaces_.size());
  return drawnFaces_;
}

void BspLevel::render(const CameraPath& camera, const BoxInView& inView, std::uint8_t lightmapsOn,
                      std::uint8_t texturesOn) {
  render(camera.eye(), inView, lightmapsOn, texturesOn);
}

void BspLevel::render(const Vec3& eye, const BoxInView& inView, std::uint8_t lightmapsOn,
                      std::uint8_t texturesOn) {
  const auto& gl = platform::glext;
  const auto* base = reinterpret_cast<const std::uint8_t*>(data_.vertices.data());
  constexpr GLsizei kStride = sizeof(bsp::BspVertex);
  glVertexPointer(3, GL_FLOAT, kStride, base);
  glEnableClientState(GL_VERTEX_ARRAY);
  gl.clientActiveTexture(GL_TEXTURE0_ARB);
  glTexCoordPointer(2, GL_FLOAT, kStride, base ? base + offsetof(bsp::BspVertex, texCoord) : nullptr);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gl.clientActiveTexture(GL_TEXTURE1_ARB);
  glTexCoordPointer(2, GL_FLOAT, kStride, base ? base + offsetof(bsp::BspVertex, lightmapCoord) : nullptr);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);

  selection_.select(data_, eye, inView);
  // Faces drawn one after another with the same base texture and lightmap go to the driver
  // as one list of their fans' triangles: the same triangles in the same order under the same
  // binds as one glDrawArrays per face, for a fraction of the calls.
  const bool lightmaps = lightmapsOn == 1, textures = texturesOn == 1;
  runIndices_.clear();
  std::pair<std::uint32_t, std::uint32_t> runBinds{};
  for (const std::int32_t face : selection_.faces()) {
    const bsp::BspFace& f = data_.faces[face];
    const std::pair<std::uint32_t, std::uint32_t> binds{baseTextureName(f), lightmapName(f)};
    if (!runIndices_.empty() && binds != runBinds) drawRun(runBinds, lightmaps, textures);
    runBinds = binds;
    // Each fan triangle with its corners in the order the driver decomposes a fan into (the
    // centre last), so the rasteriser sees the very same triangles.
    const auto first = static_cast<std::uint32_t>(f.firstVertex);
    for (std::int32_t i = 1; i + 1 < f.vertexCount; ++i)
      runIndices_.insert(runIndices_.end(), {first, first + static_cast<std::uint32_t>(i),
                                             first + static_cast<std::uint32_t>(i) + 1});
  }
  if (!selection_.faces().empty()) drawRun(runBinds, lightmaps, textures);

  gl.activeTexture(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  gl.activeTexture(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
}

// A shader without a texture, or out of range, binds none: the face is still drawn.
std::uint32_t BspLevel::baseTextureName(const bsp::BspFace& face) const {
  const bool valid = face.shader >= 0 && static_cast<size_t>(face.shader) < textures_.size();
  return valid ? textures_[face.shader].name : 0;
}

// A negative lightmap index means "no lightmap": bind none rather than index with it.
std::uint32_t BspLevel::lightmapName(const bsp::BspFace& face) const {
  const bool valid = face.lightmap >= 0 && static_cast<size_t>(face.lightmap) < lightmapTextures_.size();
  return valid ? lightmapTextures_[face.lightmap] : 0;
}

void BspLevel::drawRun(std::pair<std::uint32_t, std::uint32_t> binds, bool lightmapsOn, bool texturesOn) {
  const auto& gl = platform::glext;
  gl.activeTexture(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, binds.first);
  if (texturesOn) glEnable(GL_TEXTURE_2D);
  else glDisable(GL_TEXTURE_2D);

  gl.activeTexture(GL_TEXTURE1_ARB);
  glBindTexture(GL_TEXTURE_2D, binds.second);
  if (lightmapsOn) glEnable(GL_TEXTURE_2D);
  else glDisable(GL_TEXTURE_2D);

  if (!runIndices_.empty())
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(runIndices_.size()), GL_UNSIGNED_INT, runIndices_.data());
  runIndices_.clear();
}

}  // namespace world
