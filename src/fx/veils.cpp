#include "fx/veils.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/frame_timer.h"
#include "platform/gl_extensions.h"
#include "platform/render_state.h"
#include "platform/settings.h"
#include "resources/texture_table.h"

namespace fx {
namespace {

// Fraction of the way from start to end. A zero-length fade (never asked for by the show)
// counts as already over instead of dividing by zero.
double fadeProgress(double nowMs, float startMs, float endMs) {
  const double length = static_cast<double>(endMs) - startMs;
  if (length <= 0.0) return 1.0;
  return (nowMs - startMs) / length;
}

void selectUnit0() {
  if (platform::glext.activeTexture) platform::glext.activeTexture(GL_TEXTURE0);
}

// The shared beginning of every veil: own modelview, no fog or depth test, blending on.
void beginVeil(GLenum srcFactor, GLenum dstFactor) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBlendFunc(srcFactor, dstFactor);
  glDisable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
}

void bindVeilTexture(std::uint32_t texture) {
  selectUnit0();
  glBindTexture(GL_TEXTURE_2D, texture);
  glEnable(GL_TEXTURE_2D);
}

}  // namespace

void drawVeilQuad(float sMax, float upperLeftT, float upperRightT) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-1.7f, -1.0f, 0.0f);
  glTexCoord2f(0.0f, upperLeftT);
  glVertex3f(-1.7f, 1.0f, 0.0f);
  glTexCoord2f(sMax, upperRightT);
  glVertex3f(1.7f, 1.0f, 0.0f);
  glTexCoord2f(sMax, 0.0f);
  glVertex3f(1.7f, -1.0f, 0.0f);
  glEnd();
}

