// Everything the loading sequence builds for the show, in one place: the objects of the
// loading table and the two camera slots. Each slot owns its object; an empty slot means the
// object could not be made, and the scenes draw without it.
//
// Made once, in the table's order, behind the progress screen; destroyed once at shutdown, in
// the shutdown order, while the rendering context is still current.
#pragma once

#include <memory>
#include <string_view>

#include "fx/light_sprites.h"
#include "fx/particle_system.h"
#include "fx/view_frustum.h"
#include "resources/bitmap_font.h"
#include "world/bsp_level.h"
#include "world/camera_path.h"
#include "world/character.h"
#include "world/md3_model.h"
#include "world/terrain.h"

namespace demo {

class TunnelTube;
class FinalScene;

// The five glows of the second level and the point they circle, which travels along its own
// path. The sprite picture is loaded before the path is read.
struct LightCluster {
  LightCluster(std::string_view pathFile, std::string_view textureFile);
  void destroy();

  fx::LightSprites sprites;
  world::PointPath path;
};

// The plain sphere of the final scene's backdrop is drawn straight from its formula and keeps
// nothing; its slot only records that it was made.
struct StripSphere {};

struct SceneObjects {
  SceneObjects();
  ~SceneObjects();
  SceneObjects(const SceneObjects&) = delete;
  SceneObjects& operator=(const SceneObjects&) = delete;

  std::unique_ptr<world::Character> character;      //  1  "Doom"
  std::unique_ptr<StripSphere> stripSphere;         //  2
  std::unique_ptr<world::CameraPath> firstCamera;   //  3  cam.trj, later cam2, cam3, cam4
  std::unique_ptr<world::CameraPath> secondCamera;  //  4  cam32.trj
  std::unique_ptr<LightCluster> lightSprites;       //  5  ligths.trj
  std::unique_ptr<world::BspLevel> secondLevel;     //  6  brae2.bsp
  std::unique_ptr<world::BspLevel> firstLevel;      //  7  brae.bsp
  std::unique_ptr<world::BspLevel> thirdLevel;      //  8  brae3.bsp, never drawn
  std::unique_ptr<fx::ViewFrustum> frustum;         //  9
  std::unique_ptr<fx::ParticleSystem> particles;    // 10  fire and mist
  std::unique_ptr<TunnelTube> tunnel;               // 11
  std::unique_ptr<world::Md3Model> chelou;          // 12
  std::unique_ptr<world::Md3Model> monk;            // 13
  std::unique_ptr<world::Md3Model> boat;            // 14
  std::unique_ptr<world::Terrain> terrain;          // 15
  std::unique_ptr<FinalScene> finalScene;           // 16
  std::unique_ptr<resources::BitmapFont> font;      // 17  with the text of scroll.txt
};

extern SceneObjects sceneObjects;

// Objects 1 to 17 in the table's order. An object whose making throws is reported in an
// "ERROR 42" box with the exception's text and its slot stays empty.
void createSceneObjects();

// Every object that exists, in the shutdown order; the slots are empty afterwards.
void destroySceneObjects();

// The first camera slot takes a new path read from `fileName`; the old one is destroyed.
void replaceFirstCamera(std::string_view fileName);

// The frustum's box test for level rendering; everything passes without a frustum.
world::BoxInView frustumBoxTest();

}  // namespace demo
