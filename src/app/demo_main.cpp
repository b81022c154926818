#include "app/demo_main.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <memory>

#include "app/authoring_controls.h"
#include "app/demo_config.h"
#include "app/demo_window.h"
#include "app/frame_stats.h"
#include "app/setup_dialog.h"
#include "demo/loading_sequence.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "music/music_player.h"
#include "music/offline_recording.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/settings.h"
#include "resources/frame_recorder.h"
#include "resources/texture_table.h"

namespace app {
namespace {

void applyChoices(const Options& options, platform::Settings& s) {
  if (options.width && options.height) {
    s.screenWidth = *options.width;
    s.screenHeight = *options.height;
  }
  if (options.depthBits) s.depthBits = *options.depthBits;
  if (options.fullscreen) s.fullscreen = true;
}

// Where finished pictures go: the screen, and in a recording a numbered PNG first with the
// soundtrack rendered up to the end of that frame. The progress screens of the loading
// sequence come through here too, so a recording starts with them. On the virtual clock
// (recording or benchmark) every presented frame moves it on by one frame.
struct Presenter {
  resources::FrameRecorder* recorder = nullptr;
  int fps = 0;
  bool virtualClock = false;
  bool failed = false;

  void present() {
    if (recorder && !failed) {
      const auto& s = platform::settings;
      if (!recorder->saveFrame(s.screenWidth, s.screenHeight)) {
        std::fprintf(stderr, "tolvek: cannot write frame %d of the recording\n", recorder->framesWritten());
        failed = true;
      } else {
        music::advanceOfflineRecording(recorder->framesWritten() * 1000.0 / fps);
      }
    }
    swapDemoWindow();
    if (virtualClock) platform::advanceVirtualFrame();
  }
};

// One event per pass; a frame only when the queue is empty. Returns the exit code.
int runMainLoop(const Options& options, Presenter& presenter, FrameStats* stats) {
  auto& s = platform::settings;
  while (!s.demoDone) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) {
        s.demoDone = true;
        break;
      }
      handleWindowEvent(event);
      continue;
    }
    if (platform::keys.down[platform::kVkEscape]) {
      s.demoDone = true;
      break;
    }
    if (options.untilMs && demo::script.sceneState != -1 && platform::demoClockMs() > *options.untilMs) {
      s.demoDone = true;
      break;
    }
    if (stats) stats->beginFrame();
    demo::runFrame();
    // The last step of every frame, on the finished picture before it is shown.
    authoringControls();
    if (demo::script.sceneState != -1) presenter.present();
    if (stats) {
      glFinish();
      stats->endFrame(demo::script.sceneState);
    }
    ++s.frameCount;
    if (presenter.failed) return 1;
  }
  return 0;
}

// The design's shutdown order: the song and sound, the frame-rate report, the scene objects,
// the unpacked files, the textures, the window.
void shutdownDemo() {
  auto& s = platform::settings;
  demo::closeShowMusic();
  if (s.showFpsAverage == 1) {
    char text[64];
    std::snprintf(text, sizeof text, "FPS Average : %f", static_cast<double>(s.fpsAverage));
    platform::showMessageBox("Terminated", text, platform::BoxIcon::Information, demoWindow());
  }
  demo::destroySceneObjects();
  demo::deleteUnpackedData();
  resources::releaseTextureTable();
  platform::releaseSharedQuadric();
  closeDemoWindow();
}

}  // namespace

int runDemo(const Options& options) {
  platform::setUnattended(options.unattended || options.benchmarkRun());
  auto& s = platform::settings;
  applyChoices(options, s);
  // "Bye Bye" and the close box end the run before anything is read or made.
  if (!options.skipsSetupDialog() && runSetupDialog(s) == DialogResult::Bye) return 0;

  if (!loadDemoConfig(s)) {
    platform::showMessageBox("ByeBye", "Could not load the Demo Config file! 424242424242",
                             platform::BoxIcon::Information);
    return 0;
  }
  s.letterboxHeight = computeLetterboxHeight(s.screenWidth, s.screenHeight);

  std::unique_ptr<resources::FrameRecorder> recorder;
  if (!options.recordDir.empty()) {
    recorder = std::make_unique<resources::FrameRecorder>(options.recordDir, options.recordFps());
    if (!recorder->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", recorder->error().c_str());
      return 1;
    }
  }
  const bool virtualClock = recorder || options.benchmarkRun();
  if (virtualClock) platform::useFrameRateCounter(options.recordFps());
  // A benchmark's clock is not the listener's: the song plays silently.
  music::allowSoundDevice(!options.benchmarkRun());

  if (!openDemoWindow(s.screenWidth, s.screenHeight, 32, s.fullscreen, s.windowTitle)) {
    std::fprintf(stderr, "tolvek: could not open the OpenGL window (%s)\n", SDL_GetError());
    closeDemoWindow();
    return 1;
  }
  // Before the sound system starts, so that no device plays along with the recording.
  if (recorder && !music::startOfflineRecording(options.recordDir + "/soundtrack.wav")) {
    std::fprintf(stderr, "tolvek: cannot write the soundtrack into '%s'\n", options.recordDir.c_str());
    closeDemoWindow();
    return 1;
  }
  initRenderState();
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();

  Presenter presenter{recorder.get(), options.recordFps(), virtualClock};
  demo::setFramePresenter([&presenter] { presenter.present(); });
  std::unique_ptr<FrameStats> stats = options.stats ? std::make_unique<FrameStats>() : nullptr;
  int code = runMainLoop(options, presenter, stats.get());
  shutdownDemo();
  demo::setFramePresenter(nullptr);
  if (recorder && !music::finishOfflineRecording()) {
    std::fprintf(stderr, "tolvek: cannot complete the soundtrack of the recording\n");
    code = 1;
  }
  if (stats) std::fputs(stats->report(s.screenWidth, s.screenHeight).c_str(), stdout);
  return code;
}

}  // namespace app
