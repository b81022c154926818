#include "fx/sky_box.h"

#include <GL/gl.h>

#include "platform/gl_extensions.h"
#include "resources/texture_table.h"

namespace fx {

SkyBoxExtents skyBoxExtents(float cx, float cy, float cz, float sx, float sy, float sz) {
  SkyBoxExtents box;
  box.x0 = cx - sx / 2.0f;
  box.x1 = box.x0 + sx;
  box.y0 = cy - sy / 2.0f;
  box.y1 = box.y0 + sy;
  box.z0 = cz - sz / 2.0f;
  box.z1 = box.z0 + sz;
  return box;
}

std::array<SkyBoxFace, 6> skyBoxFaces(const SkyBoxExtents& b) {
  // The four sides, seen from inside the box, stand upright with their first row at the top.
  return {{
      {13, {{{b.x1, b.y0, b.z0, 1, 1}, {b.x1, b.y1, b.z0, 1, 0}, {b.x0, b.y1, b.z0, 0, 0}, {b.x0, b.y0, b.z0, 0, 1}}}},
      {14, {{{b.x0, b.y0, b.z1, 1, 1}, {b.x0, b.y1, b.z1, 1, 0}, {b.x1, b.y1, b.z1, 0, 0}, {b.x1, b.y0, b.z1, 0, 1}}}},
      {15, {{{b.x0, b.y0, b.z0, 1, 1}, {b.x0, b.y0, b.z1, 1, 0}, {b.x1, b.y0, b.z1, 0, 0}, {b.x1, b.y0, b.z0, 0, 1}}}},
      {16, {{{b.x1, b.y1, b.z0, 0, 0}, {b.x1, b.y1, b.z1, 0, 1}, {b.x0, b.y1, b.z1, 1, 1}, {b.x0, b.y1, b.z0, 1, 0}}}},
      {17, {{{b.x0, b.y1, b.z0, 1, 0}, {b.x0, b.y1, b.z1, 0, 0}, {b.x0, b.y0, b.z1, 0, 1}, {b.x0, b.y0, b.z0, 1, 1}}}},
      {18, {{{b.x1, b.y0, b.z0, 0, 1}, {b.x1, b.y0, b.z1, 1, 1}, {b.x1, b.y1, b.z1, 1, 0}, {b.x1, b.y1, b.z0, 0, 0}}}},
  }};
}

void drawSkyBox(float cx, float cy, float cz, float sx, float sy, float sz) {
  if (platform::glext.activeTexture) platform::glext.activeTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  for (const SkyBoxFace& face : skyBoxFaces(skyBoxExtents(cx, cy, cz, sx, sy, sz))) {
    glBindTexture(GL_TEXTURE_2D, resources::tableTexture(face.tableIndex).name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBegin(GL_QUADS);
    for (const SkyBoxVertex& v : face.corners) {
      glTexCoord2f(v.s, v.t);
      glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
  }
}

}  // namespace fx
