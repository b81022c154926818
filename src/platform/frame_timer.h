// The demo's clocks, all read from one high-resolution counter: the demo clock (drives the
// script), the effect clock (a second stopwatch) and the frame delta. Every call is a fresh
// counter read; nothing is smoothed or capped.
//
// Deterministic runs (recording, tests) switch the counter to a virtual one that moves only
// when told to.
#pragma once

#include <cstdint>

namespace platform {

void timerInit();
void resetDemoClock();
double demoClockMs();
void resetEffectClock();
double effectClockMs();
float frameDeltaMs();
float lastFrameDeltaMs();

// Virtual counter: `frequency` counts per second, starting at 0.
void useVirtualCounter(std::int64_t frequency);
void advanceVirtualCounter(std::int64_t counts);
void useRealCounter();
// A frame rate as a fraction, so that the broadcast rates are exact: 60 is 60/1, NTSC's
// 59.94 is 60000/1001.
struct FrameRate {
  std::int64_t num = 60;
  std::int64_t den = 1;
  FrameRate() = default;
  FrameRate(int fps) : num(fps) {}  // NOLINT: a whole rate reads as itself
  FrameRate(std::int64_t n, std::int64_t d) : num(n), den(d) {}
  bool valid() const { return num > 0 && den > 0; }
  double fps() const { return static_cast<double>(num) / static_cast<double>(den); }
  bool operator==(const FrameRate&) const = default;
};

// A virtual counter that advanceVirtualFrame moves on by exactly one frame of `rate`: the
// counter runs at num x 10^6 counts a second and a frame is den x 10^6 counts, so frame n
// starts at a whole count and nothing drifts however long the run.
void useFrameRateCounter(FrameRate rate);
// To the start of the next frame (from wherever a sub-frame phase left the counter).
void advanceVirtualFrame();
// Within the current frame: the counter at `phase` (0 <= phase < 1) of the way to the next
// frame, to the nearest count. Sub-frames of a motion-blurred frame are drawn at such phases.
void setVirtualFramePhase(double phase);
bool usingVirtualCounter();
// Milliseconds the virtual counter has run.
double virtualCounterMs();
// Milliseconds one advanceVirtualFrame moves the frame-rate counter on.
double virtualFrameMs();

// ---- the author's controls (nothing below is used by the show as designed) ----

// Both clocks, demo and effect, read `ms` now, and the next frame delta counts from now.
void setClocksMs(double ms);
// Stops or restarts the demo and effect clocks. While stopped they keep the time they had
// and frameDeltaMs gives 0; restarted, they go on from there with no jump.
void pauseClocks(bool paused);
bool clocksPaused();
// While stopped: both clocks move on by `ms`, and the next frame delta is that step.
void stepPausedClocks(double ms);
// The time between the last two frameDeltaMs calls as the counter measured it, stopped
// clocks or not (the free camera flies on it while the show stands still).
float realFrameDeltaMs();

}  // namespace platform
