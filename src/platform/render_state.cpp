#include "platform/render_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/gl_extensions.h"
#include "platform/settings.h"

namespace platform {

void applyStandardRenderState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glCullFace(GL_FRONT);
  glEnable(GL_CULL_FACE);
  glFogi(GL_FOG_MODE, GL_EXP2);
  const GLfloat fogColour[4] = {0.25f, 0.25f, 0.25f, 1.0f};
  glFogfv(GL_FOG_COLOR, fogColour);
  glFogf(GL_FOG_DENSITY, 0.0016f);
  glHint(GL_FOG_HINT, GL_NICEST);
  glFogf(GL_FOG_START, 1.0f);
  glFogf(GL_FOG_END, 500.0f);
  glEnable(GL_FOG);
}

void setWindowProjection(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(settings.fieldOfView, settings.aspectRatio, 1.0, 3000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

ScopedClientArrays::ScopedClientArrays() {
  static const GLint units = [] {
    GLint n = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &n);
    return n;
  }();
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  for (GLint unit = units - 1; unit >= 0; --unit) {
    if (glext.clientActiveTexture) glext.clientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

ScopedClientArrays::~ScopedClientArrays() { glPopClientAttrib(); }

}  // namespace platform
