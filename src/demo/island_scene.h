// The fourth scene: the island under its sky box. A boat swaying on a sea of gently waving
// translucent squares, the terrain fogged by the camera's height (light above the water, a
// denser blue-green below it), a waterfall of scrolling strips down the cliff and four mist
// sprays at its foot. The caller sets the camera; the scene draws the world with clock S.
// The authoring view draws the same world from its free camera.
#pragma once

#include "world/vec3.h"

namespace demo {

// The sea's water level: the fog is chosen by whether the eye is above it.
constexpr float kWaterLevel = 48.0f;

// Where the boat floats and how it leans at clock S (it rises and falls by w and turns by
// -w about each axis).
float boatSway(float sceneClock);

// Height of the sea's grid point (a, b) at clock S.
float seaHeight(int a, int b, float sceneClock);

// Linear fog for the terrain's fog coordinates: light above the water, denser below.
struct IslandFog {
  float red, green, blue, alpha;
  float start, end;
};
IslandFog islandFog(float eyeHeight);

// The island world. `fogEyeHeight` is the eye height that chooses the fog.
void drawIslandScene(float sceneClock, float fogEyeHeight);

// Its last step alone: the one set of 105 mist particles aged and drawn at the four places
// around the waterfall's foot.
void drawIslandMist();

}  // namespace demo
