// Frame statistics for --stats: the real cost of every frame of the show (drawing and swap,
// on the wall clock also when the show runs on the virtual clock of a recording), grouped by
// the scene state the frame ended in, the loading time and the peak memory.
#pragma once

#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace app {

struct StateFrameSummary {
  int state = 0;
  int frames = 0;
  double medianMs = 0.0;
  double p95Ms = 0.0;
  double maxMs = 0.0;
};

// Median and 95th percentile by nearest rank of the sorted times.
StateFrameSummary summariseFrames(int state, std::vector<double> frameMs);

class FrameStats {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kStates = 8;  // -1 .. 6

  FrameStats();

  void beginFrame();
  // The frame just presented ended in `state`. The first frame (the one that loads) is the
  // loading state's row and ends the loading time. `jumpMs` of it went to a jump of the
  // author's workbench: it is counted apart, as a jump, not as drawing.
  void endFrame(int state, double jumpMs = 0.0);

  // A pass of a looped show has ended: what the process holds then (memory, open files,
  // threads), so that a long run shows whether it grows.
  void endPass(int pass);

  // The table, the loading time and the peak memory.
  std::string report(int width, int height) const;

  double loadingMs() const { return loadingMs_; }
  const std::vector<double>& frameTimes(int state) const { return frames_.at(state + 1); }

 private:
  Clock::time_point frameStart_;
  bool loaded_ = false;
  double loadingMs_ = 0.0;
  std::array<std::vector<double>, kStates> frames_;
  std::vector<double> jumps_;
  std::vector<std::string> passes_;
};

// Milliseconds since the process started (from the kernel's start time of the process).
double processAgeMs();

// Peak resident memory of the process so far, in megabytes.
double peakMemoryMb();

// What the process holds now: resident memory in megabytes, open files, threads.
struct ProcessHoldings {
  double residentMb = 0.0;
  int openFiles = 0;
  int threads = 0;
};
ProcessHoldings processHoldings();

}  // namespace app
