#include "platform/performance_counter.h"

#include <SDL.h>

namespace platform {

std::int64_t readPerformanceCounter() { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }

std::int64_t readPerformanceFrequency() { return static_cast<std::int64_t>(SDL_GetPerformanceFrequency()); }

}  // namespace platform
