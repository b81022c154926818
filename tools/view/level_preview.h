// tolvek-view level: flies a camera path through a level with the demo's frustum culling,
// lightmaps and textures.
#pragma once

#include <memory>

#include "preview.h"

namespace view {

std::unique_ptr<Preview> makeLevelPreview(const ViewOptions& options);

}  // namespace view
