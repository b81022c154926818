#include "demo/intro_objects.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "resources/texture_table.h"

namespace demo {

namespace {

double now() { return platform::demoClockMs(); }

struct Light {
  GLfloat diffuse[4];
  GLfloat position[4];
};

// Lights 1 and 2 with a grey ambient term and a faint quadratic fall-off, placed in the world
// by the camera on the modelview.
void setLights(const Light& one, const Light& two) {
  const GLfloat ambient[4] = {0.5f, 0.5f, 0.5f, 0.0f};
  GLenum id = GL_LIGHT1;
  for (const Light* light : {&one, &two}) {
    glLightfv(id, GL_AMBIENT, ambient);
    glLightfv(id, GL_DIFFUSE, light->diffuse);
    glLightfv(id, GL_POSITION, light->position);
    glLightf(id, GL_QUADRATIC_ATTENUATION, 0.00005f);
    glEnable(id);
    id = GL_LIGHT2;
  }
  glEnable(GL_LIGHTING);
}

bool inView(float x, float y, float z) {
  return !sceneObjects.frustum || sceneObjects.frustum->containsPoint(x, y, z);
}

void drawCharacter() {
  world::Character* character = sceneObjects.character.get();
  if (!character) return;
  if (cue::kRunnerFallStartMs < now() && now() < cue::kRunnerFallEndMs && character->lowerAnimation() != 0) {
    character->setLowerAnimationIndex(0);
    character->setAnimation(character->lowerAnimation());  // the fall, for both halves
  }
  const float s = script.sceneClock;  // the runner covers 120 units a second along -z
  if (!(now() < cue::kRunnerEndMs && inView(0.0f, 25.0f, -s))) return;
  if (!script.drawing) {
    character->advance(script.frameDelta * 1.5f);
    return;
  }
  glPushMatrix();
  setLights({{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 74.0f, 34.0f, 1.0f}},
            {{1.0f, 1.0f, 1.0f, 0.0f}, {0.0f, 68.0f, -260.0f, 1.0f}});
  glTranslatef(0.0f, 25.0f, -s);
  glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
  glScalef(3.0f, 3.0f, 3.0f);
  character->draw(script.frameDelta * 1.5f);
  glDisable(GL_LIGHTING);
  glPopMatrix();
}

void drawMonks() {
  if (!(insideWindow(kMonkGroup, now()) && inView(kMonkGroup.x, kMonkGroup.y, kMonkGroup.z))) return;
  if (!script.drawing) {
    if (fx::ParticleSystem* fire = sceneObjects.particles.get()) fire->update(script.frameDelta / 2.8f);
    return;
  }
  setLights({{1.0f, 0.8f, 0.8f, 0.0f}, {-325.0f, 20.0f, -227.0f, 0.6f}},
            {{1.0f, 1.0f, 1.0f, 0.0f}, {-325.0f, 20.0f, -227.0f, 0.5f}});
  if (world::Md3Model* monk = sceneObjects.monk.get()) {
    for (int i = 0; i < 3; ++i) {
      const MonkPlace place = monkPlace(i, now());
      glPushMatrix();
      glTranslatef(place.x, place.y, place.z);
      glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
      glRotatef(place.turn, 0.0f, 0.0f, 1.0f);
      monk->draw(0.0f);
      glPopMatrix();
    }
  }
  glDisable(GL_LIGHTING);
  if (fx::ParticleSystem* fire = sceneObjects.particles.get()) {
    glPushMatrix();
    glTranslatef(-350.0f, 5.0f, -235.0f);
    fire->update(script.frameDelta / 2.8f);
    fire->draw();
    glPopMatrix();
  }
}

void drawColumn() {
  if (!(insideWindow(kColumnGroup, now()) && inView(kColumnGroup.x, kColumnGroup.y, kColumnGroup.z))) return;
  bindOnUnit0(resources::tableTextureName(resources::kGlassPicture));
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_FOG);
  glPushMatrix();
  glTranslatef(-396.0f, 100.0f, 131.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glScalef(7.4f, 7.4f, 3.0f);
  // 90 units of glass hanging down from y = 100.
  if (GLUquadric* quadric = platform::sharedQuadric()) gluCylinder(quadric, 1.6, 1.6, 30.0, 32, 32);
  glPopMatrix();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glEnable(GL_CULL_FACE);
  glEnable(GL_FOG);
  if (world::Md3Model* chelou = sceneObjects.chelou.get()) {
    glPushMatrix();
    glTranslatef(-396.0f, 37.0f, 131.0f);
    glScalef(0.1f, 0.1f, 0.1f);
    glRotatef(2.0f * script.sceneClock, 1.0f, 1.0f, 1.0f);
    chelou->draw(0.0f);
    glPopMatrix();
  }
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}

}  // namespace

MonkPlace monkPlace(int index, double nowMs) {
  const double phase = 0.005 * nowMs;  // radians
  switch (index) {
    case 0:
      return {-236.0f, static_cast<float>(37.0 + 2.0 * std::cos(phase)), -336.0f, 220.0f};
    case 1:
      return {-344.0f, static_cast<float>(37.0 + 2.0 * std::sin(phase)), -184.0f, 90.0f};
    default:
      return {-296.0f, static_cast<float>(37.0 + 2.0 * std::cos(std::sin(phase))), -232.0f, 180.0f};
  }
}

void drawIntroObjects() {
  drawCharacter();
  drawMonks();
  if (!script.drawing) return;
  drawColumn();
  // From black (1 on the 0..255 scale) over the first two seconds.
  if (now() < cue::kOpeningFadeDrawnUntilMs) {
    fx::fadeIn(0.0f, cue::kOpeningFadeEndMs, 1.0f, 1.0f, 1.0f, 0);
    fx::resetSceneState();
  }
}

}  // namespace demo
