#include "demo/intro_overlay.h"

#include <GL/gl.h>

#include <iterator>

#include "demo/cue_sheet.h"
#include "demo/scene_drawing.h"
#include "demo/timeline.h"
#include "fx/veils.h"
#include "platform/frame_timer.h"
#include "platform/settings.h"

namespace demo {

IntroOverlayState introOverlay;

namespace {

// A picture over the box x0..x1, y0..y1 (window pixels, y up), first row at the top, in
// white with `alpha`. Blended at alpha 0 or below it would leave every pixel as it is, so the
// quad is not drawn then (the colour and texture state are set all the same).
void picture(int entry, float alpha, float x0, float y0, float x1, float y1) {
  glColor4f(1.0f, 1.0f, 1.0f, alpha);
  bindOnUnit0(resources::tableTextureName(entry));
  if (!(alpha > 0.0f)) return;
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(x0, y0);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(x0, y1);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(x1, y1);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(x1, y0);
  glEnd();
}

// The caption word each cue of the cue sheet brings.
constexpr int kCaptionWords[std::size(cue::kCaptionCues)] = {resources::kDoingPicture, resources::kGuysPicture,
                                                            resources::kThingPicture, resources::kGoingPicture};

// Centres of the panel's squares, in fractions of the window.
constexpr float kSquares[6][2] = {{0.03125f, 0.166666f}, {0.03125f, 0.2083333f}, {0.03125f, 0.25f},
                                  {0.0625f, 0.166666f},  {0.09375f, 0.166666f},  {0.0625f, 0.2083333f}};

void drawPanel(float w, float h) {
  IntroOverlayState& o = introOverlay;
  advanceIntroCaption(o, platform::demoClockMs(), script.frameDelta);

  bindOnUnit0(0);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  const float r = 0.2f * static_cast<float>(platform::demoClockMs());
  const float hx = 0.01875f * w;
  const float hy = 0.025f * h;
  for (const auto& centre : kSquares) {
    glPushMatrix();
    glTranslatef(centre[0] * w, centre[1] * h, 0.0f);
    glRotatef(r, 0.0f, 0.0f, 1.0f);
    glColor4f(0.0f, 0.0f, 0.2f, 0.8f);
    for (GLenum mode : {GLenum(GL_QUADS), GLenum(GL_LINE_LOOP)}) {
      glBegin(mode);
      glVertex2f(-hx, -hy);
      glVertex2f(-hx, hy);
      glVertex2f(hx, hy);
      glVertex2f(hx, -hy);
      glEnd();
      glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    glPopMatrix();
  }

  picture(o.caption, o.captionAlpha, 0.109375f * w, 0.1770833f * h, 0.709375f * w, 0.24375f * h);
}

}  // namespace

void advanceIntroLogos(IntroOverlayState& o, float dt) {
  o.elapsed += dt;
  if (o.logoAlpha < 1.0f && o.elapsed < cue::kTitleLogoMs) o.logoAlpha += dt / cue::kLogoFadeMs;
  if (o.elapsed > cue::kTitleLogoMs && o.logoAlpha > 0.0f) o.logoAlpha -= dt / cue::kLogoFadeMs;
  if (o.groupAlpha < 1.0f && o.elapsed < cue::kGroupLogoMs) o.groupAlpha += dt / cue::kLogoFadeMs;
  if (o.elapsed > cue::kGroupLogoMs && o.groupAlpha > 0.0f) o.groupAlpha -= dt / cue::kLogoFadeMs;
}

void advanceIntroCaption(IntroOverlayState& o, double nowMs, float dt) {
  for (size_t i = 0; i < std::size(cue::kCaptionCues); ++i) {
    const cue::CaptionCueTime& c = cue::kCaptionCues[i];
    if (!(c.startMs < nowMs && nowMs < c.startMs + cue::kCaptionCueLengthMs)) continue;
    o.caption = kCaptionWords[i];
    if (c.fadeMs > 0.0f) o.captionFadeMs = c.fadeMs;
    o.captionAlpha = 1.0f;
  }
  o.captionAlpha -= dt / o.captionFadeMs;
}

void drawIntroOverlay() {
  IntroOverlayState& o = introOverlay;
  const float w = static_cast<float>(platform::settings.screenWidth);
  const float h = static_cast<float>(platform::settings.screenHeight);
  advanceIntroLogos(o, script.frameDelta);
  if (!script.drawing) {
    if (platform::demoClockMs() > cue::kPanelStartMs) advanceIntroCaption(o, platform::demoClockMs(), script.frameDelta);
    return;
  }

  fx::pushPixelProjection();
  glEnable(GL_BLEND);  // with the scene's additive blend function

  picture(resources::kLovingPicture, o.logoAlpha, 0.046875f * w, 0.108333f * h, 0.646875f * w, 0.208333f * h);

  // The frame, open along the bottom where the presentation logo sits.
  glDisable(GL_TEXTURE_2D);
  const float left = 0.01875f * w, right = 0.98125f * w, bottom = 0.1458333f * h, top = 0.85f * h;
  const float corners[6][2] = {{0.0421875f * w, bottom}, {left, bottom}, {left, top},
                               {right, top},             {right, bottom}, {0.6484375f * w, bottom}};
  glBegin(GL_LINES);
  for (int i = 0; i < 5; ++i) {
    glVertex2f(corners[i][0], corners[i][1]);
    glVertex2f(corners[i + 1][0], corners[i + 1][1]);
  }
  glEnd();

  // The title takes the group logo's place as that fades, and leaves with the first logo.
  const float x0 = 0.09375f * w, y0 = 0.3514666f * h, x1 = 0.86375f * w, y1 = 0.6208333f * h;
  picture(resources::kGroupLogo, o.groupAlpha, x0, y0, x1, y1);
  if (o.elapsed > cue::kGroupLogoMs)
    picture(resources::kTitlePicture, o.elapsed > cue::kTitleLogoMs ? o.logoAlpha : 1.0f - o.groupAlpha, x0, y0, x1,
            y1);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  if (platform::demoClockMs() > cue::kPanelStartMs) drawPanel(w, h);

  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  fx::popPixelProjection();
}

}  // namespace demo