namespace {

void drawFade(float alpha, float zExtra, float r, float g, float b, std::uint32_t texture) {
  beginVeil(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTranslatef(0.0f, 0.0f, -1.0f);
  if (zExtra != 0.0f) glTranslatef(0.0f, 0.0f, zExtra);
  glScalef(2.0f, 2.0f, 2.0f);
  glColor4f(r * kColourScale, g * kColourScale, b * kColourScale, alpha);
  bindVeilTexture(texture);
  // A fade that is over (alpha clamped to 0) would blend every pixel back to itself: the state
  // is left as drawing it would, but the window-sized quad is spared.
  if (alpha > 0.0f) drawVeilQuad(1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

}  // namespace

std::optional<float> fadeInAlpha(double nowMs, float startMs, float endMs) {
  if (!(nowMs > startMs)) return std::nullopt;
  return static_cast<float>(1.0 - fadeProgress(nowMs, startMs, endMs));
}

std::optional<float> fadeOutAlpha(double nowMs, float startMs, float endMs) {
  if (!(nowMs > startMs)) return std::nullopt;
  return static_cast<float>(fadeProgress(nowMs, startMs, endMs));
}

std::optional<float> fadeInWindowAlpha(double nowMs, float startMs, float endMs) {
  if (!(nowMs > startMs && nowMs < endMs)) return std::nullopt;
  return static_cast<float>(1.0 - fadeProgress(nowMs, startMs, endMs));
}

int noiseQuarterTurns(double effectMs) {
  if (!std::isfinite(effectMs)) return 0;
  // fmod keeps huge readings in range before the conversion to an integer.
  double whole = std::fmod(std::trunc(effectMs), 200.0);
  if (whole < 0) whole += 200.0;
  const int m = static_cast<int>(whole);
  if (m > 170) return 3;
  if (m > 120) return 2;
  if (m > 60) return 1;
  return 0;
}

float scrollUpperT(float tOffset, double nowMs) {
  return tOffset + 0.1f * static_cast<float>(std::sin(nowMs));
}

EchoLayer echoLayer(int index, int count, float step, float startAlpha) {
  EchoLayer layer;
  layer.inset = static_cast<float>(index) * step;
  layer.alpha = count > 0 ? startAlpha - static_cast<float>(index) * startAlpha / static_cast<float>(count)
                          : startAlpha;
  return layer;
}

int introEchoLayerCount(double nowMs) {
  return static_cast<int>(4.0 * std::cos(180.0 - nowMs / 300.0) + 6.0);
}

float introEchoStartAlpha(double nowMs) {
  return static_cast<float>(0.4 * std::cos(180.0 - nowMs / 300.0) + 1.2);
}

void fadeIn(float startMs, float endMs, float r, float g, float b, std::uint32_t texture) {
  const auto alpha = fadeInAlpha(platform::demoClockMs(), startMs, endMs);
  if (alpha) drawFade(*alpha, 0.0f, r, g, b, texture);
}

void fadeOut(float startMs, float endMs, float r, float g, float b, std::uint32_t texture) {
  const auto alpha = fadeOutAlpha(platform::demoClockMs(), startMs, endMs);
  if (alpha) drawFade(*alpha, 0.0f, r, g, b, texture);
}

void fadeInWindow(float startMs, float endMs, float r, float g, float b, std::uint32_t texture) {
  // A little further away than the other fades, so a near plane at 1 does not clip it.
  const auto alpha = fadeInWindowAlpha(platform::demoClockMs(), startMs, endMs);
  if (alpha) drawFade(*alpha, -0.06f, r, g, b, texture);
}

void noiseOverlay(float r, float g, float b, float repeat) {
  beginVeil(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTranslatef(0.0f, 0.0f, -1.0f);
  const int turns = noiseQuarterTurns(platform::effectClockMs());
  if (turns > 0) glRotatef(90.0f * static_cast<float>(turns), 0.0f, 0.0f, 1.0f);
  glScalef(2.0f, 2.0f, 2.0f);
  glColor4f(r, g, b, 0.1f);
  bindVeilTexture(resources::textureTable.noiseTexture);
  drawVeilQuad(repeat, repeat, repeat);
  glPopMatrix();
}

void scrollOverlay(float startMs, float r, float g, float b, float alpha, float sRepeat,
                   float tOffset, float scale, std::uint32_t texture) {
  if (!(platform::demoClockMs() > startMs)) return;
  beginVeil(GL_SRC_ALPHA, GL_ONE);
  glTranslatef(0.0f, 0.0f, -1.06f);
  glScalef(scale, scale, scale);
  glColor4f(r * kColourScale, g * kColourScale, b * kColourScale, alpha);
  bindVeilTexture(texture);
  // Each upper corner reads the clock on its own.
  const float leftT = scrollUpperT(tOffset, platform::demoClockMs());
  const float rightT = scrollUpperT(tOffset, platform::demoClockMs());
  drawVeilQuad(sRepeat, leftT, rightT);
  glPopMatrix();
}

void pushPixelProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, platform::settings.screenWidth, 0.0, platform::settings.screenHeight, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void popPixelProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void resetSceneState() {
  glColor3f(1.0f, 1.0f, 1.0f);
  platform::applyStandardRenderState();
  // Beyond the window's initial state: the veils leave blending on.
  glDisable(GL_BLEND);
}

void copyToTexture(int size, std::uint32_t texture) {
  glViewport(0, 0, size, size);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Only what the window holds: a 512 x 512 copy from a 480-high window would read rows that
  // do not exist (undefined in OpenGL); the texture keeps its previous rows there instead.
  const int copyWidth = std::clamp(platform::settings.screenWidth, 0, std::max(size, 0));
  const int copyHeight = std::clamp(platform::settings.screenHeight, 0, std::max(size, 0));
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copyWidth, copyHeight);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, platform::settings.screenWidth, platform::settings.screenHeight);
  glEnable(GL_SCISSOR_TEST);
}

namespace {

int forcedLayersPerPass = 0;

// How many echo layers the driver lets one pass add up: the texture units, when a unit can
// add its weighted texture to what the units before it made (GL_ATI_texture_env_combine3);
// 1 when not.
int driverLayersPerPass() {
  static const int units = [] {
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || !std::strstr(extensions, "GL_ATI_texture_env_combine3") || !platform::glext.multiTexCoord2f)
      return 1;
    GLint n = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &n);
    return std::clamp(static_cast<int>(n), 1, 8);
  }();
  return units;
}

}  // namespace

int echoLayersPerPass() { return forcedLayersPerPass > 0 ? forcedLayersPerPass : driverLayersPerPass(); }

void forceEchoLayersPerPass(int layers) { forcedLayersPerPass = std::clamp(layers, 0, driverLayersPerPass()); }

