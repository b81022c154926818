#include "view_options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace view {
namespace {

bool readFloat(const std::string& text, float& out) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) return false;
  out = static_cast<float>(value);
  return true;
}

bool readInt(const std::string& text, int& out) {
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && ptr == text.data() + text.size();
}

}  // namespace

std::string viewUsage() {
  return "usage: tolvek-view level FILE.bsp --path FILE.trj [--rate R] [--lightmap-scale S]\n"
         "                   [--fov DEG] [--aspect A] [--record DIR --fps N] [--until MS]\n"
         "Flies along the path through the level in a 640 x 480 window, or writes the frames as\n"
         "PNG files to DIR on a virtual clock of N frames a second. Ends when the path reaches\n"
         "its end, at MS milliseconds, or on Escape. Textures are looked up from the working\n"
         "folder, as the demo does.\n"
         "       tolvek-view model FILE.md3 --skin FILE.skin [--folder DIR] [...]\n"
         "Turns the model slowly in front of a light, on its first frame.\n"
         "       tolvek-view character FOLDER [--lower N] [--upper N] [...]\n"
         "Turns the animated character of FOLDER playing lower-body animation N (15 by\n"
         "default) and upper-body animation N (6 by default).\n"
         "       tolvek-view terrain FILE.raw FILE.jpg DETAIL.jpg [...]\n"
         "Orbits the island with the terrain's fog.\n"
         "       tolvek-view --help | --version\n";
}

ParsedViewOptions parseViewOptions(const std::vector<std::string>& args) {
  ParsedViewOptions parsed;
  ViewOptions& o = parsed.options;
  auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      continue;
    }
    if (arg == "--version") {
      o.version = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      positional.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return fail(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--path") {
      o.pathFile = value;
    } else if (arg == "--rate") {
      if (!readFloat(value, o.rate) || o.rate <= 0) return fail("--rate needs a positive number");
    } else if (arg == "--lightmap-scale") {
      if (!readFloat(value, o.lightmapScale) || o.lightmapScale < 0) return fail("--lightmap-scale needs a number >= 0");
    } else if (arg == "--fov") {
      if (!readFloat(value, o.fieldOfView) || o.fieldOfView <= 0 || o.fieldOfView >= 180)
        return fail("--fov needs degrees between 0 and 180");
    } else if (arg == "--aspect") {
      if (!readFloat(value, o.aspectRatio) || o.aspectRatio <= 0) return fail("--aspect needs a positive number");
    } else if (arg == "--skin") {
      o.skinFile = value;
    } else if (arg == "--folder") {
      o.skinFolder = value;
    } else if (arg == "--lower" || arg == "--upper") {
      if (!readInt(value, arg == "--lower" ? o.lowerAnimation : o.upperAnimation))
        return fail(arg + " needs an animation number");
    } else if (arg == "--record") {
      o.recordDir = value;
    } else if (arg == "--fps") {
      if (!readInt(value, o.fps) || o.fps < 1 || o.fps > 1000) return fail("--fps needs a whole number from 1 to 1000");
    } else if (arg == "--until") {
      float ms = 0;
      if (!readFloat(value, ms) || ms < 0) return fail("--until needs milliseconds >= 0");
      o.untilMs = ms;
    } else {
      return fail("unknown option " + arg);
    }
  }
  if (o.help || o.version) return parsed;
  if (positional.empty()) return fail("no preview named");
  o.command = positional[0];
  if (positional.size() < 2) return fail("no file given for " + o.command);
  const size_t files = o.command == "terrain" ? 3 : 1;
  if (positional.size() < 1 + files) return fail(o.command + " needs " + std::to_string(files) + " files");
  if (positional.size() > 1 + files) return fail("unexpected argument " + positional[1 + files]);
  o.file = positional[1];
  o.moreFiles.assign(positional.begin() + 2, positional.end());
  if (o.command == "level" && o.pathFile.empty()) return fail("level needs --path FILE.trj");
  if (o.command == "model" && o.skinFile.empty()) return fail("model needs --skin FILE.skin");
  return parsed;
}

}  // namespace view
