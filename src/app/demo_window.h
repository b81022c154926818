// The demo's one window: SDL2 window and OpenGL context (double buffer, depth 16 or 32,
// stencil 8), the optional full-screen mode, key states, the once-a-second frame-rate
// caption, the viewport after a resize and the standard rendering state.
#pragma once

#include <string>

union SDL_Event;
struct SDL_Window;

namespace app {

// A window of `width` x `height` showing the show's picture: the window's size, or the 16:9
// part of a wider window (window_picture.h), which it writes into the settings' screen size.
// Full screen switches the display to that mode, as the setup dialog's choice does, or with
// `atDesktopSize` covers the desktop at its own size without a mode switch.
bool openDemoWindow(int width, int height, int bits, bool fullscreen, const std::string& title,
                    bool atDesktopSize = false);
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

// What the window procedure does with one event: keys (Alt+Enter and F11 toggle full
// screen), resize, close, the FPS timer.
void handleWindowEvent(const SDL_Event& event);

// The caption update of the once-a-second timer (windowed only).
void updateFpsTitle();

// The display's own size (for --mode desktop). False when no display answers.
bool desktopDisplaySize(int& width, int& height);
// Swaps wait for the display's refresh (--vsync) or not (the design's unlimited rate).
void setVsync(bool on);

SDL_Window* demoWindow();
// Shows the finished frame: the window's buffers swapped, the picture first copied into the
// window with its bars when it is drawn apart.
void swapDemoWindow();
// What the next swap shows, in the window's back buffer, without swapping (for checks).
void composeDemoWindow();
bool demoWindowFullscreen();
bool demoPictureApart();

// SDL user event code of the once-a-second timer.
constexpr int kFpsTimerId = 1;

}  // namespace app
