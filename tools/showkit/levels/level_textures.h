// The level textures: one tileable picture per material, in the show's palette (dark stone,
// warm fire, cold water), written as "<shader name>.jpg".
#pragma once

#include "image.h"
#include "level_description.h"
#include "show_folder.h"

namespace levelc {

constexpr int kLevelTextureSide = 256;

// The picture of one material; its left and right (top and bottom) edges meet seamlessly.
showkit::Image levelTexture(Material material);

// Writes every material's picture; false when a file could not be written.
bool writeLevelTextures(showkit::ShowFolder& folder);

}  // namespace levelc
