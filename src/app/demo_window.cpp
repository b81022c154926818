#include "app/demo_window.h"

#include <SDL.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

#include "app/offscreen_frame.h"
#include "app/window_picture.h"
#include "platform/gl_extensions.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/render_state.h"
#include "platform/settings.h"

namespace app {
namespace {

struct WindowState {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  SDL_TimerID fpsTimer = 0;
  bool videoStarted = false;
  bool fullscreen = false;
  bool cursorHidden = false;
  WindowPicture picture;  // the show's picture, apart from the window when their sizes differ
  std::string title;
  bool depthFallbackReported = false;
};
WindowState windowState;

Uint32 postFpsTick(Uint32 interval, void*) {
  SDL_Event event{};
  event.type = SDL_USEREVENT;
  event.user.code = kFpsTimerId;
  SDL_PushEvent(&event);
  return interval;
}

bool createWindowAndContext(int width, int height, int depthBits, int stencilBits, Uint32 flags) {
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
  windowState.window = SDL_CreateWindow(windowState.title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, width, height, flags);
  if (!windowState.window) return false;
  windowState.context = SDL_GL_CreateContext(windowState.window);
  if (!windowState.context) {
    SDL_DestroyWindow(windowState.window);
    windowState.window = nullptr;
    return false;
  }
  return true;
}

// The window's size in pixels (more than its size on a scaled desktop).
Size drawableSize() {
  Size size;
  SDL_GL_GetDrawableSize(windowState.window, &size.width, &size.height);
  return size;
}

void hideCursor(bool hide) {
  if (hide == windowState.cursorHidden) return;
  SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
  windowState.cursorHidden = hide;
}

// Alt+Enter and F11: full screen at the desktop's size, without a mode switch, or back to the
// window. The picture and the show go on as they were; only where the picture lands changes.
void toggleFullscreen() {
  if (!windowState.window) return;
  const bool full = !windowState.fullscreen;
  if (SDL_SetWindowFullscreen(windowState.window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return;
  windowState.fullscreen = full;
  hideCursor(full);
  windowState.picture.windowResized(drawableSize());
}

bool isFullscreenToggle(const SDL_KeyboardEvent& key) {
  if (key.repeat) return false;
  return key.keysym.sym == SDLK_F11 ||
         ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT));
}

// The pixel format of the design at `depthBits` of the settings: where a 32-bit depth buffer
// is refused, 24 bits, said once.
bool createWithDepthFallback(int width, int height, Uint32 flags) {
  const int depthBits = platform::settings.depthBits;
  bool created = createWindowAndContext(width, height, depthBits, 8, flags);
  if (!created && depthBits == 32) {
    // Many drivers offer no 32-bit depth buffer; 24 bits is the closest they have.
    created = createWindowAndContext(width, height, 24, 8, flags);
    if (created && !windowState.depthFallbackReported) {
      std::fprintf(stderr, "tolvek: no 32-bit depth buffer here, using 24 bits\n");
      windowState.depthFallbackReported = true;
    }
  }
  return created;
}

bool finishOpening();

}  // namespace

bool openDemoWindow(int width, int height, int bits, bool fullscreen, const std::string& title, bool atDesktopSize) {
  windowState.fullscreen = fullscreen;
  windowState.title = title;

  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    platform::showMessageBox("ERROR 42", "Failed to Register Window class.", platform::BoxIcon::Warning);
    return false;
  }
  windowState.videoStarted = true;

  // On a scaled desktop the window gets its real pixels, and the picture is drawn at them.
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (fullscreen) {
    flags |= atDesktopSize ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
    hideCursor(true);
  }

  if (!createWithDepthFallback(width, height, flags)) {
    closeDemoWindow();
    return false;
  }

  if (fullscreen && !atDesktopSize) {
    SDL_DisplayMode mode{};
    mode.format = bits == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    mode.w = width;
    mode.h = height;
    SDL_SetWindowDisplayMode(windowState.window, &mode);  // the outcome is not examined
    SDL_SetWindowFullscreen(windowState.window, SDL_WINDOW_FULLSCREEN);
  }

  SDL_GL_MakeCurrent(windowState.window, windowState.context);
  SDL_GL_SetSwapInterval(0);  // frames as fast as they come
  SDL_DisableScreenSaver();
  SDL_RaiseWindow(windowState.window);

  // The picture is the window's size, or the 16:9 part of a wider window, which shows it
  // with bars. A scaled desktop's window has more pixels than it was asked for: there the
  // picture is drawn at those.
  auto& s = platform::settings;
  const Size drawable = drawableSize();
  const bool scaledDesktop = !fullscreen && drawable.width > width && drawable.height > height;
  const Size picture = pictureSizeFor(scaledDesktop ? drawable : Size{width, height});
  s.screenWidth = picture.width;
  s.screenHeight = picture.height;
  GLint madeDepthBits = 24;
  glGetIntegerv(GL_DEPTH_BITS, &madeDepthBits);
  windowState.picture.start({s.screenWidth, s.screenHeight}, madeDepthBits);
  resizeViewport(s.screenWidth, s.screenHeight);
  if (!(drawable == windowState.picture.picture())) windowState.picture.windowResized(drawable);
  return finishOpening();
}

