// Recording into a folder of numbered PNG files, frame_000000.png, frame_000001.png, ...: the
// lossless record of every frame. Deterministic runs (recordings, the previews) also switch
// the clocks to a virtual counter that advances exactly one frame period per frame.
#pragma once

#include <cstdint>
#include <string>

#include "platform/frame_timer.h"

namespace capture {

class FrameRecorder {
 public:
  // Creates the folder (and its parents). Check ok() afterwards.
  FrameRecorder(std::string folder, platform::FrameRate rate);

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

  // Switches the clocks to the virtual counter.
  void startClock() const;
  // Saves the back buffer of the current context as the next frame.
  bool saveFrame(int width, int height);
  // Writes `pixels` (RGB rows, the top one first unless `bottomUp`) as the next frame.
  bool writeFrame(const std::uint8_t* pixels, int width, int height, bool bottomUp = false);
  // Moves the virtual clock on by one frame period.
  void advanceClock() const;
  int framesWritten() const { return frames_; }

 private:
  std::string folder_;
  platform::FrameRate rate_;
  int frames_ = 0;
  bool ok_ = false;
  std::string error_;
};

}  // namespace capture
