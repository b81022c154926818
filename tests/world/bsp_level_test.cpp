// Loading without a GL context: the lumps, the axis conversion, the pure culling helpers and
// files that lie about themselves.
#include "world/bsp_level.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "level_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using levelc::LevelBuilder;
using levelc::leafChild;
using levelc::screenQuad;
namespace bsp = world::bsp;

world::LevelData parse(const Bytes& file) { return world::parseLevel(file); }

bsp::LumpEntry lumpOf(const Bytes& file, int index) {
  bsp::BspHeader header;
  std::memcpy(&header, file.data(), sizeof header);
  return header.lumps[index];
}

void setLump(Bytes& file, int index, std::int32_t offset, std::int32_t length) {
  bsp::BspHeader header;
  std::memcpy(&header, file.data(), sizeof header);
  header.lumps[index] = {offset, length};
  std::memcpy(file.data(), &header, sizeof header);
}

// Record `index` of a lump, overwritten with what the file itself holds (the file's axes).
template <typename Record>
void putRecord(Bytes& file, int lump, size_t index, const Record& record) {
  std::memcpy(file.data() + lumpOf(file, lump).offset + index * sizeof record, &record, sizeof record);
}

TEST(LevelLoading, ConvertsTheListedFieldsFromZUpToYUp) {
  // The file's own records, z up, in a level of one record of each.
  LevelBuilder w;
  w.planes.resize(2);
  w.vertices.resize(1);
  w.leaves.resize(1);
  w.nodes.resize(1);
  Bytes file = w.bytes();
  putRecord(file, bsp::kPlaneLump, 0, bsp::BspPlane{{0, 0, 1}, 42.5f});
  putRecord(file, bsp::kPlaneLump, 1, bsp::BspPlane{{0.6f, 0.8f, 0}, -3});
  bsp::BspVertex v{};
  v.position[0] = 1;
  v.position[1] = 2;
  v.position[2] = 3;
  v.texCoord[0] = 0.25f;
  v.texCoord[1] = 0.5f;
  v.lightmapCoord[0] = 0.75f;
  v.lightmapCoord[1] = 1.5f;
  v.unused[0] = 0x5A;
  putRecord(file, bsp::kVertexLump, 0, v);
  bsp::BspLeaf leaf{};
  leaf.cluster = 3;
  leaf.maxs[0] = 10;
  leaf.maxs[1] = 20;
  leaf.maxs[2] = 30;
  putRecord(file, bsp::kLeafLump, 0, leaf);
  putRecord(file, bsp::kNodeLump, 0, bsp::BspNode{0, 1, leafChild(0), {-1, -2, -3}, {4, 5, 6}});

  const world::LevelData level = parse(file);
  ASSERT_EQ(level.planes.size(), 2u);
  EXPECT_EQ(level.planes[0].normal[0], 0);
  EXPECT_EQ(level.planes[0].normal[1], 1);
  EXPECT_EQ(level.planes[0].normal[2], -0.0f);
  EXPECT_EQ(level.planes[0].distance, 42.5f);  // the distance stays
  EXPECT_EQ(level.planes[1].normal[1], 0);
  EXPECT_EQ(level.planes[1].normal[2], -0.8f);

  ASSERT_EQ(level.vertices.size(), 1u);
  const bsp::BspVertex& out = level.vertices[0];
  EXPECT_EQ(out.position[0], 1);
  EXPECT_EQ(out.position[1], 3);
  EXPECT_EQ(out.position[2], -2);
  EXPECT_EQ(out.texCoord[0], 0.25f);
  EXPECT_EQ(out.texCoord[1], 0.5f);
  EXPECT_EQ(out.lightmapCoord[0], 0.75f);
  EXPECT_EQ(out.lightmapCoord[1], 1.5f);
  EXPECT_EQ(out.unused[0], 0x5A);

  ASSERT_EQ(level.leaves.size(), 1u);
  EXPECT_EQ(level.leaves[0].cluster, 3);
  EXPECT_EQ(level.leaves[0].mins[0], 0);
  EXPECT_EQ(level.leaves[0].mins[1], 0);
  EXPECT_EQ(level.leaves[0].mins[2], 0);
  EXPECT_EQ(level.leaves[0].maxs[0], 10);
  EXPECT_EQ(level.leaves[0].maxs[1], 30);
  EXPECT_EQ(level.leaves[0].maxs[2], -20);

  ASSERT_EQ(level.nodes.size(), 1u);
  EXPECT_EQ(level.nodes[0].mins[1], -3);
  EXPECT_EQ(level.nodes[0].mins[2], 2);
  EXPECT_EQ(level.nodes[0].maxs[1], 6);
  EXPECT_EQ(level.nodes[0].maxs[2], -5);
  EXPECT_EQ(level.nodes[0].back, -1);

  // And the writer turns them back: the same level once more through both.
  EXPECT_EQ(levelc::writeLevelFile(level), file);
}

