#include "demo/show.h"

#include "demo/intro_overlay.h"
#include "demo/loading_sequence.h"
#include "fx/pixel_scale.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "resources/texture_table.h"

namespace demo {

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
  runFrame();
  return started();
}

double Show::demoTimeMs() const { return started() ? platform::demoClockMs() : 0.0; }

void Show::unload(const std::function<void()>& afterSound) {
  if (!loaded_) return;
  closeShowMusic();
  if (afterSound) afterSound();
  destroySceneObjects();
  deleteUnpackedData();
  if (textures_) resources::releaseTextureTable();
  if (quadric_) platform::releaseSharedQuadric();
  textures_ = quadric_ = false;
  setFramePresenter(nullptr);
  loaded_ = false;
}

}  // namespace demo
