#include "app/demo_main.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/authoring_controls.h"
#include "app/demo_config.h"
#include "app/demo_window.h"
#include "app/frame_stats.h"
#include "app/recording_progress.h"
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
#include "platform/stop_signals.h"
#include "resources/frame_recorder.h"
#include "resources/texture_table.h"
#include "resources/video_recorder.h"

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

// Where finished pictures go: the screen, and in a recording the PNG folder or the video
// first, with the soundtrack rendered up to the end of that frame. The progress screens of
// the loading sequence come through here too, so a recording starts with them. On the
// virtual clock (recording or benchmark) every presented frame moves it on by one frame.
struct Presenter {
  resources::FrameRecorder* frames = nullptr;
  resources::VideoRecorder* video = nullptr;
  RecordingProgress* progress = nullptr;
  int fps = 0;
  bool virtualClock = false;
  bool failed = false;

  void present() {
    if ((frames || video) && !failed) {
      const auto& s = platform::settings;
      if (frames && !frames->saveFrame(s.screenWidth, s.screenHeight)) {
        std::fprintf(stderr, "tolvek: cannot write frame %d of the recording\n", frames->framesWritten());
        failed = true;
      } else if (video && !video->saveFrame()) {
        failed = true;
      } else {
        const int written = frames ? frames->framesWritten() : video->framesWritten();
        music::advanceOfflineRecording(written * 1000.0 / fps);
        if (progress) progress->frameDone(demo::script.sceneState == -1 ? 0.0 : platform::demoClockMs());
      }
    }
    swapDemoWindow();
    if (virtualClock) platform::advanceVirtualFrame();
  }
};

// One event per pass; a frame only when the queue is empty. Returns the exit code; `quit`
// tells whether the viewer (Escape, the close box, a signal) ended the run.
int runMainLoop(const Options& options, Presenter& presenter, FrameStats* stats, bool& quit) {
  auto& s = platform::settings;
  while (!s.demoDone) {
    // A signal (interrupt, terminate, hang-up) quits like the close box.
    if (platform::stopRequested()) {
      s.demoDone = true;
      quit = true;
      break;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) {
        s.demoDone = true;
        quit = true;
        break;
      }
      handleWindowEvent(event);
      continue;
    }
    if (platform::keys.down[platform::kVkEscape]) {
      s.demoDone = true;
      quit = true;
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
  platform::installStopSignals();
  platform::setUnattended(options.unattended || options.benchmarkRun());
  auto& s = platform::settings;
  // A video needs ffmpeg: said before anything is opened.
  std::string encoder;
  if (!options.recordVideo.empty() && (encoder = resources::VideoRecorder::findEncoder()).empty()) {
    std::fprintf(stderr,
                 "tolvek: ffmpeg is not installed, so no video can be made (on Debian: apt install ffmpeg).\n"
                 "        --record FOLDER records the frames as PNG files and the soundtrack as soundtrack.wav "
                 "without it.\n");
    return 1;
  }
  applyChoices(options, s);
  if (options.desktopMode && !desktopDisplaySize(s.screenWidth, s.screenHeight))
    std::fprintf(stderr, "tolvek: the display's size is unknown; playing at %dx%d\n", s.screenWidth, s.screenHeight);
  // "Bye Bye" and the close box end the run before anything is read or made.
  if (!options.skipsSetupDialog() && runSetupDialog(s) == DialogResult::Bye) return 0;

  if (!loadDemoConfig(s)) {
    platform::showMessageBox("ByeBye", "Could not load the Demo Config file! 424242424242",
                             platform::BoxIcon::Information);
    return 0;
  }
  s.letterboxHeight = computeLetterboxHeight(s.screenWidth, s.screenHeight);

  std::unique_ptr<resources::FrameRecorder> frames;
  std::unique_ptr<resources::VideoRecorder> video;
  std::string soundtrack;
  if (!options.recordDir.empty()) {
    frames = std::make_unique<resources::FrameRecorder>(options.recordDir, options.recordFps());
    if (!frames->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", frames->error().c_str());
      return 1;
    }
    soundtrack = options.recordDir + "/soundtrack.wav";
  } else if (!options.recordVideo.empty()) {
    video = std::make_unique<resources::VideoRecorder>(options.recordVideo, s.screenWidth, s.screenHeight,
                                                       options.recordFps(), encoder);
    if (!video->ok()) {
      std::fprintf(stderr, "tolvek: %s\n", video->error().c_str());
      return 1;
    }
    soundtrack = video->soundtrackPath();
  }
  const bool virtualClock = options.recording() || options.benchmarkRun();
  if (virtualClock) platform::useFrameRateCounter(options.recordFps());
  // A benchmark's clock is not the listener's: the song plays silently.
  music::allowSoundDevice(!options.benchmarkRun());

  if (!openDemoWindow(s.screenWidth, s.screenHeight, 32, s.fullscreen, s.windowTitle)) {
    std::fprintf(stderr, "tolvek: could not open the OpenGL window (%s)\n", SDL_GetError());
    closeDemoWindow();
    return 1;
  }
  // Drawn on a virtual clock, a frame waits for nothing.
  setVsync(options.vsync && !virtualClock);
  // Before the sound system starts, so that no device plays along with the recording.
  if (!soundtrack.empty() && !music::startOfflineRecording(soundtrack)) {
    std::fprintf(stderr, "tolvek: cannot write the soundtrack '%s'\n", soundtrack.c_str());
    closeDemoWindow();
    return 1;
  }
  initRenderState();
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();

  const double recordedMs = std::min(options.untilMs.value_or(demo::kShowEndMs), demo::kShowEndMs);
  std::unique_ptr<RecordingProgress> progress =
      options.recording() ? std::make_unique<RecordingProgress>(recordedMs, stderr) : nullptr;
  Presenter presenter{frames.get(), video.get(), progress.get(), options.recordFps(), virtualClock};
  demo::setFramePresenter([&presenter] { presenter.present(); });
  std::unique_ptr<FrameStats> stats = options.stats ? std::make_unique<FrameStats>() : nullptr;
  bool quit = false;
  int code = runMainLoop(options, presenter, stats.get(), quit);
  const double stoppedAtMs = demo::script.sceneState == -1 ? 0.0 : platform::demoClockMs();
  shutdownDemo();
  demo::setFramePresenter(nullptr);
  if (progress) progress->finish();
  const bool soundtrackDone = soundtrack.empty() || music::finishOfflineRecording();
  if (!soundtrackDone) {
    std::fprintf(stderr, "tolvek: cannot complete the soundtrack of the recording\n");
    code = 1;
  }
  if (video) {
    // A video without its sound is not the show: none is made then.
    if (!soundtrackDone || !video->finish()) {
      std::fprintf(stderr, "tolvek: the recording failed%s%s; no video was written\n", video->ok() ? "" : ": ",
                   video->error().c_str());
      code = 1;
    } else if (video->framesWritten() == 0) {
      std::fprintf(stderr, "tolvek: the recording stopped before its first frame; no video was written\n");
    } else {
      std::fprintf(stderr, "tolvek: %s %s: %.1f s of the show, %d frames at %d fps\n",
                   quit ? "recording stopped; what was done is in" : "recorded", options.recordVideo.c_str(),
                   stoppedAtMs / 1000.0, video->framesWritten(), options.recordFps());
    }
  }
  if (stats) std::fputs(stats->report(s.screenWidth, s.screenHeight).c_str(), stdout);
  return code;
}

}  // namespace app