TEST(LevelLoading, LumpRemaindersAreIgnored) {
  for (int lump : {bsp::kPlaneLump, bsp::kFaceLump, bsp::kLeafFaceLump, bsp::kLightmapLump}) {
    SCOPED_TRACE(lump);
    LevelBuilder w;
    w.planes.resize(3);
    w.faces.resize(2);
    w.leafFaces = {4, 5, 6};
    w.addLightmap(1, 2, 3);
    Bytes file = w.bytes();
    // The lump runs on into what follows it (or to the end of the file).
    const bsp::LumpEntry entry = lumpOf(file, lump);
    setLump(file, lump, entry.offset, entry.length + (lump == bsp::kLightmapLump ? bsp::kLightmapBytes - 1 : 3));
    const world::LevelData level = parse(file);
    EXPECT_EQ(level.planes.size(), 3u);
    EXPECT_EQ(level.faces.size(), 2u);
    EXPECT_EQ(level.leafFaces, (std::vector<std::int32_t>{4, 5, 6}));
    EXPECT_EQ(level.lightmapCount, 1);
    EXPECT_EQ(level.lightmapBytes.size(), static_cast<size_t>(bsp::kLightmapBytes));
  }
}

TEST(LevelLoading, ReadsVisibilityFromTheLumpOffsetOnly) {
  LevelBuilder w;
  w.setVisibility({{0, 9}, {1}, {2}}, 2);
  Bytes file = w.bytes();
  // The length of the visibility lump is not consulted.
  setLump(file, bsp::kVisibilityLump, lumpOf(file, bsp::kVisibilityLump).offset, 0);
  const world::LevelData level = parse(file);
  EXPECT_EQ(level.visClusterCount, 3);
  EXPECT_EQ(level.visBytesPerRow, 2);
  ASSERT_EQ(level.visRows.size(), 6u);
  EXPECT_EQ(level.visRows[0], 0x01);
  EXPECT_EQ(level.visRows[1], 0x02);  // cluster 9: bit 1 of byte 1
}

TEST(LightmapScaling, MultipliesSaturatesAndTruncates) {
  EXPECT_EQ(world::scaleLightmapByte(100, 2.0f), 200);
  EXPECT_EQ(world::scaleLightmapByte(200, 2.0f), 255);
  EXPECT_EQ(world::scaleLightmapByte(128, 2.0f), 255);
  EXPECT_EQ(world::scaleLightmapByte(127, 2.0f), 254);
  EXPECT_EQ(world::scaleLightmapByte(201, 0.5f), 100);
  EXPECT_EQ(world::scaleLightmapByte(255, 1.0f), 255);
  EXPECT_EQ(world::scaleLightmapByte(7, 1.0f), 7);
  EXPECT_EQ(world::scaleLightmapByte(3, 0.9f), 2);
  EXPECT_EQ(world::scaleLightmapByte(50, -1.0f), 0);
  Bytes bytes = {0, 100, 200, 255};
  world::scaleLightmaps(bytes, 2.0f);
  EXPECT_EQ(bytes, (Bytes{0, 200, 255, 255}));
}

