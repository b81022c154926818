#include "level_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "picture_files.h"
#include "platform/file_system.h"

namespace levelc {

namespace bsp = world::bsp;

int LevelBuilder::addShader(const std::string& name) {
  bsp::BspShader shader{};
  std::memcpy(shader.name, name.data(), std::min(name.size(), sizeof shader.name));
  shaders.push_back(shader);
  return static_cast<int>(shaders.size()) - 1;
}

int LevelBuilder::addPlane(const world::Vec3& n, float distance) {
  planes.push_back({{n.x, n.y, n.z}, distance});
  return static_cast<int>(planes.size()) - 1;
}

int LevelBuilder::addNode(int plane, int front, int back) {
  nodes.push_back({plane, front, back, {0, 0, 0}, {0, 0, 0}});
  return static_cast<int>(nodes.size()) - 1;
}

int LevelBuilder::addLeaf(int cluster, const world::Vec3& lo, const world::Vec3& hi,
                          const std::vector<int>& faceIndices) {
  bsp::BspLeaf leaf{};
  leaf.cluster = cluster;
  auto corner = [](float a, float b, bool low) { return static_cast<std::int32_t>(low ? std::min(a, b) : std::max(a, b)); };
  setSceneBox(leaf.mins, leaf.maxs, {corner(lo.x, hi.x, true), corner(lo.y, hi.y, true), corner(lo.z, hi.z, true)},
              {corner(lo.x, hi.x, false), corner(lo.y, hi.y, false), corner(lo.z, hi.z, false)});
  leaf.firstLeafFace = static_cast<std::int32_t>(leafFaces.size());
  leaf.leafFaceCount = static_cast<std::int32_t>(faceIndices.size());
  for (int f : faceIndices) leafFaces.push_back(f);
  leaves.push_back(leaf);
  return static_cast<int>(leaves.size()) - 1;
}

int LevelBuilder::addQuad(const world::Vec3 (&corners)[4], int shader, int lightmap, int type) {
  static const float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  bsp::BspFace face{};
  face.shader = shader;
  face.type = type;
  face.firstVertex = static_cast<std::int32_t>(vertices.size());
  face.vertexCount = 4;
  face.lightmap = lightmap;
  for (int i = 0; i < 4; ++i) {
    bsp::BspVertex v{};
    v.position[0] = corners[i].x;
    v.position[1] = corners[i].y;
    v.position[2] = corners[i].z;
    v.texCoord[0] = v.lightmapCoord[0] = kUv[i][0];
    v.texCoord[1] = v.lightmapCoord[1] = kUv[i][1];
    vertices.push_back(v);
  }
  faces.push_back(face);
  return static_cast<int>(faces.size()) - 1;
}

int LevelBuilder::addLightmap(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int i = 0; i < bsp::kLightmapSide * bsp::kLightmapSide; ++i) lightmapBytes.insert(lightmapBytes.end(), {r, g, b});
  return lightmapCount++;
}

void screenQuad(float z, float h, world::Vec3 (&corners)[4]) {
  corners[0] = {-h, -h, z};
  corners[1] = {h, -h, z};
  corners[2] = {h, h, z};
  corners[3] = {-h, h, z};
}

void LevelBuilder::setVisibility(const std::vector<std::vector<int>>& visible, int bytesPerRow) {
  visClusterCount = static_cast<std::int32_t>(visible.size());
  visBytesPerRow = bytesPerRow > 0 ? bytesPerRow : (visClusterCount + 7) / 8;
  visRows.assign(static_cast<size_t>(visClusterCount) * visBytesPerRow, 0);
  for (size_t c = 0; c < visible.size(); ++c)
    for (int k : visible[c]) visRows[c * visBytesPerRow + k / 8] |= static_cast<std::uint8_t>(1u << (k & 7));
}

