#include "support/drawing_test.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <sstream>

#include "platform/gl_extensions.h"

namespace testing_support {

void resetDrawingState(int width, int height) {
  glViewport(0, 0, width, height);
  glScissor(0, 0, width, height);
  for (const GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    platform::glext.activeTexture(unit);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (const GLenum capability : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_LIGHTING, GL_FOG, GL_STENCIL_TEST, GL_SCISSOR_TEST})
    glDisable(capability);
  glDepthMask(GL_TRUE);
  glColor4f(1, 1, 1, 1);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

Rgba readPixel(int x, int y, int height) {
  std::uint8_t p[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2], p[3]};
}

std::vector<std::string> standardStateDifferences() {
  std::vector<std::string> differences;
  auto integer = [](GLenum name) {
    GLint v = 0;
    glGetIntegerv(name, &v);
    return v;
  };
  auto floats = [](GLenum name) {
    std::vector<GLfloat> v(4, 0.0f);
    glGetFloatv(name, v.data());
    return v;
  };
  auto expect = [&](bool held, const std::string& what) {
    if (!held) differences.push_back(what);
  };
  auto near = [](const std::vector<GLfloat>& v, std::initializer_list<float> want) {
    size_t i = 0;
    for (const float w : want)
      if (std::fabs(v[i++] - w) > 1e-6f) return false;
    return true;
  };
  expect(near(floats(GL_CURRENT_COLOR), {1, 1, 1}), "colour not white");
  expect(integer(GL_SHADE_MODEL) == GL_SMOOTH, "shading not smooth");
  expect(near(floats(GL_COLOR_CLEAR_VALUE), {0, 0, 0, 0}), "clear colour not black");
  expect(near(floats(GL_DEPTH_CLEAR_VALUE), {1}), "clear depth not 1");
  expect(glIsEnabled(GL_DEPTH_TEST), "depth test off");
  expect(integer(GL_DEPTH_FUNC) == GL_LEQUAL, "depth function not less-or-equal");
  expect(integer(GL_DEPTH_WRITEMASK) == GL_TRUE, "depth writes off");
  expect(integer(GL_PERSPECTIVE_CORRECTION_HINT) == GL_NICEST, "perspective hint not nicest");
  expect(integer(GL_BLEND_SRC) == GL_SRC_ALPHA && integer(GL_BLEND_DST) == GL_ONE, "blend function not additive alpha");
  expect(!glIsEnabled(GL_BLEND), "blending on");
  expect(glIsEnabled(GL_CULL_FACE) && integer(GL_CULL_FACE_MODE) == GL_FRONT, "front faces not culled");
  expect(glIsEnabled(GL_FOG), "fog off");
  expect(integer(GL_FOG_MODE) == GL_EXP2, "fog not exponential squared");
  expect(near(floats(GL_FOG_COLOR), {0.25f, 0.25f, 0.25f, 1.0f}), "fog not grey");
  expect(near(floats(GL_FOG_DENSITY), {0.0016f}), "fog density changed");
  expect(integer(GL_FOG_HINT) == GL_NICEST, "fog hint not nicest");
  expect(near(floats(GL_FOG_START), {1}) && near(floats(GL_FOG_END), {500}), "fog range changed");
  return differences;
}

}  // namespace testing_support
