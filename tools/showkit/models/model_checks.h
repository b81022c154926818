// Checks of the written models against the file layout and the script: every record and
// index inside its file, the runner's feet on the corridor's floor, tags that move, and
// sizes that fit where the scenes draw the models.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "show_model_set.h"

namespace modelkit {

// Reads the file with the demo's reader and reports what it had to leave out or cut (records
// outside the file or their surface, triangles indexing outside their surface) and headers
// whose offsets disagree with the back-to-back layout.
std::vector<std::string> checkMd3File(const std::string& name, std::span<const std::uint8_t> bytes);

// Lowest point of the lower body per frame, in the file's units.
std::vector<float> lowestPoints(const SkinnedModel& lower);

std::vector<std::string> checkCharacter(const CharacterSet& character);
std::vector<std::string> checkSingleModels(const SkinnedModel& chelou, const SkinnedModel& monk, const SkinnedModel& boat);

}  // namespace modelkit
