// The standard OpenGL state of the demo: set once when rendering starts and restored after
// every screen veil, so each scene starts from the same state.
#pragma once

namespace platform {

// Smooth shading, black clear, depth test (less-or-equal), nicest hints, additive alpha
// blend function (blending itself off), front faces culled, grey exponential fog on.
void applyStandardRenderState();

}  // namespace platform
