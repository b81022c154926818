// The show's script: runFrame draws one complete picture for the current demo time, and the
// script state the scenes share.
//
// The demo clock counts from the end of loading. Each frame reads the music position and the
// frame delta, clears, letterboxes and runs the blocks of the scene states in increasing
// order, so a scene that hands over is followed in the same frame by the next one. Every
// hand-over (the scene state, the camera slot, the projection the next scene starts with)
// happens here; the times are the cue sheet's:
//
//   -1  loading          the loading sequence, once
//    0  intro level      to introEndMs       music cue, echo trail, near plane 0.1 at the end
//    1  tunnel           to kTunnelEndMs     then cam2.trj
//    2  second level     to kSecondLevelEndMs then cam3.trj
//    3  island           to kIslandEndMs     cam32.trj flies from kSecondCameraMs
//    4  final set-up     one frame
//    5  final scene      to kFinalEndMs      then cam4.trj
//    6  end scene        to kShowEndMs       then the show has ended
//
// Every time comparison is strict and reads the clock afresh.
#pragma once

#include <cstdint>

#include "world/vec3.h"

namespace demo {

struct ScriptState {
  int sceneState = -1;  // -1 not loaded, 0 intro level ... 6 end scene
  bool ended = false;   // the clock has passed the end of the show
  // False while the script is replayed without its pictures (a jump to another moment): the
  // scenes then do only what moves their state on, the same steps in the same order.
  bool drawing = true;
  bool replaying = false;  // the frames of a jump: the song is not asked for, but placed after
  double songCueMs = -1.0;  // demo time of the first frame that asked for the song
  int letterboxHeight = 0;  // the black bars above and below the picture, set at load
  float frameDelta = 0.0f;
  float sceneClock = 0.0f;      // 120 units a second of script frames
  float authoringClock = 0.0f;  // the same over authoring-view frames
  int musicOrder = 0;
  int musicRow = 0;
  float endScroll = 0.0f;
  float endSpin = 0.0f;
  bool freeCameraMode = false;
  // The free camera of the authoring view.
  world::Vec3 freeEye{0.0f, 40.0f, 0.0f};
  world::Vec3 freeTarget{0.0f, 40.0f, -10.0f};
  // The level-drawing switches (1 = on), flipped by the authoring keys.
  std::uint8_t lightmapsOn = 1;
  std::uint8_t texturesOn = 1;
};
extern ScriptState script;

// "loading", "intro level", "tunnel", "second level", "island", "final set-up", "final scene",
// "end scene" for -1 .. 6; "" for any other.
const char* sceneStateName(int state);

// Whether the song is asked for at `nowMs`.
bool musicCueOpen(double nowMs);

// Whether the first scene is replayed through the echo trail at `nowMs`.
bool echoTrailOpen(double nowMs);

// One frame of the show; the first runs the loading sequence. The authoring controls (app)
// follow it as the frame's last step. Hosts call it through the Show.
void runFrame();

// One frame of the script as runFrame would run it at the clock's time, without its picture.
// The matrices the scenes leave for the next frame (the projections, the view the frustum is
// taken from) are set all the same.
void replayFrame();

// The first level as the intro draws it now: "cam.trj" advanced and applied, the frustum, the
// level and its objects; with `echo` drawn into the 512 x 512 corner and replayed over the
// window as the echo trail.
void drawIntroPicture(bool echo);

// The island world seen from the free camera, in place of the script (no veils, no state
// change, no end test).
void drawAuthoringView();

}  // namespace demo