OffscreenDrawing openOffscreenContext(int width, int height, const std::string& title, std::string& reason) {
  windowState.fullscreen = false;
  windowState.title = title;
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  // SDL's offscreen driver gives the window's own kind of buffer with no window around it,
  // and needs no display. (The user's SDL_VIDEODRIVER still wins over this.)
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  if (started) {
    windowState.videoStarted = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::string(driver) == "offscreen" && createWindowAndContext(16, 16, 0, 0, flags)) {
      // The driver works: what it can draw, then the surface of the picture's size.
      const DrawingLimits limits = drawingLimits();
      SDL_GL_DeleteContext(windowState.context);
      SDL_DestroyWindow(windowState.window);
      windowState.context = nullptr;
      windowState.window = nullptr;
      if (width > limits.width || height > limits.height) {
        reason = "the OpenGL driver draws pictures of at most " + std::to_string(limits.width) + "x" +
                 std::to_string(limits.height);
        closeDemoWindow();
        return OffscreenDrawing::None;
      }
      if (!createWithDepthFallback(width, height, flags)) {
        reason = std::string("no offscreen surface of that size (") + SDL_GetError() + ")";
        closeDemoWindow();
        return OffscreenDrawing::None;
      }
      SDL_GL_MakeCurrent(windowState.window, windowState.context);
      SDL_GL_SetSwapInterval(0);
      resizeViewport(width, height);
      return finishOpening() ? OffscreenDrawing::Surface : OffscreenDrawing::None;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    windowState.videoStarted = false;
  }
  // Without that driver, a small hidden window on the display carries the context, and the
  // picture goes to a framebuffer object (offscreen_frame.h).
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0) {
    windowState.videoStarted = true;
    if (createWindowAndContext(16, 16, 0, 0, flags)) {
      SDL_GL_MakeCurrent(windowState.window, windowState.context);
      SDL_GL_SetSwapInterval(0);
      return finishOpening() ? OffscreenDrawing::FramebufferObject : OffscreenDrawing::None;
    }
  }
  reason = std::string("no OpenGL context, offscreen or on a display (") + SDL_GetError() + ")";
  closeDemoWindow();
  return OffscreenDrawing::None;
}

namespace {

// The FPS timer and the extension entry points, for a window or an offscreen context.
bool finishOpening() {
  if (!windowState.fullscreen) windowState.fpsTimer = SDL_AddTimer(1000, postFpsTick, nullptr);

  if (const char* missing = platform::loadGlExtensions()) {
    platform::showMessageBox(
        "ERROR 42",
        std::string("The OpenGL driver lacks ") + missing +
            ": the demo needs the ARB multitexture and EXT fog coordinate extensions.",
        platform::BoxIcon::Error);
    closeDemoWindow();
    return false;
  }
  return true;
}

}  // namespace

void closeDemoWindow() {
  if (windowState.fpsTimer) {
    SDL_RemoveTimer(windowState.fpsTimer);
    windowState.fpsTimer = 0;
  }
  if (windowState.window && windowState.fullscreen)
    SDL_SetWindowFullscreen(windowState.window, 0);  // gives the desktop its mode back
  windowState.fullscreen = false;
  hideCursor(false);
  if (windowState.context) {
    windowState.picture.stop();
    SDL_GL_MakeCurrent(windowState.window, nullptr);
    SDL_GL_DeleteContext(windowState.context);
    windowState.context = nullptr;
  }
  if (windowState.window) {
    SDL_DestroyWindow(windowState.window);
    windowState.window = nullptr;
  }
  if (windowState.videoStarted) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    windowState.videoStarted = false;
  }
}

void resizeViewport(int width, int height) {
  platform::setWindowProjection(width, height == 0 ? 1 : height);
}

FrameRateCounter frameRate;

void initRenderState() { platform::applyStandardRenderState(); }

void updateFpsTitle() {
  if (windowState.fullscreen || !windowState.window) return;
  FrameRateCounter& f = frameRate;
  char caption[200];
  std::snprintf(caption, sizeof caption, "%s - [%d FPS]", platform::settings.windowTitle.c_str(),
                f.lastSecondFrames);
  f.fpsAverage = static_cast<float>(f.lastSecondFrames + f.fpsAverage) * 0.5f;
  SDL_SetWindowTitle(windowState.window, caption);
  f.lastSecondFrames = f.frameCount;
  f.frameCount = 0;
}

void handleWindowEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      // The picture keeps its size and its viewport: only where it is shown changes.
      if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        if (windowState.window) windowState.picture.windowResized(drawableSize());
      } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
      }
      break;
    case SDL_KEYDOWN:
      if (isFullscreenToggle(event.key)) {
        toggleFullscreen();
        break;
      }
      [[fallthrough]];
    case SDL_KEYUP:
      if (int vk = platform::virtualKeyFromScancode(event.key.keysym.scancode)) {
        platform::keys.down[vk] = event.type == SDL_KEYDOWN;
        if (event.type == SDL_KEYDOWN && !event.key.repeat) platform::keys.pressed[vk] = true;
      }
      break;
    case SDL_USEREVENT:
      if (event.user.code == kFpsTimerId) updateFpsTitle();
      break;
    default:
      break;
  }
}

bool desktopDisplaySize(int& width, int& height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  SDL_DisplayMode mode{};
  const bool ok = SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
  if (ok) width = mode.w, height = mode.h;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return ok;
}

void setVsync(bool on) {
  // Adaptive sync first where the driver has it, so a late frame is not held a whole refresh.
  if (on && SDL_GL_SetSwapInterval(-1) == 0) return;
  SDL_GL_SetSwapInterval(on ? 1 : 0);
}

SDL_Window* demoWindow() { return windowState.window; }

void swapDemoWindow() { windowState.picture.present(windowState.window); }
void composeDemoWindow() { windowState.picture.compose(); }

bool demoWindowFullscreen() { return windowState.fullscreen; }
bool demoPictureApart() { return windowState.picture.apart(); }

}  // namespace app
