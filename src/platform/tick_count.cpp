#include "platform/tick_count.h"

#include <SDL.h>

namespace platform {
std::uint32_t tickCount() { return SDL_GetTicks(); }
}  // namespace platform
