// The kit's level modules: textures and the three level files; then the three paths of the
// levels, with the checks that keep the script's camera inside the levels and its objects in
// view (a module of its own, which reads the levels back, so that paths can be rewritten
// alone).
#include <cstdio>

#include "demo/cue_sheet.h"
#include "level_compiler.h"
#include "level_textures.h"
#include "path_checks.h"
#include "show_kit.h"
#include "show_levels.h"

namespace showkit {

namespace {

using levelc::CameraKey;
using levelc::Vec3f;

std::vector<Vec3f> eyes(const std::vector<CameraKey>& keys) {
  std::vector<Vec3f> points;
  for (const CameraKey& key : keys) points.push_back(key.eye);
  return points;
}

struct ShowLevel {
  const char* file;
  levelc::LevelDescription description;
};

void report(ShowFolder& folder, const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) folder.fail("levels: " + problem);
}

}  // namespace

void writeLevels(ShowFolder& folder) {
  if (!levelc::writeLevelTextures(folder)) folder.fail("levels: a level texture could not be written");

  const ShowLevel levels[] = {{"brae.bsp", levelc::introLevel()},
                              {"brae2.bsp", levelc::secondLevel()},
                              {"brae3.bsp", levelc::smallLevel()}};
  for (const ShowLevel& level : levels) {
    const levelc::CompiledLevel compiled = levelc::compileLevel(level.description);
    const std::vector<std::uint8_t> bytes = levelc::encodeLevel(compiled);
    // maps/ is what the archive step packs into map.dat.
    folder.writeFile(std::string("maps/") + level.file, bytes);
    std::printf(
        "  %-9s %4zu faces %4zu leaves %3d clusters (%d of %d pairs visible) %2zu lightmaps %7zu bytes %6.0f ms\n",
        level.file, compiled.faces.size(), compiled.leaves.size(), compiled.clusterCount, compiled.stats.visiblePairs,
        compiled.clusterCount * (compiled.clusterCount - 1), compiled.lightmaps.size(), bytes.size(),
        compiled.stats.milliseconds);
  }
}

void writeLevelPaths(ShowFolder& folder) {
  std::vector<world::LevelData> written;
  for (const char* file : {"maps/brae.bsp", "maps/brae2.bsp"}) {
    const auto bytes = folder.readFile(file);
    if (!bytes) {
      folder.fail(std::string("level paths: ") + file + " is not there to check the paths against (write the levels)");
      return;
    }
    written.push_back(world::parseLevel(*bytes));
  }
  const auto intro = levelc::introPath();
  const auto second = levelc::secondPath();
  const auto lights = levelc::lightPath();
  const std::string camText = levelc::cameraPathText(intro, "intro: corridor, monk room, glass column");
  const std::string cam2Text = levelc::cameraPathText(second, "second level: the ring of halls, looking at the lights");
  const std::string lightsText = levelc::pointPathText(lights, "second level: the light sprites, ahead of the camera");
  folder.writeText("cam.trj", camText);
  folder.writeText("cam2.trj", cam2Text);
  folder.writeText("ligths.trj", lightsText);

  const auto columns1 = levelc::introLevel().columns;
  const auto columns2 = levelc::secondLevel().columns;
  report(folder, levelc::checkTrackInside(written[0], eyes(intro), "cam.trj", columns1));
  report(folder, levelc::checkFlightInside(written[0], camText, true, demo::cue::kIntroPathRate,
                                           demo::cue::kIntroFlightMs, "cam.trj", columns1));
  report(folder, levelc::checkTrackInside(written[1], eyes(second), "cam2.trj", columns2));
  report(folder, levelc::checkFlightInside(written[1], cam2Text, true, demo::cue::kSecondLevelPathRate,
                                           demo::cue::kSecondLevelFlightMs, "cam2.trj", columns2));
  report(folder, levelc::checkTrackInside(written[1], lights, "ligths.trj", columns2));
  report(folder, levelc::checkFlightInside(written[1], lightsText, false, demo::cue::kSecondLevelPathRate,
                                           demo::cue::kSecondLevelFlightMs, "ligths.trj", columns2));
  for (const levelc::ViewWindow& window : levelc::simulateIntroViews(camText)) {
    std::printf("  cam.trj   %-12s in view %4d of %4d frames\n", window.name.c_str(), window.framesInView,
                window.framesInWindow);
    if (window.framesInWindow == 0 || window.framesInView < window.framesInWindow) {
      char text[160];
      std::snprintf(text, sizeof text, "levels: cam.trj loses the %s from view at %.0f ms", window.name.c_str(),
                    window.firstMissMs);
      folder.fail(text);
    }
  }
}

}  // namespace showkit
