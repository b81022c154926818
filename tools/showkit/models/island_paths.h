// The island's camera paths: cam3.trj (the opening approach from the sea, from the second
// level's end to the second camera's cue; its eye height also chooses the fog for the whole
// scene), cam32.trj (the long flight around the island, to the island's end: past the boat, up the valley to the
// waterfall, up the falls and over the plateau, out over the eastern sea) and cam4.trj (read at the end of the final
// scene, never flown). And the checks the kit makes on them with the demo's own path reader and the island's heights.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "island_terrain.h"
#include "show_levels.h"

namespace modelkit {

std::vector<levelc::CameraKey> islandOpeningPath();  // cam3.trj
std::vector<levelc::CameraKey> islandFlightPath();   // cam32.trj
std::vector<levelc::CameraKey> finalPath();          // cam4.trj

// How a flight went, frame by frame at 60 frames a second as the island scene flies it.
struct IslandFlight {
  int frames = 0;
  int boatFrames = 0;       // the boat in view and not hidden by the ground
  int waterfallFrames = 0;  // the middle of the falls likewise
  int bothFrames = 0;
  float lowestClearance = 1e9f;  // eye height above the drawn ground or the sea
  std::vector<std::string> problems;
};

// Flies `trjText` with rate 0.0007 per ms for `durationMs` under the island's projection
// (field of view 60, aspect 1.7777, near 1, far 3700) and checks every frame: the eye at least
// 12 units above the ground as the terrain list draws it (and above the sea), inside the sky
// box, the sky box before the far plane (down to where the ground hides it), the path not
// run out. `aboveWater` also asks
// every eye to stay at or above the water level (the light fog).
IslandFlight flyIslandPath(const HeightField& field, std::string_view trjText, double durationMs,
                           std::string_view name, bool aboveWater);

}  // namespace modelkit
