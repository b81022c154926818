// The flat overlay of the first scene, laid over the level flight in fractions of the window:
// the presentation logo fading in and out, the group logo cross-fading into the title, a thin
// white frame open where the logo sits, and from 13.85 s a panel of six turning squares with
// a caption word that changes at set moments and fades after each change.
#pragma once

#include "demo/cue_sheet.h"
#include "resources/texture_table.h"

namespace demo {

// What the overlay keeps from frame to frame; it starts so with the program.
struct IntroOverlayState {
  float elapsed = 0.0f;       // T: frame times summed, ms
  float logoAlpha = 0.0f;     // a1, the presentation logo (and the title once T > 10000)
  float groupAlpha = 0.0f;    // a2, the group logo
  int caption = resources::kWherePicture;  // entry of the texture table
  float captionAlpha = 1.0f;  // ca
  float captionFadeMs = cue::kFirstCaptionFadeMs;  // cd
};
extern IntroOverlayState introOverlay;

// T and the two logo alphas one frame of `dt` ms on (no clamping: an alpha may pass 0 or 1 by
// one step).
void advanceIntroLogos(IntroOverlayState& state, float dt);

// The caption cues tested at `nowMs` (each open for 20 ms), then the caption's fade by dt.
void advanceIntroCaption(IntroOverlayState& state, double nowMs, float dt);

void drawIntroOverlay();

}  // namespace demo
