#include "app/options.h"

#include <charconv>
#include <cstdlib>

#include "capture/video_recorder.h"
#include "demo/cue_sheet.h"

namespace app {
namespace {

// A demo time in milliseconds within the show.
bool parseMs(const std::string& text, double& ms) {
  char* end = nullptr;
  ms = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && ms >= 0.0 && ms <= demo::cue::kShowEndMs;
}

bool parseInt(std::string_view text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// "WxH" within the accepted sizes, 16:9 or taller; otherwise the reason.
std::string parseMode(const std::string& value, Options& o) {
  const size_t x = value.find_first_of("xX");
  int w = 0, h = 0;
  if (x == std::string::npos || !parseInt(std::string_view(value).substr(0, x), w) ||
      !parseInt(std::string_view(value).substr(x + 1), h))
    return "--mode needs WIDTHxHEIGHT (such as 640x480) or 'desktop', not '" + value + "'";
  if (w < kMinWidth || h < kMinHeight || w > kMaxWidth || h > kMaxHeight)
    return "mode " + value + " is outside the sizes the show plays at (320x240 to 3840x2160)";
  // The show's picture is 16:9; a wider window would cut it.
  if (static_cast<long>(w) * 9 > static_cast<long>(h) * 16)
    return "mode " + value + " is wider than the show's 16:9 picture; choose a size of 16:9 or taller";
  o.width = w;
  o.height = h;
  return {};
}

}  // namespace

std::string versionText() { return std::string("tolvek ") + TOLVEK_VERSION + "\n"; }

std::string usageText() {
  return "usage: tolvek [options]\n"
         "  --mode WxH         window size from 320x240 to 3840x2160, 16:9 or taller (skips the setup dialog)\n"
         "  --mode desktop     full screen at the display's own size (skips the setup dialog)\n"
         "  --depth 16|32      depth-buffer bits (skips the setup dialog)\n"
         "  --fullscreen       full screen (skips the setup dialog)\n"
         "  --vsync            wait for the display's refresh at every frame (default: as fast as it draws)\n"
         "  --unattended       no dialog; message boxes are written to standard error\n"
         "  --until MS         end the show when the demo clock passes MS milliseconds\n"
         "  --record FILE      record a video (.mp4, .mkv or .webm, made by ffmpeg) with the soundtrack\n"
         "  --record DIR       record every frame as DIR/frame_000000.png ... and DIR/soundtrack.wav\n"
         "  --fps N            frame rate of a recording (video 60, PNG frames 30); alone: a silent benchmark run\n"
         "  --stats            print frame times per scene, the loading time and the peak memory at exit\n"
         "  --loop [N]         play the show again after the credits, N times in all or forever\n"
         "  --start MS         begin the show at demo time MS, as it stands there in a run from the start\n"
         "  --section A:B      play the show from A to B ms over and over, with its music\n"
         "  --author           the author's keys and a corner showing where the show is:\n"
         "                       F1 pause / play   F2 one frame on (paused)   F3 / F4 1 s back / on\n"
         "                       F6 / F7 10 s back / on   Page Up / Page Down previous / next scene\n"
         "                       Home / End mark the section's start / end   F8 repeat the section or not\n"
         "                       F5 reload the show folder and go on from the same moment\n"
         "  --version          print the version\n"
         "  --help             this text\n"
         "The demo runs in the working directory, which must hold Demo.conf and the show's data.\n"
         "Escape or the window's close box ends it.\n";
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
  ParsedOptions result;
  Options& o = result.options;
  auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--fullscreen") {
      o.fullscreen = true;
    } else if (arg == "--vsync") {
      o.vsync = true;
    } else if (arg == "--stats") {
      o.stats = true;
    } else if (arg == "--unattended") {
      o.unattended = true;
    } else if (arg == "--mode") {
      if (!hasValue) return fail("--mode needs a value such as 640x480");
      const std::string& v = args[++i];
      if (v == "desktop") {
        o.desktopMode = true;
        o.fullscreen = true;
        o.width.reset();
        o.height.reset();
      } else if (std::string reason = parseMode(v, o); !reason.empty()) {
        return fail(reason);
      } else {
        o.desktopMode = false;
      }
    } else if (arg == "--depth") {
      if (!hasValue) return fail("--depth needs 16 or 32");
      int bits = 0;
      if (!parseInt(args[++i], bits) || (bits != 16 && bits != 32))
        return fail("--depth must be 16 or 32, not '" + args[i] + "'");
      o.depthBits = bits;
    } else if (arg == "--until") {
      if (!hasValue) return fail("--until needs a time in milliseconds");
      char* end = nullptr;
      const double ms = std::strtod(args[++i].c_str(), &end);
      if (end == args[i].c_str() || *end != '\0' || !(ms >= 0))
        return fail("--until needs a time in milliseconds, not '" + args[i] + "'");
      o.untilMs = ms;
    } else if (arg == "--record") {
      if (!hasValue || args[i + 1].empty()) return fail("--record needs a video file name or a folder");
      const std::string& target = args[++i];
      o.recordDir.clear();
      o.recordVideo.clear();
      (capture::videoContainer(target).empty() ? o.recordDir : o.recordVideo) = target;
      o.unattended = true;
    } else if (arg == "--loop") {
      int passes = 0;
      // The count is optional: a next word that is no number is the next option.
      if (hasValue && !args[i + 1].empty() && args[i + 1][0] != '-') {
        if (!parseInt(args[++i], passes) || passes < 1)
          return fail("--loop takes a number of passes of 1 or more, not '" + args[i] + "'");
      }
      o.loop = passes;
    } else if (arg == "--author") {
      o.author = true;
    } else if (arg == "--start") {
      double ms = 0.0;
      if (!hasValue || !parseMs(args[++i], ms))
        return fail("--start needs a demo time in milliseconds from 0 to the show's end (246882)");
      o.startMs = ms;
    } else if (arg == "--section") {
      const std::string value = hasValue ? args[++i] : "";
      const size_t colon = value.find(':');
      double from = 0.0, to = 0.0;
      if (colon == std::string::npos || !parseMs(value.substr(0, colon), from) ||
          !parseMs(value.substr(colon + 1), to) || !(from < to))
        return fail("--section needs A:B, two demo times in milliseconds with A before B, not '" + value + "'");
      o.sectionFromMs = from;
      o.sectionToMs = to;
    } else if (arg == "--fps") {
      if (!hasValue) return fail("--fps needs a frame rate");
      int fps = 0;
      if (!parseInt(args[++i], fps) || fps < 1 || fps > 1000)
        return fail("--fps needs a whole frame rate from 1 to 1000, not '" + args[i] + "'");
      o.fps = fps;
    } else {
      return fail("unknown option '" + arg + "'");
    }
  }
  return result;
}

}  // namespace app