// Two leaves split by the scene plane x = 0: the front leaf (x >= 0) in cluster 0, the back
// leaf in cluster 1.
LevelBuilder splitLevel() {
  LevelBuilder w;
  const int plane = w.addPlane({1, 0, 0}, 0);
  w.addLeaf(0, {0, -10, -10}, {10, 10, 10}, {});
  w.addLeaf(1, {-10, -10, -10}, {0, 10, 10}, {});
  w.addNode(plane, leafChild(0), leafChild(1));
  return w;
}

TEST(CameraLeaf, NodeWalkSendsPointsOnThePlaneToTheFront) {
  const world::LevelData level = parse(splitLevel().bytes());
  EXPECT_EQ(world::findCameraLeaf(level, {0, 3, -4}), 0);
  EXPECT_EQ(world::findCameraLeaf(level, {0.001f, 0, 0}), 0);
  EXPECT_EQ(world::findCameraLeaf(level, {-0.001f, 0, 0}), 1);

  // Deeper: node 0 splits on y = 5 (scene), its back goes to node 1 splitting on z = -2.
  LevelBuilder w;
  const int py = w.addPlane({0, 1, 0}, 5);
  const int pz = w.addPlane({0, 0, 1}, -2);
  for (int i = 0; i < 3; ++i) w.addLeaf(i, {0, 0, 0}, {1, 1, 1}, {});
  w.addNode(py, leafChild(0), 1);
  w.addNode(pz, leafChild(1), leafChild(2));
  const world::LevelData deep = parse(w.bytes());
  EXPECT_EQ(world::findCameraLeaf(deep, {0, 5, 0}), 0);
  EXPECT_EQ(world::findCameraLeaf(deep, {0, 4, -2}), 1);
  EXPECT_EQ(world::findCameraLeaf(deep, {0, 4, -3}), 2);
}

TEST(CameraLeaf, BrokenTreesLeadNowhere) {
  LevelBuilder w = splitLevel();
  EXPECT_EQ(world::findCameraLeaf(parse(LevelBuilder{}.bytes()), {}), -1);  // no nodes
  w.nodes[0].plane = 7;
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {}), -1);
  w = splitLevel();
  w.nodes[0].plane = -1;
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {}), -1);
  w = splitLevel();
  w.nodes[0].front = 5;  // node out of range
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {1, 0, 0}), -1);
  w = splitLevel();
  w.nodes[0].front = leafChild(2);  // leaf out of range
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {1, 0, 0}), -1);
  w.nodes[0].front = INT32_MIN;
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {1, 0, 0}), -1);
  w = splitLevel();
  w.nodes[0].front = 0;  // a loop back to itself
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {1, 0, 0}), -1);
  EXPECT_EQ(world::findCameraLeaf(parse(w.bytes()), {-1, 0, 0}), 1);
}

TEST(ClusterTest, ReadsTheCameraRowBitByBit) {
  LevelBuilder w;
  w.setVisibility({{0, 2, 8}, {1, 7}}, 2);
  const world::LevelData level = parse(w.bytes());
  EXPECT_TRUE(world::clusterVisible(level, 0, 0));
  EXPECT_FALSE(world::clusterVisible(level, 0, 1));
  EXPECT_TRUE(world::clusterVisible(level, 0, 2));
  EXPECT_TRUE(world::clusterVisible(level, 0, 8));
  EXPECT_FALSE(world::clusterVisible(level, 0, 9));
  EXPECT_FALSE(world::clusterVisible(level, 1, 0));
  // Cluster -1 is taken as it is: bit 7 of byte 0 of the row.
  EXPECT_FALSE(world::clusterVisible(level, 0, -1));
  EXPECT_TRUE(world::clusterVisible(level, 1, -1));
  // Bits past the row (or before it) are not there to be set.
  EXPECT_FALSE(world::clusterVisible(level, 0, 16));
  EXPECT_FALSE(world::clusterVisible(level, 1, -9));
  // A camera outside every cluster, or in a cluster without a row, sees everything.
  EXPECT_TRUE(world::clusterVisible(level, -1, 1));
  EXPECT_TRUE(world::clusterVisible(level, 2, 1));
  EXPECT_TRUE(world::clusterVisible(parse(LevelBuilder{}.bytes()), 0, 5));
}

