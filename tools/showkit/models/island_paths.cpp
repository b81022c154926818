#include "island_paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "demo/cue_sheet.h"

#include "fx/view_frustum.h"
#include "path_checks.h"
#include "world/camera_path.h"

namespace modelkit {

using levelc::CameraKey;
using levelc::Vec3f;

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;
constexpr float kRate = demo::cue::kIslandPathRate;
constexpr float kClearance = 12;
constexpr float kWater = 2.0f * kSeaLevel;
// The sky box of the island scene, and its far plane.
constexpr float kSkyMin = 1024 - 1650, kSkyMax = 1024 + 1650, kSkyHalfHeight = 1650;
constexpr float kFarPlane = 3700;

constexpr Vec3f kBoat{1379, 60, 315};
constexpr Vec3f kWaterfall{1066, 170, 1212};  // the middle of the falling strips

// The ground as the terrain list draws it: quads every 10 grid points, so the highest corner
// of the quad under (x, z) bounds it (and the full field, between the corners).
float drawnGround(const HeightField& field, float x, float z) {
  const int gx = static_cast<int>(std::floor(x / 20)) * 10, gz = static_cast<int>(std::floor(z / 20)) * 10;
  float h = field.sceneHeight(x, z);
  for (int dx : {0, 10})
    for (int dz : {0, 10}) h = std::max(h, static_cast<float>(field.at(gx + dx, gz + dz)));
  return 2 * h;
}

bool overSea(float x, float z) { return x >= 0 && x <= 1920 && z >= 0 && z <= 1920; }

// Nothing of the ground between the eye and the point (the last few units excepted: the
// point sits on or at the ground).
bool unobstructed(const HeightField& field, Vec3f eye, Vec3f point) {
  constexpr int kSteps = 60;
  for (int i = 1; i < kSteps - 2; ++i) {
    const Vec3f p = eye + (point - eye) * (static_cast<float>(i) / kSteps);
    if (2 * field.sceneHeight(p.x, p.z) > p.y) return false;
  }
  return true;
}

Vec3f toKit(const world::Vec3& v) { return {v.x, v.y, v.z}; }

std::string describe(std::string_view name, const char* what, double ms, Vec3f p) {
  char text[200];
  std::snprintf(text, sizeof text, "%.*s: %s at %.0f ms, eye (%.0f, %.0f, %.0f)", static_cast<int>(name.size()),
                name.data(), what, ms, p.x, p.y, p.z);
  return text;
}

}  // namespace

std::vector<CameraKey> islandOpeningPath() {
  // From the southern sea towards the beach, looking at the island's middle and the falls;
  // the eye stays high above the water, which gives the whole scene its light fog.
  return {
      {{650, 240, -200}, {1000, 150, 1000}}, {{700, 230, -120}, {1010, 150, 1020}},
      {{760, 220, -40}, {1020, 150, 1040}},  {{820, 210, 40}, {1030, 150, 1060}},
      {{880, 205, 110}, {1040, 150, 1080}},  {{940, 200, 180}, {1050, 150, 1100}},
      {{1000, 198, 240}, {1060, 150, 1120}}, {{1060, 198, 300}, {1060, 160, 1150}},
      {{1120, 200, 350}, {1060, 160, 1170}}, {{1180, 202, 390}, {1060, 160, 1190}},
      {{1240, 205, 420}, {1060, 160, 1200}}, {{1300, 208, 450}, {1060, 160, 1210}},
  };
}

std::vector<CameraKey> islandFlightPath() {
  return {
      // High over the south-western sea, the boat below and the falls far ahead, then down
      // to the boat and round it.
      {{760, 440, -140}, {1210, 120, 720}},
      {{820, 430, -90}, {1220, 120, 700}},
      {{900, 415, -40}, {1240, 115, 660}},
      {{1020, 340, 30}, {1300, 90, 480}},
      {{1180, 200, 120}, {1379, 60, 315}},
      {{1300, 120, 190}, {1379, 60, 315}},
      {{1420, 95, 200}, {1379, 62, 315}},
      {{1520, 100, 290}, {1379, 62, 330}},
      // West along the south shore, then north over the saddle into the western valley.
      {{1480, 120, 420}, {1100, 150, 600}},
      {{1300, 160, 470}, {950, 160, 700}},
      {{1120, 200, 480}, {900, 180, 900}},
      {{960, 230, 560}, {900, 170, 1000}},
      {{900, 240, 680}, {1000, 160, 1150}},
      {{900, 230, 780}, {1050, 160, 1200}},
      {{910, 190, 880}, {1066, 170, 1212}},
      {{920, 160, 980}, {1066, 170, 1212}},
      {{960, 150, 1060}, {1066, 180, 1220}},
      // Across the pool and up the falls.
      {{1020, 140, 1080}, {1066, 200, 1230}},
      {{1066, 160, 1100}, {1066, 260, 1260}},
      {{1066, 230, 1150}, {1066, 320, 1300}},
      {{1066, 330, 1200}, {1066, 330, 1400}},
      // Over the lip, then turning west and south above it to look back over the whole
      // island towards the sun (north and east the water ends in sight of a high eye).
      {{1060, 380, 1280}, {1050, 340, 1500}},
      {{1060, 420, 1380}, {950, 360, 1420}},
      {{1060, 440, 1420}, {900, 330, 1250}},
      {{1060, 450, 1380}, {1000, 250, 900}},
      {{1060, 460, 1330}, {1050, 190, 700}},
      {{1060, 470, 1280}, {1065, 170, 620}},
      {{1060, 475, 1245}, {1070, 160, 580}},
      {{1060, 480, 1220}, {1075, 150, 550}},
      {{1060, 482, 1205}, {1080, 150, 530}},
      {{1060, 484, 1195}, {1080, 150, 520}},
  };
}