namespace {

// Layers first .. first + n - 1 in one quad: unit u samples the trail at layer first + u's
// corners and adds it, weighted by that layer's alpha, to the units before; the sum is added
// to the picture. The same sum as blending the layers one by one (SRC_ALPHA, ONE) where the
// copied frame is opaque, which the show's is wherever it holds colour; each layer's alpha
// saturates at 1 as a vertex colour would.
void drawEchoLayers(int first, int n, int count, float step, float margin, float startAlpha, float width,
                    float height) {
  const auto& gl = platform::glext;
  for (int u = 0; u < n; ++u) {
    gl.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(u));
    glBindTexture(GL_TEXTURE_2D, resources::textureTable.trailTexture);
    glEnable(GL_TEXTURE_2D);
    const float a = std::clamp(echoLayer(first + u, count, step, startAlpha).alpha, 0.0f, 1.0f);
    const GLfloat weight[4] = {a, a, a, a};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, weight);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, u == 0 ? GL_MODULATE : GL_MODULATE_ADD_ATI);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    // MODULATE takes its arguments 0 and 1, MODULATE_ADD computes 0 x 2 + 1.
    glTexEnvi(GL_TEXTURE_ENV, u == 0 ? GL_SOURCE1_RGB : GL_SOURCE2_RGB, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, u == 0 ? GL_OPERAND1_RGB : GL_OPERAND2_RGB, GL_SRC_COLOR);
    if (u > 0) {
      glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PREVIOUS);
      glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 1.0f);
    glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  }
  const float x[4] = {-margin, -margin, width + margin, width + margin};
  const float y[4] = {-margin, height + margin, height + margin, -margin};
  glBegin(GL_QUADS);
  for (int corner = 0; corner < 4; ++corner) {
    for (int u = 0; u < n; ++u) {
      const float s = echoLayer(first + u, count, step, startAlpha).inset;
      gl.multiTexCoord2f(GL_TEXTURE0 + static_cast<GLenum>(u), corner < 2 ? s : 1.0f - s,
                         corner == 0 || corner == 3 ? s : 1.0f - s);
    }
    glVertex2f(x[corner], y[corner]);
  }
  glEnd();
  for (int u = n - 1; u >= 1; --u) {
    gl.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(u));
    glDisable(GL_TEXTURE_2D);
  }
}

}  // namespace

void echoTrail(int count, float step, float margin, float startAlpha) {
  copyToTexture(resources::textureTable.targetSize, resources::textureTable.trailTexture);

  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  bindVeilTexture(resources::textureTable.trailTexture);

  const float width = static_cast<float>(platform::settings.screenWidth);
  const float height = static_cast<float>(platform::settings.screenHeight);
  pushPixelProjection();

  const int perPass = echoLayersPerPass();
  if (perPass > 1 && count > 1) {
    // As few passes as the units allow, the layers shared out evenly between them: each
    // layer's picture is sampled once, as before, but added to the frame in fewer passes.
    const int passes = (count + perPass - 1) / perPass;
    const int layers = (count + passes - 1) / passes;
    glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // Units the caller may have left on take no part.
    for (int u = perPass - 1; u >= 1; --u) {
      platform::glext.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(u));
      glDisable(GL_TEXTURE_2D);
    }
    for (int first = 0; first < count; first += layers)
      drawEchoLayers(first, std::min(layers, count - first), count, step, margin, startAlpha, width, height);
    glPopAttrib();
    // The colour and texture coordinates the layer-by-layer drawing ends with.
    const EchoLayer last = echoLayer(count - 1, count, step, startAlpha);
    glColor4f(1.0f, 1.0f, 1.0f, last.alpha);
    glTexCoord2f(1.0f - last.inset, last.inset);
  } else {
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
      const EchoLayer layer = echoLayer(i, count, step, startAlpha);
      const float s = layer.inset;
      glColor4f(1.0f, 1.0f, 1.0f, layer.alpha);
      glTexCoord2f(s, s);
      glVertex2f(-margin, -margin);
      glTexCoord2f(s, 1.0f - s);
      glVertex2f(-margin, height + margin);
      glTexCoord2f(1.0f - s, 1.0f - s);
      glVertex2f(width + margin, height + margin);
      glTexCoord2f(1.0f - s, s);
      glVertex2f(width + margin, -margin);
    }
    glEnd();
  }

  popPixelProjection();
  glDisable(GL_BLEND);
}

}  // namespace fx
