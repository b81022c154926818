#include "app/offscreen_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace app {
namespace {

// The framebuffer-object calls (OpenGL 3.0, or GL_EXT_framebuffer_object's same calls).
struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;  // optional: only showing the frame needs it
};

template <class T>
bool fetch(T& call, const char* name) {
  call = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
  if (!call) call = reinterpret_cast<T>(SDL_GL_GetProcAddress((std::string(name) + "EXT").c_str()));
  return call != nullptr;
}

bool loadFramebufferCalls(FramebufferCalls& f) {
  return fetch(f.genFramebuffers, "glGenFramebuffers") && fetch(f.deleteFramebuffers, "glDeleteFramebuffers") &&
         fetch(f.bindFramebuffer, "glBindFramebuffer") &&
         fetch(f.checkFramebufferStatus, "glCheckFramebufferStatus") &&
         fetch(f.genRenderbuffers, "glGenRenderbuffers") && fetch(f.deleteRenderbuffers, "glDeleteRenderbuffers") &&
         fetch(f.bindRenderbuffer, "glBindRenderbuffer") && fetch(f.renderbufferStorage, "glRenderbufferStorage") &&
         fetch(f.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
         (fetch(f.blitFramebuffer, "glBlitFramebuffer"), true);
}

FramebufferCalls fb;

}  // namespace

DrawingLimits drawingLimits() {
  GLint renderbuffer = 0, viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  return {std::min(renderbuffer, viewport[0]), std::min(renderbuffer, viewport[1])};
}

OffscreenFrame::~OffscreenFrame() { destroy(); }

bool OffscreenFrame::create(int width, int height, int depthBits) {
  destroy();
  if (!loadFramebufferCalls(fb)) {
    reason_ = "the OpenGL driver has no framebuffer objects";
    return false;
  }
  const DrawingLimits limits = drawingLimits();
  if (width > limits.width || height > limits.height) {
    reason_ = "the OpenGL driver draws pictures of at most " + std::to_string(limits.width) + "x" +
              std::to_string(limits.height) + ", not " + std::to_string(width) + "x" + std::to_string(height);
    return false;
  }
  fb.genFramebuffers(1, &framebuffer_);
  fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  fb.genRenderbuffers(1, &colour_);
  fb.bindRenderbuffer(GL_RENDERBUFFER, colour_);
  fb.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
  fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);

  // Depth and stencil apart at the depth asked for, where the driver takes them so; else the
  // packed 24 + 8 that every driver has.
  auto attach = [&](GLenum depthFormat, GLenum stencilFormat) {
    for (unsigned* buffer : {&depth_, &stencil_})
      if (*buffer) fb.deleteRenderbuffers(1, buffer), *buffer = 0;
    fb.genRenderbuffers(1, &depth_);
    fb.bindRenderbuffer(GL_RENDERBUFFER, depth_);
    fb.renderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
    if (stencilFormat == 0) {
      fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    } else {
      fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
      fb.genRenderbuffers(1, &stencil_);
      fb.bindRenderbuffer(GL_RENDERBUFFER, stencil_);
      fb.renderbufferStorage(GL_RENDERBUFFER, stencilFormat, width, height);
      fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil_);
    }
    return fb.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  };
  bool complete = attach(depthBits == 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT32, GL_STENCIL_INDEX8);
  if (!complete) {
    complete = attach(GL_DEPTH24_STENCIL8, 0);
    // The window's words when it gets 24 bits for 32; a 16-bit request gets more than asked.
    if (complete && depthBits == 32) std::fprintf(stderr, "tolvek: no 32-bit depth buffer here, using 24 bits\n");
  }
  if (!complete) {
    reason_ = "the OpenGL driver cannot draw a " + std::to_string(width) + "x" + std::to_string(height) +
              " picture offscreen (out of memory?)";
    destroy();
    return false;
  }
  GLint bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &bits);
  depthBits_ = bits;
  width_ = width;
  height_ = height;
  return true;
}

bool OffscreenFrame::canShow() const { return made() && fb.blitFramebuffer; }

void OffscreenFrame::showIn(int x, int y, int width, int height) const {
  if (!canShow()) return;
  fb.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClear(GL_COLOR_BUFFER_BIT);  // the bars, in the caller's clear colour
  // Pixel for pixel where the sizes agree; a scaled picture is filtered, never blocky.
  const bool sameSize = width == width_ && height == height_;
  fb.blitFramebuffer(0, 0, width_, height_, x, y, x + width, y + height, GL_COLOR_BUFFER_BIT,
                     sameSize ? GL_NEAREST : GL_LINEAR);
  fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void OffscreenFrame::destroy() {
  if (!framebuffer_) return;
  fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
  fb.deleteFramebuffers(1, &framebuffer_);
  for (unsigned* buffer : {&colour_, &depth_, &stencil_})
    if (*buffer) fb.deleteRenderbuffers(1, buffer), *buffer = 0;
  framebuffer_ = 0;
}

}  // namespace app
