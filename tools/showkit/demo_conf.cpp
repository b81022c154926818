// Demo.conf: four label/value pairs read as eight words.
#include "show_kit.h"

namespace showkit {

void writeDemoConf(ShowFolder& folder) {
  // Title (one word), vertical field of view in degrees, the aspect of the letterboxed
  // 16:9 picture, and the frame-rate report at exit (off).
  folder.writeText("Demo.conf",
                   "Title Tolvek\r\n"
                   "FieldOfView 60\r\n"
                   "AspectRatio 1.7777\r\n"
                   "ShowFpsAverage 0\r\n");
}

}  // namespace showkit
