// What every preview of tolvek-view shares: a 640 x 480 OpenGL window (hidden when recording)
// in the demo's standard render state, the frame clock (real, or virtual when recording) and
// the loop that ends on Escape, on the window's close box, at --until or when the preview says
// it is done.
#pragma once

#include <string>

#include "view_options.h"

namespace view {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class Preview {
 public:
  virtual ~Preview() = default;
  // Runs once the GL context is current. False (with a message on standard error) stops.
  virtual bool load() = 0;
  // Draws one frame, `deltaMs` after the previous one. False once there is nothing left to show.
  virtual bool frame(float deltaMs) = 0;
  // Frees what load made while the context is still current.
  virtual void unload() = 0;
};

// Returns the process exit code.
int runPreview(Preview& preview, const ViewOptions& options);

// The demo's window projection for the preview window.
void applyProjection(float fieldOfView, float aspectRatio);

}  // namespace view
