// Interrupt, terminate and hang-up signals ask the demo to stop the way a quit message does:
// the handler only raises a flag, which the main loop and the loading sequence look at, so
// the run ends through the normal shutdown (music stopped, unpacked files deleted, display
// mode restored, exit code 0). Further signals while shutting down only raise it again.
#pragma once

namespace platform {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP (and tells SDL to leave them alone).
void installStopSignals();

// True once one of those signals has arrived (or requestStop was called).
bool stopRequested();

// The same request from inside the program; clearStopRequest forgets it (tests).
void requestStop();
void clearStopRequest();

}  // namespace platform
