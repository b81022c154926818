#include "drawing_fixture.h"

#include <GL/glu.h>

#include "platform/frame_timer.h"
#include "platform/message_box.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace fx_test {

void setClocks(double ms) {
  platform::useVirtualCounter(1000000);  // microseconds
  platform::timerInit();                 // takes the virtual frequency
  platform::resetDemoClock();
  platform::resetEffectClock();
  platform::advanceVirtualCounter(static_cast<std::int64_t>(ms * 1000.0 + 0.5));
}

void DrawingTest::SetUpTestSuite() {
  platform::setUnattended(true);
  testing_support::DrawingTest<kWidth, kHeight>::SetUpTestSuite();
  if (!drawable()) return;
  platform::settings.screenWidth = kWidth;
  platform::settings.screenHeight = kHeight;
  resources::textureTable.noiseTexture = resources::createNoiseTexture();
  resources::textureTable.trailTexture = resources::createTargetTexture(resources::kTargetTextureSize);
  resources::textureTable.backdropTexture = resources::createTargetTexture(resources::kTargetTextureSize);
}

void DrawingTest::TearDownTestSuite() {
  testing_support::DrawingTest<kWidth, kHeight>::TearDownTestSuite();
  resources::textureTable = {};
  platform::useRealCounter();
}

void DrawingTest::startFrame() {
  testing_support::resetDrawingState(kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  gluPerspective(90.0, static_cast<double>(kWidth) / kHeight, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  platform::applyStandardRenderState();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

double DrawingTest::meanRed() {
  const auto pixels = gl().readPixels();
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
