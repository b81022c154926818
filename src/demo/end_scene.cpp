#include "demo/end_scene.h"

#include <GL/gl.h>

#include <cmath>

#include "demo/cue_sheet.h"
#include "demo/scene_drawing.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace demo {

namespace {

struct CubeCorner {
  float s, t;
  float x, y, z;
};
// Six faces of four corners: texture coordinate, then position.
constexpr CubeCorner kCube[24] = {
    {0, 0, -1, -1, 1},  {1, 0, 1, -1, 1},   {1, 1, 1, 1, 1},    {0, 1, -1, 1, 1},     // z = +1
    {1, 0, -1, -1, -1}, {1, 1, -1, 1, -1},  {0, 1, 1, 1, -1},   {0, 0, 1, -1, -1},    // z = -1
    {0, 1, -1, 1, -1},  {0, 0, -1, 1, 1},   {1, 0, 1, 1, 1},    {1, 1, 1, 1, -1},     // y = +1
    {-1, -1, -1, -1, -1}, {0, -1, 1, -1, -1}, {0, 0, 1, -1, 1}, {-1, 0, -1, -1, 1},  // y = -1
    {1, 0, 1, -1, -1},  {1, 1, 1, 1, -1},   {0, 1, 1, 1, 1},    {0, 0, 1, -1, 1},     // x = +1
    {0, 0, -1, -1, -1}, {1, 0, -1, -1, 1},  {1, 1, -1, 1, 1},   {0, 1, -1, 1, -1},    // x = -1
};

}  // namespace

float endScrollOffset(float scrollMs) { return scrollMs * cue::kEndScrollPerMs - 25.0f; }

void drawEndScene(bool afterAnotherScene) {
  if (!script.drawing) {
    script.endSpin = static_cast<float>(platform::effectClockMs());
    script.endScroll += script.frameDelta;
    return;
  }
  setShowProjection(150.0f, platform::settings.aspectRatio, 0.1, 700.0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  script.endSpin = static_cast<float>(platform::effectClockMs());

  // The scene clears inside the letterbox; on every frame but the first the frame's own clear
  // has just done so and nothing has been drawn since, so the window-sized pass is spared.
  if (afterAnotherScene) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -3.0f);
  glPushMatrix();

  // The credits, in the colour the noise quad left last frame.
  script.endScroll += script.frameDelta;
  glTranslatef(0.0f, endScrollOffset(script.endScroll), 0.0f);
  glScalef(4.0f, 4.0f, 4.0f);
  bindOnUnit0(resources::tableTextureName(resources::kScrollPicture));
  glBegin(GL_QUADS);
  unit0TexCoord(0.0f, 1.0f);
  glVertex3f(-3.0f, -6.0f, 0.0f);
  unit0TexCoord(0.0f, 0.0f);
  glVertex3f(-3.0f, 6.0f, 0.0f);
  unit0TexCoord(1.0f, 0.0f);
  glVertex3f(3.0f, 6.0f, 0.0f);
  unit0TexCoord(1.0f, 1.0f);
  glVertex3f(3.0f, -6.0f, 0.0f);
  glEnd();
  glPopMatrix();

  // The tumbling cube: 1/13 degree a millisecond about a wandering axis.
  const float spin = script.endSpin;
  glColor4f(0.7f, 0.1f, 0.2f, 1.0f);
  glScalef(3.0f, 3.0f, 3.0f);
  glRotatef(spin * 0.07692308f, std::sin(0.0005f * spin), std::cos(0.00083333335f * spin), std::sin(0.001f * spin));
  bindOnUnit0(resources::tableTextureName(resources::kSpherePicture));
  glBegin(GL_QUADS);
  for (const CubeCorner& c : kCube) {
    glTexCoord2f(c.s, c.t);
    glVertex3f(c.x, c.y, c.z);
  }
  glEnd();

  // The noise, turned by quarters with the effect clock.
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -2.0f);
  const int turns = fx::noiseQuarterTurns(platform::effectClockMs());
  if (turns > 0) glRotatef(90.0f * static_cast<float>(turns), 0.0f, 0.0f, 1.0f);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glColor3f(0.5f, 0.5f, 0.5f);
  bindOnUnit0(resources::textureTable.noiseTexture);
  glScalef(4.0f, 4.0f, 4.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.0f, -1.0f, 1.0f);
  glTexCoord2f(6.0f, 0.0f);
  glVertex3f(1.0f, -1.0f, 1.0f);
  glTexCoord2f(6.0f, 6.0f);
  glVertex3f(1.0f, 1.0f, 1.0f);
  glTexCoord2f(0.0f, 6.0f);
  glVertex3f(-1.0f, 1.0f, 1.0f);
  glEnd();

  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}

}  // namespace demo
