// libFuzzer target: any bytes as a model's skin file, read by the skin reader for surfaces
// named like the show's models' surfaces.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "world/md3_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> names = {"h_head", "u_torso", "l_legs", "boat", "s", ""};
  const auto choices = world::parseSkin(std::string_view(reinterpret_cast<const char*>(data), size), names);
  // At most one image a surface, each a named one, and no path: what follows the last "/".
  std::vector<bool> seen(names.size(), false);
  for (const auto& choice : choices) {
    if (choice.surface >= names.size() || names[choice.surface].empty() || seen[choice.surface] ||
        choice.image.find('/') != std::string::npos || choice.image.size() > size)
      std::abort();
    seen[choice.surface] = true;
  }
  return 0;
}
