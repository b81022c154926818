// The framebuffer recordings and benchmark runs draw into instead of a window: the size asked
// for whatever the screen (there may be none), in the window's pixel format: RGB without
// alpha (so frame copies are opaque), the depth bits asked for (24 where 32 is refused, as
// for a window) and an 8-bit stencil. While it is made, drawing and reading go to it.
#pragma once

#include <string>

namespace app {

// The largest picture the current context can draw into (GL_MAX_RENDERBUFFER_SIZE within
// GL_MAX_VIEWPORT_DIMS).
struct DrawingLimits {
  int width = 0, height = 0;
};
DrawingLimits drawingLimits();

class OffscreenFrame {
 public:
  OffscreenFrame() = default;
  OffscreenFrame(const OffscreenFrame&) = delete;
  OffscreenFrame& operator=(const OffscreenFrame&) = delete;
  ~OffscreenFrame();  // needs the context it was made in still current

  // Makes and binds the framebuffer in the current context. False with reason() when the
  // driver has no framebuffer objects, cannot draw that large or refuses every format.
  bool create(int width, int height, int depthBits);
  void destroy();

  bool made() const { return framebuffer_ != 0; }
  // Whether the driver can copy the frame into the window (framebuffer blits), and that copy:
  // the window's own framebuffer cleared (with the caller's clear state), the whole frame
  // into the rectangle; the frame stays bound for drawing.
  bool canShow() const;
  void showIn(int x, int y, int width, int height) const;
  int depthBits() const { return depthBits_; }
  const std::string& reason() const { return reason_; }

 private:
  unsigned framebuffer_ = 0;
  unsigned colour_ = 0, depth_ = 0, stencil_ = 0;
  int depthBits_ = 0;
  int width_ = 0, height_ = 0;
  std::string reason_;
};

}  // namespace app
