// The setup dialog's picture of the group, built into the program (made by the content kit's
// tolvek-dialog-picture at build time): a 300 x 225 JPEG.
#pragma once

#include <cstdint>
#include <span>

namespace app {

std::span<const std::uint8_t> dialogPictureJpeg();

}  // namespace app
