// The progress of a recording on the terminal: how much of the show is done, how fast the
// frames are drawn and how long the rest will take. On a terminal one bar redrawn in place;
// into a file or a pipe one line every few seconds.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace capture {

struct ProgressFigures {
  double doneMs = 0.0;      // demo time recorded
  double totalMs = 0.0;     // demo time the recording will reach
  double framesPerSecond = 0.0;
  double secondsLeft = -1.0;  // below 0: not known yet
};

// "[#######.....]  61.2 s of 246.9 s  52 fps  2:31 left" (the bar only on a terminal).
std::string progressLine(const ProgressFigures& figures, bool withBar);

class RecordingProgress {
 public:
  RecordingProgress(double totalMs, std::FILE* out);
  // After every recorded frame, with the demo time it showed (0 while loading).
  void frameDone(double demoMs);
  // Ends the bar's line.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  ProgressFigures figures() const;

  double totalMs_;
  std::FILE* out_;
  bool terminal_;
  Clock::time_point start_, lastShown_;
  double doneMs_ = 0.0;
  long frames_ = 0;
  bool shown_ = false;
};

}  // namespace capture
