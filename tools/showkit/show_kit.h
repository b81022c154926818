// The content kit's registry: one entry per asset family. A new family (levels, models,
// terrain, music, archives) is one more module with a write function and one more line in
// the table of show_kit.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <vector>
#include <string_view>

#include "image.h"
#include "show_folder.h"

namespace showkit {

struct KitModule {
  std::string_view name;
  void (*write)(ShowFolder& folder);
};

// Every module in the order the show folder is written.
std::span<const KitModule> kitModules();
// The modules that write one kind of data ("paths", "pictures", "levels", "models", "music",
// "texts", "configuration"; a module's own name is a kind too), the archives with what they
// pack; empty for an unknown kind.
std::vector<std::string_view> kitModulesOf(std::string_view kind);

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

// The setup dialog's 300 x 225 picture of the group as a JPEG, which the program carries in
// itself; empty when the fonts are missing.
std::vector<std::uint8_t> dialogPictureJpeg();  // pictures_overlay.cpp

// The program's icon, size x size with alpha (the tile's corners are clear); empty when the
// fonts are missing.
Image appIcon(int size);  // pictures_overlay.cpp

}  // namespace showkit
