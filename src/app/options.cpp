#include "app/options.h"

#include <charconv>
#include <cstdlib>

namespace app {
namespace {

bool parseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace

std::string usageText() {
  return "usage: tolvek [options]\n"
         "  --mode WxH      screen mode: 640x480, 800x600, 1024x768 or 512x384 (skips the setup dialog)\n"
         "  --depth 16|32   depth-buffer bits (skips the setup dialog)\n"
         "  --fullscreen    full screen (skips the setup dialog)\n"
         "  --unattended    no dialog; message boxes are written to standard error\n"
         "  --until MS      end the show when the demo clock passes MS milliseconds\n"
         "  --record DIR    unattended run on a virtual clock; every frame is written to\n"
         "                  DIR/frame_000000.png, frame_000001.png, ...\n"
         "  --fps N         frame rate of the virtual clock when recording (default 30); without\n"
         "                  --record the show runs silently on that clock and writes nothing\n"
         "  --stats         print frame times per scene, the loading time and the peak memory at exit\n"
         "  --help          this text\n"
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
    } else if (arg == "--fullscreen") {
      o.fullscreen = true;
    } else if (arg == "--stats") {
      o.stats = true;
    } else if (arg == "--unattended") {
      o.unattended = true;
    } else if (arg == "--mode") {
      if (!hasValue) return fail("--mode needs a value such as 640x480");
      const std::string& v = args[++i];
      if (v == "640x480") o.width = 640, o.height = 480;
      else if (v == "800x600") o.width = 800, o.height = 600;
      else if (v == "1024x768") o.width = 1024, o.height = 768;
      else if (v == "512x384") o.width = 512, o.height = 384;
      else return fail("unknown mode '" + v + "': choose 640x480, 800x600, 1024x768 or 512x384");
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
      if (!hasValue || args[i + 1].empty()) return fail("--record needs a folder");
      o.recordDir = args[++i];
      o.unattended = true;
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
