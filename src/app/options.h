// Command-line options. The original read none; without options the program behaves as
// designed (setup dialog, Demo.conf, the show until its end, Escape or the close box).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture/video_codec.h"
#include "platform/frame_timer.h"

namespace app {

struct Options {
  std::optional<int> width, height;  // --mode WxH
  bool desktopMode = false;          // --mode desktop: the display's own size, full screen
  std::optional<int> depthBits;      // --depth 16|32
  bool fullscreen = false;           // --fullscreen
  bool unattended = false;           // --unattended (also implied by --record)
  std::optional<double> untilMs;     // --until MS
  std::string recordDir;             // --record DIR: PNG frames and soundtrack.wav
  std::string recordVideo;           // --record FILE.mp4|.mkv|.webm: one video file
  std::optional<platform::FrameRate> fps;  // --fps RATE: the virtual clock's frame rate
  int supersample = 1;                      // --supersample N: drawn N times larger, filtered down
  int motionBlur = 1;                       // --motion-blur N: sub-frames averaged per frame
  std::optional<int> shutterDegrees;        // --shutter DEG: the part of a frame they span
  std::optional<capture::VideoQuality> quality;  // --quality
  bool vsync = false;                // --vsync: swaps wait for the display's refresh
  bool stats = false;                // --stats
  std::optional<double> startMs;     // --start MS: the show begins at that demo time
  bool author = false;               // --author: the workbench keys and overlay
  std::optional<int> loop;           // --loop [N]: the show again after the credits, N passes (0: forever)
  std::optional<double> sectionFromMs, sectionToMs;  // --section A:B, played over and over
  bool help = false;
  bool version = false;

  static constexpr int kDefaultFramesFps = 30;
  static constexpr int kDefaultVideoFps = 60;
  bool recording() const { return !recordDir.empty() || !recordVideo.empty(); }
  static constexpr int kDefaultShutterDegrees = 180;  // film's usual half-open shutter
  // Frame rate of the virtual clock of a recording.
  platform::FrameRate recordFps() const {
    return fps.value_or(recordVideo.empty() ? kDefaultFramesFps : kDefaultVideoFps);
  }
  // A frame rate without a recording: the show runs on the virtual clock, silently, and
  // writes nothing, so every run draws the same frames (a benchmark).
  bool benchmarkRun() const { return fps && !recording(); }

  // Mode, depth, full screen, a frame rate or a workbench option given: the setup dialog is
  // skipped.
  bool skipsSetupDialog() const {
    return width || desktopMode || depthBits || fullscreen || unattended || fps || startMs || author || sectionFromMs;
  }
};

struct ParsedOptions {
  Options options;
  std::string error;  // empty when the command line was understood
};

// Window sizes --mode accepts (a window wider than 16:9 shows the 16:9 picture with bars);
// recordings and benchmark runs draw offscreen at the same sizes.
constexpr int kMinWidth = 320, kMinHeight = 240, kMaxWidth = 7680, kMaxHeight = 4320;

// A frame rate as --fps takes it: a whole number ("60"), a fraction ("60000/1001") or a
// decimal ("12.5"); the NTSC decimals (59.94, 29.97, 23.976, ...: within a thousandth of
// k x 1000/1001) stand for their exact fractions. From 1 to 1000 frames a second.
std::optional<platform::FrameRate> parseFrameRate(std::string_view text);

ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string usageText();
std::string versionText();

}  // namespace app