// ---- files that lie ----

LevelBuilder richLevel() {
  LevelBuilder w = splitLevel();
  w.addShader("textures/stone");
  world::Vec3 quad[4];
  screenQuad(-5, 2, quad);
  w.addQuad(quad, 0, 0);
  w.addQuad(quad, 0, -1);
  w.addLightmap(10, 20, 30);
  w.leaves[0].firstLeafFace = 0;
  w.leaves[0].leafFaceCount = 0;
  w.leafFaces = {0, 1};
  w.leaves[1].firstLeafFace = 0;
  w.leaves[1].leafFaceCount = 2;
  w.setVisibility({{0, 1}, {0, 1}});
  return w;
}

TEST(HostileLevels, TruncatedFilesKeepOnlyWhatIsThere) {
  const Bytes whole = richLevel().bytes();
  const world::LevelData full = parse(whole);
  for (size_t size = 0; size <= whole.size(); size += size < 200 ? 1 : 97) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    const world::LevelData level = parse(cut);
    EXPECT_LE(level.planes.size(), full.planes.size());
    EXPECT_LE(level.vertices.size(), full.vertices.size());
    EXPECT_LE(level.faces.size(), full.faces.size());
    EXPECT_LE(level.lightmapCount, full.lightmapCount);
    EXPECT_LE(level.visRows.size(), full.visRows.size());
    world::findCameraLeaf(level, {0.5f, 0, 0});
  }
  EXPECT_TRUE(parse(Bytes(143, 0)).planes.empty());
  EXPECT_EQ(parse(whole).faces.size(), 2u);
}

TEST(HostileLevels, LumpsPastTheEndOrNegativeAreEmptyOrCut) {
  const Bytes good = richLevel().bytes();
  const auto size = static_cast<std::int32_t>(good.size());
  const auto planes = lumpOf(good, bsp::kPlaneLump);

  Bytes file = good;
  setLump(file, bsp::kPlaneLump, size + 16, 16);
  EXPECT_TRUE(parse(file).planes.empty());
  setLump(file, bsp::kPlaneLump, -16, 32);
  EXPECT_TRUE(parse(file).planes.empty());
  setLump(file, bsp::kPlaneLump, planes.offset, -16);
  EXPECT_TRUE(parse(file).planes.empty());
  setLump(file, bsp::kPlaneLump, INT32_MAX, INT32_MAX);
  EXPECT_TRUE(parse(file).planes.empty());
  // Running past the end: the records up to the end of the file are read.
  setLump(file, bsp::kPlaneLump, size - 40, 1600);
  EXPECT_EQ(parse(file).planes.size(), 2u);

  // Visibility: negative counts, rows past the end.
  file = good;
  const auto vis = lumpOf(good, bsp::kVisibilityLump);
  auto patchVis = [&](std::int32_t clusters, std::int32_t bytesPerRow) {
    Bytes f = good;
    const bsp::BspVisibilityHeader h{clusters, bytesPerRow};
    std::memcpy(f.data() + vis.offset, &h, sizeof h);
    return parse(f);
  };
  EXPECT_TRUE(patchVis(-2, 1).visRows.empty());
  EXPECT_TRUE(patchVis(2, -1).visRows.empty());
  EXPECT_TRUE(patchVis(INT32_MAX, INT32_MAX).visRows.empty());
  const world::LevelData many = patchVis(1000, 1);
  EXPECT_EQ(many.visClusterCount, 2);  // only the rows really present
  EXPECT_TRUE(world::clusterVisible(many, 5, 0));
  setLump(file, bsp::kVisibilityLump, size - 4, 8);
  EXPECT_TRUE(parse(file).visRows.empty());
}

