// Command-line options. The original read none; without options the program behaves as
// designed (setup dialog, Demo.conf, the show until its end, Escape or the close box).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

struct Options {
  std::optional<int> width, height;  // --mode WxH
  std::optional<int> depthBits;      // --depth 16|32
  bool fullscreen = false;           // --fullscreen
  bool unattended = false;           // --unattended (also implied by --record)
  std::optional<double> untilMs;     // --until MS
  std::string recordDir;             // --record DIR
  int recordFps = 30;                // --fps N
  bool stats = false;                // --stats
  bool help = false;

  // Mode, depth or full screen given: the setup dialog is skipped.
  bool skipsSetupDialog() const { return width || depthBits || fullscreen || unattended; }
};

struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line was understood
};

ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();

}  // namespace app
