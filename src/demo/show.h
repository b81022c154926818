// The show as its hosts drive it: the program's main loop, the recorder, the tests, the
// benchmarks and the previews all go through these few calls.
//
//   load    once the window is open with its standard render state: the texture table and
//           the shared quadric, then the clocks start
//   frame   one picture; the first runs the loading sequence (its progress screens are
//           presented through the host's presenter, like every finished frame)
//   unload  everything the show made, each only if it was made, in the shutdown order: the
//           song and the sound system, then the host's own step (the frame-rate report), the
//           scene objects (the font with them), the unpacked files, the textures
//
// The window is the host's: it is opened before load and closed after unload. There is one
// show at a time (it draws into the one current context and plays through the one sound
// system); a loaded show is unloaded when its owner goes.
#pragma once

#include <functional>

#include "demo/scene_objects.h"
#include "demo/timeline.h"

namespace demo {

// How a host shows a finished picture: swap the window's buffers, and in a recording save
// the picture first.
using FramePresenter = std::function<void()>;

struct ShowHost {
  FramePresenter present;   // without one, the progress screens are drawn but not shown
  int letterboxHeight = 0;  // the black bars above and below the picture
  // A supersampled recording draws the show this many times larger than it records it; what
  // the show sizes in pixels (line widths, the stencil window's insets, the frame copies)
  // grows with it, so that filtered down it is the plain picture with smoother edges.
  int pixelScale = 1;
};

class Show {
 public:
  Show() = default;
  ~Show();
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;

  void load(ShowHost host);

  // Draws one picture for the demo clock's time. True when there is a picture to present:
  // false only when a stop asked for while loading cut the loading sequence short.
  bool frame();

  // The loading sequence has run: the demo clock counts from its end.
  bool started() const { return script.sceneState != -1; }
  // The demo clock has passed the end of the show.
  bool finished() const { return script.ended; }
  // Milliseconds of show drawn so far (0 before the loading sequence has run).
  double demoTimeMs() const;

  // `afterSound` runs between the sound system's close and the scene objects' release.
  void unload(const std::function<void()>& afterSound = {});

  bool loaded() const { return loaded_; }

  // The slots and the script state, for hosts that stage one scene with objects of their
  // own; unload releases whatever is in the slots.
  SceneObjects& objects() { return sceneObjects; }
  ScriptState& state() { return script; }

 private:
  bool loaded_ = false;
  bool textures_ = false;
  bool quadric_ = false;
};

}  // namespace demo
