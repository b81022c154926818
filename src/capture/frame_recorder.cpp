#include "capture/frame_recorder.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "resources/png_writer.h"
#include "resources/screenshot.h"

namespace capture {

FrameRecorder::FrameRecorder(std::string folder, platform::FrameRate rate) : folder_(std::move(folder)), rate_(rate) {
  if (!platform::createFolders(folder_)) {
    error_ = "cannot create the recording folder '" + folder_ + "'";
    return;
  }
  ok_ = true;
}

void FrameRecorder::startClock() const { platform::useFrameRateCounter(rate_); }

void FrameRecorder::advanceClock() const { platform::advanceVirtualFrame(); }

bool FrameRecorder::saveFrame(int width, int height) {
  const std::vector<std::uint8_t> pixels = resources::readBackBuffer(width, height);
  return writeFrame(pixels.data(), width, height, true);
}

bool FrameRecorder::writeFrame(const std::uint8_t* pixels, int width, int height, bool bottomUp) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06d.png", frames_);
  // Fast compression: recording should not be dominated by zlib.
  if (!resources::writePngFile(folder_ + name, width, height, 3, pixels, bottomUp, 1)) return false;
  ++frames_;
  return true;
}

}  // namespace capture
