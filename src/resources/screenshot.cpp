#include "resources/screenshot.h"

#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "platform/path_resolver.h"
#include "platform/settings.h"
#include "resources/tga_image.h"

namespace resources {
namespace {

// Enough for any real session; a folder full of screenshots cannot stall the program.
constexpr int kMaxNamesTried = 10000;

struct ScreenshotState {
  int counter = 0;
};
ScreenshotState screenshots;

}  // namespace

void resetScreenshotCounter() { screenshots.counter = 0; }

std::optional<std::string> nextScreenshotName() {
  for (int tried = 0; tried < kMaxNamesTried; ++tried) {
    const std::string name = "screenshot" + std::to_string(screenshots.counter) + ".tga";
    ++screenshots.counter;
    std::FILE* existing = platform::openFile(name, "rb");
    if (!existing) return name;
    std::fclose(existing);
  }
  return std::nullopt;
}

bool writeTgaFile(std::string_view path, std::span<const std::uint8_t> pixels) {
  return writeTga(path, platform::settings.screenWidth, platform::settings.screenHeight, 24, pixels);
}

std::vector<std::uint8_t> readBackBuffer(int width, int height) {
  std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 3, 0);
  // Tight rows whatever the width: the buffer has no room for alignment padding.
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  return pixels;
}

std::optional<std::string> saveScreenshot() {
  const int width = platform::settings.screenWidth;
  const int height = platform::settings.screenHeight;
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::vector<std::uint8_t> pixels = readBackBuffer(width, height);
  auto name = nextScreenshotName();
  if (!name || !writeTgaFile(*name, pixels)) return std::nullopt;
  return name;
}

}  // namespace resources
