#include "preview.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <vector>

#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "resources/png_writer.h"

namespace view {
namespace {

// One frame is a whole number of counts at any frame rate.
constexpr std::int64_t kCountsPerFrame = 1'000'000;

struct Window {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  ~Window() {
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

bool saveFrame(const std::string& folder, int index) {
  std::vector<std::uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06d.png", index);
  return resources::writePngFile(folder + name, kWidth, kHeight, 3, pixels.data(), true, 1);
}

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

void applyStandardRenderState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glCullFace(GL_FRONT);
  glEnable(GL_CULL_FACE);
  glFogi(GL_FOG_MODE, GL_EXP2);
  const GLfloat fogColour[4] = {0.25f, 0.25f, 0.25f, 1.0f};
  glFogfv(GL_FOG_COLOR, fogColour);
  glFogf(GL_FOG_DENSITY, 0.0016f);
  glHint(GL_FOG_HINT, GL_NICEST);
  glFogf(GL_FOG_START, 1.0f);
  glFogf(GL_FOG_END, 500.0f);
  glEnable(GL_FOG);
}

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
  if (recording && !platform::createFolders(options.recordDir)) {
    std::fprintf(stderr, "tolvek-view: cannot create the folder '%s'\n", options.recordDir.c_str());
    return 1;
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
  applyStandardRenderState();
  applyProjection(options.fieldOfView, options.aspectRatio);
  if (!preview.load()) return 1;

  if (recording) platform::useVirtualCounter(kCountsPerFrame * options.fps);
  platform::timerInit();
  platform::frameDeltaMs();
  double elapsedMs = 0.0;
  int frames = 0;
  int status = 0;
  for (;;) {
    if (quitRequested()) break;
    if (recording) platform::advanceVirtualCounter(kCountsPerFrame);
    const float delta = platform::frameDeltaMs();
    elapsedMs += delta;
    if (options.untilMs && elapsedMs > *options.untilMs) break;
    if (!preview.frame(delta)) break;
    if (recording && !saveFrame(options.recordDir, frames)) {
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
