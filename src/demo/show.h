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
//
// The author's workbench adds a jump to any moment (seek), a pause and a single step. A jump
// replays the script from the end of loading to the moment without drawing (but for the last
// two frames, drawn and not presented, so that what a frame leaves to the next is there), on
// the frame grid of the virtual clock, or of 60 frames a second on the real clock.
#pragma once

#include <functional>
#include <memory>

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
  Show();
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

  // ---- the author's workbench (the show as designed makes none of these calls) ----

  // Brings the show to demo time `ms` (rounded to the frame grid, at least its first frame
  // after loading) with every state a run from the start has there; the next frame draws it.
  // The music is placed there too (silent before its cue). A paused show stays paused.
  void seek(double ms);
  // Stops or restarts the demo clock, the effect clock and the music; the frames go on being
  // drawn, with a frame delta of 0.
  void setPaused(bool paused);
  bool paused() const { return paused_; }
  // While paused, the next frame moves on by one frame of the grid.
  void step();
  // One frame of the grid, in milliseconds.
  double frameMs() const;

  // The slots and the script state, for hosts that stage one scene with objects of their
  // own; unload releases whatever is in the slots.
  SceneObjects& objects() { return sceneObjects; }
  ScriptState& state() { return script; }
  const SceneObjects& objects() const { return sceneObjects; }
  const ScriptState& state() const { return script; }

 private:
  bool loaded_ = false;
  bool textures_ = false;
  bool quadric_ = false;
  bool paused_ = false;
  // What moves in the show, as the loading frame left it: where every jump starts from.
  struct Snapshot;
  std::unique_ptr<Snapshot> start_;
};

}  // namespace demo
