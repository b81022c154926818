#include "demo/scene_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/gl_extensions.h"
#include "platform/settings.h"

namespace demo {

void bindOnUnit0(std::uint32_t texture) {
  if (platform::glext.activeTexture) platform::glext.activeTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
}

void unit0TexCoord(float s, float t) {
  if (platform::glext.multiTexCoord2f)
    platform::glext.multiTexCoord2f(GL_TEXTURE0, s, t);
  else
    glTexCoord2f(s, t);
}

void setShowProjection(float fieldOfView, float aspect, double zNear, double zFar) {
  const auto& s = platform::settings;
  glViewport(0, 0, s.screenWidth, s.screenHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fieldOfView, aspect, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void setWindowProjection(double zNear, double zFar) {
  setShowProjection(platform::settings.fieldOfView, platform::settings.aspectRatio, zNear, zFar);
}

}  // namespace demo
