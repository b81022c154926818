#include "show_kit.h"

namespace showkit {

void writeTunnelPictures(ShowFolder&) {}

}  // namespace showkit
