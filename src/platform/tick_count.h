// Milliseconds since the program started, like the original's tick count.
#pragma once

#include <cstdint>

namespace platform {
std::uint32_t tickCount();
}
