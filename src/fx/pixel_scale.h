// The show's pixel sizes under supersampling. A supersampled recording draws the show N times
// wider and higher than it records it; whatever the show sizes in pixels (line widths, the
// stencil window's insets, the frame copies) is N times larger with it, so the picture
// filtered down is the plain one with smoother edges. N is 1 otherwise, and nothing changes.
#pragma once

namespace fx {

// From the show's load; 1 to 4.
void setPixelScale(int n);
int pixelScale();

// `pixels` plain pixels at the current scale.
inline float scaledPixels(float pixels) { return pixels * static_cast<float>(pixelScale()); }

// glLineWidth for a line `width` plain pixels wide. Scaled, the width is first clamped to
// what the driver draws (a 0.2-pixel line is drawn one pixel wide), so the line keeps the
// plain picture's width.
void setLineWidth(float width);

}  // namespace fx
