// The third scene: a flight along "cam2.trj" through the second level in black fog, following
// the cluster of five light sprites that travels along "ligths.trj". The timeline hands over
// to the island.
#pragma once

namespace demo {

void drawSecondLevel();

}  // namespace demo
