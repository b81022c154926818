// The page's host of the show: the browser's counterpart of app::runDemo. The page has put
// the show folder in the in-memory file system and made it the working directory, and it
// starts this program after the viewer's click with the chosen picture size:
//
//   tolvek.js  WIDTHxHEIGHT [depth=16|32] [fps=N] [until=MS] [stats]
//
// fps=N runs the show on the virtual clock at N frames a second, silently, as --fps does on
// the desktop (the tests' runs); stats prints the frame times per scene state at the end.
//
// The show's loop hands control back to the browser after every picture (and so after each
// progress screen of loading): Asyncify unwinds the loop to the browser and comes back, so the
// show's own code runs as it does on the desktop.
#include <emscripten.h>
#include <emscripten/html5.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/authoring_controls.h"
#include "app/demo_config.h"
#include "app/frame_stats.h"
#include "app/options.h"
#include "demo/cue_sheet.h"
#include "demo/show.h"
#include "gl/gl_frame.h"
#include "music/music_player.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/render_state.h"
#include "platform/settings.h"

// The browser's turn: until the next animation frame on the real clock, or at once (after
// whatever the page has waiting) on the virtual clock.
EM_ASYNC_JS(void, tolvekYield, (int virtualClock), {
  await new Promise((resolve) => (virtualClock ? Module.yieldNow(resolve) : requestAnimationFrame(() => resolve())));
});

EM_JS(void, tolvekFramePresented, (int index, double demoMs, int sceneState), {
  if (Module.onFrame) Module.onFrame(index, demoMs, sceneState);
});

EM_JS(void, tolvekShowEnded, (int code, const char* report), {
  if (Module.onShowEnd) Module.onShowEnd(code, UTF8ToString(report));
});

EM_JS(void, tolvekSetTitle, (const char* title), { document.title = UTF8ToString(title); });

namespace {

struct WebRun {
  int width = 640, height = 480, depthBits = 32;
  int fps = 0;  // 0: the page's clock
  double untilMs = -1;
  bool stats = false;
};

WebRun parseArguments(int argc, char** argv) {
  WebRun run;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    int w = 0, h = 0;
    // The sizes the show plays at: as --mode takes them, 16:9 or taller.
    if (std::sscanf(a.c_str(), "%dx%d", &w, &h) == 2 && w >= app::kMinWidth && h >= app::kMinHeight && w <= app::kMaxWidth &&
        h <= app::kMaxHeight &&
        static_cast<long>(h) * 16 >= static_cast<long>(w) * 9)
      run.width = w, run.height = h;
    else if (a == "depth=16") run.depthBits = 16;
    else if (a.rfind("fps=", 0) == 0) run.fps = std::max(0, std::atoi(a.c_str() + 4));
    else if (a.rfind("until=", 0) == 0) run.untilMs = std::atof(a.c_str() + 6);
    else if (a == "stats") run.stats = true;
  }
  return run;
}

bool openContext(int width, int height) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = false;
  attributes.depth = false;
  attributes.stencil = false;
  attributes.antialias = false;
  attributes.preserveDrawingBuffer = false;
  emscripten_set_canvas_element_size("#canvas", width, height);
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  gl11::initFrame(width, height);
  return gl11::frameComplete();
}

// The caption's frame rate, once a second of the page's clock, and its running average.
struct FrameRate {
  int frameCount = 0, lastSecondFrames = 0;
  float fpsAverage = 0;
  double nextTick = 0;

  void frameDrawn() {
    ++frameCount;
    const double now = emscripten_get_now();
    if (nextTick == 0) nextTick = now + 1000;
    if (now < nextTick) return;
    nextTick += 1000;
    char caption[200];
    std::snprintf(caption, sizeof caption, "%s - [%d FPS]", platform::settings.windowTitle.c_str(), lastSecondFrames);
    fpsAverage = static_cast<float>(lastSecondFrames + fpsAverage) * 0.5f;
    tolvekSetTitle(caption);
    lastSecondFrames = frameCount;
    frameCount = 0;
  }
};

class Presenter {
 public:
  explicit Presenter(const WebRun& run) : run_(run) {}

  void present(demo::Show& show) {
    gl11::presentFrame(run_.width, run_.height);
    tolvekFramePresented(frames_++, show.demoTimeMs(), show.state().sceneState);
    if (run_.fps > 0) platform::advanceVirtualFrame();
    tolvekYield(run_.fps > 0);
  }

 private:
  WebRun run_;
  int frames_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const WebRun run = parseArguments(argc, argv);
  // A run on the virtual clock is a test's: its boxes go to the console only.
  platform::setUnattended(run.fps > 0);
  auto& s = platform::settings;
  s.screenWidth = run.width;
  s.screenHeight = run.height;
  s.depthBits = run.depthBits;
  if (!app::loadDemoConfig(s)) {
    platform::showMessageBox("ByeBye", "Could not load the Demo Config file! 424242424242",
                             platform::BoxIcon::Information);
    tolvekShowEnded(0, "");
    return 0;
  }
  if (!openContext(run.width, run.height)) {
    platform::showMessageBox("ERROR 42", "This browser cannot draw the show: WebGL 2 is not available.",
                             platform::BoxIcon::Error);
    tolvekShowEnded(1, "");
    return 1;
  }
  platform::loadGlExtensions();
  platform::setWindowProjection(run.width, run.height);
  platform::applyStandardRenderState();
  if (run.fps > 0) platform::useFrameRateCounter(run.fps);
  music::allowSoundDevice(run.fps == 0);

  demo::Show show;
  Presenter presenter(run);
  show.load({[&] { presenter.present(show); }, app::computeLetterboxHeight(run.width, run.height)});
  std::unique_ptr<app::FrameStats> stats = run.stats ? std::make_unique<app::FrameStats>() : nullptr;
  FrameRate frameRate;
  for (;;) {
    if (platform::keys.down[platform::kVkEscape]) break;
    if (run.untilMs >= 0 && show.started() && show.demoTimeMs() > run.untilMs) break;
    if (stats) stats->beginFrame();
    const bool drawn = show.frame();
    app::authoringControls();
    if (drawn) presenter.present(show);
    if (stats) {
      GLubyte pixel[4];
      glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);  // waits for the picture, as glFinish
      stats->endFrame(show.state().sceneState);
    }
    frameRate.frameDrawn();
    if (show.finished() || !drawn) break;
  }
  show.unload([&] {
    if (s.showFpsAverage != 1) return;
    char text[64];
    std::snprintf(text, sizeof text, "FPS Average : %f", static_cast<double>(frameRate.fpsAverage));
    platform::showMessageBox("Terminated", text, platform::BoxIcon::Information);
  });
  const std::string report = stats ? stats->report(run.width, run.height) : "";
  if (!report.empty()) std::fputs(report.c_str(), stdout);
  tolvekShowEnded(0, report.c_str());
  return 0;
}
