// The demo's one window: SDL2 window and OpenGL context (double buffer, depth 16 or 32,
// stencil 8), the optional full-screen mode, key states, the once-a-second frame-rate
// caption, the viewport after a resize and the standard rendering state.
#pragma once

#include <string>

union SDL_Event;
struct SDL_Window;

namespace app {

bool openDemoWindow(int width, int height, int bits, bool fullscreen, const std::string& title);
// Where recordings and benchmark runs draw: a picture of any size the driver can draw, with
// no window shown and no display needed. First an offscreen surface of SDL's offscreen
// driver (EGL), the window's own kind of buffer without the window, so the pictures are the
// window's to the last bit; where that driver is missing, a framebuffer object (made by the
// caller, offscreen_frame.h) in the context of a small hidden window on the display.
// (Mesa draws framebuffer objects upside down relative to window buffers, which moves the
// rounding at some edges by one level; the surface keeps recordings identical.)
enum class OffscreenDrawing { None, Surface, FramebufferObject };
// The surface is `width` x `height` in the design's pixel format (depth from the settings);
// None with `reason` when there is no context or the size is beyond the driver.
// closeDemoWindow ends it.
OffscreenDrawing openOffscreenContext(int width, int height, const std::string& title, std::string& reason);
void closeDemoWindow();  // safe on a half-made or closed window
void resizeViewport(int width, int height);
// The standard rendering state the scenes start from (the show loads its textures itself).
void initRenderState();

// The frame rate the window's caption shows once a second, and its running average, which
// the report at the end shows.
struct FrameRateCounter {
  int frameCount = 0;        // frames drawn since the last tick
  int lastSecondFrames = 0;  // the count of the second before
  float fpsAverage = 0.0f;
};
extern FrameRateCounter frameRate;

// What the window procedure does with one event: keys, resize, close, the FPS timer.
void handleWindowEvent(const SDL_Event& event);

// The caption update of the once-a-second timer (windowed only).
void updateFpsTitle();

// The display's own size (for --mode desktop). False when no display answers.
bool desktopDisplaySize(int& width, int& height);
// Swaps wait for the display's refresh (--vsync) or not (the design's unlimited rate).
void setVsync(bool on);

SDL_Window* demoWindow();
void swapDemoWindow();

// SDL user event code of the once-a-second timer.
constexpr int kFpsTimerId = 1;

}  // namespace app
