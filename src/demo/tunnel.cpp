#include "demo/tunnel.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "demo/cue_sheet.h"
#include "demo/scene_drawing.h"
#include "demo/scene_objects.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"
#include "resources/jpeg_texture.h"
#include "resources/texture_table.h"

namespace demo {

TunnelTube::TunnelTube(std::string_view innerTexture, std::string_view outerTexture, int segments, float speed)
    : segments_(std::clamp(segments, 1, kMaxSegments)),
      speed_(speed),
      vertices_(static_cast<size_t>(segments_ + 1) * kRings),
      inner_(resources::loadJpegTexture(innerTexture)),
      outer_(resources::loadJpegTexture(outerTexture)) {
  rebuild();
}

void TunnelTube::rebuild() {
  constexpr float kTwoPi = 6.2831855f;
  for (int i = 0; i <= segments_; ++i) {
    const float angle = kTwoPi * static_cast<float>(i) / static_cast<float>(segments_);
    for (int j = 0; j < kRings; ++j)
      vertices_[static_cast<size_t>(i) * kRings + j] = {4.0f * std::cos(angle), 1.5f * std::sin(angle),
                                                        -2.0f * static_cast<float>(j)};
  }
}

world::Vec3 TunnelTube::vertex(int i, int j) const { return vertices_.at(static_cast<size_t>(i) * kRings + j); }

void TunnelTube::drawLayer(float xScale, float yScale, float tBase) const {
  // One batch per ring; the s coordinate runs 1/8 per column from three columns before 0.
  for (int r = 0; r + 2 < kRings; ++r) {
    const float t0 = tBase + 0.05f * static_cast<float>(r);
    const float t1 = tBase + 0.05f * static_cast<float>(r + 1);
    glBegin(GL_QUADS);
    for (int c = 0; c < segments_; ++c) {
      const float s0 = (static_cast<float>(c) - 3.0f) / 8.0f;
      const float s1 = (static_cast<float>(c) - 2.0f) / 8.0f;
      const auto put = [&](int column, int ring, float s, float t) {
        const world::Vec3& v = vertices_[static_cast<size_t>(column) * kRings + ring];
        glTexCoord2f(s, t);
        glVertex3f(v.x * xScale, v.y * yScale, v.z);
      };
      put(c, r, s0, t0);
      put(c + 1, r, s1, t0);
      put(c + 1, r + 1, s1, t1);
      put(c, r + 1, s0, t1);
    }
    glEnd();
  }
}

void TunnelTube::draw(float x) {
  scroll_ = x / 14.0f;
  rebuild();
  // Outer layer, opaque: blending stays as the scene state leaves it (off).
  bindOnUnit0(outer_.name);
  drawLayer(1.0f, 1.0f, scroll_ * speed_);
  // Inner layer, narrower and scrolling a little slower, added on top.
  glBindTexture(GL_TEXTURE_2D, inner_.name);
  glEnable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 0.4f);
  drawLayer(0.5f, 1.0f / 3.0f, (speed_ - 0.005f) * scroll_);
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void TunnelTube::destroy() {
  resources::releaseTexture(inner_);
  resources::releaseTexture(outer_);
}

std::optional<TunnelShot> tunnelShot(int number, double d) {
  if (number < 1 || number > 4) return std::nullopt;
  const cue::ShotWindow& window = cue::kTunnelShots[number - 1];
  // The first shot starts with the scene itself; the others' windows are open.
  const bool inside = number == 1 ? window.startMs <= d && d < window.endMs : window.startMs < d && d < window.endMs;
  if (!inside) return std::nullopt;
  switch (number) {
    case 1:
      return TunnelShot{{0.0f, 0.0f, -33.0f},
                        {static_cast<float>(std::cos(0.001 * d)), static_cast<float>(std::cos(d / 900.0)), -37.5f}};
    case 2:
    case 3: {
      const double g = std::cos(0.001 * d);
      const world::Vec3 centre{0.0f, static_cast<float>(0.3 * (g + 1.0) - 0.4), static_cast<float>(g - 36.5)};
      if (number == 2) {
        const double f = 0.2 * (std::cos(d / 1500.0) + 1.0);
        return TunnelShot{{static_cast<float>(f + 3.0), static_cast<float>(f - 0.7), -33.0f}, centre};
      }
      const double f = std::cos(d / 1500.0) + 1.0;
      return TunnelShot{{static_cast<float>(-0.4 * f - 2.0), static_cast<float>(0.2 * f + 0.6), -33.0f}, centre};
    }
    default:
      return TunnelShot{
          {static_cast<float>(0.12 * std::sin(d / 1100.0)), static_cast<float>(0.5 * std::cos(d / 900.0)), -33.0f},
          {static_cast<float>(6.0 * std::cos(0.00125 * d)), static_cast<float>(4.0 * std::sin(0.001 * d)),
           static_cast<float>(6.0 * std::sin(0.00125 * d) - 33.0)}};
  }
}

void setTunnelState() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glDepthFunc(GL_LESS);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glFogfv(GL_FOG_COLOR, black);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogf(GL_FOG_START, 12.0f);
  glFogf(GL_FOG_END, 20.0f);
  glEnable(GL_FOG);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
}

void drawTunnelMask() {
  const auto& s = platform::settings;
  const float w = static_cast<float>(s.screenWidth);
  const float bottom = static_cast<float>(script.letterboxHeight);
  const float top = static_cast<float>(s.screenHeight - script.letterboxHeight);
  fx::pushPixelProjection();
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  const auto quad = [&](int entry) {
    bindOnUnit0(resources::tableTextureName(entry));
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, bottom);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, top);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(w, top);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(w, bottom);
    glEnd();
  };
  glBlendFunc(GL_DST_COLOR, GL_ZERO);  // darkens where the mask is dark
  quad(resources::kFrameMaskPicture);
  glBlendFunc(GL_ONE, GL_ONE);  // adds the frame
  quad(resources::kFramePicture);
  fx::popPixelProjection();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
}

void drawTunnelScene() {
  const float t0 = static_cast<float>(cue::kTunnelStartMs);
  const std::uint32_t ray = resources::tableTextureName(resources::kRayPicture);
  for (int number = 1; number <= 4; ++number) {
    const auto shot = tunnelShot(number, platform::demoClockMs() - t0);
    if (!shot) continue;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(shot->eye.x, shot->eye.y, shot->eye.z, shot->centre.x, shot->centre.y, shot->centre.z, 0.0, 1.0, 0.0);
    setTunnelState();
    if (sceneObjects.tunnel) sceneObjects.tunnel->draw(4.0f * script.sceneClock);
    fx::scrollOverlay(t0, kWhite, kWhite, kWhite, 0.8f, 1.0f, 2.0f, 1.0f, ray);
    fx::resetSceneState();
    if (number == 1) {
      drawTunnelMask();
      fx::fadeIn(t0, t0 + cue::kTunnelFadeInMs, kWhite, kWhite, kWhite, 0);
      fx::resetSceneState();
    } else {
      // A white flash at each cut, under the frame.
      const float* flash = cue::kTunnelFlashes[number - 2];
      fx::fadeInWindow(t0 + flash[0], t0 + flash[1], kWhite, kWhite, kWhite, 0);
      fx::resetSceneState();
      drawTunnelMask();
    }
  }
}

}  // namespace demo
