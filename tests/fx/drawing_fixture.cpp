#include "drawing_fixture.h"

#include <GL/glu.h>

#include "platform/frame_timer.h"
#include "platform/message_box.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace fx_test {

std::unique_ptr<testing_support::GlTestContext> DrawingTest::context_;

void setClocks(double ms) {
  platform::useVirtualCounter(1000000);  // microseconds
  platform::timerInit();                 // takes the virtual frequency
  platform::resetDemoClock();
  platform::resetEffectClock();
  platform::advanceVirtualCounter(static_cast<std::int64_t>(ms * 1000.0 + 0.5));
}

void DrawingTest::SetUpTestSuite() {
  platform::setUnattended(true);
  context_ = std::make_unique<testing_support::GlTestContext>(kWidth, kHeight);
  if (!context_->ok()) return;
  platform::settings.screenWidth = kWidth;
  platform::settings.screenHeight = kHeight;
  resources::textureTable.noiseTexture = resources::createNoiseTexture();
  resources::textureTable.trailTexture = resources::createTargetTexture(resources::kTargetTextureSize);
  resources::textureTable.backdropTexture = resources::createTargetTexture(resources::kTargetTextureSize);
}

void DrawingTest::TearDownTestSuite() {
  context_.reset();
  resources::textureTable = {};
  platform::useRealCounter();
}

void DrawingTest::SetUp() {
  if (!context_ || !context_->ok())
    GTEST_SKIP() << "no OpenGL window (run the drawing tests under xvfb-run -a)";
  startFrame();
}

void DrawingTest::startFrame() {
  glViewport(0, 0, kWidth, kHeight);
  glScissor(0, 0, kWidth, kHeight);
  glDisable(GL_SCISSOR_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, static_cast<double>(kWidth) / kHeight, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  platform::applyStandardRenderState();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

Pixel DrawingTest::pixel(int x, int y) {
  std::uint8_t p[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, kHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

double DrawingTest::meanRed() {
  const auto pixels = context_->readPixels();
  double sum = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) sum += pixels[i];
  return sum / (pixels.size() / 4);
}

GLuint DrawingTest::makeTexture(int size, const std::vector<std::uint8_t>& rgba) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  return name;
}

GLuint DrawingTest::solidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return makeTexture(1, {r, g, b, a});
}

}  // namespace fx_test
