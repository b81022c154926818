// The standard OpenGL state of the demo: set once when rendering starts and restored after
// every screen veil, so each scene starts from the same state.
#pragma once

namespace platform {

// Smooth shading, black clear, depth test (less-or-equal), nicest hints, additive alpha
// blend function (blending itself off), front faces culled, grey exponential fog on.
void applyStandardRenderState();

// The window's viewport and projection, as a resize sets them: the whole window, the
// configured field of view and aspect, near 1, far 3000; the modelview matrix starts afresh.
void setWindowProjection(int width, int height);

// Client vertex arrays for one draw of immediate-mode geometry put through arrays: saves the
// caller's array state (a level leaves its arrays enabled), starts with every array off and
// client texture unit 0 selected, and puts the caller's state back when it goes.
class ScopedClientArrays {
 public:
  ScopedClientArrays();
  ~ScopedClientArrays();
  ScopedClientArrays(const ScopedClientArrays&) = delete;
  ScopedClientArrays& operator=(const ScopedClientArrays&) = delete;
};

}  // namespace platform
