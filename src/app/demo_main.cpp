#include "app/demo_main.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

#include "app/demo_config.h"
#include "app/demo_window.h"
#include "demo/loading_sequence.h"
#include "demo/timeline.h"
#include "music/music_player.h"
#include "music/offline_recording.h"
#include "platform/file_system.h"
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

// One event per pass; a frame only when the queue is empty. Returns the exit code.
int runMainLoop(const Options& options, resources::FrameRecorder* recorder) {
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
    if (options.untilMs && platform::demoClockMs() > *options.untilMs) {
      s.demoDone = true;
      break;
    }
    demo::runFrame();
    if (demo::script.sceneState != -1) {
      if (recorder && !recorder->saveFrame(s.screenWidth, s.screenHeight)) {
        std::fprintf(stderr, "tolvek: cannot write frame %d of the recording\n", recorder->framesWritten());
        return 1;
      }
      // The soundtrack of a recording is rendered up to the end of the frame just saved.
      if (recorder) music::advanceOfflineRecording(recorder->framesWritten() * 1000.0 / options.recordFps);
      swapDemoWindow();
    }
    ++s.frameCount;
    if (recorder) recorder->advanceClock();
  }
  return 0;
}

void shutdownDemo() {
  auto& s = platform::settings;
  music::musicFreeSong(music::musicState.songHandle);
  music::soundClose();
  if (s.showFpsAverage == 1) {
    char text[64];
    std::snprintf(text, sizeof text, "FPS Average : %f", static_cast<double>(s.fpsAverage));
    platform::showMessageBox("Terminated", text, platform::BoxIcon::Information, demoWindow());
  }
  demo::destroySceneObjects();
  deleteUnpackedData();
  resources::releaseTextureTable();
  platform::releaseSharedQuadric();
  closeDemoWindow();
}

}  // namespace

void deleteUnpackedData() {
  static const char* const files[] = {
      "data\\map\\brae.bsp",        "data\\map\\brae2.bsp",        "data\\map\\brae3.bsp",
      nullptr,  // folder data\map
      "data\\models\\terrain.raw",  "data\\models\\terrain.jpg",   "data\\models\\boat.md3",
      "data\\models\\boat.skin",    "data\\models\\barque.jpg",    "data\\models\\chelou.md3",
      "data\\models\\chelou.skin",  "data\\models\\quadmap2.tga",
  };
  for (const char* file : files) {
    if (file)
      platform::deleteFile(file);
    else
      platform::removeFolder("data\\map");
  }
  // Folders that still hold something (the loose monk model, say) stay.
  platform::removeFolder("data\\models");
  platform::removeFolder("data");
}

int runDemo(const Options& options) {
  platform::setUnattended(options.unattended);
  auto& s = platform::settings;
  applyChoices(options, s);

  if (!loadDemoConfig(s)) {
    platform::showMessageBox("ByeBye", "Could not load the Demo Config file! 424242424242",
                             platform::BoxIcon::Information);
    return 0;
  }
  s.letterboxHeight = computeLetterboxHeight(s.screenWidth, s.screenHeight);

  std::unique_ptr<resources::FrameRecorder> recorder;
  if (!options.recordDir.empty()) {
    recorder = std::make_unique<resources::FrameRecorder>(options.recordDir, options.recordFps);
    if (!recorder->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", recorder->error().c_str());
      return 1;
    }
    recorder->startClock();
  }

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

  int code = runMainLoop(options, recorder.get());
  shutdownDemo();
  if (recorder && !music::finishOfflineRecording()) {
    std::fprintf(stderr, "tolvek: cannot complete the soundtrack of the recording\n");
    code = 1;
  }
  return code;
}

}  // namespace app
