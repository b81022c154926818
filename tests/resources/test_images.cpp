#include "test_images.h"

#include "picture_files.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace resources_test {

bool writeJpeg(const std::string& path, int width, int height, int components,
               const Bytes& pixels, int quality) {
  const auto bytes = showkit::encodeJpeg(pixels, width, height, components, quality, false);
  return !bytes.empty() && platform::writeWholeFile(path, bytes.data(), bytes.size());
}

Bytes GlTest::readTexture(GLuint name, int* width, int* height) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint w = 0;
  GLint h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  if (width) *width = w;
  if (height) *height = h;
  Bytes pixels(static_cast<size_t>(w) * h * 4);
  if (!pixels.empty()) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  }
  return pixels;
}

GLint GlTest::texParameter(GLuint name, GLenum parameter) {
  glBindTexture(GL_TEXTURE_2D, name);
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
  return value;
}

}  // namespace resources_test

namespace {
// A message box must never wait for a click in a test run.
struct UnattendedRun {
  UnattendedRun() { platform::setUnattended(true); }
} unattendedRun;
}  // namespace
