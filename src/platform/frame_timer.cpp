#include "platform/frame_timer.h"

#include "platform/performance_counter.h"

namespace platform {
namespace {

struct CounterSource {
  bool isVirtual = false;
  std::int64_t virtualCount = 0;
  std::int64_t virtualFrequency = 1;
  std::int64_t countsPerFrame = 1;
  std::int64_t phaseCounts = 0;  // how far a sub-frame phase has moved into the frame
};

struct FrameTimerState {
  std::int64_t frequency = 1;
  std::int64_t demoReading = 0;
  double demoOrigin = 0.0;
  std::int64_t effectReading = 0;
  double effectOrigin = 0.0;
  std::int64_t deltaReading = 0;
  float lastDelta = 0.0f;
  float lastRealDelta = 0.0f;
  // Stopped clocks read the counter as it stood when they stopped (plus any steps since).
  bool paused = false;
  std::int64_t pausedReading = 0;
  std::int64_t pendingStep = 0;  // counts the next delta gives while stopped
};

CounterSource counter;
FrameTimerState timer;

std::int64_t readCounter() {
  if (counter.isVirtual) return counter.virtualCount;
  return readPerformanceCounter();
}

// What the demo and effect clocks read: the counter, or where it stood when they stopped.
std::int64_t readClockCounter() { return timer.paused ? timer.pausedReading : readCounter(); }

std::int64_t readFrequency() {
  if (counter.isVirtual) return counter.virtualFrequency;
  return readPerformanceFrequency();
}

}  // namespace

void timerInit() {
  timer.demoReading = readCounter();
  timer.effectReading = readCounter();
  timer.deltaReading = readCounter();
  timer.frequency = readFrequency();
}

void resetDemoClock() {
  timer.demoReading = readCounter();
  timer.demoOrigin = static_cast<double>(timer.demoReading);
}

double demoClockMs() {
  timer.demoReading = readClockCounter();
  return (static_cast<double>(timer.demoReading) - timer.demoOrigin) /
         (static_cast<double>(timer.frequency) * 0.001);
}

void resetEffectClock() {
  timer.effectReading = readCounter();
  timer.effectOrigin = static_cast<double>(timer.effectReading);
}

double effectClockMs() {
  timer.effectReading = readClockCounter();
  return (static_cast<double>(timer.effectReading) - timer.effectOrigin) /
         (static_cast<double>(timer.frequency) * 0.001);
}

namespace {
float countsToMs(std::int64_t counts) {
  return static_cast<float>(static_cast<double>(counts) * static_cast<double>(1000.0f) /
                            static_cast<double>(timer.frequency));
}
}  // namespace

float frameDeltaMs() {
  const std::int64_t reading = readCounter();
  const std::int64_t delta = reading - timer.deltaReading;
  timer.deltaReading = reading;
  timer.lastRealDelta = countsToMs(delta);
  if (timer.paused) {
    timer.lastDelta = countsToMs(timer.pendingStep);
    timer.pendingStep = 0;
  } else {
    timer.lastDelta = timer.lastRealDelta;
  }
  return timer.lastDelta;
}

float lastFrameDeltaMs() { return timer.lastDelta; }

void useVirtualCounter(std::int64_t frequency) {
  counter.isVirtual = true;
  counter.virtualCount = 0;
  counter.virtualFrequency = frequency > 0 ? frequency : 1;
  counter.countsPerFrame = counter.virtualFrequency;
  counter.phaseCounts = 0;
}

void advanceVirtualCounter(std::int64_t counts) { counter.virtualCount += counts; }

void useRealCounter() { counter.isVirtual = false; }

namespace {
// Counts per frame of a whole frame rate (per den frames of a fraction): the frequency is this
// times the rate's numerator.
constexpr std::int64_t kCountsPerFrame = 1'000'000;
}  // namespace

void useFrameRateCounter(FrameRate rate) {
  if (!rate.valid()) rate = FrameRate(1);
  useVirtualCounter(kCountsPerFrame * rate.num);
  counter.countsPerFrame = kCountsPerFrame * rate.den;
}

void advanceVirtualFrame() {
  advanceVirtualCounter(counter.countsPerFrame - counter.phaseCounts);
  counter.phaseCounts = 0;
}

void setVirtualFramePhase(double phase) {
  const double clamped = phase > 0.0 ? (phase < 1.0 ? phase : 1.0) : 0.0;
  const auto counts = static_cast<std::int64_t>(clamped * static_cast<double>(counter.countsPerFrame) + 0.5);
  advanceVirtualCounter(counts - counter.phaseCounts);
  counter.phaseCounts = counts;
}

bool usingVirtualCounter() { return counter.isVirtual; }

double virtualCounterMs() {
  return static_cast<double>(counter.virtualCount) * 1000.0 / static_cast<double>(counter.virtualFrequency);
}

double virtualFrameMs() {
  return static_cast<double>(counter.countsPerFrame) * 1000.0 / static_cast<double>(counter.virtualFrequency);
}

namespace {
std::int64_t msToCounts(double ms) { return static_cast<std::int64_t>(ms * static_cast<double>(timer.frequency) * 0.001); }
}  // namespace

void setClocksMs(double ms) {
  const std::int64_t reading = readCounter();
  const double origin = static_cast<double>(reading) - ms * (static_cast<double>(timer.frequency) * 0.001);
  timer.demoReading = timer.effectReading = timer.deltaReading = reading;
  timer.demoOrigin = timer.effectOrigin = origin;
  timer.pausedReading = reading;
  timer.pendingStep = 0;
}

void pauseClocks(bool paused) {
  if (paused == timer.paused) return;
  const std::int64_t reading = readCounter();
  if (paused) {
    timer.pausedReading = reading;
    timer.pendingStep = 0;
  } else {
    // The time stood still: the origins move on by as much as the counter did.
    const double stood = static_cast<double>(reading - timer.pausedReading);
    timer.demoOrigin += stood;
    timer.effectOrigin += stood;
  }
  timer.paused = paused;
}

bool clocksPaused() { return timer.paused; }

void stepPausedClocks(double ms) {
  if (!timer.paused) return;
  const std::int64_t counts = msToCounts(ms);
  timer.pausedReading += counts;
  timer.pendingStep += counts;
}

float realFrameDeltaMs() { return timer.lastRealDelta; }

}  // namespace platform
