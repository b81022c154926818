#include "test_images.h"

#include <cstdio>

#include <jpeglib.h>

#include "platform/message_box.h"

namespace resources_test {

bool writeJpeg(const std::string& path, int width, int height, int components,
               const Bytes& pixels, int quality) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // No chroma subsampling, so small colour blocks survive intact.
  for (int i = 0; i < cinfo.num_components; ++i)
    cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&pixels[cinfo.next_scanline * stride]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

std::unique_ptr<testing_support::GlTestContext> GlTest::context_;

void GlTest::SetUpTestSuite() {
  context_ = std::make_unique<testing_support::GlTestContext>(256, 128);
}

void GlTest::TearDownTestSuite() { context_.reset(); }

void GlTest::SetUp() {
  if (!context_ || !context_->ok())
    GTEST_SKIP() << "no OpenGL window (run the drawing tests under xvfb-run -a)";
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