TEST(HostileLevels, SelectionSkipsEveryIndexOutOfRange) {
  LevelBuilder w = richLevel();
  world::Vec3 quad[4];
  screenQuad(-6, 1, quad);
  const int polygon = w.addQuad(quad, 0, 0);
  // Faces pointing at vertices and shaders that do not exist, and leaves whose ranges run
  // outside the leaf-face list.
  const int beyond = w.addQuad(quad, 99, 99);
  w.faces[beyond].firstVertex = 1000;
  const int negative = w.addQuad(quad, -5, -7);
  w.faces[negative].vertexCount = -4;
  const int overflow = w.addQuad(quad, 0, 0);
  w.faces[overflow].firstVertex = INT32_MAX;
  const int first = static_cast<int>(w.leafFaces.size());
  w.leafFaces.insert(w.leafFaces.end(), {-1, 9999, beyond, negative, overflow, polygon});
  w.addLeaf(-1, {-1, -1, -1}, {1, 1, 1}, {});
  w.leaves.back().firstLeafFace = first;
  w.leaves.back().leafFaceCount = 6;
  w.addLeaf(-1, {-1, -1, -1}, {1, 1, 1}, {});
  w.leaves.back().firstLeafFace = -3;
  w.leaves.back().leafFaceCount = 5;  // entries -3..1: only 0 and 1 exist
  w.addLeaf(-1, {-1, -1, -1}, {1, 1, 1}, {});
  w.leaves.back().firstLeafFace = INT32_MAX;
  w.leaves.back().leafFaceCount = INT32_MAX;
  w.nodes.clear();  // camera outside every cluster: every leaf takes part

  ASSERT_EQ(world::parseLevel(w.bytes()).faces.size(), 6u);
  // Without shaders and lightmaps the level needs no GL context to select its faces.
  world::FaceSelection selection;
  const auto drawn = selection.select(world::parseLevel(w.bytes()), {0, 0, 0}, {});
  EXPECT_EQ(std::vector<std::int32_t>(drawn.begin(), drawn.end()), (std::vector<std::int32_t>{0, 1, polygon}));
  EXPECT_EQ(selection.cameraLeaf(), -1);
}

// Random damage to a valid file: bytes flipped, ranges overwritten with extreme values, the
// file cut. Loading and selecting faces must stay inside the arrays (run under the address
// sanitizer for the full effect); the run is seeded, so a failure repeats.
TEST(HostileLevels, MutatedFilesNeverReadOutOfBounds) {
  const Bytes good = richLevel().bytes();
  std::mt19937 random(1234);
  const std::int32_t extremes[] = {0, -1, 1, INT32_MIN, INT32_MAX, 144, 0x7FFF, -0x8000};
  int withFaces = 0;
  for (int round = 0; round < 400; ++round) {
    Bytes file = good;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % file.size();
      switch (random() % 3) {
        case 0:
          file[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
          break;
        case 1:
          if (at + 4 <= file.size()) {
            const std::int32_t v = extremes[random() % std::size(extremes)];
            std::memcpy(file.data() + (at & ~size_t{3}), &v, 4);
          }
          break;
        default:
          if (random() % 4 == 0) file.resize(at);
          break;
      }
    }
    // Header fields take most of the damage in real files: hit them on purpose.
    if (round % 2 == 0) {
      const std::int32_t v = extremes[random() % std::size(extremes)];
      const size_t at = 8 + 4 * (random() % 34);
      if (at + 4 <= file.size()) std::memcpy(file.data() + at, &v, 4);
    }
    const world::LevelData data = world::parseLevel(file);
    if (!data.faces.empty()) ++withFaces;
    world::FaceSelection selection;
    for (const world::Vec3 eye : {world::Vec3{0, 0, 0}, world::Vec3{-3, 1, 2}, world::Vec3{5, 0, -1}}) {
      for (const std::int32_t face : selection.select(data, eye, {})) {
        ASSERT_GE(face, 0);
        ASSERT_LT(static_cast<size_t>(face), data.faces.size());
        const auto& f = data.faces[face];
        ASSERT_EQ(f.type, bsp::kPolygonFace);
        ASSERT_GE(f.firstVertex, 0);
        ASSERT_LE(std::int64_t{f.firstVertex} + f.vertexCount, static_cast<std::int64_t>(data.vertices.size()));
      }
    }
  }
  EXPECT_GT(withFaces, 100);  // the damage left enough files to draw from
}

}  // namespace
