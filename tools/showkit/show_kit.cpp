#include "show_kit.h"

#include <array>

#include "show_levels.h"
#include "show_models.h"
#include "show_music.h"

namespace showkit {

namespace {

constexpr std::array kModules{
    KitModule{"configuration", writeDemoConf},
    KitModule{"texts", writeTexts},
    KitModule{"overlay pictures", writeOverlayPictures},
    KitModule{"tunnel pictures", writeTunnelPictures},
    KitModule{"sky pictures", writeSkyPictures},
    KitModule{"island pictures", writeIslandPictures},
    KitModule{"final pictures", writeFinalPictures},
    KitModule{"levels", writeLevels},
    KitModule{"level paths", writeLevelPaths},
    KitModule{"models", writeModels},
    KitModule{"terrain", writeTerrain},
    KitModule{"island paths", writeIslandPaths},
    KitModule{"music", writeMusic},
    KitModule{"archives", writeArchives},
};

}  // namespace

std::span<const KitModule> kitModules() { return kModules; }

std::vector<std::string_view> kitModulesOf(std::string_view kind) {
  if (kind == "paths") return {"level paths", "island paths"};
  if (kind == "pictures")
    return {"overlay pictures", "tunnel pictures", "sky pictures", "island pictures", "final pictures"};
  if (kind == "levels") return {"levels", "level paths", "archives"};
  if (kind == "models") return {"models", "terrain", "island paths", "archives"};
  for (const KitModule& module : kModules)
    if (module.name == kind) return {module.name};
  return {};
}

bool writeShow(ShowFolder& folder) {
  for (const KitModule& module : kitModules()) module.write(folder);
  return folder.failures().empty();
}

}  // namespace showkit
