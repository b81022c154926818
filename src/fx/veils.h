// Full-screen effects laid over a scene's picture: timed fades from or to a colour, the
// flickering noise veil, the scrolling ray veil, the state reset that follows each of them,
// and the two frame-copy effects (copy the frame into a 512 x 512 texture; replay that
// texture as a stack of zooming, fading layers, the echo trail).
//
// Everything draws in immediate mode on texture unit 0 under the scene's own projection and
// reads the demo clock afresh. The arithmetic lives in the small pure functions at the top so
// that tests can pin it down without a window.
#pragma once

#include <cstdint>
#include <optional>

namespace fx {

// Colours of the fades and the scroll veil come on a 0..255 scale.
constexpr float kColourScale = 0.003921569f;

// ---- arithmetic ----

// Alpha of each fade at `nowMs`, or nothing when the fade does not draw at that moment.
// fadeIn: from opaque down, not clamped (negative past the end: nothing shows).
std::optional<float> fadeInAlpha(double nowMs, float startMs, float endMs);
// fadeOut: from clear up, not clamped (past the end it keeps covering).
std::optional<float> fadeOutAlpha(double nowMs, float startMs, float endMs);
// fadeInWindow: like fadeIn, but only strictly inside (start, end).
std::optional<float> fadeInWindowAlpha(double nowMs, float startMs, float endMs);

// Quarter turns (0..3) of the noise veil for an effect clock reading: whole milliseconds
// modulo 200; 0..60 none, 61..120 one, 121..170 two, 171..199 three.
int noiseQuarterTurns(double effectMs);

// Upper texture coordinate of the scroll veil for one corner: t-offset + 0.1 sin(now), the
// milliseconds taken as radians, which flickers rather than waves.
float scrollUpperT(float tOffset, double nowMs);

// Layer i of an echo trail: inset of its texture window and its alpha.
struct EchoLayer {
  float inset = 0.0f;
  float alpha = 0.0f;
};
EchoLayer echoLayer(int index, int count, float step, float startAlpha);

// How the first level drives the trail through its echo window: c = cos(180 - now/300)
// (radians) swings the layer count (whole part of 4c + 6: 2..9, c staying just below 1 inside
// the window) and the start alpha (0.4c + 1.2: 0.8..1.6; above 1 saturates).
int introEchoLayerCount(double nowMs);
float introEchoStartAlpha(double nowMs);

// ---- drawing ----

// Window pixels, origin at the lower left: pushes the projection (orthographic 0..width,
// 0..height, -1..1) and the modelview (identity); the pop restores both.
void pushPixelProjection();
void popPixelProjection();

// The quad every veil draws: corners (+-1.7, +-1, 0), texture (0,0) to (sMax, t) with the two
// upper corners at their own t. Under a perspective at distance 1 it overfills the view.
void drawVeilQuad(float sMax = 1.0f, float upperLeftT = 1.0f, float upperRightT = 1.0f);

// Texture 0 in the fades means no image: a flat colour.
void fadeIn(float startMs, float endMs, float r, float g, float b, std::uint32_t texture);
void fadeOut(float startMs, float endMs, float r, float g, float b, std::uint32_t texture);
void fadeInWindow(float startMs, float endMs, float r, float g, float b, std::uint32_t texture);

// The grey noise texture of the texture table, alpha 0.1, turned by quarters with the effect
// clock. r, g, b go straight to glColor (255 saturates to 1); `repeat` tiles the texture.
void noiseOverlay(float r, float g, float b, float repeat);

// An additive veil of `texture`, its upper edge flickering; drawn once now > startMs.
void scrollOverlay(float startMs, float r, float g, float b, float alpha, float sRepeat,
                   float tOffset, float scale, std::uint32_t texture);

// The standard state of the demo again: what every veil changed and a little more.
void resetSceneState();

// Copies the lower-left size x size corner of the frame into `texture`, clears the frame,
// then gives the whole window back (viewport and letterbox scissor).
void copyToTexture(int size, std::uint32_t texture);

// Copies the corner the scene was drawn into to the trail texture and replays it over the
// whole window as `count` additive layers, each zoomed in by `step` more and fainter.
void echoTrail(int count, float step, float margin, float startAlpha);

// How many layers of the echo trail one pass adds up: the texture units when they can sum
// weighted textures, else 1 (layer by layer). Tests may force fewer (0: the driver's number).
int echoLayersPerPass();
void forceEchoLayersPerPass(int layers);

}  // namespace fx
