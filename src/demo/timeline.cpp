#include "demo/timeline.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "demo/cue_sheet.h"
#include "demo/end_scene.h"
#include "demo/final_scene.h"
#include "demo/intro_objects.h"
#include "demo/intro_overlay.h"
#include "demo/island_scene.h"
#include "demo/loading_sequence.h"
#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/second_level.h"
#include "demo/tunnel.h"
#include "fx/veils.h"
#include "music/music_player.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace demo {

ScriptState script;

namespace {

double now() { return platform::demoClockMs(); }

void setLetterbox() {
  const auto& s = platform::settings;
  glScissor(0, script.letterboxHeight, s.screenWidth, s.screenHeight - 2 * script.letterboxHeight);
  glEnable(GL_SCISSOR_TEST);
}

std::uint32_t rayTexture() { return resources::tableTextureName(resources::kRayPicture); }

// The ray veil of the first and third scenes.
void rayVeil() {
  fx::scrollOverlay(0.0f, kWhite, kWhite, kWhite, 0.5f, 1.0f, 2.0f, 1.0f, rayTexture());
  fx::resetSceneState();
}

}  // namespace

void drawIntroPicture(bool echo) {
  echo = echo && script.drawing;
  if (echo) {
    glViewport(0, 0, resources::textureTable.targetSize, resources::textureTable.targetSize);
    glDisable(GL_SCISSOR_TEST);
  }
  SceneObjects& o = sceneObjects;
  if (o.firstCamera) {
    o.firstCamera->advance(script.frameDelta * cue::kIntroPathRate);
    o.firstCamera->applyLookAt();
  }
  if (o.frustum) o.frustum->extract();
  if (o.firstLevel && o.firstCamera && script.drawing)
    o.firstLevel->render(*o.firstCamera, frustumBoxTest(), script.lightmapsOn, script.texturesOn);
  drawIntroObjects();
  if (echo) fx::echoTrail(fx::introEchoLayerCount(now()), 0.016f, 0.0f, fx::introEchoStartAlpha(now()));
}

