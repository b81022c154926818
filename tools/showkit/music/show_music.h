// The kit's music module: writes music.it into the show folder's root, where the demo loads it.
#pragma once

#include "show_folder.h"

namespace showkit {

// Fails the folder when the soundtrack cannot be encoded.
void writeMusic(ShowFolder& folder);

}  // namespace showkit
