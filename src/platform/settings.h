// What the viewer chose for the run, which every part of the demo reads: the mode, depth and
// full screen of the setup dialog or the options, and the four values of Demo.conf. Fixed
// once the window opens; the run's own state lives with the layer that changes it (the
// show's script state, the window's frame-rate counter).
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
};

extern Settings settings;

}  // namespace platform
