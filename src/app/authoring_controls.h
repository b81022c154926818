// The authors' tools, read from the held keys at the end of every frame: the free camera over
// the island (held Space), the object marker (held P), the level renderer's switches (B, N),
// screenshots (T) and the capture files "camoutput.txt", "objposition.txt" and "time.txt".
// Nothing shows unless its keys are pressed.
//
// The free camera, the level switches and freeCameraMode live in the script state, which the
// timeline reads; the marker, object mode and the key latches live here.
#pragma once

#include <string>

#include "world/vec3.h"

namespace app {

struct AuthoringState {
  world::Vec3 marker{0.0f, 25.0f, 0.0f};
  bool objectMode = false;
  // One latch per key that acts on its press only: set while the key is held after acting.
  bool latchT = false, latchW = false, latchB = false, latchN = false, latchC = false;
};
extern AuthoringState authoring;

// Once per frame, after the frame is drawn and before it is shown.
void authoringControls();

// The camera keys held this frame (by virtual-key code in platform::keys), applied to eye and
// target in their table order with move = frameDelta x 0.2 and turn = frameDelta x 0.001.
void moveFreeCamera(world::Vec3& eye, world::Vec3& target, float frameDelta);

// The records of the capture files, as written.
std::string cameraRecord(const world::Vec3& eye, const world::Vec3& target);
std::string markerRecord(const world::Vec3& marker);
std::string cueRecord(double demoMs, int order, int row);

}  // namespace app
