// Checks of the level files and paths the kit writes, made on the written bytes with the
// demo's own reader, path stepping and frustum: the camera never stands or passes in solid
// space, and the intro's objects are in view while the script draws them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "level_description.h"
#include "world/bsp_level.h"

namespace levelc {

// Problems of a track: points whose leaf has no cluster (solid space or no leaf at all), and
// straight segments between neighbouring points that pass through such a leaf.
// Columns are not in the file's tree: points within 2 units of one, and segments through
// one, are reported as well.
std::vector<std::string> checkTrackInside(const world::LevelData& level, std::span<const Vec3f> points,
                                          std::string_view name, std::span<const Column> columns = {});

// Flies a .trj file at 60 frames a second for `durationMs` with the given rate and reports
// every frame whose eye (or, for a point path, position) is outside the level's clusters.
std::vector<std::string> checkFlightInside(const world::LevelData& level, std::string_view trjText,
                                           bool cameraPath, float rate, double durationMs,
                                           std::string_view name, std::span<const Column> columns = {});

// A point the intro script draws only while it is in view, in its time window (open
// interval, milliseconds of the demo clock).
struct ViewWindow {
  std::string name;
  double from = 0, to = 0;
  int framesInWindow = 0;
  int framesInView = 0;
  double firstMissMs = -1;  // demo time of the first frame out of view, -1 when none
};

// Flies cam.trj as the intro does (60 frames a second at the intro's path rate, the window
// projection of the show: field of view 60, aspect 1.7777, near 1, far 3000, and near 0.1 /
// far 2000 for the intro's last two seconds) and counts, for the runner, the monks and the glass column, the frames
// of their windows in which their reference point is in the view frustum.
std::vector<ViewWindow> simulateIntroViews(std::string_view camText);

// Column-major matrices as gluPerspective and gluLookAt build them.
void perspectiveMatrix(float fovyDegrees, float aspect, float zNear, float zFar, float out[16]);
void lookAtMatrix(Vec3f eye, Vec3f target, Vec3f up, float out[16]);

}  // namespace levelc
