#include <cstdio>

#include "island_terrain.h"
#include "picture_files.h"
#include "show_models.h"

namespace showkit {

namespace {

// Files of models.dat go into models/ for the archive step and loose into data/models/,
// where the loading sequence would unpack them.
void writeBoth(ShowFolder& folder, const std::string& name, std::span<const std::uint8_t> bytes) {
  folder.writeFile("models/" + name, bytes);
  folder.writeFile("data/models/" + name, bytes);
}

}  // namespace

void writeTerrain(ShowFolder& folder) {
  const modelkit::HeightField field = modelkit::islandHeights();
  writeBoth(folder, "terrain.raw", field.heights);
  const Image picture = modelkit::terrainPicture(field);
  const std::vector<std::uint8_t> jpeg = encodeJpeg(picture, 88);
  if (jpeg.empty()) folder.fail("terrain: terrain.jpg could not be encoded");
  writeBoth(folder, "terrain.jpg", jpeg);
  savePreview("data/models/terrain.jpg", picture, false);
  for (const std::string& problem : modelkit::checkIsland(field)) folder.fail(problem);
}

void writeModels(ShowFolder&) {}

}  // namespace showkit
