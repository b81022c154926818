#include "fx/screen_pictures.h"

#include <GL/gl.h>

#include "fx/pixel_scale.h"

namespace fx {

namespace {

// Opens the frame the picture and the fade share: enables and colour saved, culling off,
// centred pixel projection, fresh modelview, filled polygons.
void beginScreenDrawing(int w, int h) {
  glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
  glDisable(GL_CULL_FACE);
  setCentredPixelProjection(w, h);
  glPushMatrix();
  glLoadIdentity();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void endScreenDrawing() {
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

}  // namespace

void setCentredPixelProjection(int w, int h) {
  const int halfWidth = w / 2;
  const int halfHeight = h / 2;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, -10, 100);
  glMatrixMode(GL_MODELVIEW);
}

PixelQuad fullWindowQuad(int w, int h) {
  const auto x = static_cast<float>(w / 2);
  const auto y = static_cast<float>(h / 2);
  return {{{{-x, y}, {x, y}, {x, -y}, {-x, -y}}}};
}

void drawPicture(std::uint32_t texture, int w, int h, float alpha, bool keepDepth) {
  beginScreenDrawing(w, h);
  if (keepDepth)
    glDepthMask(GL_FALSE);
  else
    glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
  glColor4f(1, 1, 1, alpha);
  glBindTexture(GL_TEXTURE_2D, texture);
  const PixelQuad quad = fullWindowQuad(w, h);
  static constexpr float kTexture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(kTexture[i][0], kTexture[i][1]);
    glVertex2f(quad.corners[i][0], quad.corners[i][1]);
  }
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
  endScreenDrawing();
}

std::optional<float> whiteFadeAlpha(double start, double t, double length) {
  if (!(t - start < length)) return std::nullopt;
  return static_cast<float>((t - start) / length);
}

void whiteFade(int w, int h, double start, double t, double length) {
  const std::optional<float> alpha = whiteFadeAlpha(start, t, length);
  if (!alpha) return;
  beginScreenDrawing(w, h);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, *alpha);
  const PixelQuad quad = fullWindowQuad(w, h);
  glBegin(GL_QUADS);
  for (const auto& corner : quad.corners) glVertex2f(corner[0], corner[1]);
  glEnd();
  endScreenDrawing();
}

PixelQuad stencilFrameLine(float x0, float x1, float y0, float y1) {
  const float d = scaledPixels(2);
  return {{{{x0 + d, y1 - d}, {x1 - d, y1 - d}, {x1 - d, y0 + d}, {x0 + d, y0 + d}}}};
}

PixelQuad stencilRectangle(float x0, float x1, float y0, float y1) {
  const float d = scaledPixels(3);
  return {{{{x0 + d, y1 - d}, {x1 - d, y1 - d}, {x1 - d, y0 + d}, {x0 + d, y0 + d}}}};
}

MaskedRect stencilWindowInterior(float x0, float x1, float y0, float y1, int w, int h) {
  // The centred pixel projection's mapping from its coordinates to window pixels.
  const double halfWidth = w / 2, halfHeight = h / 2;
  auto windowX = [&](double x) { return (x + halfWidth) * w / (2 * halfWidth); };
  auto windowY = [&](double y) { return (y + halfHeight) * h / (2 * halfHeight); };
  const PixelQuad r = stencilRectangle(x0, x1, y0, y1);  // corners from the top left, clockwise
  return {windowX(r.corners[0][0]) + 1, windowY(r.corners[2][1]) + 1, windowX(r.corners[1][0]) - 1,
          windowY(r.corners[0][1]) - 1};
}

void stencilWindow(float x0, float x1, float y0, float y1, int w, int h) {
  glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  // A plain white line whatever texture the caller left bound (the enables come back below).
  glDisable(GL_TEXTURE_2D);
  setCentredPixelProjection(w, h);

  // The line must show whatever stencil function the last frame left (GL_EQUAL against a
  // freshly cleared buffer would hide it) and must not mark the stencil itself.
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  glPushMatrix();
  glLoadIdentity();
  glColor4f(1, 1, 1, 1);
  setLineWidth(2);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glBegin(GL_LINE_LOOP);
  for (const auto& corner : stencilFrameLine(x0, x1, y0, y1).corners) glVertex2f(corner[0], corner[1]);
  glEnd();
  glPopMatrix();
  setLineWidth(1);

  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glPushMatrix();
  glLoadIdentity();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBegin(GL_QUADS);
  for (const auto& corner : stencilRectangle(x0, x1, y0, y1).corners) glVertex2f(corner[0], corner[1]);
  glEnd();
  glPopMatrix();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();

  glStencilFunc(GL_EQUAL, 1, 1);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

}  // namespace fx
