// An OpenGL window for drawing tests (under Xvfb with Mesa's software renderer): opened with
// the pixel format the demo asks for, with the extension entry points fetched, so the code
// under test can draw and the test can read the pixels back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace testing_support {

class GlTestContext {
 public:
  GlTestContext(int width = 640, int height = 480);
  ~GlTestContext();
  GlTestContext(const GlTestContext&) = delete;
  GlTestContext& operator=(const GlTestContext&) = delete;

  bool ok() const { return context_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  SDL_Window* window() const { return window_; }

  // RGBA of the back buffer, rows top to bottom.
  std::vector<std::uint8_t> readPixels() const;
  // Saves the back buffer as PNG (test artefacts to look at).
  bool savePng(const std::string& path) const;
  void swap() const;

 private:
  int width_;
  int height_;
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace testing_support
