// The frame the OpenGL layer draws into, for the page's host: made at the window's size once
// a WebGL 2 context is current, shown on the canvas after every picture.
#pragma once

namespace gl11 {

// A framebuffer of width x height (colour, depth 24 and stencil 8) that every drawing call
// goes to; the viewport and scissor box start as the whole of it.
void initFrame(int width, int height);
bool frameComplete();

// Copies the frame onto the canvas's own buffer (scaled when the sizes differ).
void presentFrame(int canvasWidth, int canvasHeight);

}  // namespace gl11
