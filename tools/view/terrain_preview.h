// tolvek-view terrain: an orbit around the island, its ground drawn from the display list
// with the scene's fog above water, and the flat sea over it.
#pragma once

#include <memory>

#include "preview.h"

namespace view {

std::unique_ptr<Preview> makeTerrainPreview(const ViewOptions& options);

}  // namespace view
