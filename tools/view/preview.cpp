#include "preview.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "capture/frame_recorder.h"

namespace view {
namespace {

struct Window {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  ~Window() {
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

// Escape or the close box.
bool quitRequested() {
  SDL_Event event;
  bool quit = false;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) quit = true;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = true;
  }
  return quit;
}

}  // namespace

void applyProjection(float fieldOfView, float aspectRatio) {
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fieldOfView, aspectRatio, 1.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

int runPreview(Preview& preview, const ViewOptions& options) {
  const bool recording = !options.recordDir.empty();
  std::optional<capture::FrameRecorder> recorder;
  if (recording) {
    recorder.emplace(options.recordDir, options.fps);
    if (!recorder->ok()) {
      std::fprintf(stderr, "tolvek-view: %s\n", recorder->error().c_str());
      return 1;
    }
  }
  Window w;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "tolvek-view: no display: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  const Uint32 flags = SDL_WINDOW_OPENGL | (recording ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
  w.window = SDL_CreateWindow("tolvek-view", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight, flags);
  if (w.window) w.context = SDL_GL_CreateContext(w.window);
  if (!w.context) {
    std::fprintf(stderr, "tolvek-view: no OpenGL window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_MakeCurrent(w.window, w.context);
  if (const char* missing = platform::loadGlExtensions()) {
    std::fprintf(stderr, "tolvek-view: the OpenGL driver lacks %s\n", missing);
    return 1;
  }
  platform::applyStandardRenderState();
  applyProjection(options.fieldOfView, options.aspectRatio);
  if (!preview.load()) return 1;

  if (recorder) recorder->startClock();
  platform::timerInit();
  platform::frameDeltaMs();
  double elapsedMs = 0.0;
  int frames = 0;
  int status = 0;
  for (;;) {
    if (quitRequested()) break;
    if (recorder) recorder->advanceClock();
    const float delta = platform::frameDeltaMs();
    elapsedMs += delta;
    if (options.untilMs && elapsedMs > *options.untilMs) break;
    if (!preview.frame(delta)) break;
    if (recorder && !recorder->saveFrame(kWidth, kHeight)) {
      std::fprintf(stderr, "tolvek-view: cannot write frame %d to '%s'\n", frames, options.recordDir.c_str());
      status = 1;
      break;
    }
    SDL_GL_SwapWindow(w.window);
    ++frames;
  }
  preview.unload();
  if (recording) std::printf("%d frames written to %s\n", frames, options.recordDir.c_str());
  return status;
}

}  // namespace view
