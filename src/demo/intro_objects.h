// The moving things of the first level, each at its place and in its time window, and drawn
// only while a reference point of it is in view: the running character in the corridor, the
// three floating monks with the fire fountain, the glowing glass column with the spinning
// model inside; and the opening fade from black.
#pragma once

#include "demo/cue_sheet.h"

namespace demo {

// The groups and their windows (open intervals, ms) and reference points.
struct IntroGroup {
  double startMs;
  double endMs;
  float x, y, z;  // drawn only while this point is in the frustum
};
constexpr IntroGroup kMonkGroup{cue::kMonksStartMs, cue::kMonksEndMs, -350.0f, 30.0f, -235.0f};
constexpr IntroGroup kColumnGroup{cue::kColumnStartMs, cue::kColumnEndMs, -369.0f, 20.0f, 154.0f};

inline bool insideWindow(const IntroGroup& group, double nowMs) {
  return group.startMs < nowMs && nowMs < group.endMs;
}

// The three monks' heights at `nowMs` (they bob by 2 units).
struct MonkPlace {
  float x, y, z;
  float turn;  // degrees about the model's own z
};
MonkPlace monkPlace(int index, double nowMs);

void drawIntroObjects();

}  // namespace demo
