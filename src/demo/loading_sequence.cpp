#include "demo/loading_sequence.h"

#include "demo/timeline.h"
#include "music/music_player.h"
#include "platform/frame_timer.h"

namespace demo {

void runLoadingSequence() {
  // Failures here are not reported: without a device or a song the show runs silently.
  music::soundInit(44100, 32, 0);
  music::musicState.songHandle = music::musicLoadSong("music.it");

  // The demo's time origin is the end of loading.
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  script.sceneState = 0;
}

void destroySceneObjects() {}

}  // namespace demo
