// A page has no signals: a stop is asked for by the page itself (it is closing), through
// requestStop.
#include "platform/stop_signals.h"

namespace platform {
namespace {
bool stopFlag = false;
}

void installStopSignals() {}
bool stopRequested() { return stopFlag; }
void requestStop() { stopFlag = true; }
void clearStopRequest() { stopFlag = false; }

}  // namespace platform
