#include "app/options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numeric>

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

bool parseInt64(std::string_view text, std::int64_t& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// "WxH" within the accepted sizes; otherwise the reason.
std::string parseMode(const std::string& value, Options& o) {
  const size_t x = value.find_first_of("xX");
  int w = 0, h = 0;
  if (x == std::string::npos || !parseInt(std::string_view(value).substr(0, x), w) ||
      !parseInt(std::string_view(value).substr(x + 1), h))
    return "--mode needs WIDTHxHEIGHT (such as 640x480) or 'desktop', not '" + value + "'";
  if (w < kMinWidth || h < kMinHeight || w > kMaxWidth || h > kMaxHeight)
    return "mode " + value + " is outside the sizes the show plays at (320x240 to 7680x4320)";
  o.width = w;
  o.height = h;
  return {};
}

// A whole option value from `low` to `high`, or the reason.
std::string parseCount(const std::string& option, const std::string& value, int low, int high, int& out) {
  if (parseInt(value, out) && out >= low && out <= high) return {};
  return option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" +
         value + "'";
}

// What a whole command line cannot ask for, whatever the order of its options.
std::string checkCombination(const Options& o) {
  const bool video = !o.recordVideo.empty();
  if (o.supersample > 1 && !o.recording()) return "--supersample is for recordings (--record)";
  if (o.motionBlur > 1 && !o.recording()) return "--motion-blur is for recordings (--record)";
  if (o.shutterDegrees && o.motionBlur < 2) return "--shutter needs --motion-blur";
  if (o.quality && !video) return "--quality is for videos (PNG frames are always lossless)";
  if (o.quality == capture::VideoQuality::Lossless && capture::videoContainer(o.recordVideo) != "mkv")
    return "a lossless recording is a Matroska file: name it .mkv";
  return {};
}

}  // namespace

std::optional<platform::FrameRate> parseFrameRate(std::string_view text) {
  std::int64_t num = 0, den = 1;
  const size_t slash = text.find('/');
  const size_t point = text.find('.');
  if (slash != std::string_view::npos) {
    if (!parseInt64(text.substr(0, slash), num) || !parseInt64(text.substr(slash + 1), den)) return std::nullopt;
  } else if (point != std::string_view::npos) {
    const std::string_view whole = text.substr(0, point), fraction = text.substr(point + 1);
    if (fraction.empty() || fraction.size() > 6 || !parseInt64(whole.empty() ? "0" : whole, num) || num > 1000 ||
        fraction.find_first_not_of("0123456789") != std::string_view::npos)
      return std::nullopt;
    std::int64_t digits = 0;
    parseInt64(fraction, digits);
    for (size_t i = 0; i < fraction.size(); ++i) num *= 10, den *= 10;
    num += digits;
    // The NTSC rates written as decimals mean their exact fractions.
    const double value = static_cast<double>(num) / static_cast<double>(den);
    const double k = std::round(value * 1.001);
    if (value != std::floor(value) && std::abs(value - k / 1.001) < 0.001) {
      num = static_cast<std::int64_t>(k) * 1000;
      den = 1001;
    }
  } else if (!parseInt64(text, num)) {
    return std::nullopt;
  }
  // 1 to 1000 frames a second, in numbers the virtual counter holds for days.
  if (num < 1 || den < 1 || den > 1'000'000 || num < den || num > 1000 * den) return std::nullopt;
  const std::int64_t common = std::gcd(num, den);
  return platform::FrameRate(num / common, den / common);
}

std::string versionText() { return std::string("tolvek ") + TOLVEK_VERSION + "\n"; }

std::string usageText() {
  return "usage: tolvek [options]\n"
         "  --mode WxH         window size from 320x240 to 7680x4320; wider than 16:9, the picture gets bars\n"
         "                     at its sides (skips the setup dialog)\n"
         "  --mode desktop     full screen at the display's own size (skips the setup dialog)\n"
         "  --depth 16|32      depth-buffer bits (skips the setup dialog)\n"
         "  --fullscreen       full screen: at the desktop's size, or with --mode in that display mode\n"
         "                     (skips the setup dialog); Alt+Enter or F11 toggles it while the show plays\n"
         "  --vsync            wait for the display's refresh at every frame (default: as fast as it draws)\n"
         "  --unattended       no dialog; message boxes are written to standard error\n"
         "  --until MS         end the show when the demo clock passes MS milliseconds\n"
         "  --record FILE      record a video (.mp4, .mkv or .webm, made by ffmpeg) with the soundtrack\n"
         "  --record DIR       record every frame as DIR/frame_000000.png ... and DIR/soundtrack.wav\n"
         "  --fps RATE         frame rate of a recording (video 60, PNG frames 30): 25, 60000/1001, 59.94 (the\n"
         "                     same) ...; alone: a silent benchmark run\n"
         "  --supersample N    record: draw N (2-4) times larger and filter down, for clean edges\n"
         "  --motion-blur N    record: average N (2-64) sub-frames per frame\n"
         "  --shutter DEG      with --motion-blur: the part of the frame the sub-frames span (1-360, default 180)\n"
         "  --quality Q        video: draft, good (default), high, or lossless (.mkv: FFV1 and FLAC)\n"
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
      o.fps = parseFrameRate(args[++i]);
      if (!o.fps)
        return fail("--fps needs a frame rate from 1 to 1000 such as 30, 60000/1001 or 59.94, not '" + args[i] + "'");
    } else if (arg == "--supersample" || arg == "--motion-blur" || arg == "--shutter") {
      if (!hasValue) return fail(arg + " needs a number");
      int n = 0;
      const std::string reason = arg == "--supersample"   ? parseCount(arg, args[++i], 2, 4, n)
                                 : arg == "--motion-blur" ? parseCount(arg, args[++i], 2, 64, n)
                                                          : parseCount(arg, args[++i], 1, 360, n);
      if (!reason.empty()) return fail(reason);
      if (arg == "--supersample") o.supersample = n;
      else if (arg == "--motion-blur") o.motionBlur = n;
      else o.shutterDegrees = n;
    } else if (arg == "--quality") {
      if (!hasValue) return fail("--quality needs draft, good, high or lossless");
      o.quality = capture::parseVideoQuality(args[++i]);
      if (!o.quality) return fail("--quality needs draft, good, high or lossless, not '" + args[i] + "'");
    } else {
      return fail("unknown option '" + arg + "'");
    }
  }
  if (std::string reason = checkCombination(o); !reason.empty()) return fail(reason);
  return result;
}

}  // namespace app
