// In a browser the clocks read the page's high-resolution timer, in microseconds.
#include <emscripten.h>

#include "platform/performance_counter.h"

namespace platform {

std::int64_t readPerformanceCounter() { return static_cast<std::int64_t>(emscripten_get_now() * 1000.0); }

std::int64_t readPerformanceFrequency() { return 1'000'000; }

}  // namespace platform
