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
// A virtual counter that advanceVirtualFrame moves on by exactly one frame of `fps`.
void useFrameRateCounter(int fps);
void advanceVirtualFrame();
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
