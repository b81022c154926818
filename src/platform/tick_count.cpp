#include "platform/tick_count.h"

#include <SDL.h>

#include "platform/frame_timer.h"

namespace platform {

// On the virtual counter (a recording, a benchmark, a test) the tick count follows it, so
// what it seeds (the particles) is the same on every run.
std::uint32_t tickCount() {
  if (usingVirtualCounter()) return static_cast<std::uint32_t>(virtualCounterMs());
  return SDL_GetTicks();
}

}  // namespace platform