namespace {

// The song is asked for on every frame of its cue; a jump places it afterwards instead.
void askForSong() {
  if (script.songCueMs < 0.0) script.songCueMs = now();
  if (!script.replaying) music::musicPlaySong(music::musicState.songHandle.get());
}

void runIntroState() {
  const float end = static_cast<float>(cue::introEndMs);
  if (now() < end) {
    if (musicCueOpen(now())) askForSong();
    // One decision for both sides of the flight, so a frame that straddles the window's end
    // never leaves the picture in the corner without its replay.
    drawIntroPicture(echoTrailOpen(now()));
    drawIntroOverlay();
    if (script.drawing) {
      rayVeil();
      fx::fadeOut(cue::kIntroFadeOutStartMs, end, kWhite, kWhite, kWhite, 0);
      fx::resetSceneState();
    }
  }
  // Set at the end of the frame: the intro's last two seconds are drawn with it.
  if (now() > cue::kCloseNearPlaneFromMs) setWindowProjection(0.1, 2000.0);
  if (now() > end) script.sceneState = 1;
}

void runTunnelState() {
  if (script.drawing) drawTunnelScene();
  if (now() - cue::kTunnelStartMs > cue::kTunnelLengthMs) {
    setWindowProjection(1.0, 3000.0);
    replaceFirstCamera("cam2.trj");
    script.sceneState = 2;
  }
  if (!script.drawing) return;
  fx::fadeOut(cue::kTunnelFadeOutStartMs, cue::kTunnelFadeOutEndMs, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
}

void runSecondLevelState() {
  drawSecondLevel();
  if (now() > cue::kSecondLevelEndMs) {
    setWindowProjection(1.0, 3700.0);
    replaceFirstCamera("cam3.trj");
    script.sceneState = 3;
  }
  if (!script.drawing) return;
  fx::fadeIn(cue::kSecondLevelFadeInStartMs, cue::kSecondLevelFadeInEndMs, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
  if (now() > cue::kSecondLevelFadeOutFromMs) {
    fx::fadeOut(cue::kSecondLevelFadeOutStartMs, cue::kSecondLevelFadeOutEndMs, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
  }
  rayVeil();
}

void runIslandState() {
  SceneObjects& o = sceneObjects;
  world::CameraPath* camera = now() > cue::kSecondCameraMs ? o.secondCamera.get() : o.firstCamera.get();
  if (camera) {
    camera->advance(script.frameDelta * cue::kIslandPathRate);
    if (script.drawing) camera->applyLookAt();
  }
  // The fog follows the "cam3.trj" camera for the whole scene, also once cam32.trj flies.
  const float fogEyeHeight = o.firstCamera ? o.firstCamera->eye().y : 0.0f;
  drawIslandScene(script.sceneClock, fogEyeHeight);
  if (script.drawing) {
    fx::fadeInWindow(cue::kIslandFlashStartMs, cue::kIslandFlashEndMs, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
    fx::fadeInWindow(cue::kSecondCameraFlashStartMs, cue::kSecondCameraFlashEndMs, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
    fx::noiseOverlay(kWhite, kWhite, kWhite, 6.0f);
    fx::resetSceneState();
  }
  if (now() > cue::kIslandEndMs) {
    setShowProjection(150.0f, platform::settings.aspectRatio, 1.0, 700.0);
    gluLookAt(0.0, 0.0, 2.0, 0.0, 0.0, -10.0, 0.0, 1.0, 0.0);
    script.sceneState = 4;
  }
}

void runFinalSetUpState() {
  script.sceneState = 5;
  const float s0 = static_cast<float>(now() * 0.001);
  if (sceneObjects.finalScene)
    sceneObjects.finalScene->setTimes(s0, s0 + cue::kWindowPhaseFromS, s0 + cue::kSecondPictureFromS,
                                      cue::kMeltLengthS);
}

void runFinalState() {
  // The backdrop is only ever seen through the window phase; before and after it the pass
  // would draw and copy a picture that nothing shows, so only its projection is set.
  FinalScene* scene = sceneObjects.finalScene.get();
  if (script.drawing && (!scene || scene->showsBackdrop(static_cast<float>(now() * 0.001))))
    drawFinalBackdrop(script.sceneClock);
  else
    setWindowProjection(1.0, 700.0);
  if (scene) {
    if (script.drawing)
      scene->draw(static_cast<float>(now() * 0.001));
    else
      scene->advance(static_cast<float>(now() * 0.001));
  }
  if (now() > cue::kFinalFlashFromMs && script.drawing) {
    // The outline pass ends on its wire sphere and leaves polygons drawn as lines, which
    // would reduce the flash to the outline of a quad beyond the window's edges.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    fx::fadeInWindow(cue::kFinalFlashStartMs, cue::kFinalFlashEndMs, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
  } else if (now() > cue::kFinalFlashFromMs) {
    fx::resetSceneState();  // what the flash leaves for the credits, replayed without it
  }
  if (now() > cue::kFinalEndMs) {
    if (script.drawing) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Read as the design does, though no later frame flies it.
    replaceFirstCamera("cam4.trj");
    script.sceneState = 6;
  }
}

void runScript() {
  const int stateAtStart = script.sceneState;
  script.sceneClock += script.frameDelta * cue::kSceneClockRate;
  if (script.sceneState == -1) runLoadingSequence();
  if (script.sceneState == 0) runIntroState();
  if (script.sceneState == 1) runTunnelState();
  if (script.sceneState == 2) runSecondLevelState();
  if (script.sceneState == 3) runIslandState();
  if (script.sceneState == 4) runFinalSetUpState();
  if (script.sceneState == 5) runFinalState();
  if (script.sceneState == 6) drawEndScene(stateAtStart != 6);
}

}  // namespace

const char* sceneStateName(int state) {
  static constexpr const char* kNames[] = {"loading",      "intro level", "tunnel",      "second level",
                                           "island",       "final set-up", "final scene", "end scene"};
  return state >= -1 && state <= 6 ? kNames[state + 1] : "";
}

bool musicCueOpen(double nowMs) { return cue::kMusicCueStartMs < nowMs && nowMs < cue::kMusicCueEndMs; }

bool echoTrailOpen(double nowMs) { return cue::kEchoTrailStartMs < nowMs && nowMs < cue::kEchoTrailEndMs; }

void drawAuthoringView() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(script.freeEye.x, script.freeEye.y, script.freeEye.z, script.freeTarget.x, script.freeTarget.y,
            script.freeTarget.z, 0.0, 1.0, 0.0);
  script.authoringClock += script.frameDelta * cue::kSceneClockRate;
  drawIslandScene(script.authoringClock, script.freeEye.y);
}

void runFrame() {
  music::Song* song = music::musicState.songHandle.get();
  script.musicOrder = music::musicGetOrder(song);
  script.musicRow = music::musicGetRow(song);
  script.frameDelta = platform::frameDeltaMs();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  setLetterbox();

  // The loading sequence runs inside the first frame whatever the authoring keys say.
  if (script.freeCameraMode && script.sceneState != -1) {
    drawAuthoringView();
  } else {
    runScript();
    if (platform::demoClockMs() > cue::kShowEndMs) script.ended = true;
  }

  glDisable(GL_SCISSOR_TEST);
}

void replayFrame() {
  script.drawing = false;
  script.frameDelta = platform::frameDeltaMs();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  runScript();
  if (platform::demoClockMs() > cue::kShowEndMs) script.ended = true;
  script.drawing = true;
}

}  // namespace demo
