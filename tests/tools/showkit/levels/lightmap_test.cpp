#include <gtest/gtest.h>

#include "level_checks.h"
#include "level_compiler.h"

namespace {

using levelc::IntBox;
using levelc::LevelDescription;
using levels_test::lightmapLevelAt;

// A long room with a light in its west half and a screen wall across most of its middle.
LevelDescription screenedRoom(float brightness = 1) {
  LevelDescription level;
  levelc::Room room;
  room.box = {{0, 0, 0}, {400, 100, 200}};
  level.rooms = {room};
  level.blocks.push_back({IntBox{{190, 0, 0}, {210, 100, 150}}, levelc::Material::Stone, false, {}});
  level.blocks.push_back({IntBox{{0, 40, 190}, {10, 60, 200}}, levelc::Material::Lamp, true, {1.0f, 0.5f, 0.25f}});
  level.lights.push_back({{100, 50, 50}, {1, 1, 1}, 1.5f, 260});
  level.ambient = {0.05f, 0.05f, 0.05f};
  level.brightness = brightness;
  return level;
}

world::LevelData bake(const LevelDescription& description) {
  return world::parseLevel(levelc::encodeLevel(levelc::compileLevel(description)));
}

TEST(Lightmaps, LitNearTheLightDarkInShadowAndFarAway) {
  const auto level = bake(screenedRoom());
  const float under = lightmapLevelAt(level, {100, 0, 50}, 1, +1);
  const float aside = lightmapLevelAt(level, {100, 0, 150}, 1, +1);
  const float shadow = lightmapLevelAt(level, {260, 0, 40}, 1, +1);
  const float far = lightmapLevelAt(level, {395, 0, 190}, 1, +1);
  const float ambient = 0.05f * 255;
  ASSERT_GE(under, 0);
  ASSERT_GE(shadow, 0);
  EXPECT_GT(under, 150);
  EXPECT_GT(under, aside + 20) << "light falls off with distance";
  EXPECT_GT(aside, ambient + 20);
  EXPECT_LT(shadow, ambient + 3) << "the screen blocks the light";
  EXPECT_LT(far, ambient + 3) << "beyond the light's radius";
  // The same wall is lit on the light's side and dark behind it.
  EXPECT_GT(lightmapLevelAt(level, {190, 50, 60}, 0, -1), 100);
  EXPECT_LT(lightmapLevelAt(level, {210, 50, 60}, 0, +1), ambient + 3);
  // The ceiling above the light faces it.
  EXPECT_GT(lightmapLevelAt(level, {100, 100, 50}, 1, -1), 100);
}

TEST(Lightmaps, ColumnsCastShadows) {
  LevelDescription description = screenedRoom();
  levelc::Column column;
  column.x = 100;
  column.z = 100;
  column.top = 100;
  column.radius = 10;
  description.columns = {column};
  const auto level = bake(description);
  // Behind the column, seen from the light at (100, 50, 50), the floor is in shadow; the
  // same distance to the side it is lit.
  const float behind = lightmapLevelAt(level, {100, 0, 140}, 1, +1);
  const float beside = lightmapLevelAt(level, {140, 0, 100}, 1, +1);
  EXPECT_LT(behind, 0.05f * 255 + 3);
  EXPECT_GT(beside, 60);
  // The column's side towards the light is lit, the far side is not (its sides facing -z
  // and +z lie 10 cos(22.5 degrees) from the axis).
  EXPECT_GT(lightmapLevelAt(level, {100, 50, 90.7612f}, 2, -1), 120);
  EXPECT_LT(lightmapLevelAt(level, {100, 50, 109.2388f}, 2, +1), 0.05f * 255 + 3);
}

TEST(Lightmaps, GlowingBlocksAndBrightness) {
  const auto normal = bake(screenedRoom(1));
  const auto bright = bake(screenedRoom(2));
  // The lamp's front face shows its glow, not the baked light.
  const float glow = lightmapLevelAt(normal, {10, 50, 195}, 0, +1);
  EXPECT_NEAR(glow, (255 + 128 + 64) / 3.0f, 2);
  const float aside = lightmapLevelAt(normal, {100, 0, 150}, 1, +1);
  const float asideBright = lightmapLevelAt(bright, {100, 0, 150}, 1, +1);
  EXPECT_NEAR(asideBright, std::min(2 * aside, 255.0f), 3);
  EXPECT_NEAR(lightmapLevelAt(bright, {100, 0, 50}, 1, +1), 255, 1) << "saturates";
}

TEST(Lightmaps, RectanglesArePackedIntoPagesWithoutOverlap) {
  // Many rooms make many faces: they need more than one page.
  LevelDescription description;
  for (int i = 0; i < 12; ++i) {
    levelc::Room room;
    room.box = {{i * 400, 0, 0}, {i * 400 + 300, 150, 300}};
    room.crownHeight = 20;
    description.rooms.push_back(room);
  }
  const auto compiled = levelc::compileLevel(description);
  ASSERT_GT(compiled.lightmaps.size(), 1u);
  std::vector<std::vector<int>> owner(compiled.lightmaps.size(), std::vector<int>(128 * 128, -1));
  for (std::size_t f = 0; f < compiled.faces.size(); ++f) {
    const auto& face = compiled.faces[f];
    ASSERT_GE(face.lightmap, 0);
    ASSERT_LT(face.lightmap, static_cast<int>(compiled.lightmaps.size()));
    ASSERT_GE(face.lightmapX - 1, 0);
    ASSERT_GE(face.lightmapY - 1, 0);
    ASSERT_LE(face.lightmapX + face.lightmapWidth + 1, 128);
    ASSERT_LE(face.lightmapY + face.lightmapHeight + 1, 128);
    for (int y = face.lightmapY - 1; y <= face.lightmapY + face.lightmapHeight; ++y)
      for (int x = face.lightmapX - 1; x <= face.lightmapX + face.lightmapWidth; ++x) {
        int& cell = owner[face.lightmap][y * 128 + x];
        ASSERT_EQ(cell, -1) << "faces " << cell << " and " << f << " share texel " << x << "," << y;
        cell = static_cast<int>(f);
      }
  }
  // Each vertex's lightmap coordinate lies inside its face's rectangle.
  for (const auto& face : compiled.faces)
    for (int v = 0; v < face.vertexCount; ++v) {
      const auto& vertex = compiled.vertices[face.firstVertex + v];
      EXPECT_GE(vertex.ls * 128, face.lightmapX);
      EXPECT_LE(vertex.ls * 128, face.lightmapX + face.lightmapWidth);
      EXPECT_GE(vertex.lt * 128, face.lightmapY);
      EXPECT_LE(vertex.lt * 128, face.lightmapY + face.lightmapHeight);
    }
}

}  // namespace
