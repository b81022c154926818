// Command line of tolvek-view: a subcommand naming what to preview, its file, and the options
// every preview shares (recording, frame rate, end time) or that some use (path, rate).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "demo/cue_sheet.h"

namespace view {

struct ViewOptions {
  std::string command;  // "level", "model", "character" or "terrain"
  std::string file;     // what to preview
  std::vector<std::string> moreFiles;  // terrain: the ground and detail pictures
  std::string skinFile;    // --skin FILE.skin (model)
  std::string skinFolder;  // --folder DIR (model): where the skin's images are; the skin's own folder by default
  int lowerAnimation = 15;  // --lower N (character)
  int upperAnimation = 6;   // --upper N (character)
  std::string pathFile;  // --path FILE.trj
  float rate = demo::cue::kIntroPathRate;  // --rate R: path segments per millisecond (the intro's by default)
  float lightmapScale = 1.0f;  // --lightmap-scale S
  float fieldOfView = 60.0f;   // --fov DEGREES
  float aspectRatio = 640.0f / 480.0f;  // --aspect A
  std::string recordDir;        // --record DIR: PNG frames on a virtual clock, no window shown
  int fps = 30;                 // --fps N
  std::optional<double> untilMs;  // --until MS
  bool help = false;
  bool version = false;  // --version
};

struct ParsedViewOptions {
  ViewOptions options;
  std::string error;  // empty when understood
};

ParsedViewOptions parseViewOptions(const std::vector<std::string>& args);
std::string viewUsage();

}  // namespace view
