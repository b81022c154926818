#include "demo/island_scene.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "fx/sky_box.h"
#include "platform/gl_extensions.h"
#include "resources/texture_table.h"

namespace demo {

namespace {

void drawBoat(float s) {
  world::Md3Model* boat = sceneObjects.boat.get();
  if (!boat) return;
  const float w = boatSway(s);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glPushMatrix();
  glTranslatef(1379.0f, 60.0f + w, 315.0f);
  glRotatef(-30.0f - w, 0.0f, 1.0f, 0.0f);
  glRotatef(-80.0f - w, 1.0f, 0.0f, 0.0f);
  glRotatef(-30.0f - w, 0.0f, 0.0f, 1.0f);
  glScalef(0.3f, 0.5f, 0.5f);
  boat->draw(0.0f);
  glPopMatrix();
}

void drawTerrain(float fogEyeHeight) {
  const IslandFog fog = islandFog(fogEyeHeight);
  world::Terrain::setFog(fog.red, fog.green, fog.blue, fog.alpha, fog.start, fog.end);
  if (sceneObjects.terrain && sceneObjects.terrain->list() != 0) glCallList(sceneObjects.terrain->list());
  // The list leaves the detail unit on and scaled, and the fog reading the coordinates only
  // the ground carries; what follows is drawn on unit 0 alone, and the fog goes back to
  // distance for the scenes after this one.
  if (platform::glext.activeTexture) {
    platform::glext.activeTexture(GL_TEXTURE1_ARB);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
    platform::glext.activeTexture(GL_TEXTURE0_ARB);
  }
  glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FRAGMENT_DEPTH_EXT);
  // Fog fitted to the ground's coordinates (gone by 100 units) would swallow the sea, the
  // waterfall and the sky, which carry none: they are drawn clear.
  glDisable(GL_FOG);
}

void drawSea(float s) {
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.05f, 0.2f, 0.5f, 1.0f);
  glBegin(GL_QUADS);
  for (int i = 0; i < 15; ++i)
    for (int j = 0; j < 15; ++j) {
      const float x0 = 128.0f * static_cast<float>(i), x1 = 128.0f * static_cast<float>(i + 1);
      const float z0 = 128.0f * static_cast<float>(j), z1 = 128.0f * static_cast<float>(j + 1);
      glVertex3f(x0, seaHeight(i, j, s), z0);
      glVertex3f(x0, seaHeight(i, j + 1, s), z1);
      glVertex3f(x1, seaHeight(i + 1, j + 1, s), z1);
      glVertex3f(x1, seaHeight(i + 1, j, s), z0);
    }
  glEnd();
}

struct FallCorner {
  float x, y, z;
  float s, tBase;
  int scroll;  // 0: u, 1: v, 2: q
};
// The river's surface, its lip, and four strips down the cliff into the pool.
constexpr FallCorner kWaterfall[6][4] = {
    {{1090, 317, 1386, 0, 0, 0}, {1000, 317, 1386, 1, 0, 0}, {1000, 317, 1305, 1, 1, 0}, {1090, 317, 1305, 0, 1, 0}},
    {{1090, 317, 1305, 1, 1, 1}, {1000, 317, 1305, 0, 1, 1}, {1040, 300, 1285, 0, 1.3f, 1}, {1070, 300, 1285, 1, 1.3f, 1}},
    {{1040, 300, 1285, 0, 1.3f, 2}, {1070, 300, 1285, 1, 1.3f, 2}, {1080, 200, 1240, 1, 1.6f, 2}, {1040, 200, 1240, 0, 1.6f, 2}},
    {{1040, 200, 1240, 0, 1.6f, 2}, {1080, 200, 1240, 1, 1.6f, 2}, {1080, 100, 1220, 1, 2, 2}, {1040, 100, 1220, 0, 2, 2}},
    {{1040, 100, 1220, 0, 2, 2}, {1080, 100, 1220, 1, 2, 2}, {1092, 70, 1190, 1, 2.3f, 2}, {1040, 70, 1190, 0, 2.3f, 2}},
    {{1040, 70, 1190, 0, 2.3f, 2}, {1092, 70, 1190, 1, 2.3f, 2}, {1090, 40, 1140, 1, 2.5f, 2}, {1040, 40, 1140, 0, 2.5f, 2}},
};

void drawWaterfall(float s) {
  const float scroll[3] = {s / 1000.0f, s / 700.0f, s / 400.0f};
  glColor4f(0.05f, 0.5f, 0.8f, 1.0f);
  bindOnUnit0(resources::tableTextureName(resources::kWavesPicture));
  glBegin(GL_QUADS);
  for (const auto& quad : kWaterfall)
    for (const FallCorner& c : quad) {
      glTexCoord2f(c.s, c.tBase - scroll[c.scroll]);
      glVertex3f(c.x, c.y, c.z);
    }
  glEnd();
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

}  // namespace

void drawIslandMist() {
  fx::ParticleSystem* mist = sceneObjects.particles.get();
  if (!mist) return;
  const float dt = script.frameDelta;
  const bool drawing = script.drawing;
  if (drawing) glPushMatrix();
  mist->setColours({0.8f, 0.8f, 0.8f}, {0.5f, 0.7f, 1.0f});
  mist->setActiveCount(105);
  const struct {
    float x, y, z, slowdown;
  } emitters[4] = {{1040, 40, 1140, 14.8f}, {15, 0, -6, 14.5f}, {15, 0, 6, 15}, {-15, -9, 10, 15}};
  // Each emitter shows the set as its own update leaves it.
  for (const auto& e : emitters) {
    if (drawing) glTranslatef(e.x, e.y, e.z);
    mist->update(dt / e.slowdown);
    if (drawing) mist->draw();
  }
  if (drawing) glPopMatrix();
}

float boatSway(float s) { return 2.0f * (0.04f * std::sin(s + 5.0f) + std::sin(0.04f * s + 5.0f)); }

float seaHeight(int a, int b, float s) {
  return 48.0f + 3.0f * (std::sin(0.04f * s + static_cast<float>(a)) + 0.04f * std::sin(s + static_cast<float>(b)));
}

IslandFog islandFog(float eyeHeight) {
  if (eyeHeight >= kWaterLevel) return {0.6f, 0.7f, 0.7f, 0.3f, 50.0f, 100.0f};
  return {0.4f, 0.7f, 0.7f, 0.3f, 30.0f, 100.0f};
}

void drawIslandScene(float s, float fogEyeHeight) {
  if (!script.drawing) {
    drawIslandMist();
    return;
  }
  drawBoat(s);
  drawTerrain(fogEyeHeight);
  drawSea(s);
  drawWaterfall(s);
  fx::drawSkyBox(1024.0f, 0.0f, 1024.0f, 3300.0f, 3300.0f, 3300.0f);
  glEnable(GL_FOG);
  drawIslandMist();
}

}  // namespace demo
