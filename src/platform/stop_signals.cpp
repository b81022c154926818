#include "platform/stop_signals.h"

#include <SDL.h>

#include <csignal>
#include <initializer_list>

namespace platform {
namespace {

volatile std::sig_atomic_t stopFlag = 0;

extern "C" void onStopSignal(int) { stopFlag = 1; }

}  // namespace

void installStopSignals() {
  // SDL would otherwise turn SIGINT and SIGTERM into a quit event, but only while its event
  // queue is read, which the loading sequence does not do, and it leaves SIGHUP alone.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // Reads and writes in progress carry on; a stop is seen at the next loop pass.
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool stopRequested() { return stopFlag != 0; }

void requestStop() { stopFlag = 1; }

void clearStopRequest() { stopFlag = 0; }

}  // namespace platform
