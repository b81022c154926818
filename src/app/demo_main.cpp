#include "app/demo_main.h"

#include <GL/gl.h>
#include <SDL.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/authoring_controls.h"
#include "app/demo_config.h"
#include "app/demo_window.h"
#include "app/window_picture.h"
#include "app/frame_stats.h"
#include "app/offscreen_frame.h"
#include "app/setup_dialog.h"
#include "app/workbench.h"
#include "capture/presenter.h"
#include "demo/cue_sheet.h"
#include "demo/show.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/settings.h"
#include "platform/stop_signals.h"

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

// A video needs ffmpeg: said before anything is opened. The encoder's path, or empty.
bool findVideoEncoder(const Options& options, std::string& encoder) {
  if (options.recordVideo.empty()) return true;
  encoder = capture::VideoRecorder::findEncoder();
  if (!encoder.empty()) return true;
  std::fprintf(stderr,
               "tolvek: ffmpeg is not installed, so no video can be made (on Debian: apt install ffmpeg).\n"
               "        --record FOLDER records the frames as PNG files and the soundtrack as soundtrack.wav "
               "without it.\n");
  return false;
}

// The recorded picture's size; the show draws it `supersample` times larger.
capture::CaptureRequest captureRequest(const Options& options, const std::string& encoder, int width, int height) {
  capture::CaptureRequest r;
  r.folder = options.recordDir;
  r.video = options.recordVideo;
  r.encoder = encoder;
  // Recordings and benchmark runs draw on the virtual clock.
  if (options.recording() || options.benchmarkRun()) r.rate = options.recordFps();
  r.quality = options.quality.value_or(capture::VideoQuality::Good);
  r.width = width;
  r.height = height;
  r.supersample = options.supersample;
  r.motionBlur = options.motionBlur;
  r.shutter = options.shutterDegrees.value_or(Options::kDefaultShutterDegrees) / 360.0;
  r.lengthMs = std::min(options.untilMs.value_or(demo::cue::kShowEndMs), demo::cue::kShowEndMs);
  return r;
}

// The box of the design's frame-rate report, shown while the window is still up.
void reportFrameRate() {
  if (platform::settings.showFpsAverage != 1) return;
  char text[64];
  std::snprintf(text, sizeof text, "FPS Average : %f", static_cast<double>(frameRate.fpsAverage));
  platform::showMessageBox("Terminated", text, platform::BoxIcon::Information, demoWindow());
}

// One event per pass; a frame only when the queue is empty. Returns the exit code; `quit`
// tells whether the viewer (Escape, the close box, a signal) ended the run.
int runMainLoop(const Options& options, demo::Show& show, capture::Presenter& presenter, Workbench& workbench,
                const std::function<void()>& reload, FrameStats* stats, bool& quit) {
  bool endAfterThisFrame = false;
  for (;;) {
    // A signal (interrupt, terminate, hang-up) quits like the close box.
    if (platform::stopRequested()) {
      quit = true;
      return 0;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) {
        quit = true;
        return 0;
      }
      handleWindowEvent(event);
      continue;
    }
    if (platform::keys.down[platform::kVkEscape]) {
      quit = true;
      return 0;
    }
    // A recorded frame is ended only once all its pictures are drawn (several with motion
    // blur), and the show ends on the frame whose start passes the end, as without.
    const bool frameStart = presenter.atFrameStart();
    if (frameStart && options.untilMs && show.started() && show.demoTimeMs() > *options.untilMs) return 0;
    if (stats) stats->beginFrame();
    const bool drawn = show.frame();
    // The last step of every frame, on the finished picture before it is shown.
    authoringControls();
    if (drawn && workbench.afterFrame(show, reload)) {
      workbench.drawOverlay(show);
      presenter.present(show.demoTimeMs());
    }
    if (stats) {
      glFinish();
      stats->endFrame(show.state().sceneState, workbench.lastJumpMs());
    }
    ++frameRate.frameCount;
    if (presenter.failed()) return 1;
    if (frameStart && show.finished()) endAfterThisFrame = true;
    if (endAfterThisFrame && presenter.atFrameStart()) return 0;
  }
}

}  // namespace

