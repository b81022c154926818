// The third scene: a flight along "cam2.trj" through the second level in black fog, following
// the cluster of five light sprites that travels along "ligths.trj". At 99836 ms it sets the
// island's projection and camera ("cam3.trj") and hands over.
#pragma once

namespace demo {

constexpr double kSecondLevelEndMs = 99836.0;

void drawSecondLevel();

}  // namespace demo
