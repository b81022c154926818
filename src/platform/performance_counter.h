// The high-resolution counter the clocks read, and its counts per second: SDL's on the
// desktop, the page's timer in a browser.
#pragma once

#include <cstdint>

namespace platform {

std::int64_t readPerformanceCounter();
std::int64_t readPerformanceFrequency();

}  // namespace platform
