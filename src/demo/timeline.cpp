#include "demo/timeline.h"

#include <GL/gl.h>
#include <GL/glu.h>

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
  glScissor(0, s.letterboxHeight, s.screenWidth, s.screenHeight - 2 * s.letterboxHeight);
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
  if (echo) {
    glViewport(0, 0, resources::kTargetTextureSize, resources::kTargetTextureSize);
    glDisable(GL_SCISSOR_TEST);
  }
  SceneObjects& o = sceneObjects;
  if (o.firstCamera) {
    o.firstCamera->advance(script.frameDelta * 0.00041f);
    o.firstCamera->applyLookAt();
  }
  if (o.frustum) o.frustum->extract();
  if (o.firstLevel && o.firstCamera)
    o.firstLevel->render(*o.firstCamera, frustumBoxTest(), script.lightmapsOn, script.texturesOn);
  drawIntroObjects();
  if (echo) fx::echoTrail(fx::introEchoLayerCount(now()), 0.016f, 0.0f, fx::introEchoStartAlpha(now()));
}

namespace {

void runIntroState() {
  const float end = static_cast<float>(script.introEndMs);
  if (now() < end) {
    if (musicCueOpen(now())) music::musicPlaySong(music::musicState.songHandle.get());
    // One decision for both sides of the flight, so a frame that straddles the window's end
    // never leaves the picture in the corner without its replay.
    drawIntroPicture(echoTrailOpen(now()));
    drawIntroOverlay();
    rayVeil();
    fx::fadeOut(end - 800.0f, end, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
  }
  // Set at the end of the frame: the intro's last two seconds are drawn with it.
  if (now() > end - 2000.0f) setWindowProjection(0.1, 2000.0);
  if (now() > end) script.sceneState = 1;
}

void runTunnelState() {
  drawTunnelScene();
  fx::fadeOut(71000.0f, 72000.0f, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
}

void runSecondLevelState() {
  drawSecondLevel();
  fx::fadeIn(72000.0f, 73000.0f, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
  if (now() > 98036.0) {
    fx::fadeOut(98037.0f, 99900.0f, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
  }
  rayVeil();
}

void runIslandState() {
  SceneObjects& o = sceneObjects;
  world::CameraPath* camera = now() > 108000.0 ? o.secondCamera.get() : o.firstCamera.get();
  if (camera) {
    camera->advance(script.frameDelta * 0.0007f);
    camera->applyLookAt();
  }
  // The fog follows the "cam3.trj" camera for the whole scene, also once cam32.trj flies.
  const float fogEyeHeight = o.firstCamera ? o.firstCamera->eye().y : 0.0f;
  drawIslandScene(script.sceneClock, fogEyeHeight);
  fx::fadeInWindow(99800.0f, 100900.0f, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
  fx::fadeInWindow(108000.0f, 108600.0f, kWhite, kWhite, kWhite, 0);
  fx::resetSceneState();
  fx::noiseOverlay(kWhite, kWhite, kWhite, 6.0f);
  fx::resetSceneState();
  if (now() > 141990.0) {
    setShowProjection(150.0f, platform::settings.aspectRatio, 1.0, 700.0);
    gluLookAt(0.0, 0.0, 2.0, 0.0, 0.0, -10.0, 0.0, 1.0, 0.0);
    script.sceneState = 4;
  }
}

void runFinalSetUpState() {
  script.sceneState = 5;
  const float s0 = static_cast<float>(now() * 0.001);
  if (sceneObjects.finalScene) sceneObjects.finalScene->setTimes(s0, s0 + 5.0f, s0 + 25.0f, 10.0f);
}

void runFinalState() {
  // The backdrop is only ever seen through the window phase; before and after it the pass
  // would draw and copy a picture that nothing shows, so only its projection is set.
  FinalScene* scene = sceneObjects.finalScene.get();
  if (!scene || scene->showsBackdrop(static_cast<float>(now() * 0.001)))
    drawFinalBackdrop(script.sceneClock);
  else
    setWindowProjection(1.0, 700.0);
  if (scene) scene->draw(static_cast<float>(now() * 0.001));
  if (now() > 174000.0) {
    // The outline pass ends on its wire sphere and leaves polygons drawn as lines, which
    // would reduce the flash to the outline of a quad beyond the window's edges.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    fx::fadeInWindow(174000.0f, 175000.0f, kWhite, kWhite, kWhite, 0);
    fx::resetSceneState();
  }
  if (now() > 175000.0) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Read as the design does, though no later frame flies it.
    replaceFirstCamera("cam4.trj");
    script.sceneState = 6;
  }
}

void runScript() {
  script.sceneClock += script.frameDelta * 0.12f;
  if (script.sceneState == -1) runLoadingSequence();
  if (script.sceneState == 0) runIntroState();
  if (script.sceneState == 1) runTunnelState();
  if (script.sceneState == 2) runSecondLevelState();
  if (script.sceneState == 3) runIslandState();
  if (script.sceneState == 4) runFinalSetUpState();
  if (script.sceneState == 5) runFinalState();
  if (script.sceneState == 6) drawEndScene();
}

}  // namespace

bool echoTrailOpen(double nowMs) { return 37681.0 < nowMs && nowMs < script.introEndMs - 3700.0; }

void drawAuthoringView() {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(script.freeEye.x, script.freeEye.y, script.freeEye.z, script.freeTarget.x, script.freeTarget.y,
            script.freeTarget.z, 0.0, 1.0, 0.0);
  script.authoringClock += script.frameDelta * 0.12f;
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
    if (platform::demoClockMs() > kShowEndMs) platform::settings.demoDone = true;
  }

  glDisable(GL_SCISSOR_TEST);
}

}  // namespace demo
