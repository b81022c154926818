// The show's script: runFrame draws one complete picture for the current demo time, and the
// script state the scenes share.
//
// The demo clock counts from the end of loading. Each frame reads the music position and the
// frame delta, clears, letterboxes and runs the blocks of the scene states in increasing
// order, so a scene that hands over is followed in the same frame by the next one:
//
//   -1  loading               the loading sequence, once
//    0  intro level            0 ..  49100 ms   music cue 4181..4300, echo trail 37681..45400
//    1  tunnel             49100 ..  72100
//    2  second level       72100 ..  99836
//    3  island             99836 .. 141990   cam3.trj, cam32.trj from 108000
//    4  final set-up      141990             one frame
//    5  final scene       141990 .. 175000
//    6  end scene         175000 .. 246882   then demoDone
//
// Every time comparison is strict and reads the clock afresh.
#pragma once

#include <cstdint>

#include "world/vec3.h"

namespace demo {

struct ScriptState {
  int sceneState = -1;  // -1 not loaded, 0 intro level ... 6 end scene
  int introEndMs = 49100;
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

// Demo-clock time at which the show ends by itself.
constexpr double kShowEndMs = 246882.0;
// The song is asked for on every frame strictly inside this window.
constexpr double kMusicCueStartMs = 4181.0;
constexpr double kMusicCueEndMs = 4300.0;

inline bool musicCueOpen(double nowMs) { return kMusicCueStartMs < nowMs && nowMs < kMusicCueEndMs; }

// Whether the first scene is replayed through the echo trail at `nowMs`.
bool echoTrailOpen(double nowMs);

// One frame of the show. The authoring controls (app) follow it as the frame's last step.
void runFrame();

// The first level as the intro draws it now: "cam.trj" advanced and applied, the frustum, the
// level and its objects; with `echo` drawn into the 512 x 512 corner and replayed over the
// window as the echo trail.
void drawIntroPicture(bool echo);

// The island world seen from the free camera, in place of the script (no veils, no state
// change, no end test).
void drawAuthoringView();

}  // namespace demo
