// The tick count in a browser: milliseconds of the page's timer since the show's program
// started, or of the virtual counter when the clocks run on it.
#include <emscripten.h>

#include "platform/frame_timer.h"
#include "platform/tick_count.h"

namespace platform {

std::uint32_t tickCount() {
  if (usingVirtualCounter()) return static_cast<std::uint32_t>(virtualCounterMs());
  static const double start = emscripten_get_now();
  return static_cast<std::uint32_t>(emscripten_get_now() - start);
}

}  // namespace platform
