// The application settings every part of the demo reads: chosen at start-up (mode, depth,
// full screen), read from Demo.conf (title, field of view, aspect, FPS report) and the
// few run-wide values the main loop and the frame-rate timer keep.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct Settings {
  int screenWidth = 640;
  int screenHeight = 480;
  int depthBits = 32;
  bool fullscreen = false;
  std::string windowTitle;
  float fieldOfView = 0.0f;
  float aspectRatio = 0.0f;
  int showFpsAverage = 0;
  int letterboxHeight = 0;
  bool demoDone = false;
  int frameCount = 0;
  float fpsAverage = 0.0f;
};

extern Settings settings;

}  // namespace platform
