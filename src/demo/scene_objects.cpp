#include "demo/scene_objects.h"

#include <exception>

#include "demo/final_scene.h"
#include "demo/tunnel.h"
#include "platform/message_box.h"
#include "platform/settings.h"
#include "platform/stop_signals.h"

namespace demo {

SceneObjects sceneObjects;

SceneObjects::SceneObjects() = default;
SceneObjects::~SceneObjects() = default;

LightCluster::LightCluster(std::string_view pathFile, std::string_view textureFile)
    : sprites(textureFile), path(world::PointPath::load(pathFile)) {}

void LightCluster::destroy() {
  sprites.destroy();
  path.destroy();
}

namespace {

// Makes one object into its slot. A failure (a mesh that cannot be built, a picture a scene
// cannot do without, memory) is told in a box and the show goes on without the object.
template <class T, class Make>
void createSlot(std::unique_ptr<T>& slot, Make make) {
  // Once a stop is asked for, the objects still to come are not made.
  if (platform::stopRequested()) return;
  try {
    slot = make();
  } catch (const std::exception& e) {
    slot.reset();
    platform::showMessageBox("ERROR 42", e.what(), platform::BoxIcon::Warning);
  }
}

std::unique_ptr<world::BspLevel> loadLevel(const char* file, float lightmapScale) {
  auto level = std::make_unique<world::BspLevel>();
  level->load(file, lightmapScale);
  return level;
}

std::unique_ptr<world::Md3Model> loadModel(const char* file, const char* skin, bool tgaSkin) {
  auto model = std::make_unique<world::Md3Model>(world::Md3Model::load(file));
  if (tgaSkin)
    model->loadSkinTga(skin, "data\\models");
  else
    model->loadSkinJpeg(skin, "data\\models");
  return model;
}

// Gives an object's GL resources back and empties its slot, when there is one.
template <class T>
void destroySlot(std::unique_ptr<T>& slot) {
  if (!slot) return;
  slot->destroy();
  slot.reset();
}

}  // namespace

void createSceneObjects() {
  SceneObjects& o = sceneObjects;
  const int width = platform::settings.screenWidth;
  const int height = platform::settings.screenHeight;
  createSlot(o.character, [] { return std::make_unique<world::Character>(world::Character::load("Doom")); });
  createSlot(o.stripSphere, [] { return std::make_unique<StripSphere>(); });
  createSlot(o.firstCamera, [] { return std::make_unique<world::CameraPath>(world::CameraPath::load("cam.trj")); });
  createSlot(o.secondCamera, [] { return std::make_unique<world::CameraPath>(world::CameraPath::load("cam32.trj")); });
  createSlot(o.lightSprites, [] { return std::make_unique<LightCluster>("ligths.trj", "Textures\\part.tga"); });
  createSlot(o.secondLevel, [] { return loadLevel("data\\map\\brae2.bsp", 0.5f); });
  createSlot(o.firstLevel, [] { return loadLevel("data\\map\\brae.bsp", 1.0f); });
  createSlot(o.thirdLevel, [] { return loadLevel("data\\map\\brae3.bsp", 2.0f); });
  createSlot(o.frustum, [] { return std::make_unique<fx::ViewFrustum>(); });
  createSlot(o.particles, [] {
    return std::make_unique<fx::ParticleSystem>(500, 0.15f, "Textures\\part.tga", fx::Rgb{1.0f, 0.75f, 0.5f},
                                                fx::Rgb{1.0f, 0.4f, 0.05f});
  });
  createSlot(o.tunnel, [] { return std::make_unique<TunnelTube>("Textures\\alpha.jpg", "Textures\\bump.jpg", 20, 0.016f); });
  createSlot(o.chelou, [] { return loadModel("data\\models\\chelou.md3", "data\\models\\chelou.skin", true); });
  createSlot(o.monk, [] { return loadModel("data\\models\\moine.md3", "data\\models\\moine.skin", false); });
  createSlot(o.boat, [] { return loadModel("data\\models\\boat.md3", "data\\models\\boat.skin", false); });
  createSlot(o.terrain, [] {
    auto terrain = std::make_unique<world::Terrain>(world::Terrain::load(
        1024, "data\\models\\Terrain.raw", "data\\models\\Terrain.jpg", "Textures\\Detail.jpg"));
    terrain->buildList(10);
    return terrain;
  });
  createSlot(o.finalScene, [width, height] { return std::make_unique<FinalScene>(width, height); });
  createSlot(o.font, [width] {
    auto font = std::make_unique<resources::BitmapFont>();
    font->create(resources::bitmapFontHeight(width));
    font->loadText("scroll.txt");
    return font;
  });
}

void destroySceneObjects() {
  SceneObjects& o = sceneObjects;
  destroySlot(o.firstLevel);
  o.frustum.reset();
  destroySlot(o.character);
  destroySlot(o.chelou);
  destroySlot(o.boat);
  destroySlot(o.particles);
  destroySlot(o.tunnel);
  destroySlot(o.secondLevel);
  destroySlot(o.firstCamera);
  destroySlot(o.secondCamera);
  destroySlot(o.terrain);
  destroySlot(o.lightSprites);
  o.stripSphere.reset();
  destroySlot(o.finalScene);
  // Never drawn, and the font's lists are not used after loading: they go last.
  destroySlot(o.thirdLevel);
  destroySlot(o.monk);
  destroySlot(o.font);
}

void replaceFirstCamera(std::string_view fileName) {
  destroySlot(sceneObjects.firstCamera);
  createSlot(sceneObjects.firstCamera,
             [fileName] { return std::make_unique<world::CameraPath>(world::CameraPath::load(fileName)); });
}

world::BoxInView frustumBoxTest() {
  const fx::ViewFrustum* frustum = sceneObjects.frustum.get();
  return [frustum](float x0, float y0, float z0, float x1, float y1, float z1) {
    return !frustum || frustum->containsBox(x0, y0, z0, x1, y1, z1);
  };
}

}  // namespace demo
