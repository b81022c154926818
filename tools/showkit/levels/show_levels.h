// The show's three levels and the paths flown through them, as the script needs them: the
// intro level (corridor, monk room, column hall) with cam.trj, the second level (a ring of
// halls in black fog) with cam2.trj and ligths.trj, and a small third level.
#pragma once

#include <string>
#include <vector>

#include "level_description.h"
#include "show_folder.h"

namespace levelc {

struct CameraKey {
  Vec3f eye;
  Vec3f target;
};

LevelDescription introLevel();
LevelDescription secondLevel();
LevelDescription smallLevel();

std::vector<CameraKey> introPath();   // cam.trj
std::vector<CameraKey> secondPath();  // cam2.trj
std::vector<Vec3f> lightPath();       // ligths.trj

// .trj text: the point count, then eye and target lines (camera) or one line per point.
std::string cameraPathText(const std::vector<CameraKey>& keys, const std::string& comment);
std::string pointPathText(const std::vector<Vec3f>& points, const std::string& comment);

}  // namespace levelc

namespace showkit {

// Level textures and the three level files (staged in maps/ for the archive).
void writeLevels(ShowFolder& folder);
// cam.trj, cam2.trj and ligths.trj, checked against the staged levels; reports a failure
// when a path leaves its level or loses an object from view.
void writeLevelPaths(ShowFolder& folder);

}  // namespace showkit
