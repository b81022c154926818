#include "level_compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "level_checks.h"
#include "world/bsp_format.h"

namespace {

using levelc::IntBox;
using levelc::LevelDescription;
using levelc::Room;
using levels_test::clusterAt;

Room makeRoom(IntBox box) {
  Room r;
  r.box = box;
  return r;
}

// A bent chain: A -east-> B -> C -south-> D -> E. A and C see each other down the straight
// passage; E hides behind the bend from A.
LevelDescription bentChain() {
  LevelDescription level;
  level.rooms = {makeRoom({{0, 0, 0}, {200, 100, 200}}),        // A
                 makeRoom({{200, 0, 0}, {400, 80, 60}}),         // B
                 makeRoom({{400, 0, 0}, {600, 100, 200}}),       // C
                 makeRoom({{450, 0, 200}, {550, 80, 400}}),      // D
                 makeRoom({{200, 0, 400}, {600, 100, 600}})};    // E
  level.blocks.push_back({IntBox{{90, 0, 90}, {110, 100, 110}}, levelc::Material::Metal, false, {}});
  level.lights.push_back({{100, 60, 40}, {1, 1, 1}, 1.5f, 300});
  return level;
}

world::LevelData compileAndRead(const LevelDescription& description) {
  return world::parseLevel(levelc::encodeLevel(levelc::compileLevel(description)));
}

bool sees(const world::LevelData& level, int a, int b) {
  return (level.visRows[static_cast<std::size_t>(a) * level.visBytesPerRow + b / 8] >> (b & 7)) & 1;
}

TEST(LevelCompiler, FileIsStructurallySound) {
  const world::LevelData level = compileAndRead(bentChain());
  EXPECT_EQ(levels_test::unreachable(level), std::vector<std::string>{});
  EXPECT_EQ(levels_test::leavesOutsideParents(level), std::vector<std::string>{});
  EXPECT_EQ(levels_test::visibilityFaults(level), std::vector<std::string>{});
  EXPECT_EQ(levels_test::windingFaults(level), std::vector<std::string>{});
  ASSERT_FALSE(level.faces.empty());
  for (const auto& face : level.faces) {
    EXPECT_EQ(face.type, world::bsp::kPolygonFace);
    EXPECT_GE(face.vertexCount, 4);
    EXPECT_GE(face.firstVertex, 0);
    EXPECT_LE(face.firstVertex + face.vertexCount, static_cast<int>(level.vertices.size()));
    EXPECT_GE(face.lightmap, 0);
    EXPECT_LT(face.lightmap, level.lightmapCount);
    EXPECT_LT(face.shader, static_cast<int>(level.shaders.size()));
  }
  for (const auto& shader : level.shaders) EXPECT_EQ(std::string(shader.name).rfind("Textures/brae/", 0), 0u);
}

TEST(LevelCompiler, HeaderAndLumps) {
  const auto bytes = levelc::encodeLevel(levelc::compileLevel(bentChain()));
  world::bsp::BspHeader header;
  ASSERT_GE(bytes.size(), sizeof header);
  std::memcpy(&header, bytes.data(), sizeof header);
  EXPECT_EQ(std::string(header.identification, 4), "IBSP");
  EXPECT_EQ(header.version, 46);
  const std::size_t records[world::bsp::kLumpCount] = {0, 72, 16, 36, 48, 4, 0, 0, 0, 0, 44, 0, 0, 104, 49152, 0, 0};
  for (int i = 0; i < world::bsp::kLumpCount; ++i) {
    const auto& lump = header.lumps[i];
    EXPECT_EQ(lump.offset % 4, 0) << "lump " << i;
    EXPECT_GE(lump.offset, static_cast<int>(sizeof header)) << "lump " << i;
    EXPECT_LE(static_cast<std::size_t>(lump.offset) + lump.length, bytes.size()) << "lump " << i;
    if (records[i] > 0) {
      EXPECT_GT(lump.length, 0) << "lump " << i;
      EXPECT_EQ(lump.length % records[i], 0u) << "lump " << i;
    } else if (i != world::bsp::kVisibilityLump) {
      EXPECT_EQ(lump.length, 0) << "unread lump " << i << " should be empty";
    }
  }
  // The visibility lump is its header and exactly the rows it announces.
  const auto& vis = header.lumps[world::bsp::kVisibilityLump];
  world::bsp::BspVisibilityHeader rows;
  std::memcpy(&rows, bytes.data() + vis.offset, sizeof rows);
  EXPECT_EQ(rows.clusterCount, 5);
  EXPECT_EQ(rows.bytesPerRow, 1);
  EXPECT_EQ(vis.length, 8 + 5);
}

TEST(LevelCompiler, AxesAreStoredZUp) {
  // One room 0..100 (x), 0..50 (y, up), -200..-100 (z): in the file its leaf box runs
  // 0..50 on z and 100..200 on y.
  LevelDescription description;
  description.rooms = {makeRoom({{0, 0, -200}, {100, 50, -100}})};
  const auto compiled = levelc::compileLevel(description);
  const auto bytes = levelc::encodeLevel(compiled);
  world::bsp::BspHeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  const auto& leafLump = header.lumps[world::bsp::kLeafLump];
  bool found = false;
  for (int i = 0; i < leafLump.length / 48; ++i) {
    world::bsp::BspLeaf leaf;
    std::memcpy(&leaf, bytes.data() + leafLump.offset + i * 48, sizeof leaf);
    if (leaf.cluster < 0) continue;
    found = true;
    EXPECT_EQ(leaf.mins[1], 100);
    EXPECT_EQ(leaf.maxs[1], 200);
    EXPECT_EQ(leaf.mins[2], 0);
    EXPECT_EQ(leaf.maxs[2], 50);
  }
  EXPECT_TRUE(found);
  // And the reader turns it back: the room's air is where the description put it.
  const auto level = world::parseLevel(bytes);
  EXPECT_GE(clusterAt(level, {50, 25, -150}), 0);
  EXPECT_EQ(clusterAt(level, {50, 25, 150}), -1);
}

TEST(LevelCompiler, VisibilityFollowsTheGeometry) {
  const LevelDescription description = bentChain();
  const world::LevelData level = compileAndRead(description);
  const int a = clusterAt(level, {50, 50, 150}), b = clusterAt(level, {300, 40, 30});
  const int c = clusterAt(level, {500, 50, 100}), d = clusterAt(level, {500, 40, 300});
  const int e = clusterAt(level, {300, 50, 500});
  ASSERT_GE(std::min({a, b, c, d, e}), 0);
  EXPECT_EQ(level.visClusterCount, 5);
  EXPECT_TRUE(sees(level, a, b));
  EXPECT_TRUE(sees(level, a, c));  // straight down the passage
  EXPECT_TRUE(sees(level, c, e));
  EXPECT_FALSE(sees(level, a, e)) << "the bend hides E from A";
  EXPECT_FALSE(sees(level, a, d));
  // Solid space has no cluster: inside the pillar and inside the walls.
  EXPECT_EQ(clusterAt(level, {100, 50, 100}), -1);
  EXPECT_EQ(clusterAt(level, {300, 50, 200}), -1);
}

TEST(LevelCompiler, FacesCoverTheWholeBoundary) {
  // A single 200 x 100 x 300 room: its faces add up to the room's surface, once each.
  LevelDescription description;
  description.rooms = {makeRoom({{0, 0, 0}, {200, 100, 300}})};
  description.rooms[0].trimHeight = 10;
  const auto compiled = levelc::compileLevel(description);
  double area = 0;
  int floors = 0, ceilings = 0, trims = 0;
  for (const auto& face : compiled.faces) {
    area += static_cast<double>(face.u1 - face.u0) * (face.v1 - face.v0);
    if (face.axis == 1 && face.side > 0) floors += face.material == description.rooms[0].floor;
    if (face.axis == 1 && face.side < 0) ceilings += face.material == description.rooms[0].ceiling;
    if (face.axis != 1) trims += face.material == levelc::Material::Trim;
  }
  EXPECT_DOUBLE_EQ(area, 2.0 * (200 * 100 + 100 * 300 + 200 * 300));
  EXPECT_GE(floors, 1);
  EXPECT_GE(ceilings, 1);
  EXPECT_GE(trims, 4);  // the trim band of each wall is a face of its own
  // Long sides are cut so that no face is longer than the kit allows.
  for (const auto& face : compiled.faces) {
    EXPECT_LE(face.u1 - face.u0, 192);
    EXPECT_LE(face.v1 - face.v0, 192);
  }
}

TEST(LevelCompiler, OutputIsDeterministic) {
  EXPECT_EQ(levelc::encodeLevel(levelc::compileLevel(bentChain())),
            levelc::encodeLevel(levelc::compileLevel(bentChain())));
}

TEST(LevelCompiler, EmptyDescriptionStillMakesAWalkableFile) {
  const auto compiled = levelc::compileLevel(LevelDescription{});
  EXPECT_TRUE(compiled.faces.empty());
  EXPECT_EQ(compiled.clusterCount, 0);
  ASSERT_EQ(compiled.nodes.size(), 1u);
  ASSERT_EQ(compiled.leaves.size(), 2u);
  const auto level = world::parseLevel(levelc::encodeLevel(compiled));
  EXPECT_EQ(clusterAt(level, {0.5f, 0.5f, 0.5f}), -1);
  EXPECT_EQ(levels_test::unreachable(level), std::vector<std::string>{});
}

TEST(LevelCompiler, OddDescriptionsStillMakeSoundFiles) {
  LevelDescription description = bentChain();
  description.rooms.push_back(makeRoom({{50, 50, 50}, {10, 10, 10}}));  // inside out: no air
  description.blocks.push_back({IntBox{{700, 0, 0}, {800, 10, 10}}, levelc::Material::Wood, false, {}});
  levelc::Column flat;
  flat.radius = 0;
  levelc::Column upsideDown;
  upsideDown.bottom = 100;
  upsideDown.top = 0;
  levelc::Column triangle;  // fewer than three sides is read as three
  triangle.x = triangle.z = 150;
  triangle.sides = 1;
  description.columns = {flat, upsideDown, triangle};
  description.lights.push_back({{100, 50, 100}, {1, 1, 1}, 1, 300});  // inside the pillar
  description.lights.push_back({{5000, 50, 100}, {1, 1, 1}, 1, 0});    // nowhere, no reach
  description.luxelSize = -3;
  const auto compiled = levelc::compileLevel(description);
  int columnFaces = 0;
  for (const auto& face : compiled.faces) {
    columnFaces += face.detail;
    EXPECT_TRUE(std::isfinite(face.uAxis.x) && std::isfinite(face.width) && face.width > 0);
  }
  EXPECT_EQ(columnFaces, 3);
  for (const auto& vertex : compiled.vertices)
    EXPECT_TRUE(std::isfinite(vertex.position.x) && std::isfinite(vertex.ls) && std::isfinite(vertex.s));
  const auto level = world::parseLevel(levelc::encodeLevel(compiled));
  EXPECT_EQ(levels_test::unreachable(level), std::vector<std::string>{});
  EXPECT_EQ(levels_test::leavesOutsideParents(level), std::vector<std::string>{});
  EXPECT_EQ(levels_test::visibilityFaults(level), std::vector<std::string>{});
}

// The checks themselves must notice a broken file.
TEST(LevelChecks, NoticeBrokenFiles) {
  const world::LevelData sound = compileAndRead(bentChain());

  std::size_t firstAir = 0;  // one face of an air leaf wound the other way
  while (firstAir < sound.leaves.size() &&
         (sound.leaves[firstAir].cluster < 0 || sound.leaves[firstAir].leafFaceCount == 0))
    ++firstAir;
  ASSERT_LT(firstAir, sound.leaves.size());
  world::LevelData flipped = sound;
  const auto& face = flipped.faces[flipped.leafFaces[flipped.leaves[firstAir].firstLeafFace]];
  std::reverse(flipped.vertices.begin() + face.firstVertex,
               flipped.vertices.begin() + face.firstVertex + face.vertexCount);
  EXPECT_FALSE(levels_test::windingFaults(flipped).empty());

  world::LevelData orphan = sound;  // a face no leaf lists
  orphan.faces.push_back(orphan.faces[0]);
  EXPECT_FALSE(levels_test::unreachable(orphan).empty());

  world::LevelData oneWay = sound;  // a pair seen one way only
  oneWay.visRows[0] ^= 0x10;
  EXPECT_FALSE(levels_test::visibilityFaults(oneWay).empty());
  world::LevelData blind = sound;  // a cluster that does not see itself
  blind.visRows[0] &= 0xfe;
  EXPECT_FALSE(levels_test::visibilityFaults(blind).empty());

  world::LevelData moved = sound;  // a leaf box pushed across its parent's plane
  for (auto& leaf : moved.leaves) leaf.maxs[0] += 1000;
  EXPECT_FALSE(levels_test::leavesOutsideParents(moved).empty());
}

}  // namespace

