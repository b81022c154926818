#include "show_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "platform/frame_timer.h"
#include "platform/render_state.h"
#include "platform/settings.h"

namespace demo_test {

void ShowTest::SetUp() {
  ASSERT_TRUE(gl.ok()) << "drawing tests need a display (run under xvfb-run -a)";
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // the loading sequence opens the sound system
  cwd = std::make_unique<testing_support::ScopedWorkingDirectory>(folder.path());
  auto& s = platform::settings;
  s = platform::Settings{};
  s.fieldOfView = 60.0f;
  s.aspectRatio = 1.7777f;
  platform::applyStandardRenderState();
  // The window's projection, as a resize sets it.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(s.fieldOfView, s.aspectRatio, 1.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  platform::useVirtualCounter(kFrequency);
  show.load({nullptr, 59});
}

void ShowTest::TearDown() {
  show.unload();
  platform::useRealCounter();
  cwd.reset();
}

void ShowTest::reloadWithPresenter(demo::FramePresenter present) {
  show.unload();
  show.load({std::move(present), 59});
}

void ShowTest::frameAt(double ms) {
  const double ahead = ms - platform::demoClockMs();
  if (ahead > 0) platform::advanceVirtualCounter(static_cast<std::int64_t>(ahead * 1000.0 + 0.5));
  show.frame();
}

void ShowTest::loadShow() {
  show.frame();
  ASSERT_TRUE(show.started());
}

int countBoxes(const testing_support::BoxRecorder& boxes, const std::string& caption, const std::string& text) {
  int n = 0;
  for (const auto& box : boxes.boxes()) n += box.caption == caption && box.text == text;
  return n;
}

}  // namespace demo_test
