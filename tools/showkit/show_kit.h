// The content kit's registry: one entry per asset family. A new family (levels, models,
// terrain, music, archives) is one more module with a write function and one more line in
// the table of show_kit.cpp.
#pragma once

#include <span>
#include <string_view>

#include "show_folder.h"

namespace showkit {

struct KitModule {
  std::string_view name;
  void (*write)(ShowFolder& folder);
};

// Every module in the order the show folder is written.
std::span<const KitModule> kitModules();

// Writes the whole show into folder; true when every file was written.
bool writeShow(ShowFolder& folder);

// The modules of this kit (each in its own source file).
void writeDemoConf(ShowFolder& folder);       // demo_conf.cpp
void writeTexts(ShowFolder& folder);          // texts.cpp
void writeOverlayPictures(ShowFolder& folder);  // pictures_overlay.cpp
void writeTunnelPictures(ShowFolder& folder);   // pictures_tunnel.cpp
void writeSkyPictures(ShowFolder& folder);      // pictures_sky.cpp
void writeIslandPictures(ShowFolder& folder);   // pictures_island.cpp
void writeFinalPictures(ShowFolder& folder);    // pictures_final.cpp
void writeArchives(ShowFolder& folder);         // archives.cpp: last, packs what the others staged

}  // namespace showkit