namespace {

levelc::Column octagon() {
  levelc::Column column;
  column.x = 100;
  column.z = 100;
  column.bottom = 0;
  column.top = 100;
  column.radius = 20;
  return column;
}

TEST(Columns, VolumeAndSegments) {
  const levelc::Column column = octagon();
  EXPECT_TRUE(column.holds({100, 50, 100}, 0));
  // The side facing -z lies at 20 cos(22.5 degrees) = 18.48 from the axis.
  EXPECT_TRUE(column.holds({100, 50, 82}, 0));
  EXPECT_FALSE(column.holds({100, 50, 81}, 0));
  EXPECT_TRUE(column.holds({100, 50, 80}, 2));   // within the margin
  EXPECT_FALSE(column.holds({100, 50, 79}, 2));
  EXPECT_FALSE(column.holds({100, 101, 100}, 0));
  EXPECT_FALSE(column.holds({118, 50, 118}, 0));  // the cut corner
  EXPECT_TRUE(column.blocks({50, 50, 100}, {150, 50, 100}));
  EXPECT_FALSE(column.blocks({50, 50, 70}, {150, 50, 70}));   // beside it
  EXPECT_FALSE(column.blocks({50, 110, 100}, {150, 110, 100}));  // over it
  EXPECT_TRUE(column.blocks({50, 110, 100}, {150, 50, 100}));  // down into it
  EXPECT_FALSE(column.blocks({50, 50, 100}, {70, 50, 100}));  // stops short
  EXPECT_TRUE(column.blocks({100, 50, 100}, {100, 50, 100}));  // a point inside
}

TEST(Columns, FacesPointOutwardAndBelongToTheLeavesAround) {
  LevelDescription description;
  description.rooms = {makeRoom({{0, 0, 0}, {200, 100, 200}})};
  description.columns = {octagon()};
  const auto compiled = levelc::compileLevel(description);
  int sides = 0;
  for (std::size_t f = 0; f < compiled.faces.size(); ++f) {
    const auto& face = compiled.faces[f];
    if (!face.detail) continue;
    ++sides;
    const auto* v = &compiled.vertices[face.firstVertex];
    levelc::Vec3f centre = (v[0].position + v[2].position) * 0.5f;
    const levelc::Vec3f a = v[1].position - v[0].position, b = v[2].position - v[0].position;
    const levelc::Vec3f n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const levelc::Vec3f front = centre - n * (1.0f / levelc::length(n));
    EXPECT_FALSE(octagon().holds(front, 0)) << "side " << f << " wound inwards";
    EXPECT_TRUE(octagon().holds(centre + n * (1.0f / levelc::length(n)), 0));
    bool listed = false;
    for (const auto& leaf : compiled.leaves) {
      for (int listedFace : leaf.faces) listed = listed || listedFace == static_cast<int>(f);
    }
    EXPECT_TRUE(listed);
  }
  EXPECT_EQ(sides, 8);
}

}  // namespace