namespace {

float axis(const world::Vec3& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; }
void setAxis(world::Vec3& v, int a, float value) { (a == 0 ? v.x : a == 1 ? v.y : v.z) = value; }

// One side of the box lo..hi split into tiles, its front (counter-clockwise) side facing
// out of the box, so that from inside it survives the culling of front faces.
void addBoxSide(LevelBuilder& w, const world::Vec3& lo, const world::Vec3& hi, int a, bool high, int tiles,
                int shader, int lightmap, std::vector<int>& faces) {
  const int b = (a + 1) % 3, c = (a + 2) % 3;
  for (int i = 0; i < tiles; ++i)
    for (int j = 0; j < tiles; ++j) {
      const float b0 = axis(lo, b) + (axis(hi, b) - axis(lo, b)) * i / tiles;
      const float b1 = axis(lo, b) + (axis(hi, b) - axis(lo, b)) * (i + 1) / tiles;
      const float c0 = axis(lo, c) + (axis(hi, c) - axis(lo, c)) * j / tiles;
      const float c1 = axis(lo, c) + (axis(hi, c) - axis(lo, c)) * (j + 1) / tiles;
      world::Vec3 corners[4];
      const float bc[4][2] = {{b0, c0}, {b1, c0}, {b1, c1}, {b0, c1}};
      for (int k = 0; k < 4; ++k) {
        const int at = high ? k : 3 - k;
        setAxis(corners[at], a, high ? axis(hi, a) : axis(lo, a));
        setAxis(corners[at], b, bc[k][0]);
        setAxis(corners[at], c, bc[k][1]);
      }
      const int face = w.addQuad(corners, shader, lightmap);
      // Tile the textures: surface coordinates in units of 64.
      for (int k = 0; k < 4; ++k) {
        auto& v = w.vertices[w.faces[face].firstVertex + k];
        v.texCoord[0] = axis(corners[k], b) / 64.0f;
        v.texCoord[1] = axis(corners[k], c) / 64.0f;
        v.lightmapCoord[0] = (static_cast<float>(i) + (k == 1 || k == 2 ? 1.0f : 0.0f)) / tiles;
        v.lightmapCoord[1] = (static_cast<float>(j) + (k >= 2 ? 1.0f : 0.0f)) / tiles;
      }
      faces.push_back(face);
    }
}

}  // namespace

