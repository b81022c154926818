// tolvek-icon OUT.png [SIZE]: writes the program's icon (default 256 x 256) for the desktop
// entry of an installed show.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/png_writer.h"
#include "show_kit.h"

int main(int argc, char** argv) {
  const int size = argc == 3 ? std::atoi(argv[2]) : 256;
  if (argc < 2 || argc > 3 || size < 16 || size > 1024) {
    std::fprintf(stderr, "usage: tolvek-icon OUT.png [SIZE, 16 to 1024]\n");
    return 2;
  }
  const showkit::Image icon = showkit::appIcon(size);
  if (icon.width() == 0) {
    std::fprintf(stderr, "tolvek-icon: the Liberation fonts are missing (package fonts-liberation2)\n");
    return 1;
  }
  const std::vector<std::uint8_t> pixels = icon.toBytes(4);
  if (!resources::writePngFile(argv[1], size, size, 4, pixels.data(), false, 9)) {
    std::fprintf(stderr, "tolvek-icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
