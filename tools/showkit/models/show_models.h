// The kit's model and terrain modules: writes the MD3 models with their skins, the
// character folder and the island's terrain, and checks them against the script.
#pragma once

#include "show_folder.h"

namespace showkit {

// chelou and boat with skins staged in models/ for the archive, moine loose in data/models/,
// and the character in Doom/; fails the folder when a model breaks a check.
void writeModels(ShowFolder& folder);
// terrain.raw and terrain.jpg (staged in models/); fails the folder when the island does not
// fit the scene.
void writeTerrain(ShowFolder& folder);
// cam3.trj, cam32.trj and cam4.trj, flown over the staged terrain as the island scene flies
// them.
void writeIslandPaths(ShowFolder& folder);

}  // namespace showkit
