// The last scene, from the final scene's end to the end of the show: the credits picture rising slowly
// through the picture, a glowing cube tumbling in front of it, and a grey noise quad turned by
// quarters laid over both, all added to the picture under a very wide perspective.
#pragma once

namespace demo {

// The credits picture's vertical offset after `scrollMs` of end-scene frames.
float endScrollOffset(float scrollMs);

// `afterAnotherScene`: the frame already holds the scene that handed over to this one, which
// is cleared away first; otherwise the frame is as cleared when it began.
void drawEndScene(bool afterAnotherScene);

}  // namespace demo
