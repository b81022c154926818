// Milliseconds since the program started, like the original's tick count (on the virtual
// counter, the milliseconds it has run).
#pragma once

#include <cstdint>

namespace platform {
std::uint32_t tickCount();
}
