#include "demo/loading_sequence.h"

#include <GL/gl.h>

#include <cstdlib>
#include <string_view>

#include "archive/archive_reader.h"
#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "music/music_player.h"
#include "platform/file_system.h"
#include "platform/frame_timer.h"
#include "platform/message_box.h"
#include "platform/settings.h"
#include "platform/stop_signals.h"
#include "resources/texture_table.h"

namespace demo {


namespace {

// Shutdown must take back every extraction once, and a folder only after the files in it.
constexpr bool unpackedDataComplete() {
  int seen[kExtractions.size()] = {};
  for (size_t i = 0; i < kUnpackedData.size(); ++i) {
    const UnpackedItem& item = kUnpackedData[i];
    if (item.extraction >= 0) {
      if (static_cast<size_t>(item.extraction) >= kExtractions.size()) return false;
      ++seen[item.extraction];
      continue;
    }
    const std::string_view folder = item.folder;
    for (size_t later = i + 1; later < kUnpackedData.size(); ++later) {
      if (kUnpackedData[later].extraction < 0) continue;
      const std::string_view file = kExtractions[static_cast<size_t>(kUnpackedData[later].extraction)].destination;
      if (file.size() > folder.size() && file.substr(0, folder.size()) == folder && file[folder.size()] == '\\')
        return false;
    }
  }
  for (int count : seen)
    if (count != 1) return false;
  return true;
}
static_assert(unpackedDataComplete());

FramePresenter framePresenter;
bool soundStarted = false;

void warn(const char* text) { platform::showMessageBox("ERROR 42", text, platform::BoxIcon::Warning); }

void extractRange(size_t first, size_t last) {
  for (size_t i = first; i <= last && !platform::stopRequested(); ++i) extractToFile(kExtractions[i]);
}

void progress(float fraction, int times) {
  for (int i = 0; i < times; ++i) drawProgressScreen(fraction);
}

}  // namespace

void setFramePresenter(FramePresenter presenter) { framePresenter = std::move(presenter); }

void drawProgressScreen(float f) {
  const auto& s = platform::settings;
  const float w = static_cast<float>(s.screenWidth);
  const float h = static_cast<float>(s.screenHeight);
  // Colour only; the letterbox scissor of the frame limits it to the picture.
  glClear(GL_COLOR_BUFFER_BIT);
  fx::pushPixelProjection();

  // Both quads wind clockwise on the screen, which the standard front-face culling keeps.
  bindOnUnit0(resources::tableTextureName(resources::kLoaderPicture));
  glBegin(GL_QUADS);
  unit0TexCoord(0.0f, 1.0f);
  glVertex2f(0.0f, 0.0f);
  unit0TexCoord(0.0f, 0.0f);
  glVertex2f(0.0f, h);
  unit0TexCoord(1.0f, 0.0f);
  glVertex2f(w, h);
  unit0TexCoord(1.0f, 1.0f);
  glVertex2f(w, 0.0f);
  glEnd();

  bindOnUnit0(resources::tableTextureName(resources::kBarPicture));
  const float x0 = 0.2375f * w;
  const float y0 = 0.4166666f * h;
  const float y1 = 0.4791666f * h;
  glBegin(GL_QUADS);
  unit0TexCoord(0.0f, 0.0f);
  glVertex2f(x0, y0);
  unit0TexCoord(0.0f, 1.0f);
  glVertex2f(x0, y1);
  unit0TexCoord(1.0f, 1.0f);
  glVertex2f(f * w, y1);
  unit0TexCoord(1.0f, 0.0f);
  glVertex2f(f * w, y0);
  glEnd();

  fx::popPixelProjection();
  if (framePresenter) framePresenter();
}

bool writeFileBytes(std::string_view path, const std::uint8_t* data, std::size_t size) {
  if (data && platform::writeWholeFile(path, data, size)) return true;
  warn("bad file packer!");
  return false;
}

void extractToFile(const Extraction& e) {
  std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  if (!archive::extractFile(&data, &size, e.entry, e.archive, kArchivePassword)) {
    warn("packer sux!");
    return;
  }
  writeFileBytes(e.destination, data, size);
  std::free(data);
}

void runLoadingSequence() {
  progress(kProgressFractions[0], 1);
  // Failures here are not reported: without a device or a song the show runs silently.
  music::soundInit(44100, 32, 0);
  soundStarted = true;
  music::musicState.songHandle = music::musicLoadSong("music.it");

  for (const char* folder : kDataFolders) platform::createFolder(folder);
  extractRange(0, 4);
  progress(kProgressFractions[1], 2);
  extractRange(5, 10);
  progress(kProgressFractions[3], 2);

  createSceneObjects();
  // A stop asked for while loading: the show never starts and shutdown takes back what was
  // made and unpacked so far.
  if (platform::stopRequested()) return;
  progress(kProgressFractions[5], 2);

  if (world::Character* character = sceneObjects.character.get()) {
    character->setLowerAnimationIndex(15);
    character->setAnimation(character->lowerAnimation());
    character->setUpperAnimationIndex(6);
    character->setAnimation(character->upperAnimation());
  }

  // The demo's time origin is the end of loading.
  platform::timerInit();
  platform::resetEffectClock();
  platform::resetDemoClock();
  script.sceneState += 1;
}

void closeShowMusic() {
  if (!soundStarted) return;
  music::musicFreeSong(music::musicState.songHandle);
  music::soundClose();
  soundStarted = false;
}

void deleteUnpackedData() {
  // Missing files are skipped; folders that still hold something (the loose monk model, say)
  // stay.
  for (const UnpackedItem& item : kUnpackedData) {
    if (item.extraction >= 0)
      platform::deleteFile(kExtractions[static_cast<size_t>(item.extraction)].destination);
    else
      platform::removeFolder(item.folder);
  }
}

}  // namespace demo
