#include <initializer_list>

#include "island_terrain.h"
#include "model_checks.h"
#include "picture_files.h"
#include "show_model_set.h"
#include "show_models.h"

namespace showkit {

namespace {

// Files of models.dat go into models/ for the archive step and loose into data/models/,
// where the loading sequence would unpack them.
void writeBoth(ShowFolder& folder, const std::string& name, std::span<const std::uint8_t> bytes) {
  folder.writeFile("models/" + name, bytes);
  folder.writeFile("data/models/" + name, bytes);
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

}  // namespace

void writeModels(ShowFolder& folder) {
  const modelkit::SkinnedModel chelou = modelkit::chelouModel();
  const modelkit::SkinnedModel monk = modelkit::monkModel();
  const modelkit::SkinnedModel boat = modelkit::boatModel();
  for (const modelkit::SkinnedModel* m : {&chelou, &boat}) {
    writeBoth(folder, m->model.name + ".md3", modelBytes(folder, *m));
    writeBoth(folder, m->model.name + ".skin", text(m->skinText));
    writeSkin(folder, {"models/", "data/models/"}, *m);
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
  writeBoth(folder, "terrain.raw", field.heights);
  const Image picture = modelkit::terrainPicture(field);
  const std::vector<std::uint8_t> jpeg = encodeJpeg(picture, 88);
  if (jpeg.empty()) folder.fail("terrain: terrain.jpg could not be encoded");
  writeBoth(folder, "terrain.jpg", jpeg);
  savePreview("data/models/terrain.jpg", picture, false);
  for (const std::string& problem : modelkit::checkIsland(field)) folder.fail(problem);
}

}  // namespace showkit
