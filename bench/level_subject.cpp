#include "level_subject.h"

#include <cstdio>
#include <cstdlib>

#include "level_builder.h"
#include "platform/file_system.h"

namespace bench_support {

LevelSubject findLevelSubject(const std::string& benchName) {
  if (const char* show = std::getenv("TOLVEK_SHOW_DIR")) {
    const std::string dir = show;
    for (const char* level : {"data/map/brae.bsp", "maps/brae.bsp", "brae.bsp"})
      if (platform::fileExists(dir + "/" + level) && platform::fileExists(dir + "/cam.trj"))
        return {dir, level, "cam.trj", false};
    std::fprintf(stderr, "%s: %s has no brae.bsp and cam.trj; measuring a generated level\n",
                 benchName.c_str(), show);
  }
  // A corridor of 16 segments, walls of 6 x 6 tiles: about 2700 faces, 16 lightmap pages.
  std::string pattern = "/tmp/tolvek_" + benchName + "_XXXXXX";
  const char* dir = mkdtemp(pattern.data());
  if (!dir) return {};
  LevelSubject generated{dir, "corridor.bsp", "corridor.trj", true};
  const auto level = levelc::corridorLevel(16, 6).bytes();
  platform::writeWholeFile(generated.folder + "/corridor.bsp", level.data(), level.size());
  const std::string path = levelc::corridorPath(16, 26);
  platform::writeWholeFile(generated.folder + "/corridor.trj", path.data(), path.size());
  levelc::writeCorridorTextures(generated.folder);
  return generated;
}

void removeGeneratedSubject(const LevelSubject& subject) {
  if (!subject.generated) return;
  for (const char* file : {"corridor.bsp", "corridor.trj", "textures/gen0.jpg", "textures/gen1.jpg", "textures/gen2.jpg"})
    platform::deleteFile(subject.folder + "/" + file);
  platform::removeFolder(subject.folder + "/textures");
  platform::removeFolder(subject.folder);
}

}  // namespace bench_support
