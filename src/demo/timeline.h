// The show's script: runFrame draws one complete picture for the current demo time, and the
// script state the scenes share.
#pragma once

namespace demo {

struct ScriptState {
  int sceneState = -1;  // -1 not loaded, 0 intro level ... 6 end scene
  int introEndMs = 49100;
  float frameDelta = 0.0f;
  float sceneClock = 0.0f;
  float authoringClock = 0.0f;
  int musicOrder = 0;
  int musicRow = 0;
  float endScroll = 0.0f;
  float endSpin = 0.0f;
  bool freeCameraMode = false;
};
extern ScriptState script;

// Demo-clock time at which the show ends by itself.
constexpr double kShowEndMs = 246882.0;

void runFrame();

}  // namespace demo