std::vector<CameraKey> finalPath() {
  // Read when the final scene ends; nothing flies it. A short, valid path in front of the
  // credits.
  return {{{0, 0, 6}, {0, 0, -10}}, {{0, 0, 5}, {0, 0, -10}}, {{0, 0, 4}, {0, 0, -10}},
          {{0, 0, 3}, {0, 0, -10}}, {{0, 0, 2}, {0, 0, -10}}, {{0, 0, 1}, {0, 0, -10}}};
}

IslandFlight flyIslandPath(const HeightField& field, std::string_view trjText, double durationMs,
                           std::string_view name, bool aboveWater) {
  IslandFlight flight;
  auto problem = [&](const char* what, double ms, Vec3f eye) {
    if (flight.problems.size() < 5) flight.problems.push_back(describe(name, what, ms, eye));
  };
  world::CameraPath camera = world::CameraPath::fromText(trjText);
  float projection[16];
  levelc::perspectiveMatrix(60, 1.7777f, 1, kFarPlane, projection);
  for (double ms = kFrameMs; ms < durationMs; ms += kFrameMs) {
    camera.advance(static_cast<float>(kFrameMs) * kRate);
    ++flight.frames;
    if (camera.finished()) {
      problem("the path runs out", ms, toKit(camera.eye()));
      break;
    }
    const Vec3f eye = toKit(camera.eye()), target = toKit(camera.target());

    float floor = drawnGround(field, eye.x, eye.z);
    if (overSea(eye.x, eye.z)) floor = std::max(floor, kWater);
    flight.lowestClearance = std::min(flight.lowestClearance, eye.y - floor);
    if (eye.y - floor < kClearance) problem("the eye is in or too near the ground", ms, eye);
    if (aboveWater && eye.y < kWater) problem("the eye dips under the water level", ms, eye);
    if (!(eye.x > kSkyMin && eye.x < kSkyMax && eye.z > kSkyMin && eye.z < kSkyMax &&
          std::fabs(eye.y) < kSkyHalfHeight))
      problem("the eye leaves the sky box", ms, eye);

    const Vec3f d = target - eye;
    const float l = levelc::length(d);
    if (l <= 0) {
      problem("the eye stands on its target", ms, eye);
      continue;
    }
    const Vec3f view = d * (1 / l);
    // Below a fifth of its depth the box is hidden by the ground and the sea floor, which
    // reach out to 2048 at heights near 0.
    float deepest = 0;
    for (float x : {kSkyMin, kSkyMax})
      for (float y : {-0.2f * kSkyHalfHeight, kSkyHalfHeight})
        for (float z : {kSkyMin, kSkyMax}) deepest = std::max(deepest, levelc::dot(Vec3f{x, y, z} - eye, view));
    if (deepest >= kFarPlane) problem("a corner of the sky box lies past the far plane", ms, eye);

    float modelview[16];
    levelc::lookAtMatrix(eye, target, {0, 1, 0}, modelview);
    fx::ViewFrustum frustum;
    frustum.extractFrom(projection, modelview);
    const bool boat = frustum.containsPoint(kBoat.x, kBoat.y, kBoat.z) && unobstructed(field, eye, kBoat);
    const bool fall =
        frustum.containsPoint(kWaterfall.x, kWaterfall.y, kWaterfall.z) && unobstructed(field, eye, kWaterfall);
    flight.boatFrames += boat;
    flight.waterfallFrames += fall;
    flight.bothFrames += boat && fall;
  }
  return flight;
}

}  // namespace modelkit
