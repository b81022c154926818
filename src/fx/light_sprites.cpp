#include "fx/light_sprites.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "resources/tga_image.h"

namespace fx {

void drawBillboard(float a, float cx, float cy, float cz) {
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const Float3 r{m[0], m[4], m[8]};
  const Float3 u{m[1], m[5], m[9]};
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(cx - a * (r.x + u.x), cy - a * (r.y + u.y), cz - a * (r.z + u.z));
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(cx + a * (r.x - u.x), cy + a * (r.y - u.y), cz + a * (r.z - u.z));
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(cx + a * (r.x + u.x), cy + a * (r.y + u.y), cz + a * (r.z + u.z));
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(cx + a * (u.x - r.x), cy + a * (u.y - r.y), cz + a * (u.z - r.z));
  glEnd();
}

LightSprite lightSprite(int index, double nowMs, const Float3& point, float radius) {
  const double i = index;
  LightSprite sprite;
  sprite.colour = {static_cast<float>(std::cos(0.001 * i * nowMs)),
                   static_cast<float>(std::cos(0.00083333335 * i * nowMs)),
                   static_cast<float>(std::cos(0.00125 * i * nowMs))};
  sprite.position = {point.x + radius * static_cast<float>(std::cos(0.001 * i * nowMs)),
                     point.y + radius * static_cast<float>(std::sin(0.001 * i * nowMs)),
                     point.z + radius * static_cast<float>(std::cos(0.00125 * i * nowMs))};
  return sprite;
}

LightSprites::LightSprites(std::string_view textureFile) {
  if (!textureFile.empty()) texture_ = resources::loadTgaTexture(textureFile);
}

void LightSprites::draw(const Float3& point, float radius, float size) const {
  if (platform::glext.activeTexture) platform::glext.activeTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture_.name);
  glEnable(GL_TEXTURE_2D);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  glDisable(GL_FOG);

  for (int i = 1; i <= kLightSpriteCount; ++i) {
    // One clock reading per sprite keeps its colour and its place in step.
    const LightSprite sprite = lightSprite(i, platform::demoClockMs(), point, radius);
    glPushMatrix();
    glColor3f(sprite.colour.r, sprite.colour.g, sprite.colour.b);
    drawBillboard(size, sprite.position.x, sprite.position.y, sprite.position.z);
    glPopMatrix();
  }

  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);
  glEnable(GL_FOG);
}

void LightSprites::destroy() { resources::releaseTexture(texture_); }

}  // namespace fx
