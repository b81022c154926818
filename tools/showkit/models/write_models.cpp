#include <cstdio>
#include <initializer_list>

#include "demo/cue_sheet.h"
#include "island_paths.h"
#include "island_terrain.h"
#include "model_checks.h"
#include "picture_files.h"
#include "show_model_set.h"
#include "show_models.h"

namespace showkit {

namespace {

// Files of models.dat are staged in models/ for the archive step; the show itself finds them
// only in the archive (the loading sequence unpacks them into data/models/ and deletes them
// at the end).
void writeStaged(ShowFolder& folder, const std::string& name, std::span<const std::uint8_t> bytes) {
  folder.writeFile("models/" + name, bytes);
}

void report(ShowFolder& folder, const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) folder.fail("models: " + problem);
}

std::vector<std::uint8_t> modelBytes(ShowFolder& folder, const modelkit::SkinnedModel& m) {
  modelkit::Md3Encoding e = modelkit::encodeMd3(m.model);
  if (!e.error.empty()) folder.fail("models: " + e.error);
  report(folder, modelkit::checkMd3File(m.model.name, e.bytes));
  return std::move(e.bytes);
}

// The skin picture into each of `places` (folders ending in '/'): JPEG through the kit's
// encoder, TGA through its 32-bit writer.
void writeSkin(ShowFolder& folder, std::initializer_list<std::string> places, const modelkit::SkinnedModel& m) {
  if (!m.jpeg) {
    for (const std::string& place : places)
      if (!writeTga32(folder, place + m.imageName, m.skin)) folder.fail("models: skin " + m.imageName + " not written");
    return;
  }
  const std::vector<std::uint8_t> bytes = encodeJpeg(m.skin, 90);
  if (bytes.empty()) folder.fail("models: skin " + m.imageName + " could not be encoded");
  for (const std::string& place : places) folder.writeFile(place + m.imageName, bytes);
  savePreview(m.imageName, m.skin, false);
}

std::span<const std::uint8_t> text(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void writePathsOver(ShowFolder& folder, const modelkit::HeightField& field) {
  const std::string cam3 = levelc::cameraPathText(modelkit::islandOpeningPath(), "island: the approach from the sea");
  const std::string cam32 =
      levelc::cameraPathText(modelkit::islandFlightPath(), "island: round the boat, up the falls, over the plateau");
  folder.writeText("cam3.trj", cam3);
  folder.writeText("cam32.trj", cam32);
  folder.writeText("cam4.trj", levelc::cameraPathText(modelkit::finalPath(), "read when the final scene ends"));

  const modelkit::IslandFlight opening =
      modelkit::flyIslandPath(field, cam3, demo::cue::kIslandOpeningFlightMs, "cam3.trj", true);
  const modelkit::IslandFlight flight =
      modelkit::flyIslandPath(field, cam32, demo::cue::kIslandFlightMs, "cam32.trj", false);
  for (const auto* f : {&opening, &flight})
    for (const std::string& problem : f->problems) folder.fail("island paths: " + problem);
  std::printf("  cam3.trj  %4d frames, lowest %.0f units above ground or sea\n", opening.frames,
              opening.lowestClearance);
  std::printf("  cam32.trj %4d frames, lowest %.0f above ground or sea; boat in view %d, waterfall %d, both %d\n",
              flight.frames, flight.lowestClearance, flight.boatFrames, flight.waterfallFrames, flight.bothFrames);
  // At 60 frames a second: the boat for two seconds, the falls for three, both together for one.
  if (flight.boatFrames < 120) folder.fail("island paths: cam32.trj shows the boat for too short a time");
  if (flight.waterfallFrames < 180) folder.fail("island paths: cam32.trj shows the waterfall for too short a time");
  if (flight.bothFrames < 60) folder.fail("island paths: cam32.trj never shows the boat and the waterfall together");
}

}  // namespace

void writeModels(ShowFolder& folder) {
  const modelkit::SkinnedModel chelou = modelkit::chelouModel();
  const modelkit::SkinnedModel monk = modelkit::monkModel();
  const modelkit::SkinnedModel boat = modelkit::boatModel();
  for (const modelkit::SkinnedModel* m : {&chelou, &boat}) {
    writeStaged(folder, m->model.name + ".md3", modelBytes(folder, *m));
    writeStaged(folder, m->model.name + ".skin", text(m->skinText));
    writeSkin(folder, {"models/"}, *m);
  }
  // The monk is shipped loose, outside the archives.
  folder.writeFile("data/models/moine.md3", modelBytes(folder, monk));
  folder.writeText("data/models/moine.skin", monk.skinText);
  writeSkin(folder, {"data/models/"}, monk);
  report(folder, modelkit::checkSingleModels(chelou, monk, boat));

  const modelkit::CharacterSet character = modelkit::characterModel();
  for (const modelkit::SkinnedModel* part : {&character.lower, &character.upper, &character.head}) {
    folder.writeFile("Doom/" + part->model.name + ".md3", modelBytes(folder, *part));
    folder.writeText("Doom/" + part->model.name + "_default.skin", part->skinText);
    writeSkin(folder, {"Doom/"}, *part);
  }
  folder.writeText("Doom/Animation.cfg", character.animationCfg);
  report(folder, modelkit::checkCharacter(character));
}

void writeTerrain(ShowFolder& folder) {
  const modelkit::HeightField field = modelkit::islandHeights();
  writeStaged(folder, "terrain.raw", field.heights);
  const Image picture = modelkit::terrainPicture(field);
  const std::vector<std::uint8_t> jpeg = encodeJpeg(picture, 88);
  if (jpeg.empty()) folder.fail("terrain: terrain.jpg could not be encoded");
  writeStaged(folder, "terrain.jpg", jpeg);
  savePreview("data/models/terrain.jpg", picture, false);
  for (const std::string& problem : modelkit::checkIsland(field)) folder.fail(problem);
}

void writeIslandPaths(ShowFolder& folder) {
  constexpr int kSize = modelkit::kTerrainSize;
  auto heights = folder.readFile("models/terrain.raw");
  if (!heights || heights->size() != static_cast<size_t>(kSize) * kSize) {
    folder.fail("island paths: models/terrain.raw is not there to fly the paths over (write the terrain)");
    return;
  }
  writePathsOver(folder, modelkit::HeightField{kSize, std::move(*heights)});
}

}  // namespace showkit
