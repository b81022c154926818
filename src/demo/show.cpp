#include "demo/show.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "demo/intro_overlay.h"
#include "demo/loading_sequence.h"
#include "fx/pixel_scale.h"
#include "music/music_player.h"
#include "platform/crt_random.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "resources/texture_table.h"

namespace demo {

namespace {
constexpr double kRealClockFrameMs = 1000.0 / 60.0;
}  // namespace

// Everything a frame of the script changes and a later frame reads.
struct Show::Snapshot {
  ScriptState script;
  IntroOverlayState overlay;
  std::optional<world::CameraPath> firstCamera, secondCamera;
  std::optional<world::PointPath> lightPath;
  std::optional<world::Character::AnimationState> character;
  std::optional<fx::ParticleSystem::Snapshot> particles;
  unsigned int randomState = 1;
  std::array<float, 16> projection{};
  std::array<GLint, 4> viewport{};
};

namespace {

template <class T>
std::optional<T> copyOf(const std::unique_ptr<T>& slot) {
  return slot ? std::optional<T>(*slot) : std::nullopt;
}

template <class T>
void putBack(std::unique_ptr<T>& slot, const std::optional<T>& kept) {
  if (kept)
    slot = std::make_unique<T>(*kept);
  else
    slot.reset();
}

}  // namespace

Show::Show() = default;

Show::~Show() {
  if (loaded_) unload();
}

void Show::load(ShowHost host) {
  if (loaded_) unload();
  // Every run starts from the script's and the overlay's first state.
  script = ScriptState{};
  script.letterboxHeight = host.letterboxHeight;
  introOverlay = IntroOverlayState{};
  setFramePresenter(std::move(host.present));
  loaded_ = true;

  fx::setPixelScale(host.pixelScale);
  resources::loadTextureTable(resources::kTargetTextureSize * fx::pixelScale());
  textures_ = true;
  fx::setLineWidth(1.0f);
  platform::createSharedQuadric();
  quadric_ = true;

  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
}

bool Show::frame() {
  const bool loading = !started();
  runFrame();
  if (loading && started()) {
    // The moment every jump starts from: the end of the first frame.
    auto kept = std::make_unique<Snapshot>();
    SceneObjects& o = sceneObjects;
    kept->script = script;
    kept->overlay = introOverlay;
    kept->firstCamera = copyOf(o.firstCamera);
    kept->secondCamera = copyOf(o.secondCamera);
    if (o.lightSprites) kept->lightPath = o.lightSprites->path;
    if (o.character) kept->character = o.character->animationState();
    if (o.particles) kept->particles = o.particles->snapshot();
    kept->randomState = platform::crtRandState();
    glGetFloatv(GL_PROJECTION_MATRIX, kept->projection.data());
    glGetIntegerv(GL_VIEWPORT, kept->viewport.data());
    start_ = std::move(kept);
  }
  return started();
}

double Show::demoTimeMs() const { return started() ? platform::demoClockMs() : 0.0; }

double Show::frameMs() const {
  return platform::usingVirtualCounter() ? platform::virtualFrameMs() : kRealClockFrameMs;
}

void Show::seek(double ms) {
  if (!started() || !start_) return;
  const Snapshot& kept = *start_;
  const bool wasPaused = paused_;
  if (wasPaused) setPaused(false);

  // Back to the end of the first frame...
  SceneObjects& o = sceneObjects;
  ScriptState& s = script;
  const ScriptState author = s;
  s = kept.script;
  // ...but for what the author set: the free camera, the level switches.
  s.freeCameraMode = false;
  s.freeEye = author.freeEye;
  s.freeTarget = author.freeTarget;
  s.lightmapsOn = author.lightmapsOn;
  s.texturesOn = author.texturesOn;
  s.authoringClock = author.authoringClock;
  introOverlay = kept.overlay;
  putBack(o.firstCamera, kept.firstCamera);
  putBack(o.secondCamera, kept.secondCamera);
  if (o.lightSprites && kept.lightPath) o.lightSprites->path = *kept.lightPath;
  if (o.character && kept.character) o.character->setAnimationState(*kept.character);
  if (o.particles && kept.particles) o.particles->restore(*kept.particles);
  platform::crtSrand(kept.randomState);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(kept.projection.data());
  glMatrixMode(GL_MODELVIEW);
  glViewport(kept.viewport[0], kept.viewport[1], kept.viewport[2], kept.viewport[3]);
  music::Song* song = music::musicState.songHandle.get();
  music::musicSetPosition(song, -1.0);

  // ...then the frames up to the moment, on the frame grid, from a clock at 0.
  const bool realClock = !platform::usingVirtualCounter();
  if (realClock) platform::useFrameRateCounter(60);
  const double grid = platform::virtualFrameMs();
  const long target = std::max(1L, std::lround(ms / grid));
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  s.replaying = true;
  for (long k = 1; k < target && !s.ended; ++k) {
    platform::advanceVirtualFrame();
    // The last two are drawn, for what they leave to the next frame, and never shown.
    if (k + 2 >= target)
      runFrame();
    else
      replayFrame();
  }
  platform::advanceVirtualFrame();
  s.replaying = false;
  s.freeCameraMode = author.freeCameraMode;
  if (realClock) {
    const double now = platform::demoClockMs();
    platform::useRealCounter();
    platform::timerInit();
    platform::setClocksMs(now);
  }
  // The song as far in as the frames are past its cue.
  if (s.songCueMs >= 0.0) music::musicSetPosition(song, (platform::demoClockMs() - s.songCueMs) / 1000.0);
  if (wasPaused) setPaused(true);
}

void Show::setPaused(bool paused) {
  if (!started() || paused == paused_) return;
  paused_ = paused;
  platform::pauseClocks(paused);
  music::musicPause(music::musicState.songHandle.get(), paused);
}

void Show::step() {
  if (paused_) platform::stepPausedClocks(frameMs());
}

void Show::unload(const std::function<void()>& afterSound) {
  if (!loaded_) return;
  setPaused(false);
  start_.reset();
  closeShowMusic();
  if (afterSound) afterSound();
  destroySceneObjects();
  deleteUnpackedData();
  if (textures_) {
    resources::releaseTextureTable();
    resources::releaseGeneratedTextures();
  }
  if (quadric_) platform::releaseSharedQuadric();
  textures_ = quadric_ = false;
  setFramePresenter(nullptr);
  loaded_ = false;
}

}  // namespace demo
