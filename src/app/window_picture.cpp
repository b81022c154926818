#include "app/window_picture.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>

#include "app/offscreen_frame.h"

namespace app {

Size pictureSizeFor(Size window) {
  if (static_cast<long>(window.width) * 9 <= static_cast<long>(window.height) * 16) return window;
  return {static_cast<int>(static_cast<long>(window.height) * 16 / 9), window.height};
}

PictureRect fitPicture(Size window, Size picture) {
  if (picture.width <= 0 || picture.height <= 0 || window.width <= 0 || window.height <= 0) return {};
  // Scaled to the window's height unless that makes it wider than the window.
  long width = static_cast<long>(picture.width) * window.height / picture.height;
  long height = window.height;
  if (width > window.width) {
    width = window.width;
    height = static_cast<long>(picture.height) * window.width / picture.width;
  }
  return {static_cast<int>((window.width - width) / 2), static_cast<int>((window.height - height) / 2),
          static_cast<int>(width), static_cast<int>(height)};
}

WindowPicture::WindowPicture() = default;
WindowPicture::~WindowPicture() { stop(); }

void WindowPicture::start(Size picture, int depthBits) {
  picture_ = picture;
  window_ = picture;
  depthBits_ = depthBits;
}

bool WindowPicture::apart() const { return frame_ && frame_->made(); }

bool WindowPicture::windowResized(Size drawable) {
  window_ = drawable;
  if (drawable == picture_) {
    frame_.reset();  // binds the window's own framebuffer again
    return true;
  }
  if (apart()) return true;
  frame_ = std::make_unique<OffscreenFrame>();
  if (!frame_->create(picture_.width, picture_.height, depthBits_) || !frame_->canShow()) {
    std::fprintf(stderr, "tolvek: the picture cannot be kept apart from the window (%s); it is stretched\n",
                 frame_->reason().empty() ? "no framebuffer blits" : frame_->reason().c_str());
    frame_.reset();
    return false;
  }
  return true;
}

void WindowPicture::compose() {
  if (!apart()) return;
  const PictureRect r = fitPicture(window_, picture_);
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  frame_->showIn(r.x, r.y, r.width, r.height);  // the show draws on into its own framebuffer
  glPopAttrib();
}

void WindowPicture::present(SDL_Window* window) {
  if (!window) return;
  compose();
  SDL_GL_SwapWindow(window);
}

void WindowPicture::stop() { frame_.reset(); }

}  // namespace app
