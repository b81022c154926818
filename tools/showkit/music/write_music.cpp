#include <string>

#include "show_music.h"
#include "soundtrack.h"

namespace showkit {

void writeMusic(ShowFolder& folder) {
  std::string error;
  const std::vector<std::uint8_t> bytes = musickit::soundtrackFile(&error);
  if (bytes.empty()) {
    folder.fail("music: " + error);
    return;
  }
  folder.writeFile("music.it", bytes);
}

}  // namespace showkit
