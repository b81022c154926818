#include "show_fixture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "demo/intro_overlay.h"
#include "demo/loading_sequence.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "music/music_player.h"
#include "platform/frame_timer.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace demo_test {

void ShowTest::SetUp() {
  ASSERT_TRUE(gl.ok()) << "drawing tests need a display (run under xvfb-run -a)";
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // the loading sequence opens the sound system
  cwd = std::make_unique<testing_support::ScopedWorkingDirectory>(folder.path());
  auto& s = platform::settings;
  s = platform::Settings{};
  s.fieldOfView = 60.0f;
  s.aspectRatio = 1.7777f;
  s.letterboxHeight = 59;
  demo::script = demo::ScriptState{};
  demo::introOverlay = demo::IntroOverlayState{};
  platform::applyStandardRenderState();
  // The window's projection, as a resize sets it.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(s.fieldOfView, s.aspectRatio, 1.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  resources::loadTextureTable();
  platform::useVirtualCounter(kFrequency);
  platform::timerInit();
  platform::resetDemoClock();
  platform::resetEffectClock();
}

void ShowTest::TearDown() {
  demo::closeShowMusic();
  demo::destroySceneObjects();
  demo::deleteUnpackedData();
  resources::releaseTextureTable();
  demo::setFramePresenter(nullptr);
  platform::useRealCounter();
  cwd.reset();
}

void ShowTest::frameAt(double ms) {
  const double ahead = ms - platform::demoClockMs();
  if (ahead > 0) platform::advanceVirtualCounter(static_cast<std::int64_t>(ahead * 1000.0 + 0.5));
  demo::runFrame();
}

void ShowTest::loadShow() {
  demo::runFrame();
  ASSERT_EQ(demo::script.sceneState, 0);
}

int countBoxes(const testing_support::BoxRecorder& boxes, const std::string& caption, const std::string& text) {
  int n = 0;
  for (const auto& box : boxes.boxes()) n += box.caption == caption && box.text == text;
  return n;
}

}  // namespace demo_test
