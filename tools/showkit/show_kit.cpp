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
    KitModule{"models", writeModels},
    KitModule{"terrain", writeTerrain},
    KitModule{"music", writeMusic},
    KitModule{"archives", writeArchives},
};

}  // namespace

std::span<const KitModule> kitModules() { return kModules; }

bool writeShow(ShowFolder& folder) {
  for (const KitModule& module : kitModules()) module.write(folder);
  return folder.failures().empty();
}

}  // namespace showkit
