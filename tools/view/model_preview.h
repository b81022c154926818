// tolvek-view model and character: an MD3 model on its first frame, or the animated character
// playing two animations, turning slowly in front of a light.
#pragma once

#include <memory>

#include "preview.h"

namespace view {

std::unique_ptr<Preview> makeModelPreview(const ViewOptions& options);
std::unique_ptr<Preview> makeCharacterPreview(const ViewOptions& options);

}  // namespace view