int runDemo(const Options& options) {
  platform::installStopSignals();
  platform::setUnattended(options.unattended || options.benchmarkRun());
  std::string encoder;
  if (!findVideoEncoder(options, encoder)) return 1;
  auto& s = platform::settings;
  applyChoices(options, s);
  // Full screen without a size covers the desktop as it is, with no mode switch.
  const bool atDesktopSize = options.desktopMode || (options.fullscreen && !options.width);
  if (atDesktopSize && !desktopDisplaySize(s.screenWidth, s.screenHeight))
    std::fprintf(stderr, "tolvek: the display's size is unknown; playing at %dx%d\n", s.screenWidth, s.screenHeight);
  // "Bye Bye" and the close box end the run before anything is read or made.
  if (!options.skipsSetupDialog() && runSetupDialog(s) == DialogResult::Bye) return 0;
  if (!loadDemoConfig(s)) {
    platform::showMessageBox("ByeBye", "Could not load the Demo Config file! 424242424242",
                             platform::BoxIcon::Information);
    return 0;
  }
  // Recordings and benchmark runs draw into a framebuffer of their own, with or without a
  // display; the show is played in a window only for people. The show draws a 16:9 picture
  // or a taller one: a wider window shows it with bars, a recording is that picture alone.
  const bool offscreen = options.recording() || options.benchmarkRun();
  if (const Size picture = pictureSizeFor({s.screenWidth, s.screenHeight});
      offscreen && !(picture == Size{s.screenWidth, s.screenHeight})) {
    std::fprintf(stderr, "tolvek: the show's picture is 16:9 at most: %dx%d for %dx%d\n", picture.width, picture.height,
                 s.screenWidth, s.screenHeight);
    s.screenWidth = picture.width;
    s.screenHeight = picture.height;
  }
  const int recordedWidth = s.screenWidth, recordedHeight = s.screenHeight;
  const int scale = options.supersample;
  OffscreenFrame frame;
  if (offscreen) {
    const int drawnWidth = recordedWidth * scale, drawnHeight = recordedHeight * scale;
    std::string reason;
    const OffscreenDrawing drawing = openOffscreenContext(drawnWidth, drawnHeight, s.windowTitle, reason);
    if (drawing == OffscreenDrawing::FramebufferObject && !frame.create(drawnWidth, drawnHeight, s.depthBits)) {
      reason = frame.reason();
      closeDemoWindow();
    }
    if (drawing == OffscreenDrawing::None || !reason.empty()) {
      std::fprintf(stderr, "tolvek: cannot draw %dx%d%s: %s\n", recordedWidth, recordedHeight,
                   scale > 1 ? (" supersampled " + std::to_string(scale) + " times").c_str() : "", reason.c_str());
      return 1;
    }
    // Everything the show sizes reads the settings: it draws at the offscreen picture's size.
    s.screenWidth = drawnWidth;
    s.screenHeight = drawnHeight;
    resizeViewport(s.screenWidth, s.screenHeight);
  } else if (!openDemoWindow(s.screenWidth, s.screenHeight, 32, s.fullscreen, s.windowTitle, atDesktopSize)) {
    std::fprintf(stderr, "tolvek: could not open the OpenGL window (%s)\n", SDL_GetError());
    closeDemoWindow();
    return 1;
  }

  capture::Presenter presenter(captureRequest(options, encoder, recordedWidth, recordedHeight),
                               offscreen ? std::function<void()>() : swapDemoWindow);
  // Drawn on a virtual clock, a frame waits for nothing.
  setVsync(options.vsync && !presenter.virtualClock());
  if (!presenter.ok() || !presenter.start()) {
    frame.destroy();
    closeDemoWindow();
    return 1;
  }
  initRenderState();
  // The bars of the picture's size (a window's may have changed on a scaled desktop);
  // supersampled, the recorded size's, drawn as much larger as the rest.
  const int letterbox = computeLetterboxHeight(s.screenWidth / scale, s.screenHeight / scale) * scale;

  demo::Show show;
  const demo::ShowHost host{[&] { presenter.present(show.demoTimeMs(), true); }, letterbox, scale};
  Workbench workbench(options, options.recording());
  const auto reload = [&] { reloadShow(show, host); };
  std::unique_ptr<FrameStats> stats = options.stats ? std::make_unique<FrameStats>() : nullptr;
  bool quit = false;
  int code = 0;
  // One pass, or with --loop the show again and again, each pass loaded afresh.
  for (int pass = 1;; ++pass) {
    show.load(host);
    workbench.newPass();
    code = runMainLoop(options, show, presenter, workbench, reload, stats.get(), quit);
    if (stats) stats->endPass(pass);
    if (quit || code != 0 || !options.loop || pass == *options.loop) break;
    show.unload();
    // What the pass freed goes back to the system before the next pass loads, so that a
    // party screen running for days holds what one pass needs.
    malloc_trim(0);
  }
  const double stoppedAtMs = show.demoTimeMs();
  show.unload(reportFrameRate);
  frame.destroy();
  closeDemoWindow();

  if (!presenter.finish(quit, stoppedAtMs)) code = 1;
  if (stats) {
    std::fputs(stats->report(s.screenWidth, s.screenHeight).c_str(), stdout);
    std::fputs(presenter.profileReport().c_str(), stdout);
  }
  return code;
}

}  // namespace app
