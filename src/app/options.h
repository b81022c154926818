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
  std::optional<int> fps;            // --fps N: the virtual clock's frame rate
  bool stats = false;                // --stats
  bool help = false;

  static constexpr int kDefaultRecordFps = 30;
  // Frame rate of the virtual clock of a recording.
  int recordFps() const { return fps.value_or(kDefaultRecordFps); }
  // A frame rate without a recording: the show runs on the virtual clock, silently, and
  // writes nothing, so every run draws the same frames (a benchmark).
  bool benchmarkRun() const { return fps && recordDir.empty(); }

  // Mode, depth, full screen or a frame rate given: the setup dialog is skipped.
  bool skipsSetupDialog() const { return width || depthBits || fullscreen || unattended || fps; }
};

struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line was understood
};

ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();

}  // namespace app
