// Demo.conf: eight words, the even ones being the window title, the field of view, the
// aspect ratio and the frame-rate report switch; and the letterbox that start-up derives
// from the mode.
#pragma once

#include <string>
#include <string_view>

#include "platform/settings.h"

namespace app {

constexpr const char* kDemoConfigFile = "Demo.conf";

// Reads the words of a Demo.conf held in memory into the settings (title, field of view,
// aspect, FPS report). Missing words keep the settings' current values.
void parseDemoConfig(std::string_view text, platform::Settings& settings);

// Reads Demo.conf from the working directory and parses it. False when it cannot be read.
bool loadDemoConfig(platform::Settings& settings, std::string_view path = kDemoConfigFile);

// Height of each black bar above and below the picture.
int computeLetterboxHeight(int screenWidth, int screenHeight);

}  // namespace app
