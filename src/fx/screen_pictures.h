// Drawing in window pixels around the window centre, for the final scene: a centred pixel
// projection, a full-window picture that can melt away, a full-window white fade, and a
// stencil "window" with a thin white frame line that restricts later drawing to a rectangle
// inside the screen. Each takes the window size (w, h in pixels) from its caller.
//
// drawPicture, whiteFade and stencilWindow push the current colour and the enables and pop
// them at the end; the depth write mask, blend function, stencil settings, colour mask and
// polygon mode they set stay as they leave them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "fx/procedural_meshes.h"

namespace fx {

// A quad in centred pixel coordinates, corners in drawing order.
struct PixelQuad {
  std::array<std::array<float, 2>, 4> corners;
};

// Pushes the projection matrix and replaces it with glOrtho(-(w/2), w/2, -(h/2), h/2, -10, 100),
// halves taken in integers; leaves the modelview matrix selected. The caller pops it.
void setCentredPixelProjection(int w, int h);

// The whole window as drawPicture and whiteFade cover it: (-w/2, h/2), (w/2, h/2), (w/2, -h/2),
// (-w/2, -h/2) with integer halves.
PixelQuad fullWindowQuad(int w, int h);

// The picture `texture` over the whole window, blended with (1 - alpha, alpha): alpha 0 shows
// it fully, alpha 1 leaves the screen as it was. keepDepth switches depth writes off (and they
// stay off), otherwise the depth test is switched off for the call. Texturing is left as the
// caller has it.
void drawPicture(std::uint32_t texture, int w, int h, float alpha, bool keepDepth);

// The alpha whiteFade draws with at time t (white at start, clear at start + length), or
// nothing once t - start reaches length.
std::optional<float> whiteFadeAlpha(double start, double t, double length);

// A white quad over the whole window fading from full white at `start` to clear at
// start + length; nothing at or after the end.
void whiteFade(int w, int h, double start, double t, double length);

// The frame line (2 pixels inside the given bounds, line width 2; pixels of the show, see pixel_scale.h) and the stencil rectangle
// (3 pixels inside) of stencilWindow, in centred pixel coordinates.
PixelQuad stencilFrameLine(float x0, float x1, float y0, float y1);
PixelQuad stencilRectangle(float x0, float x1, float y0, float y1);

// Draws the white frame line (untextured, past any stencil function, marking no stencil),
// writes 1 into the stencil buffer over the rectangle 3 pixels
// inside the bounds (colour writes off meanwhile), then leaves the stencil function at
// GL_EQUAL 1/1 with colour writes on, so that with the stencil test enabled (by the caller,
// before the call) later drawing lands only inside the rectangle.
void stencilWindow(float x0, float x1, float y0, float y1, int w, int h);

// The window pixels stencilWindow marks with 1, less one pixel all round for rounding, for a
// viewport over the whole w x h window: whatever lands there passes only GL_EQUAL 1.
MaskedRect stencilWindowInterior(float x0, float x1, float y0, float y1, int w, int h);

}  // namespace fx
