#include "show_kit.h"

namespace showkit {

void writeSkyPictures(ShowFolder&) {}

}  // namespace showkit
