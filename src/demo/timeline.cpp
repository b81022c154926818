#include "demo/timeline.h"

#include <GL/gl.h>

#include "demo/loading_sequence.h"
#include "music/music_player.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"

namespace demo {

ScriptState script;

namespace {

void setLetterbox() {
  const auto& s = platform::settings;
  glScissor(0, s.letterboxHeight, s.screenWidth, s.screenHeight - 2 * s.letterboxHeight);
  glEnable(GL_SCISSOR_TEST);
}

}  // namespace

void runFrame() {
  if (script.sceneState == -1) runLoadingSequence();

  music::Song* song = music::musicState.songHandle.get();
  script.musicOrder = music::musicGetOrder(song);
  script.musicRow = music::musicGetRow(song);
  script.frameDelta = platform::frameDeltaMs();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  setLetterbox();

  script.sceneClock += script.frameDelta * 0.12f;
  if (script.sceneState == 0 && platform::demoClockMs() < script.introEndMs) {
    // The start is asked for on every frame of this window; the song then plays by itself.
    const double now = platform::demoClockMs();
    if (4181.0 < now && now < 4300.0) music::musicPlaySong(song);
  }
  if (platform::demoClockMs() > kShowEndMs) platform::settings.demoDone = true;

  glDisable(GL_SCISSOR_TEST);
}

}  // namespace demo
