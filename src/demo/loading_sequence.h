// The first frame's work: everything the show needs is made here, behind the progress
// screen, and the clocks start again when it is done. Shutdown releases it all.
#pragma once

namespace demo {

void runLoadingSequence();
void destroySceneObjects();

}  // namespace demo
