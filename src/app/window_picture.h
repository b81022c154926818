// The show's picture in a window that is not its size: a window wider than 16:9, a window
// the user resized, full screen toggled on a display of another size. The show keeps drawing
// the picture it was started with, into a framebuffer of that size, and each finished frame
// is shown centred in the window at the largest size that keeps its aspect, with black bars
// on the two sides left over. A window of exactly the picture's size is drawn into directly,
// as the show always was.
#pragma once

#include <memory>

struct SDL_Window;

namespace app {

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

struct PictureRect {
  int x = 0, y = 0, width = 0, height = 0;  // from the window's bottom left, in pixels
  bool operator==(const PictureRect&) const = default;
};

// The picture the show draws for a window (or display) of this size: the window itself when
// it is 16:9 or taller, else the 16:9 picture of the window's height.
Size pictureSizeFor(Size window);

// Where a picture lands in a window: as large as fits with its aspect kept, centred.
PictureRect fitPicture(Size window, Size picture);

class OffscreenFrame;

class WindowPicture {
 public:
  WindowPicture();
  ~WindowPicture();  // needs the context still current when a framebuffer was made
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  // The picture's size and the depth bits its framebuffer takes; called once the context is
  // current. Nothing is made while the window is the picture's size.
  void start(Size picture, int depthBits);
  // The window's drawable size now (in pixels, so a scaled desktop's real ones): from here
  // the show draws into a framebuffer of its own, or again into the window. False (and the
  // reason on standard error) when a framebuffer was needed and the driver would not make
  // one: the window is then drawn into directly, stretched.
  bool windowResized(Size drawable);
  // The finished frame into the window's back buffer with its bars, when the picture is
  // apart (else it is there already); the show's framebuffer stays bound for drawing.
  void compose();
  // Composes and swaps: the frame on the screen.
  void present(SDL_Window* window);
  // Before the context goes.
  void stop();

  bool apart() const;  // the show draws into a framebuffer of its own
  Size picture() const { return picture_; }
  Size window() const { return window_; }

 private:
  Size picture_;
  Size window_;
  int depthBits_ = 24;
  std::unique_ptr<OffscreenFrame> frame_;
};

}  // namespace app
