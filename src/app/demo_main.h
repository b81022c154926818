// The life of the demo in one place: start-up, the main loop, shutdown.
#pragma once

#include "app/options.h"

namespace app {

// Runs the whole demo with the given options; returns the process exit code.
int runDemo(const Options& options);

}  // namespace app
