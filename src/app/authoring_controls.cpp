#include "app/authoring_controls.h"

#include <cmath>
#include <cstdio>

#include "demo/timeline.h"
#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "platform/keyboard.h"
#include "resources/screenshot.h"

namespace app {

AuthoringState authoring;

namespace {

bool held(int key) { return platform::keys.down[static_cast<size_t>(key)]; }

// Runs `action` on the press of `key` only: once, however long the key is held.
template <class Action>
void onPress(int key, bool& latch, Action action) {
  if (!held(key)) {
    latch = false;
  } else if (!latch) {
    action();
    latch = true;
  }
}

world::Vec3 add(const world::Vec3& a, const world::Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
world::Vec3 sub(const world::Vec3& a, const world::Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
world::Vec3 scale(const world::Vec3& a, float k) { return {a.x * k, a.y * k, a.z * k}; }

// The unit vector of `v`; a zero vector stays zero.
world::Vec3 normalise(const world::Vec3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return length > 0.0f ? scale(v, 1.0f / length) : world::Vec3{};
}

// Both eye and target moved by `d`.
void shift(world::Vec3& eye, world::Vec3& target, const world::Vec3& d) {
  eye = add(eye, d);
  target = add(target, d);
}

// `v` turned by `angle` radians about the unit axis `k` (right-hand rule).
world::Vec3 rotateAbout(const world::Vec3& v, const world::Vec3& k, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  const world::Vec3 cross{k.y * v.z - k.z * v.y, k.z * v.x - k.x * v.z, k.x * v.y - k.y * v.x};
  const float dot = k.x * v.x + k.y * v.y + k.z * v.z;
  return add(add(scale(v, c), scale(cross, s)), scale(k, dot * (1.0f - c)));
}

}  // namespace

std::string cameraRecord(const world::Vec3& eye, const world::Vec3& target) {
  char text[256];
  std::snprintf(text, sizeof text, "%f %f %f\n%f %f %f\n\n", eye.x, eye.y, eye.z, target.x, target.y, target.z);
  return text;
}

std::string markerRecord(const world::Vec3& marker) {
  char text[128];
  std::snprintf(text, sizeof text, "%f %f %f\n\n", marker.x, marker.y, marker.z);
  return text;
}

std::string cueRecord(double demoMs, int order, int row) {
  char text[128];
  std::snprintf(text, sizeof text, "%f\n%d %d\n", demoMs, order, row);
  return text;
}

void moveFreeCamera(world::Vec3& eye, world::Vec3& target, float frameDelta) {
  const float move = frameDelta * 0.2f;
  const float turn = frameDelta * 0.001f;
  // Each key works on what the keys before it left.
  const auto dir = [&] { return sub(target, eye); };
  const auto unitDir = [&] { return normalise(dir()); };
  const auto right = [&] {
    const world::Vec3 d = dir();
    return normalise(world::Vec3{-d.z, 0.0f, d.x});  // dir x (0, 1, 0)
  };
  const auto turnAboutY = [&](float a) {
    const world::Vec3 d = dir();
    target = add(eye, world::Vec3{d.x * std::cos(a) - d.z * std::sin(a), d.y, d.x * std::sin(a) + d.z * std::cos(a)});
  };
  if (held('R')) shift(eye, target, {0.0f, move * 0.2f, 0.0f});
  if (held('G')) shift(eye, target, {0.0f, -move * 0.2f, 0.0f});
  if (held('E')) {
    const world::Vec3 u = unitDir();
    shift(eye, target, {u.x * move, 0.0f, u.z * move});
  }
  if (held('F')) {
    const world::Vec3 u = unitDir();
    shift(eye, target, {-u.x * move, 0.0f, -u.z * move});
  }
  if (held(platform::kVkUp)) shift(eye, target, scale(unitDir(), move));
  if (held(platform::kVkDown)) shift(eye, target, scale(unitDir(), -move));
  if (held(platform::kVkRight)) turnAboutY(turn);
  if (held(platform::kVkLeft)) turnAboutY(-turn);
  if (held('Q')) {
    const world::Vec3 r = right();
    shift(eye, target, {-r.x * move * 0.5f, 0.0f, -r.z * move * 0.5f});
  }
  if (held('D')) {
    const world::Vec3 r = right();
    shift(eye, target, {r.x * move * 0.5f, 0.0f, r.z * move * 0.5f});
  }
  if (held('Z')) target = add(eye, rotateAbout(dir(), right(), turn));
  if (held('S')) target = add(eye, rotateAbout(dir(), right(), -turn));
}

void authoringControls() {
  demo::ScriptState& script = demo::script;
  AuthoringState& a = authoring;
  script.freeCameraMode = held(platform::kVkSpace);
  a.objectMode = held('P');
  onPress('T', a.latchT, [] { resources::saveScreenshot(); });
  onPress('W', a.latchW, [&] {
    platform::appendToFile("time.txt", cueRecord(platform::demoClockMs(), script.musicOrder, script.musicRow));
  });
  onPress('B', a.latchB, [&] { script.lightmapsOn = !script.lightmapsOn; });
  onPress('N', a.latchN, [&] { script.texturesOn = !script.texturesOn; });
  if (!script.freeCameraMode) return;

  if (a.objectMode) {
    if (held(platform::kVkUp)) a.marker.z += 0.1f;
    if (held(platform::kVkDown)) a.marker.z -= 0.1f;
    if (held(platform::kVkRight)) a.marker.x += 0.1f;
    if (held('M')) a.marker.x -= 0.1f;
  }
  if (held('P')) {
    const std::string record = markerRecord(a.marker);
    platform::writeWholeFile("objposition.txt", record.data(), record.size());
    return;
  }
  // The frame's real time: the same as its delta, but for a paused show (the workbench), where
  // the camera still flies while the script stands still.
  moveFreeCamera(script.freeEye, script.freeTarget, platform::realFrameDeltaMs());
  onPress('C', a.latchC,
          [&] { platform::appendToFile("camoutput.txt", cameraRecord(script.freeEye, script.freeTarget)); });
}

}  // namespace app
