#include "fx/pixel_scale.h"

#include <GL/gl.h>

#include <algorithm>

namespace fx {
namespace {

struct PixelScaleState {
  int n = 1;
};
PixelScaleState pixelScaleState;

}  // namespace

void setPixelScale(int n) { pixelScaleState.n = std::clamp(n, 1, 4); }

int pixelScale() { return pixelScaleState.n; }

void setLineWidth(float width) {
  if (pixelScaleState.n == 1) {
    glLineWidth(width);
    return;
  }
  GLfloat range[2] = {1.0f, 1.0f};
  glGetFloatv(glIsEnabled(GL_LINE_SMOOTH) ? GL_SMOOTH_LINE_WIDTH_RANGE : GL_ALIASED_LINE_WIDTH_RANGE, range);
  glLineWidth(std::clamp(width, range[0], range[1]) * static_cast<float>(pixelScaleState.n));
}

}  // namespace fx
