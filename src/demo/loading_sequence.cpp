#include "demo/loading_sequence.h"

#include "demo/timeline.h"
#include "platform/frame_timer.h"

namespace demo {

void runLoadingSequence() {
  // The demo's time origin is the end of loading.
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  script.sceneState = 0;
}

void destroySceneObjects() {}

}  // namespace demo
