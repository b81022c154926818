#include "support/gl_context.h"

#include <SDL.h>
#include <algorithm>
#include <GL/gl.h>

#include "platform/gl_extensions.h"
#include "resources/png_writer.h"

namespace testing_support {

GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  window_ = SDL_CreateWindow("tolvek test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window_) return;
  context_ = SDL_GL_CreateContext(window_);
  if (!context_) return;
  SDL_GL_MakeCurrent(window_, context_);
  platform::loadGlExtensions();
  glViewport(0, 0, width, height);
  glDrawBuffer(GL_BACK);
  glReadBuffer(GL_BACK);
}

GlTestContext::~GlTestContext() {
  if (context_) SDL_GL_DeleteContext(context_);
  if (window_) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<std::uint8_t> GlTestContext::readPixels() const {
  std::vector<std::uint8_t> bottomUp(static_cast<size_t>(width_) * height_ * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<std::uint8_t> topDown(bottomUp.size());
  const size_t stride = static_cast<size_t>(width_) * 4;
  for (int y = 0; y < height_; ++y)
    std::copy_n(&bottomUp[(height_ - 1 - y) * stride], stride, &topDown[y * stride]);
  return topDown;
}

bool GlTestContext::savePng(const std::string& path) const {
  const auto pixels = readPixels();
  return resources::writePngFile(path, width_, height_, 4, pixels.data());
}

void GlTestContext::swap() const { SDL_GL_SwapWindow(window_); }

}  // namespace testing_support
