#include "level_writer.h"

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace level_testing {

world::Vec3 sceneToFile(const world::Vec3& s) { return {s.x, -s.z, s.y}; }

int LevelWriter::addShader(const std::string& name) {
  bsp::BspShader shader{};
  std::memcpy(shader.name, name.data(), std::min(name.size(), sizeof shader.name));
  shaders.push_back(shader);
  return static_cast<int>(shaders.size()) - 1;
}

int LevelWriter::addPlane(const world::Vec3& sceneNormal, float distance) {
  const world::Vec3 n = sceneToFile(sceneNormal);
  planes.push_back({{n.x, n.y, n.z}, distance});
  return static_cast<int>(planes.size()) - 1;
}

int LevelWriter::addNode(int plane, int front, int back) {
  nodes.push_back({plane, front, back, {0, 0, 0}, {0, 0, 0}});
  return static_cast<int>(nodes.size()) - 1;
}

int LevelWriter::addLeaf(int cluster, const world::Vec3& lo, const world::Vec3& hi,
                         const std::vector<int>& faceIndices) {
  const world::Vec3 a = sceneToFile(lo), b = sceneToFile(hi);
  bsp::BspLeaf leaf{};
  leaf.cluster = cluster;
  leaf.mins[0] = static_cast<std::int32_t>(std::min(a.x, b.x));
  leaf.mins[1] = static_cast<std::int32_t>(std::min(a.y, b.y));
  leaf.mins[2] = static_cast<std::int32_t>(std::min(a.z, b.z));
  leaf.maxs[0] = static_cast<std::int32_t>(std::max(a.x, b.x));
  leaf.maxs[1] = static_cast<std::int32_t>(std::max(a.y, b.y));
  leaf.maxs[2] = static_cast<std::int32_t>(std::max(a.z, b.z));
  leaf.firstLeafFace = static_cast<std::int32_t>(leafFaces.size());
  leaf.leafFaceCount = static_cast<std::int32_t>(faceIndices.size());
  for (int f : faceIndices) leafFaces.push_back(f);
  leaves.push_back(leaf);
  return static_cast<int>(leaves.size()) - 1;
}

int LevelWriter::addQuad(const world::Vec3 (&corners)[4], int shader, int lightmap, int type) {
  static const float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  bsp::BspFace face{};
  face.shader = shader;
  face.type = type;
  face.firstVertex = static_cast<std::int32_t>(vertices.size());
  face.vertexCount = 4;
  face.lightmap = lightmap;
  for (int i = 0; i < 4; ++i) {
    const world::Vec3 p = sceneToFile(corners[i]);
    bsp::BspVertex v{};
    v.position[0] = p.x;
    v.position[1] = p.y;
    v.position[2] = p.z;
    v.texCoord[0] = v.lightmapCoord[0] = kUv[i][0];
    v.texCoord[1] = v.lightmapCoord[1] = kUv[i][1];
    vertices.push_back(v);
  }
  faces.push_back(face);
  return static_cast<int>(faces.size()) - 1;
}

int LevelWriter::addLightmap(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int i = 0; i < bsp::kLightmapSide * bsp::kLightmapSide; ++i) {
    lightmaps.push_back(r);
    lightmaps.push_back(g);
    lightmaps.push_back(b);
  }
  return static_cast<int>(lightmaps.size() / bsp::kLightmapBytes) - 1;
}

void LevelWriter::setVisibility(const std::vector<std::vector<int>>& visible, int bytesPerRow) {
  visClusterCount = static_cast<std::int32_t>(visible.size());
  visBytesPerRow = bytesPerRow > 0 ? bytesPerRow : (visClusterCount + 7) / 8;
  visRows.assign(static_cast<size_t>(visClusterCount) * visBytesPerRow, 0);
  for (size_t c = 0; c < visible.size(); ++c)
    for (int k : visible[c]) visRows[c * visBytesPerRow + k / 8] |= static_cast<std::uint8_t>(1u << (k & 7));
}

namespace {
template <typename Record>
void appendLump(Bytes& file, int index, const std::vector<Record>& records, const LevelWriter& w) {
  const auto offset = static_cast<std::int32_t>(file.size());
  const auto* begin = reinterpret_cast<const std::uint8_t*>(records.data());
  file.insert(file.end(), begin, begin + records.size() * sizeof(Record));
  if (w.paddedLump == index) file.insert(file.end(), static_cast<size_t>(w.padding), 0xAB);
  setLump(file, index, offset, static_cast<std::int32_t>(file.size()) - offset);
}
}  // namespace

Bytes LevelWriter::bytes() const {
  Bytes file(sizeof(bsp::BspHeader), 0);
  std::memcpy(file.data(), "IBSP", 4);
  file[4] = 46;
  appendLump(file, bsp::kShaderLump, shaders, *this);
  appendLump(file, bsp::kPlaneLump, planes, *this);
  appendLump(file, bsp::kNodeLump, nodes, *this);
  appendLump(file, bsp::kLeafLump, leaves, *this);
  appendLump(file, bsp::kLeafFaceLump, leafFaces, *this);
  appendLump(file, bsp::kVertexLump, vertices, *this);
  appendLump(file, bsp::kFaceLump, faces, *this);
  appendLump(file, bsp::kLightmapLump, lightmaps, *this);
  Bytes vis(sizeof(bsp::BspVisibilityHeader));
  const bsp::BspVisibilityHeader header{visClusterCount, visBytesPerRow};
  std::memcpy(vis.data(), &header, sizeof header);
  vis.insert(vis.end(), visRows.begin(), visRows.end());
  appendLump(file, bsp::kVisibilityLump, vis, *this);
  return file;
}

void setLump(Bytes& file, int index, std::int32_t offset, std::int32_t length) {
  const bsp::LumpEntry entry{offset, length};
  std::memcpy(file.data() + 8 + 8 * index, &entry, sizeof entry);
}

bsp::LumpEntry lumpOf(const Bytes& file, int index) {
  bsp::LumpEntry entry;
  std::memcpy(&entry, file.data() + 8 + 8 * index, sizeof entry);
  return entry;
}

void screenQuad(float z, float h, world::Vec3 (&corners)[4]) {
  corners[0] = {-h, -h, z};
  corners[1] = {h, -h, z};
  corners[2] = {h, h, z};
  corners[3] = {-h, h, z};
}

bool writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool writeJpeg(const std::string& path, int width, int height, const Bytes& rgb) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(f) == 0;
}

}  // namespace level_testing
