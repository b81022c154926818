#include "show_levels.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "demo/cue_sheet.h"
#include "level_checks.h"
#include "level_compiler.h"
#include "level_textures.h"
#include "path_checks.h"
#include "cell_grid.h"
#include "fx/view_frustum.h"
#include "support/gl_context.h"
#include "world/camera_path.h"

namespace {

namespace cue = demo::cue;

using levelc::Vec3f;
using levels_test::clusterAt;

struct ShowLevels {
  world::LevelData intro, second, small;
  std::size_t smallFaces = 0;
};

// Compiled once for the whole suite: the three levels take a moment to bake.
const ShowLevels& showLevels() {
  static const ShowLevels levels = [] {
    ShowLevels l;
    l.intro = world::parseLevel(levelc::encodeLevel(levelc::compileLevel(levelc::introLevel())));
    l.second = world::parseLevel(levelc::encodeLevel(levelc::compileLevel(levelc::secondLevel())));
    const auto small = levelc::compileLevel(levelc::smallLevel());
    l.smallFaces = small.faces.size();
    l.small = world::parseLevel(levelc::encodeLevel(small));
    return l;
  }();
  return levels;
}

std::vector<Vec3f> eyes(const std::vector<levelc::CameraKey>& keys) {
  std::vector<Vec3f> points;
  for (const auto& key : keys) points.push_back(key.eye);
  return points;
}

const std::vector<std::string> kNone;

TEST(ShowLevels, AreStructurallySound) {
  for (const world::LevelData* level : {&showLevels().intro, &showLevels().second, &showLevels().small}) {
    EXPECT_EQ(levels_test::unreachable(*level), kNone);
    EXPECT_EQ(levels_test::leavesOutsideParents(*level), kNone);
    EXPECT_EQ(levels_test::visibilityFaults(*level), kNone);
    EXPECT_EQ(levels_test::windingFaults(*level), kNone);
    // Computed visibility, not "everything sees everything".
    int hidden = 0;
    for (int a = 0; a < level->visClusterCount; ++a)
      for (int b = 0; b < level->visClusterCount; ++b)
        hidden += !((level->visRows[static_cast<std::size_t>(a) * level->visBytesPerRow + b / 8] >> (b & 7)) & 1);
    if (level != &showLevels().small) {
      EXPECT_GT(hidden, 0);
    }
  }
  EXPECT_LT(showLevels().smallFaces, 200u);
}

TEST(ShowLevels, IntroLayoutFitsTheScript) {
  const auto& level = showLevels().intro;
  // The corridor along -z near x = 0 from +150 to -1000, where the runner goes.
  for (float z = 145; z > -995; z -= 5) EXPECT_GE(clusterAt(level, {0, 25, z}), 0) << "z " << z;
  EXPECT_EQ(clusterAt(level, {0, 25, 160}), -1);
  EXPECT_EQ(clusterAt(level, {0, 25, -1010}), -1);
  // The monk room, about 250 across around (-350, -235), with its monks and fire.
  for (Vec3f p : {Vec3f{-236, 37, -336}, Vec3f{-344, 37, -184}, Vec3f{-296, 37, -232}, Vec3f{-350, 30, -235},
                  Vec3f{-325, 20, -227}, Vec3f{-350, 6, -235}, Vec3f{-470, 30, -235}, Vec3f{-230, 30, -235},
                  Vec3f{-350, 30, -360}, Vec3f{-350, 30, -115}})
    EXPECT_GE(clusterAt(level, p), 0) << p.x << " " << p.y << " " << p.z;
  // The column hall around (-396, 131): room around the column, and a ceiling well above 100.
  for (Vec3f p : {Vec3f{-396, 37, 131}, Vec3f{-369, 20, 154}, Vec3f{-396, 100, 131}, Vec3f{-396, 200, 131},
                  Vec3f{-396, 150, 131}, Vec3f{-300, 150, 131}})
    EXPECT_GE(clusterAt(level, p), 0) << p.x << " " << p.y << " " << p.z;
}

TEST(ShowLevels, PathsStayInsideTheirLevels) {
  const auto intro = levelc::introPath();
  const auto second = levelc::secondPath();
  const auto lights = levelc::lightPath();
  EXPECT_GE(intro.size(), 26u);
  EXPECT_GE(second.size(), 32u);
  EXPECT_GE(lights.size(), 32u);
  const auto& l1 = showLevels().intro;
  const auto& l2 = showLevels().second;
  const auto columns1 = levelc::introLevel().columns;
  const auto columns2 = levelc::secondLevel().columns;
  EXPECT_EQ(levelc::checkTrackInside(l1, eyes(intro), "cam.trj", columns1), kNone);
  EXPECT_EQ(levelc::checkTrackInside(l2, eyes(second), "cam2.trj", columns2), kNone);
  EXPECT_EQ(levelc::checkTrackInside(l2, lights, "ligths.trj", columns2), kNone);
  const std::string cam = levelc::cameraPathText(intro, "intro");
  const std::string cam2 = levelc::cameraPathText(second, "second");
  const std::string light = levelc::pointPathText(lights, "lights");
  EXPECT_EQ(levelc::checkFlightInside(l1, cam, true, cue::kIntroPathRate, cue::kIntroFlightMs, "cam.trj", columns1),
            kNone);
  EXPECT_EQ(levelc::checkFlightInside(l2, cam2, true, cue::kSecondLevelPathRate, cue::kSecondLevelFlightMs, "cam2.trj",
                                      columns2),
            kNone);
  EXPECT_EQ(levelc::checkFlightInside(l2, light, false, cue::kSecondLevelPathRate, cue::kSecondLevelFlightMs,
                                      "ligths.trj", columns2),
            kNone);
}

TEST(ShowLevels, IntroKeepsEachObjectInViewThroughItsWindow) {
  const auto windows = levelc::simulateIntroViews(levelc::cameraPathText(levelc::introPath(), "intro"));
  ASSERT_EQ(windows.size(), 3u);
  for (const auto& window : windows) {
    EXPECT_GT(window.framesInWindow, 200) << window.name;
    EXPECT_EQ(window.framesInView, window.framesInWindow) << window.name << " lost at " << window.firstMissMs;
  }
}

TEST(ShowLevels, SecondFlightFollowsItsLights) {
  // The camera's paths and the sprites' path run in step; the sprites stay ahead, in view.
  world::CameraPath camera = world::CameraPath::fromText(levelc::cameraPathText(levelc::secondPath(), "c"));
  world::PointPath sprites = world::PointPath::fromText(levelc::pointPathText(levelc::lightPath(), "l"));
  int frames = 0;
  for (double now = 0; now < cue::kSecondLevelFlightMs; now += 1000.0 / 60) {
    const float step = static_cast<float>(1000.0 / 60) * cue::kSecondLevelPathRate;
    camera.advance(step);
    sprites.advance(step);
    const Vec3f eye{camera.eye().x, camera.eye().y, camera.eye().z};
    const Vec3f look = Vec3f{camera.target().x, camera.target().y, camera.target().z} - eye;
    const Vec3f toLight = Vec3f{sprites.position().x, sprites.position().y, sprites.position().z} - eye;
    const float distance = levelc::length(toLight);
    ASSERT_GT(distance, 30) << "at " << now;
    ASSERT_LT(distance, 250) << "at " << now;
    ASSERT_GT(levelc::dot(look, toLight) / (levelc::length(look) * distance), std::cos(0.5f)) << "at " << now;
    ++frames;
  }
  EXPECT_GT(frames, 1600);
  EXPECT_FALSE(camera.finished()) << "the path must outlast the scene";
}

// Faces that the flight could see (in the frustum, with a clear line from the eye) but that
// the cluster test hides: the visibility rows must never make a visible wall vanish.
int facesHiddenByVisibility(const levelc::LevelDescription& description, const world::LevelData& level,
                            const std::string& trj, float rate, double durationMs, int& checked) {
  const levelc::CellGrid grid(description);
  std::vector<std::vector<int>> leavesOfFace(level.faces.size());
  for (std::size_t l = 0; l < level.leaves.size(); ++l)
    for (int i = 0; i < level.leaves[l].leafFaceCount; ++i)
      leavesOfFace[level.leafFaces[level.leaves[l].firstLeafFace + i]].push_back(static_cast<int>(l));
  world::CameraPath camera = world::CameraPath::fromText(trj);
  fx::ViewFrustum frustum;
  int hidden = 0, frame = 0;
  for (double now = 0; now < durationMs; now += 1000.0 / 60, ++frame) {
    camera.advance(static_cast<float>(1000.0 / 60 * rate));
    if (frame % 15) continue;
    const Vec3f eye{camera.eye().x, camera.eye().y, camera.eye().z};
    float projection[16], modelview[16];
    levelc::perspectiveMatrix(60, 1.7777f, 1, 3000, projection);
    levelc::lookAtMatrix(eye, {camera.target().x, camera.target().y, camera.target().z}, {0, 1, 0}, modelview);
    frustum.extractFrom(projection, modelview);
    const int leaf = world::findCameraLeaf(level, {eye.x, eye.y, eye.z});
    const int cluster = level.leaves[leaf].cluster;
    for (std::size_t f = 0; f < level.faces.size(); ++f) {
      const auto& face = level.faces[f];
      const auto* v = &level.vertices[face.firstVertex];
      const int count = face.vertexCount;
      Vec3f centre{0, 0, 0}, area{0, 0, 0};
      auto at = [&](int i) { return Vec3f{v[i].position[0], v[i].position[1], v[i].position[2]}; };
      for (int i = 0; i < count; ++i) centre = centre + at(i) * (1.0f / count);
      for (int i = 1; i + 1 < count; ++i) {
        const Vec3f a = at(i) - at(0), b = at(i + 1) - at(0);
        area = area + Vec3f{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
      }
      const Vec3f n = area * (-1.0f / levelc::length(area));  // the front: clockwise side
      bool seen = false;
      for (int i = 0; i <= count && !seen; ++i) {
        Vec3f p = centre;
        if (i < count) p = at(i) + (centre - at(i)) * 0.1f;
        p = p + n * 0.5f;
        if (levelc::dot(eye - p, n) <= 0) break;  // seen from behind: culled anyway
        seen = frustum.containsPoint(p.x, p.y, p.z) && grid.segmentClear(eye, p);
      }
      if (!seen) continue;
      ++checked;
      bool drawn = false;
      for (int l : leavesOfFace[f]) drawn = drawn || world::clusterVisible(level, cluster, level.leaves[l].cluster);
      hidden += !drawn;
    }
  }
  return hidden;
}

TEST(ShowLevels, VisibilityNeverHidesWhatTheFlightSees) {
  int checked = 0;
  EXPECT_EQ(facesHiddenByVisibility(levelc::introLevel(), showLevels().intro,
                                    levelc::cameraPathText(levelc::introPath(), "c"), cue::kIntroPathRate,
                                    cue::kIntroFlightMs, checked),
            0);
  EXPECT_EQ(facesHiddenByVisibility(levelc::secondLevel(), showLevels().second,
                                    levelc::cameraPathText(levelc::secondPath(), "c"), cue::kSecondLevelPathRate,
                                    cue::kSecondLevelFlightMs, checked),
            0);
  EXPECT_GT(checked, 1000);
}

// The checks report what they are there to catch.
TEST(PathChecks, ReportWallsSolidSpaceAndObjectsOutOfView) {
  const auto& level = showLevels().intro;
  // Corridor straight to the monk room: through the wall between them.
  const std::vector<Vec3f> throughWall{{0, 50, -100}, {-350, 50, -235}};
  EXPECT_EQ(levelc::checkTrackInside(level, throughWall, "t").size(), 1u);
  const std::vector<Vec3f> inRock{{0, 50, -100}, {100, 50, -100}};
  EXPECT_EQ(levelc::checkTrackInside(level, inRock, "t").size(), 2u);  // the point and its segment

  // Columns are not in the tree: only the column list shows that a point is inside one.
  const auto second = levelc::secondLevel();
  ASSERT_FALSE(second.columns.empty());
  const levelc::Column& column = second.columns.front();
  const std::vector<Vec3f> inColumn{{column.x, 50, column.z}};
  EXPECT_EQ(levelc::checkTrackInside(showLevels().second, inColumn, "t").size(), 0u);
  EXPECT_EQ(levelc::checkTrackInside(showLevels().second, inColumn, "t", second.columns).size(), 1u);
  const std::vector<Vec3f> pastColumn{{column.x - 40, 50, column.z}, {column.x + 40, 50, column.z}};
  EXPECT_EQ(levelc::checkTrackInside(showLevels().second, pastColumn, "t", second.columns).size(), 1u);

  std::vector<levelc::CameraKey> keys(8, {{0, 50, 100}, {0, 50, 0}});
  keys[3].eye = {-350, 50, -235};
  EXPECT_FALSE(levelc::checkFlightInside(level, levelc::cameraPathText(keys, "x"), true, cue::kIntroPathRate,
                                         cue::kIntroFlightMs, "x")
                   .empty());

  // A camera that looks the other way sees none of the three.
  std::vector<levelc::CameraKey> away(28, {{0, 50, -995}, {0, 50, -1500}});
  for (const auto& window : levelc::simulateIntroViews(levelc::cameraPathText(away, "away"))) {
    EXPECT_EQ(window.framesInView, 0) << window.name;
    EXPECT_GT(window.firstMissMs, window.from);
  }
}

TEST(ShowPaths, TextReadsBackThroughTheDemoReader) {
  const auto keys = levelc::introPath();
  const auto file = world::parseTrj(levelc::cameraPathText(keys, "comment line"));
  EXPECT_EQ(file.declaredCount, static_cast<int>(keys.size()));
  ASSERT_EQ(file.points.size(), 2 * keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_NEAR(file.points[2 * i].x, keys[i].eye.x, 0.01);
    EXPECT_NEAR(file.points[2 * i].z, keys[i].eye.z, 0.01);
    EXPECT_NEAR(file.points[2 * i + 1].y, keys[i].target.y, 0.01);
  }
  const auto lights = levelc::lightPath();
  const auto lightFile = world::parseTrj(levelc::pointPathText(lights, "l"));
  ASSERT_EQ(lightFile.points.size(), lights.size());
  EXPECT_NEAR(lightFile.points.back().x, lights.back().x, 0.01);
}

TEST(LevelTextures, TileAndDiffer) {
  std::vector<double> means;
  for (int m = 0; m < levelc::kMaterialCount; ++m) {
    const auto image = levelc::levelTexture(static_cast<levelc::Material>(m));
    ASSERT_EQ(image.width(), levelc::kLevelTextureSide);
    const int n = image.width();
    auto grey = [&](int x, int y) {
      const auto& c = image.at(x, y);
      return (c.r + c.g + c.b) / 3.0;
    };
    // Across the wrap the picture changes no more than between neighbours inside it.
    double inner = 0, wrapX = 0, wrapY = 0, spread = 0;
    const double mean = image.meanLevel() / 255.0;
    for (int i = 0; i < n; ++i) {
      inner += std::abs(grey(n / 2, i) - grey(n / 2 - 1, i)) + std::abs(grey(i, n / 2) - grey(i, n / 2 - 1));
      wrapX += std::abs(grey(0, i) - grey(n - 1, i));
      wrapY += std::abs(grey(i, 0) - grey(i, n - 1));
      spread += std::abs(grey(i, i) - mean);
    }
    EXPECT_LT(wrapX, inner * 1.5 + 1) << "material " << m;
    EXPECT_LT(wrapY, inner * 1.5 + 1) << "material " << m;
    EXPECT_GT(spread / n, 0.02) << "material " << m << " is flat";
    means.push_back(mean);
  }
  for (std::size_t a = 0; a < means.size(); ++a)
    for (std::size_t b = a + 1; b < means.size(); ++b) {
      const auto ia = levelc::levelTexture(static_cast<levelc::Material>(a));
      const auto ib = levelc::levelTexture(static_cast<levelc::Material>(b));
      double difference = 0;
      for (int i = 0; i < ia.width(); ++i) {
        difference += std::abs(ia.at(i, i).r - ib.at(i, i).r) + std::abs(ia.at(i, i).b - ib.at(i, i).b);
      }
      EXPECT_GT(difference / ia.width(), 0.02) << a << " and " << b << " look alike";
    }
}

// The frustum of the checks is built from the same matrices GLU makes for the demo.
TEST(PathChecks, MatricesMatchGlu) {
  testing_support::GlTestContext gl(64, 64);
  ASSERT_TRUE(gl.ok()) << "drawing tests need a display (run under xvfb-run -a)";
  float ours[16], theirs[16];
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(60, 1.7777, 1, 3000);
  glGetFloatv(GL_PROJECTION_MATRIX, theirs);
  levelc::perspectiveMatrix(60, 1.7777f, 1, 3000, ours);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(ours[i], theirs[i], 1e-4 * (1 + std::abs(theirs[i]))) << i;
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(-262, 66, -310, -350, 30, -235, 0, 1, 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, theirs);
  levelc::lookAtMatrix({-262, 66, -310}, {-350, 30, -235}, {0, 1, 0}, ours);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(ours[i], theirs[i], 1e-3 * (1 + std::abs(theirs[i]))) << i;
}

}  // namespace