LevelBuilder corridorLevel(int segments, int tiles) {
  LevelBuilder w;
  for (int s = 0; s < 3; ++s) w.addShader("textures/gen" + std::to_string(s));
  constexpr float kLength = 200, kHalfWidth = 60, kHeight = 120;
  std::vector<std::vector<int>> visible(static_cast<size_t>(segments));
  // Planes z = -200 k split the corridor; node k sends z >= -200 (k + 1) to its leaf k.
  for (int k = 0; k < segments; ++k) {
    const float z0 = -kLength * static_cast<float>(k + 1), z1 = -kLength * static_cast<float>(k);
    // A lightmap page per segment: brighter near the middle of the segment.
    std::vector<std::uint8_t> page(static_cast<size_t>(bsp::kLightmapBytes));
    for (int y = 0; y < bsp::kLightmapSide; ++y)
      for (int x = 0; x < bsp::kLightmapSide; ++x) {
        const int light = 90 + (x * (127 - x) + y * (127 - y)) / 40 + 30 * (k % 3);
        const size_t at = (static_cast<size_t>(y) * bsp::kLightmapSide + x) * 3;
        page[at] = static_cast<std::uint8_t>(std::min(light + 20, 255));
        page[at + 1] = static_cast<std::uint8_t>(std::min(light, 255));
        page[at + 2] = static_cast<std::uint8_t>(std::min(light - 10, 255));
      }
    w.lightmapBytes.insert(w.lightmapBytes.end(), page.begin(), page.end());
    ++w.lightmapCount;
    std::vector<int> faces;
    const world::Vec3 lo{-kHalfWidth, 0, z0}, hi{kHalfWidth, kHeight, z1};
    addBoxSide(w, lo, hi, 1, false, tiles, 0, k, faces);  // floor
    addBoxSide(w, lo, hi, 1, true, tiles, 1, k, faces);   // ceiling
    addBoxSide(w, lo, hi, 0, false, tiles, 2, k, faces);  // walls
    addBoxSide(w, lo, hi, 0, true, tiles, 2, k, faces);
    if (k == 0) addBoxSide(w, lo, hi, 2, true, tiles, 2, k, faces);
    if (k == segments - 1) addBoxSide(w, lo, hi, 2, false, tiles, 2, k, faces);
    // A pillar on each side, seen from outside: its faces wound the other way round.
    for (const float x : {-35.0f, 35.0f}) {
      const world::Vec3 plo{x - 6, 0, z0 + 94}, phi{x + 6, kHeight, z0 + 106};
      for (int a : {0, 2})
        for (bool high : {false, true}) {
          std::vector<int> pillar;
          addBoxSide(w, plo, phi, a, high, 1, 1, k, pillar);
          for (int f : pillar) {
            auto& face = w.faces[f];
            std::reverse(w.vertices.begin() + face.firstVertex, w.vertices.begin() + face.firstVertex + 4);
          }
          faces.insert(faces.end(), pillar.begin(), pillar.end());
        }
    }
    w.addLeaf(k, lo, hi, faces);
    for (int v = std::max(0, k - 2); v <= std::min(segments - 1, k + 2); ++v) visible[k].push_back(v);
  }
  // Outside the corridor (beyond the last plane): a leaf without a cluster.
  w.addLeaf(-1, {-kHalfWidth, 0, -kLength * static_cast<float>(segments + 1)},
            {kHalfWidth, kHeight, -kLength * static_cast<float>(segments)}, {});
  for (int k = 0; k < segments; ++k) {
    const int plane = w.addPlane({0, 0, 1}, -kLength * static_cast<float>(k + 1));
    const int back = k + 1 < segments ? k + 1 : leafChild(segments);
    w.addNode(plane, leafChild(k), back);
  }
  w.setVisibility(visible);
  return w;
}

std::string corridorPath(int segments, int points) {
  const float length = 200.0f * static_cast<float>(segments) - 60.0f;
  std::string text = std::to_string(points) + "\n// eye, then target\n";
  for (int i = 0; i < points; ++i) {
    const float z = -20.0f - length * static_cast<float>(i) / static_cast<float>(points - 1);
    const float sway = 15.0f * static_cast<float>((i % 4) - 1.5);
    char line[128];
    std::snprintf(line, sizeof line, "%.2f 60 %.2f\n%.2f 55 %.2f\n", sway, z, -sway, z - 150.0f);
    text += line;
  }
  return text;
}

bool writeCorridorTextures(const std::string& folder) {
  const std::string textures = folder + "/textures";
  if (!platform::createFolders(textures)) return false;
  for (int s = 0; s < 3; ++s) {
    std::vector<std::uint8_t> rgb(64 * 64 * 3);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const int brick = ((y / 16) % 2 == 0 ? x : x + 16) % 32 < 2 || y % 16 < 2 ? 60 : 0;
        const int base[3][3] = {{150, 140, 120}, {110, 110, 120}, {170, 110, 80}};
        const size_t at = (static_cast<size_t>(y) * 64 + x) * 3;
        for (int c = 0; c < 3; ++c)
          rgb[at + c] = static_cast<std::uint8_t>(std::max(0, base[s][c] - brick + ((x * 7 + y * 13) % 11)));
      }
    const auto jpeg = showkit::encodeJpeg(rgb, 64, 64, 3, 100, true);
    if (jpeg.empty() || !platform::writeWholeFile(textures + "/gen" + std::to_string(s) + ".jpg", jpeg.data(), jpeg.size()))
      return false;
  }
  return true;
}

}  // namespace levelc
