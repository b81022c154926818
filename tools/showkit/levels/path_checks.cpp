#include "path_checks.h"

#include <cmath>
#include <cstdio>

#include "demo/cue_sheet.h"
#include "demo/intro_objects.h"
#include "fx/view_frustum.h"
#include "world/camera_path.h"

namespace levelc {

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

constexpr float kColumnMargin = 2;

bool insideCluster(const world::LevelData& level, Vec3f p, std::span<const Column> columns) {
  for (const Column& column : columns)
    if (column.holds(p, kColumnMargin)) return false;
  const std::int32_t leaf = world::findCameraLeaf(level, {p.x, p.y, p.z});
  return leaf >= 0 && leaf < static_cast<std::int32_t>(level.leaves.size()) && level.leaves[leaf].cluster >= 0;
}

std::string describe(std::string_view name, const char* what, int index, Vec3f p) {
  char text[160];
  std::snprintf(text, sizeof text, "%.*s: %s %d at (%.1f, %.1f, %.1f)", static_cast<int>(name.size()),
                name.data(), what, index, p.x, p.y, p.z);
  return text;
}

Vec3f cross(Vec3f a, Vec3f b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3f normalized(Vec3f a) {
  const float l = length(a);
  return l > 0 ? a * (1.0f / l) : a;
}
Vec3f toLevel(const world::Vec3& v) { return {v.x, v.y, v.z}; }

}  // namespace

std::vector<std::string> checkTrackInside(const world::LevelData& level, std::span<const Vec3f> points,
                                          std::string_view name, std::span<const Column> columns) {
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < points.size(); ++i)
    if (!insideCluster(level, points[i], columns))
      problems.push_back(describe(name, "point in solid space:", static_cast<int>(i), points[i]));
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const Vec3f a = points[i], d = points[i + 1] - points[i];
    // Half-unit steps: the thinnest solid of the levels is two units.
    const int steps = std::max(1, static_cast<int>(std::ceil(length(d) * 2)));
    for (int s = 1; s < steps; ++s) {
      const Vec3f p = a + d * (static_cast<float>(s) / steps);
      if (!insideCluster(level, p, columns)) {
        problems.push_back(describe(name, "segment crosses a wall after point", static_cast<int>(i), p));
        break;
      }
    }
  }
  return problems;
}

std::vector<std::string> checkFlightInside(const world::LevelData& level, std::string_view trjText,
                                           bool cameraPath, float rate, double durationMs,
                                           std::string_view name, std::span<const Column> columns) {
  std::vector<std::string> problems;
  world::CameraPath camera = cameraPath ? world::CameraPath::fromText(trjText) : world::CameraPath{};
  world::PointPath point = cameraPath ? world::PointPath{} : world::PointPath::fromText(trjText);
  int frame = 0;
  for (double now = 0; now < durationMs; now += kFrameMs, ++frame) {
    const float step = static_cast<float>(kFrameMs) * rate;
    Vec3f p;
    if (cameraPath) {
      camera.advance(step);
      p = toLevel(camera.eye());
    } else {
      point.advance(step);
      p = toLevel(point.position());
    }
    if (!insideCluster(level, p, columns)) {
      problems.push_back(describe(name, "flight leaves the level at frame", frame, p));
      break;
    }
  }
  return problems;
}

void perspectiveMatrix(float fovyDegrees, float aspect, float zNear, float zFar, float out[16]) {
  const double f = 1.0 / std::tan(fovyDegrees * 3.14159265358979323846 / 360.0);
  for (int i = 0; i < 16; ++i) out[i] = 0;
  out[0] = static_cast<float>(f / aspect);
  out[5] = static_cast<float>(f);
  out[10] = (zFar + zNear) / (zNear - zFar);
  out[11] = -1;
  out[14] = 2 * zFar * zNear / (zNear - zFar);
}

void lookAtMatrix(Vec3f eye, Vec3f target, Vec3f up, float out[16]) {
  const Vec3f f = normalized(target - eye);
  const Vec3f s = normalized(cross(f, up));
  const Vec3f u = cross(s, f);
  const float m[16] = {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0,
                       -dot(s, eye), -dot(u, eye), dot(f, eye), 1};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
}

std::vector<ViewWindow> simulateIntroViews(std::string_view camText) {
  using demo::kColumnGroup, demo::kMonkGroup;
  std::vector<ViewWindow> windows = {{"runner", 0, demo::cue::kRunnerEndMs},
                                     {"monks", kMonkGroup.startMs, kMonkGroup.endMs},
                                     {"glass column", kColumnGroup.startMs, kColumnGroup.endMs}};
  world::CameraPath camera = world::CameraPath::fromText(camText);
  fx::ViewFrustum frustum;
  float sceneClock = 0;
  bool closeNear = false;  // set at the end of a frame after kCloseNearPlaneFromMs, used from the next
  for (double now = kFrameMs; now < demo::cue::introEndMs; now += kFrameMs) {
    sceneClock += static_cast<float>(kFrameMs) * demo::cue::kSceneClockRate;
    camera.advance(static_cast<float>(kFrameMs) * demo::cue::kIntroPathRate);
    float projection[16], modelview[16];
    if (closeNear)
      perspectiveMatrix(60, 1.7777f, 0.1f, 2000, projection);
    else
      perspectiveMatrix(60, 1.7777f, 1, 3000, projection);
    lookAtMatrix(toLevel(camera.eye()), toLevel(camera.target()), {0, 1, 0}, modelview);
    frustum.extractFrom(projection, modelview);
    const Vec3f references[3] = {{0, 25, -sceneClock},
                                 {kMonkGroup.x, kMonkGroup.y, kMonkGroup.z},
                                 {kColumnGroup.x, kColumnGroup.y, kColumnGroup.z}};
    for (int w = 0; w < 3; ++w) {
      ViewWindow& window = windows[w];
      if (!(now > window.from && now < window.to)) continue;
      ++window.framesInWindow;
      if (frustum.containsPoint(references[w].x, references[w].y, references[w].z))
        ++window.framesInView;
      else if (window.firstMissMs < 0)
        window.firstMissMs = now;
    }
    if (now > demo::cue::kCloseNearPlaneFromMs) closeNear = true;
  }
  return windows;
}

}  // namespace levelc
