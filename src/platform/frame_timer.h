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

}  // namespace platform
